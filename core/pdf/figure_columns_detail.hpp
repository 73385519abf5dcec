// What the figure-column detector shares between finding the columns,
// collecting the table's lines and building the table. Internal to the
// table stage.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf::detail {

// A figure belongs to a column when its right edge lies within this many
// units of the column position (inclusive).
inline constexpr float kFigureColumnReach = 14;

// The figure columns of a page and the x left of which a cell centre
// belongs to the label column.
struct FigureColumns {
  std::vector<float> positions;  // ascending right edges, one per column
  float left_boundary = 0;
};

// The figure columns found from the right edges of the figures of the
// lines whose cells hold at least two figures; nothing when there are fewer
// than two columns or too few such lines. `line_cells` holds one list of
// cells per line.
std::optional<FigureColumns> find_figure_columns(std::span<const std::vector<TextRun>> line_cells);

// The positions of the table's lines, a contiguous run between the first
// and last line with an aligned figure; empty when fewer than four of them
// hold an aligned figure.
std::vector<std::size_t> collect_figure_column_rows(std::span<const TextLine> lines,
                                                    std::span<const std::vector<TextRun>> line_cells,
                                                    std::span<const float> columns);

// Whether the cell is a figure whose right edge lies on some column.
bool is_aligned_figure(const TextRun& cell, std::span<const float> columns);

// The size of a line for vertical distances: the larger of its runs' mean
// font size and its height (the height alone when it has no runs).
float figure_line_size(const TextLine& line);

// The texts of a line's cells by slot: slot 0 the label column, slot k the
// k-th figure column; each slot's texts joined with single spaces.
std::vector<std::string> figure_column_slots(std::span<const TextRun> cells, std::span<const float> columns,
                                             float left_boundary);

}  // namespace scrivex_core::pdf::detail

// Table detection on a PDF page: ruled grids, aligned rows, figure columns
// and row groups found among the page's lines, each table taking its lines
// out of the text flow. Pure functions of one page; none fails or warns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {

struct DetectedTable {
  ir::TableBlock table;
  std::vector<std::size_t> line_indices;  // positions in the list given to the detector
};

// One line that may be a table row.
struct TableRowCandidate {
  std::vector<TextRun> cells;
  std::size_t line_index = 0;
};

// Header text gathered from the lines above a row group, one slot per column.
struct ImpliedTableHeader {
  std::vector<std::optional<TextRun>> slots;
  std::vector<std::size_t> line_indices;
};

// Column spans of a grid of cells and the cells that a span covers.
struct CellColumnSpans {
  std::vector<std::vector<std::uint64_t>> spans;
  std::vector<std::vector<bool>> covered;
};

// The first table that the four detectors find, tried in their order.
std::optional<DetectedTable> detect_table(std::uint64_t page_number, std::span<const TextLine> lines,
                                          std::span<const RulingSegment> segments);

// Ascending rule positions: x of vertical rules or y of horizontal ones.
std::vector<float> grid_axis_values(std::span<const RulingSegment> segments, bool vertical);

// The cells a line splits into at wide gaps and dollar signs, in x order.
std::vector<TextRun> implied_table_cells(const TextLine& line);

// At least max(min_cells, 2) cells and a digit in a cell after the first.
bool line_is_data_row(const TextLine& line, std::size_t min_cells);

// Keeps the best-scoring row group (rows x first-row cells); earliest on ties.
void record_table_row_group(std::optional<std::vector<TableRowCandidate>>& best,
                            std::vector<TableRowCandidate> group);

CellColumnSpans merged_cell_col_spans(const std::vector<std::vector<std::optional<ir::BBox>>>& boxes,
                                      std::span<const float> boundaries);

// A figure: a numeric value, or a lone em or en dash.
bool is_table_figure(std::string_view text);

// The tables of a page (at most 8), found on the lines in grouped order;
// sets used[i] for every line i a table takes. `used` has one flag per line.
std::vector<ir::TableBlock> detect_page_tables(std::uint64_t page_number, std::span<const TextLine> lines,
                                               std::span<const RulingSegment> segments,
                                               std::vector<bool>& used);

// The text blocks with the tables placed among them by their top edges.
std::vector<ir::Block> place_tables_among_blocks(std::vector<ir::TextBlock> blocks,
                                                 std::vector<ir::TableBlock> tables);

// Figure-column statements: label column plus right-aligned figure columns.
std::optional<DetectedTable> detect_figure_column_table(std::uint64_t page_number,
                                                        std::span<const TextLine> lines);

std::optional<DetectedTable> build_columnar_table(std::uint64_t page_number, std::span<const TextLine> lines,
                                                  std::span<const std::vector<TextRun>> line_cells,
                                                  std::span<const float> figure_columns,
                                                  std::span<const std::size_t> rows, float left_boundary);

// Glues lone currency signs to the cell that follows them.
std::vector<TextRun> coalesce_currency_prefixes(std::vector<TextRun> cells);

// Whether a cell holds a sentence of prose (13 or more words) among at most one figure.
bool cells_contain_prose(std::span<const TextRun> cells);

}  // namespace scrivex_core::pdf

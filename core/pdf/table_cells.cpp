// Placeholder until the implementation lands.
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {

std::vector<TextRun> implied_table_cells(const TextLine& line) { return line.runs; }
bool line_is_data_row(const TextLine&, std::size_t) { return false; }
void record_table_row_group(std::optional<std::vector<TableRowCandidate>>&, std::vector<TableRowCandidate>) {}
CellColumnSpans merged_cell_col_spans(const std::vector<std::vector<std::optional<ir::BBox>>>&, std::span<const float>) {
  return {};
}
bool is_table_figure(std::string_view) { return false; }

}  // namespace scrivex_core::pdf

// Placeholder until the implementation lands.
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {

std::optional<DetectedTable> detect_figure_column_table(std::uint64_t, std::span<const TextLine>) {
  return std::nullopt;
}
std::optional<DetectedTable> build_columnar_table(std::uint64_t, std::span<const TextLine>,
                                                  std::span<const std::vector<TextRun>>, std::span<const float>,
                                                  std::span<const std::size_t>, float) {
  return std::nullopt;
}
std::vector<TextRun> coalesce_currency_prefixes(std::vector<TextRun> cells) { return cells; }
bool cells_contain_prose(std::span<const TextRun>) { return false; }

}  // namespace scrivex_core::pdf

// Placeholder until the implementation lands.
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {

std::vector<TextLine> split_wide_text_lines(std::vector<TextLine> lines) { return lines; }
std::optional<std::size_t> tight_column_band_split_index_for_runs(std::span<const TextRun>) { return std::nullopt; }
bool allows_math_column_split(std::span<const TextRun>, std::size_t) { return false; }

}  // namespace scrivex_core::pdf

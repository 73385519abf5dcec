// Placeholder until the implementation lands.
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {

std::optional<DetectedTable> detect_table(std::uint64_t, std::span<const TextLine>, std::span<const RulingSegment>) {
  return std::nullopt;
}
std::vector<float> grid_axis_values(std::span<const RulingSegment>, bool) { return {}; }

}  // namespace scrivex_core::pdf

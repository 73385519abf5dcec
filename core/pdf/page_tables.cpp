// Placeholder until the implementation lands.
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {

std::vector<ir::TableBlock> detect_page_tables(std::uint64_t, std::span<const TextLine>,
                                               std::span<const RulingSegment>, std::vector<bool>&) {
  return {};
}
std::vector<ir::Block> place_tables_among_blocks(std::vector<ir::TextBlock> blocks, std::vector<ir::TableBlock>) {
  std::vector<ir::Block> out;
  for (ir::TextBlock& block : blocks) out.emplace_back(std::move(block));
  return out;
}

}  // namespace scrivex_core::pdf

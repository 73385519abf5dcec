// Placeholder until the implementation lands.
#include "core/pdf/text_blocks.hpp"

namespace scrivex_core::pdf {

std::optional<ir::TextBlock> text_block_from_line(const TextLine& line, std::uint64_t, float) {
  ir::TextBlock block;
  block.text = text_line_plain_text(line);
  block.kind = "paragraph";
  if (block.text.empty()) return std::nullopt;
  return block;
}
std::vector<ir::TextBlock> merge_wrapped_text_blocks(std::vector<ir::TextBlock> blocks) { return blocks; }
std::vector<std::string> source_ids_for_runs(std::span<const TextRun>) { return {}; }

}  // namespace scrivex_core::pdf

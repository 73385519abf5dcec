// Text blocks of a PDF page: one IR text block per line in reading order
// (cleaned text, heading level by font size, spans, anchor), then wrapped
// lines of one paragraph merged. None of these fails.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/ir/document.hpp"
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {

// The block of one line; nothing when its cleaned text is empty.
std::optional<ir::TextBlock> text_block_from_line(const TextLine& line, std::uint64_t page_number,
                                                  float body_font_size);

// Merges each block that continues the paragraph of the block before it.
std::vector<ir::TextBlock> merge_wrapped_text_blocks(std::vector<ir::TextBlock> blocks);

// The runs' object ids, each once, in first-seen order.
std::vector<std::string> source_ids_for_runs(std::span<const TextRun> runs);

}  // namespace scrivex_core::pdf

// The page pipeline: runs grouped into lines, the body font size measured,
// tables taken out of the lines, the remaining lines cut at column gutters
// and put in reading order, one text block per line with wrapped paragraphs
// merged, and the tables placed among the blocks by their tops. Tables are
// found before the column cut because a row of figures would otherwise be
// cut in two like a pair of columns.
#include "core/pdf/page_layout.hpp"

#include <algorithm>
#include <utility>

#include "core/pdf/table_detect.hpp"
#include "core/pdf/text_blocks.hpp"
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {
namespace {

// The lines no table took, in grouped order; all of them without a table.
std::vector<TextLine> lines_outside_tables(std::vector<TextLine> lines, const std::vector<bool>& used) {
  std::vector<TextLine> remaining;
  remaining.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!used[i]) remaining.push_back(std::move(lines[i]));
  }
  return remaining;
}

std::vector<ir::TextBlock> text_blocks_in_reading_order(std::span<const TextLine> lines,
                                                        std::uint64_t page_number, float body_size) {
  std::vector<ir::TextBlock> blocks;
  for (const TextLine* line : text_lines_in_reading_order(lines)) {
    if (auto block = text_block_from_line(*line, page_number, body_size)) blocks.push_back(std::move(*block));
  }
  return blocks;
}

}  // namespace

std::vector<ir::Block> layout_page_blocks(std::vector<TextRun> runs,
                                          const std::vector<RulingSegment>& segments,
                                          std::uint64_t page_number) {
  std::vector<TextLine> lines = group_runs_into_lines(std::move(runs));
  const float body_size = body_font_size(lines);
  std::vector<bool> used(lines.size(), false);
  std::vector<ir::TableBlock> tables = detect_page_tables(page_number, lines, segments, used);
  if (std::find(used.begin(), used.end(), true) != used.end()) {
    lines = lines_outside_tables(std::move(lines), used);
  }
  const std::vector<TextLine> cut = split_wide_text_lines(std::move(lines));
  std::vector<ir::TextBlock> blocks = text_blocks_in_reading_order(cut, page_number, body_size);
  return place_tables_among_blocks(merge_wrapped_text_blocks(std::move(blocks)), std::move(tables));
}

}  // namespace scrivex_core::pdf

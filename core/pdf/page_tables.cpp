// The tables of one page: detection repeated on the lines no table has taken
// yet, and the tables placed among the page's text blocks by their tops.
#include <algorithm>
#include <limits>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {
namespace {

// A page yields at most this many tables.
constexpr std::size_t kMaxTablesPerPage = 8;
// Fewer free lines than this cannot make another table.
constexpr std::size_t kMinFreeLines = 2;

// The top edge of a box; a missing box sorts below everything.
float top_of(const std::optional<ir::BBox>& box) {
  return box ? box->y + box->height : -std::numeric_limits<float>::infinity();
}

}  // namespace

std::vector<ir::TableBlock> detect_page_tables(std::uint64_t page_number, std::span<const TextLine> lines,
                                               std::span<const RulingSegment> segments,
                                               std::vector<bool>& used) {
  used.resize(lines.size(), false);
  std::vector<ir::TableBlock> tables;
  while (tables.size() < kMaxTablesPerPage) {
    std::vector<std::size_t> free;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (!used[i]) free.push_back(i);
    }
    if (free.size() < kMinFreeLines) break;
    std::vector<TextLine> candidates;
    candidates.reserve(free.size());
    for (const std::size_t i : free) candidates.push_back(lines[i]);
    std::optional<DetectedTable> found = detect_table(page_number, candidates, segments);
    if (!found || found->line_indices.empty()) break;
    for (const std::size_t p : found->line_indices) {
      if (p < free.size()) used[free[p]] = true;
    }
    tables.push_back(std::move(found->table));
  }
  return tables;
}

std::vector<ir::Block> place_tables_among_blocks(std::vector<ir::TextBlock> blocks,
                                                 std::vector<ir::TableBlock> tables) {
  std::stable_sort(tables.begin(), tables.end(), [](const ir::TableBlock& a, const ir::TableBlock& b) {
    return total_less(top_of(b.bbox), top_of(a.bbox));
  });
  std::vector<ir::Block> out;
  out.reserve(blocks.size() + tables.size());
  std::size_t next = 0;
  for (ir::TextBlock& block : blocks) {
    const float block_top = top_of(block.bbox);
    while (next < tables.size() && top_of(tables[next].bbox) > block_top)
      out.emplace_back(std::move(tables[next++]));
    out.emplace_back(std::move(block));
  }
  while (next < tables.size()) out.emplace_back(std::move(tables[next++]));
  return out;
}

}  // namespace scrivex_core::pdf

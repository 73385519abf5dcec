// The labelled region table: "feature", "bounding boxes" and "text" columns,
// one text block per row placed by its boxes.
#include <algorithm>
#include <array>

#include "core/dataset/csv_engine.hpp"
#include "core/dataset/csv_fields.hpp"
#include "core/util/float_parse.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::csv::detail {
namespace {

constexpr std::string_view kDefaultKind = "row";
constexpr std::size_t kBoxValues = 4;  // x0, y0, x1, y1

struct BoxEntry {
  std::uint64_t page = 1;
  ir::BBox box;
};

// One "(page;[x0;y0;x1;y1])" entry; nothing when any part is malformed or
// the box is empty.
std::optional<BoxEntry> read_box_entry(std::string_view piece) {
  piece = util::trim(piece);
  while (!piece.empty() && piece.front() == '(') piece.remove_prefix(1);
  while (!piece.empty() && piece.back() == ')') piece.remove_suffix(1);
  const std::size_t open = piece.find(";[");
  if (open == std::string_view::npos) return std::nullopt;
  const std::string_view page_text = piece.substr(0, open);
  const std::optional<std::uint64_t> page = page_text.empty() ? std::nullopt : parse_unsigned(page_text);
  if (!page) return std::nullopt;
  std::string_view numbers = piece.substr(open + 2);
  while (!numbers.empty() && numbers.back() == ']') numbers.remove_suffix(1);
  std::vector<float> values;
  for (std::string_view part : split_raw(numbers, ';')) {
    const std::optional<float> value = util::parse_f32(part);
    if (!value) return std::nullopt;
    values.push_back(*value);
  }
  if (values.size() != kBoxValues) return std::nullopt;
  const float width = values[2] - values[0];
  const float height = values[3] - values[1];
  if (!(width > 0) || !(height > 0)) return std::nullopt;
  return BoxEntry{*page == 0 ? 1 : *page, {values[0], values[1], width, height}};
}

std::vector<BoxEntry> read_box_entries(std::string_view field) {
  std::vector<BoxEntry> entries;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = field.find("),", start);
    const std::string_view piece = field.substr(start, end == std::string_view::npos ? end : end - start);
    if (auto entry = read_box_entry(piece)) entries.push_back(*entry);
    if (end == std::string_view::npos) break;
    start = end + 2;
  }
  return entries;
}

}  // namespace

std::vector<ir::Block> region_table_blocks(std::string_view text) {
  const std::vector<std::string_view> lines = header_lines(text);
  if (lines.empty()) return {};
  const std::vector<std::string> headers = split_fields(lines.front(), '\t');
  const auto feature = header_index(headers, "feature");
  const auto boxes = header_index(headers, "bounding boxes");
  const auto text_column = header_index(headers, "text");
  if (!feature || !boxes || !text_column) return {};
  const std::size_t last = std::max({*feature, *boxes, *text_column});
  std::vector<ir::Block> blocks;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> fields = split_fields(lines[i], '\t');
    if (fields.size() <= last) continue;
    ir::TextBlock block;
    block.text = clean_text(join_from(fields, *text_column, "\t"));
    if (block.text.empty()) continue;
    block.kind = clean_text(fields[*feature]);
    if (block.kind.empty()) block.kind = kDefaultKind;
    for (const BoxEntry& entry : read_box_entries(fields[*boxes])) {
      block.bbox = block.bbox ? dataset::union_box(*block.bbox, entry.box) : entry.box;
      block.source_anchors.push_back(anchor(entry.page, entry.box));
    }
    if (block.source_anchors.empty()) block.source_anchors.push_back(anchor(1, std::nullopt));
    block.confidence = ir::Confidence{kBlockConfidence, false};
    blocks.push_back(std::move(block));
  }
  return blocks;
}

}  // namespace scrivex_core::csv::detail

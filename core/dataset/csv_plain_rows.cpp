// Plain delimited rows: one "row" block per line, with a box when the line
// starts with the eight coordinates of a quadrilateral.
#include <cmath>

#include "core/dataset/csv_engine.hpp"
#include "core/dataset/csv_fields.hpp"
#include "core/util/float_parse.hpp"

namespace scrivex_core::csv::detail {
namespace {

constexpr std::size_t kCornerFields = 8;  // x1, y1, ..., x4, y4

// The bounding box of the four corner points, when the first eight fields
// are numbers and a ninth follows.
std::optional<ir::BBox> quadrilateral_box(const std::vector<std::string>& fields) {
  if (fields.size() <= kCornerFields) return std::nullopt;
  float values[kCornerFields];
  for (std::size_t i = 0; i < kCornerFields; ++i) {
    const std::optional<float> value = util::parse_f32(fields[i]);
    if (!value) return std::nullopt;
    values[i] = *value;
  }
  float min_x = values[0], max_x = values[0], min_y = values[1], max_y = values[1];
  for (std::size_t i = 2; i < kCornerFields; i += 2) {
    min_x = std::fmin(min_x, values[i]);
    max_x = std::fmax(max_x, values[i]);
    min_y = std::fmin(min_y, values[i + 1]);
    max_y = std::fmax(max_y, values[i + 1]);
  }
  return ir::BBox{min_x, min_y, max_x - min_x, max_y - min_y};
}

std::string non_empty_fields(const std::vector<std::string>& fields) {
  std::string out;
  for (const std::string& field : fields) {
    if (field.empty()) continue;
    if (!out.empty()) out += ' ';
    out += field;
  }
  return out;
}

}  // namespace

std::vector<ir::Block> plain_row_blocks(std::string_view text, char delimiter) {
  std::vector<ir::Block> blocks;
  for (std::string_view line : row_lines(text)) {
    const std::vector<std::string> fields = split_fields(line, delimiter);
    const std::optional<ir::BBox> box = quadrilateral_box(fields);
    ir::TextBlock block;
    block.text = clean_text(box ? join_from(fields, kCornerFields, delimiter == ',' ? ", " : "\t")
                                : non_empty_fields(fields));
    if (block.text.empty()) continue;
    block.kind = "row";
    block.bbox = box;
    block.source_anchors.push_back(anchor(1, box));
    block.confidence = ir::Confidence{kBlockConfidence, false};
    blocks.push_back(std::move(block));
  }
  return blocks;
}

}  // namespace scrivex_core::csv::detail

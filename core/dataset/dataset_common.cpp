#include "core/dataset/dataset_common.hpp"

#include <cmath>

#include "core/util/unicode.hpp"

namespace scrivex_core::dataset {

std::string clean_text(std::string_view text) {
  std::string out;
  for (std::string_view word : util::split_whitespace(text)) {
    if (!out.empty()) out += ' ';
    out += word;
  }
  return out;
}

ir::BBox union_box(const ir::BBox& a, const ir::BBox& b) {
  const float x = std::fmin(a.x, b.x);
  const float y = std::fmin(a.y, b.y);
  const float right = std::fmax(a.x + a.width, b.x + b.width);
  const float bottom = std::fmax(a.y + a.height, b.y + b.height);
  return {x, y, right - x, bottom - y};
}

const std::optional<ir::BBox>& block_bbox(const ir::Block& block) {
  return std::visit([](const auto& b) -> const std::optional<ir::BBox>& { return b.bbox; }, block);
}

std::optional<ir::BBox> page_extent(const std::vector<ir::Block>& blocks) {
  bool any_box = false;
  float width = 0;
  float height = 0;
  for (const ir::Block& block : blocks) {
    const std::optional<ir::BBox>& box = block_bbox(block);
    if (!box) continue;
    any_box = true;
    // Written as "greater than" so that a NaN sum never replaces the maximum.
    if (box->x + box->width > width) width = box->x + box->width;
    if (box->y + box->height > height) height = box->y + box->height;
  }
  if (!any_box) return std::nullopt;
  return ir::BBox{0, 0, width, height};
}

}  // namespace scrivex_core::dataset

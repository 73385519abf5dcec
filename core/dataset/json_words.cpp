// Word lists: a "words" array of texts with boxes in one of several spellings.
#include <algorithm>
#include <array>
#include <cmath>

#include "core/dataset/dataset_common.hpp"
#include "core/dataset/json_pages.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

// Members that may hold a word's box, tried in this order.
constexpr std::array<std::string_view, 7> kAllBoxKeys{"bbox", "box", "image_bbox", "pdf_bbox",
                                                      "rect", "bounds", "bounding_box"};

std::optional<float> first_number(const Value& object, std::initializer_list<std::string_view> keys) {
  for (std::string_view key : keys) {
    if (auto number = number_f32(object.find(key))) return number;
  }
  return std::nullopt;
}

// A box member as a rect array, as corners {x1, y1, x2, y2} (or left, top,
// right, bottom) or as a size {x, y, width, height}.
std::optional<ir::BBox> word_box_from(const Value& box) {
  if (auto rect = bbox_from_rect(&box)) return rect;
  if (box.type != Type::Object) return std::nullopt;
  const auto x0 = first_number(box, {"x1", "left", "l"});
  const auto y0 = first_number(box, {"y1", "top", "t"});
  const auto x1 = first_number(box, {"x2", "right", "r"});
  const auto y1 = first_number(box, {"y2", "bottom", "b"});
  if (x0 && y0 && x1 && y1) {
    return ir::BBox{std::min(*x0, *x1), std::min(*y0, *y1), std::fabs(*x1 - *x0), std::fabs(*y1 - *y0)};
  }
  const auto x = first_number(box, {"x", "left"});
  const auto y = first_number(box, {"y", "top"});
  const auto width = first_number(box, {"width", "w"});
  const auto height = first_number(box, {"height", "h"});
  if (x && y && width && height) return ir::BBox{*x, *y, *width, *height};
  return std::nullopt;
}

std::optional<ir::BBox> word_box(const Value& word) {
  for (std::string_view key : kAllBoxKeys) {
    if (const Value* box = word.find(key)) {
      if (auto found = word_box_from(*box)) return found;
    }
  }
  return std::nullopt;
}

std::optional<ir::TextBlock> word_block(const Value& word) {
  const Value* text = nullptr;
  for (std::string_view key : {"text", "word", "value"}) {
    if ((text = string_member(&word, key))) break;
  }
  if (!text) return std::nullopt;
  std::string cleaned = clean_text(text->string);
  if (cleaned.empty()) return std::nullopt;
  return json_text_block("word", std::move(cleaned), word_box(word), 1);
}

}  // namespace

std::optional<ir::Page> word_list_page(const Value& object) {
  const Value* words = array_member(&object, "words");
  if (!words) return std::nullopt;
  std::vector<ir::TextBlock> blocks;
  for (const Value& word : words->array) {
    if (word.type != Type::Object) continue;
    if (auto block = word_block(word)) blocks.push_back(std::move(*block));
  }
  if (blocks.empty()) return std::nullopt;
  sort_by_box(blocks, [](const ir::TextBlock& block) { return block.bbox; });
  ir::Page page;
  page.number = 1;
  for (ir::TextBlock& block : blocks) page.blocks.push_back(std::move(block));
  page.width = first_number(object, {"image_width", "page_width", "width"});
  page.height = first_number(object, {"image_height", "page_height", "height"});
  if (page.width && page.height) {
    page.bbox = ir::BBox{0, 0, *page.width, *page.height};
  } else if (const std::optional<ir::BBox> extent = page_extent(page.blocks)) {
    if (!page.width) page.width = extent->width;
    if (!page.height) page.height = extent->height;
    page.bbox = extent;
  }
  return page;
}

}  // namespace scrivex_core::dataset

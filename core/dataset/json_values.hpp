// Small readers over JSON values shared by the dataset shapes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/util/json.hpp"

namespace scrivex_core::dataset {

using util::json::Value;

inline constexpr float kJsonBlockConfidence = 0.9f;
inline constexpr std::string_view kJsonExtractionMethod = "json_native";

// The member `key` of an object value (the last of duplicates), or null when
// `value` is absent, not an object or has no such member.
const Value* member(const Value* value, std::string_view key);

// The member when it has the given type, else null.
const Value* string_member(const Value* value, std::string_view key);
const Value* array_member(const Value* value, std::string_view key);
const Value* object_member(const Value* value, std::string_view key);

// A number value as a 32-bit float; absent for any other value.
std::optional<float> number_f32(const Value* value);

// A number's JSON text as the writer spells it: 7 gives "7", 3.5 "3.5".
std::string number_text(const Value& value);

// The key under which ids are compared: a string itself, "true"/"false", a
// number's JSON text, anything else its compact JSON text; so 7 and "7" match.
std::string value_key(const Value& value);

// [x0, y0, x1, y1, ...] (at least four, the first four numbers), normalised
// so that width and height are never negative.
std::optional<ir::BBox> bbox_from_rect(const Value* value);

// Exactly [x, y, w, h], kept as given.
std::optional<ir::BBox> bbox_from_coco_rect(const Value* value);

// The one anchor every JSON block carries.
ir::SourceAnchor source_anchor(std::uint64_t page_number, std::optional<ir::BBox> bbox);

// A text block with the standard anchor and confidence and no lines.
ir::TextBlock json_text_block(std::string kind, std::string text, std::optional<ir::BBox> bbox,
                              std::uint64_t page_number);

// Stable sort of items by their box, smaller y first, then smaller x; an
// item without a box compares equal to every other.
template <class T, class BoxOf>
void sort_by_box(std::vector<T>& items, BoxOf box_of) {
  std::stable_sort(items.begin(), items.end(), [&](const T& a, const T& b) {
    const std::optional<ir::BBox> left = box_of(a);
    const std::optional<ir::BBox> right = box_of(b);
    if (!left || !right) return false;
    if (left->y != right->y) return left->y < right->y;
    return left->x < right->x;
  });
}

// Splits the first row off as headers; an empty list gives two empty lists.
std::pair<std::vector<std::string>, std::vector<std::vector<std::string>>> split_table_rows(
    std::vector<std::vector<std::string>> rows);

// The union of the cells' boxes; absent when no cell has one.
std::optional<ir::BBox> inferred_table_cell_bbox(const std::vector<ir::TableCell>& cells);

// Sets the page's width, height and bbox {0, 0, width, height} from the
// extent of its blocks' boxes; leaves them absent when no block has a box.
void size_from_extent(ir::Page& page);

// Sizes a one-table page: width x + width and height y + height of the
// table's box; nothing is set without a box.
void size_from_table_box(ir::Page& page, const std::optional<ir::BBox>& table_box);

}  // namespace scrivex_core::dataset

#include "core/dataset/json_values.hpp"

#include <array>
#include <cstdint>
#include <cmath>

#include "core/dataset/dataset_common.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

constexpr std::size_t kRectValues = 4;

void write_compact(util::json::Writer& writer, const Value& value) {
  switch (value.type) {
    case Type::Null: writer.null(); return;
    case Type::Bool: writer.boolean(value.boolean); return;
    case Type::Number:
      switch (value.number_kind) {
        case util::json::NumberKind::Unsigned: writer.unsigned_integer(value.unsigned_value); return;
        case util::json::NumberKind::Negative: writer.signed_integer(value.signed_value); return;
        case util::json::NumberKind::Float: writer.float64(value.float_value); return;
      }
      return;
    case Type::String: writer.string(value.string); return;
    case Type::Array:
      writer.begin_array();
      for (const Value& element : value.array) write_compact(writer, element);
      writer.end_array();
      return;
    case Type::Object:
      writer.begin_object();
      for (const util::json::Member* entry : value.sorted_members()) {
        writer.key(entry->key);
        write_compact(writer, entry->value);
      }
      writer.end_object();
      return;
  }
}

// The first four elements of an array of at least `minimum` (and at most
// `maximum`) elements, when all four are numbers.
std::optional<std::array<float, kRectValues>> four_numbers(const Value* value, std::size_t minimum,
                                                           std::size_t maximum) {
  if (!value || value->type != Type::Array) return std::nullopt;
  if (value->array.size() < minimum || value->array.size() > maximum) return std::nullopt;
  std::array<float, kRectValues> numbers{};
  for (std::size_t i = 0; i < kRectValues; ++i) {
    const std::optional<float> number = number_f32(&value->array[i]);
    if (!number) return std::nullopt;
    numbers[i] = *number;
  }
  return numbers;
}

}  // namespace

const Value* member(const Value* value, std::string_view key) {
  if (!value || value->type != Type::Object) return nullptr;
  return value->find(key);
}

const Value* string_member(const Value* value, std::string_view key) {
  const Value* found = member(value, key);
  return found && found->type == Type::String ? found : nullptr;
}

const Value* array_member(const Value* value, std::string_view key) {
  const Value* found = member(value, key);
  return found && found->type == Type::Array ? found : nullptr;
}

const Value* object_member(const Value* value, std::string_view key) {
  const Value* found = member(value, key);
  return found && found->type == Type::Object ? found : nullptr;
}

std::optional<float> number_f32(const Value* value) {
  if (!value || value->type != Type::Number) return std::nullopt;
  return static_cast<float>(value->as_double());
}

std::string number_text(const Value& value) {
  std::string out;
  util::json::Writer writer(out, false);
  write_compact(writer, value);
  return out;
}

std::string value_key(const Value& value) {
  switch (value.type) {
    case Type::String: return value.string;
    case Type::Bool: return value.boolean ? "true" : "false";
    default: {
      std::string out;
      util::json::Writer writer(out, false);
      write_compact(writer, value);
      return out;
    }
  }
}

std::optional<ir::BBox> bbox_from_rect(const Value* value) {
  const auto numbers = four_numbers(value, kRectValues, SIZE_MAX);
  if (!numbers) return std::nullopt;
  const auto [x0, y0, x1, y1] = *numbers;
  return ir::BBox{std::min(x0, x1), std::min(y0, y1), std::fabs(x1 - x0), std::fabs(y1 - y0)};
}

std::optional<ir::BBox> bbox_from_coco_rect(const Value* value) {
  const auto numbers = four_numbers(value, kRectValues, kRectValues);
  if (!numbers) return std::nullopt;
  return ir::BBox{(*numbers)[0], (*numbers)[1], (*numbers)[2], (*numbers)[3]};
}

ir::SourceAnchor source_anchor(std::uint64_t page_number, std::optional<ir::BBox> bbox) {
  return ir::SourceAnchor{page_number, {}, bbox, std::string(kJsonExtractionMethod)};
}

ir::TextBlock json_text_block(std::string kind, std::string text, std::optional<ir::BBox> bbox,
                              std::uint64_t page_number) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = std::move(kind);
  block.bbox = bbox;
  block.source_anchors.push_back(source_anchor(page_number, bbox));
  block.confidence = ir::Confidence{kJsonBlockConfidence, false};
  return block;
}

std::pair<std::vector<std::string>, std::vector<std::vector<std::string>>> split_table_rows(
    std::vector<std::vector<std::string>> rows) {
  if (rows.empty()) return {};
  std::vector<std::string> headers = std::move(rows.front());
  rows.erase(rows.begin());
  return {std::move(headers), std::move(rows)};
}

std::optional<ir::BBox> inferred_table_cell_bbox(const std::vector<ir::TableCell>& cells) {
  std::optional<ir::BBox> box;
  for (const ir::TableCell& cell : cells) {
    if (!cell.bbox) continue;
    box = box ? union_box(*box, *cell.bbox) : *cell.bbox;
  }
  return box;
}

void size_from_extent(ir::Page& page) {
  if (const std::optional<ir::BBox> extent = page_extent(page.blocks)) {
    page.width = extent->width;
    page.height = extent->height;
    page.bbox = extent;
  }
}

void size_from_table_box(ir::Page& page, const std::optional<ir::BBox>& table_box) {
  if (!table_box) return;
  page.width = table_box->x + table_box->width;
  page.height = table_box->y + table_box->height;
  page.bbox = ir::BBox{0, 0, *page.width, *page.height};
}

}  // namespace scrivex_core::dataset

// Shape recognition: which builder reads a JSON value.
#include "core/dataset/json_pages.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

// The array whose elements are pages: the value itself, or its "pages" member.
const Value* page_array(const Value& value) {
  if (value.type == Type::Array) return &value;
  return array_member(&value, "pages");
}

bool has_layout_detections(const Value* pages) {
  if (!pages) return false;
  for (const Value& element : pages->array) {
    if (array_member(&element, "layout_dets")) return true;
  }
  return false;
}

std::vector<ir::Page> layout_detection_pages(const Value& pages) {
  std::vector<ir::Page> out;
  for (std::size_t i = 0; i < pages.array.size(); ++i) {
    if (auto page = layout_detection_page(pages.array[i], i + 1)) out.push_back(std::move(*page));
  }
  return out;
}

bool has_object_element(const Value* array) {
  if (!array) return false;
  for (const Value& element : array->array) {
    if (element.type == Type::Object) return true;
  }
  return false;
}

bool has_image_with_id(const Value& object) {
  const Value* images = array_member(&object, "images");
  if (!images || !array_member(&object, "annotations")) return false;
  for (const Value& image : images->array) {
    if (member(&image, "id")) return true;
  }
  return false;
}

std::vector<ir::Page> generic_pages(const Value& value) {
  std::vector<ir::Page> out;
  if (const Value* pages = page_array(value)) {
    for (std::size_t i = 0; i < pages->array.size(); ++i) out.push_back(generic_page_from_value(pages->array[i], i + 1));
    return out;
  }
  out.push_back(generic_page_from_value(value, 1));
  return out;
}

std::vector<ir::Page> one(std::optional<ir::Page> page) {
  std::vector<ir::Page> out;
  if (page) out.push_back(std::move(*page));
  return out;
}

}  // namespace

std::vector<ir::Page> pages_from_json_value(const Value& value) {
  if (const Value* pages = page_array(value); has_layout_detections(pages)) return layout_detection_pages(*pages);
  if (value.type == Type::Object) {
    if (has_object_element(array_member(&value, "form"))) {
      if (auto page = form_page(value)) return one(std::move(page));
    }
    if (has_image_with_id(value)) {
      std::vector<ir::Page> pages = coco_pages(value);
      if (!pages.empty()) return pages;
    }
    if (auto page = pubtabnet_page(value)) return one(std::move(page));
    if (auto page = word_list_page(value)) return one(std::move(page));
    if (auto page = cell_grid_page(value)) return one(std::move(page));
  }
  return generic_pages(value);
}

}  // namespace scrivex_core::dataset

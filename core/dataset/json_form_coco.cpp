// Form entries and COCO image annotations.
#include <map>
#include <utility>

#include "core/dataset/dataset_common.hpp"
#include "core/dataset/json_pages.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

constexpr std::string_view kDefaultFormKind = "field";
constexpr std::string_view kDefaultCocoCategory = "layout";

std::map<std::string, std::string> coco_category_names(const Value& object) {
  std::map<std::string, std::string> names;
  const Value* categories = array_member(&object, "categories");
  if (!categories) return names;
  for (const Value& category : categories->array) {
    const Value* id = member(&category, "id");
    if (!id) continue;
    const Value* name = string_member(&category, "name");
    names[value_key(*id)] = name ? name->string : std::string(kDefaultCocoCategory);
  }
  return names;
}

std::map<std::string, std::vector<const Value*>> coco_annotations_by_image(const Value& object) {
  std::map<std::string, std::vector<const Value*>> groups;
  for (const Value& annotation : array_member(&object, "annotations")->array) {
    if (const Value* image_id = member(&annotation, "image_id")) groups[value_key(*image_id)].push_back(&annotation);
  }
  return groups;
}

ir::Page coco_page(const Value& image, std::uint64_t number, std::vector<const Value*> annotations,
                   const std::map<std::string, std::string>& names) {
  ir::Page page;
  page.number = number;
  page.width = number_f32(image.find("width"));
  page.height = number_f32(image.find("height"));
  if (page.width && page.height) page.bbox = ir::BBox{0, 0, *page.width, *page.height};
  sort_by_box(annotations, [](const Value* a) { return bbox_from_coco_rect(member(a, "bbox")); });
  for (const Value* annotation : annotations) {
    const std::optional<ir::BBox> box = bbox_from_coco_rect(member(annotation, "bbox"));
    if (!box) continue;
    std::string name(kDefaultCocoCategory);
    if (const Value* category = member(annotation, "category_id")) {
      if (auto found = names.find(value_key(*category)); found != names.end()) name = found->second;
    }
    page.blocks.push_back(json_text_block(name, name, box, number));
  }
  return page;
}

}  // namespace

std::optional<ir::Page> form_page(const Value& object) {
  const Value* form = array_member(&object, "form");
  if (!form) return std::nullopt;
  std::vector<const Value*> entries;
  for (const Value& entry : form->array) {
    if (entry.type == Type::Object) entries.push_back(&entry);
  }
  sort_by_box(entries, [](const Value* entry) { return bbox_from_rect(member(entry, "box")); });
  ir::Page page;
  page.number = 1;
  for (const Value* entry : entries) {
    const Value* text = string_member(entry, "text");
    if (!text) continue;
    std::string cleaned = clean_text(text->string);
    if (cleaned.empty()) continue;
    const Value* label = string_member(entry, "label");
    page.blocks.push_back(json_text_block(label ? label->string : std::string(kDefaultFormKind), std::move(cleaned),
                                          bbox_from_rect(member(entry, "box")), 1));
  }
  if (page.blocks.empty()) return std::nullopt;
  size_from_extent(page);
  return page;
}

std::vector<ir::Page> coco_pages(const Value& object) {
  std::vector<ir::Page> pages;
  const Value* images = array_member(&object, "images");
  if (!images || !array_member(&object, "annotations")) return pages;
  const std::map<std::string, std::string> names = coco_category_names(object);
  std::map<std::string, std::vector<const Value*>> groups = coco_annotations_by_image(object);
  std::uint64_t number = 0;
  for (const Value& image : images->array) {
    if (image.type != Type::Object) continue;
    ++number;
    const Value* id = image.find("id");
    if (!id) continue;
    std::vector<const Value*> annotations;
    // Taken out of the grouping: a second image with the same id gets none.
    if (auto group = groups.find(value_key(*id)); group != groups.end()) annotations = std::exchange(group->second, {});
    pages.push_back(coco_page(image, number, std::move(annotations), names));
  }
  return pages;
}

}  // namespace scrivex_core::dataset

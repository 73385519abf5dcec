#include "core/textual/xml_engine.hpp"

#include <initializer_list>
#include <optional>
#include <vector>

#include "core/engine/text_builders.hpp"
#include "core/textual/alto.hpp"
#include "core/textual/html_text.hpp"
#include "core/textual/object_annotations.hpp"
#include "core/textual/ocr_blocks.hpp"
#include "core/textual/page_xml.hpp"
#include "core/textual/xml_scan.hpp"
#include "core/util/float_parse.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kEngineName = "xml-native";

// The first of the attributes that is present and reads as a number.
std::optional<float> first_float_attribute(std::string_view tag,
                                           std::initializer_list<std::string_view> names) {
  for (std::string_view name : names) {
    const auto value = xml_attr_value(tag, name);
    if (!value) continue;
    if (const auto number = util::parse_f32(*value)) return number;
  }
  return std::nullopt;
}

// Sizes the page: given width and height win; the extent of the block boxes
// supplies a missing one and then also gives the page box.
void apply_page_size(ir::Page& page, std::optional<float> width, std::optional<float> height) {
  if (width && height) {
    page.width = width;
    page.height = height;
    page.bbox = ir::BBox{0, 0, *width, *height};
    return;
  }
  const auto extent = block_extent(page.blocks);
  page.width = width;
  page.height = height;
  if (!extent) return;
  if (!page.width) page.width = extent->width;
  if (!page.height) page.height = extent->height;
  page.bbox = ir::BBox{0, 0, extent->width, extent->height};
}

ir::Page sized_page(std::vector<ir::Block> blocks, std::optional<float> width, std::optional<float> height) {
  ir::Page page;
  page.blocks = std::move(blocks);
  apply_page_size(page, width, height);
  return page;
}

std::optional<ir::Page> page_xml_page(std::string_view text) {
  if (text.find("PcGts") == std::string_view::npos && text.find("TextRegion") == std::string_view::npos) {
    return std::nullopt;
  }
  const auto page = first_xml_element_by_local_name(text, "Page");
  if (!page) return std::nullopt;
  std::vector<ir::Block> blocks;
  for (const Element& line : xml_elements_by_local_name(page->content, "TextLine")) {
    if (auto block = page_xml_line_block(line)) blocks.push_back(std::move(*block));
  }
  if (blocks.empty()) return std::nullopt;
  return sized_page(std::move(blocks),
                    first_float_attribute(page->tag, {"imageWidth", "image_width", "WIDTH", "width"}),
                    first_float_attribute(page->tag, {"imageHeight", "image_height", "HEIGHT", "height"}));
}

std::optional<ir::Page> alto_page(std::string_view text) {
  const auto page = first_xml_element_by_local_name(text, "Page");
  if (!page) return std::nullopt;
  std::vector<ir::Block> blocks;
  for (const Element& line : xml_elements_by_local_name(page->content, "TextLine")) {
    if (auto block = alto_line_block(line)) blocks.push_back(std::move(*block));
  }
  if (blocks.empty()) {
    for (std::string_view tag : xml_start_tags_by_local_name(page->content, "String")) {
      if (const auto word = alto_word_from_tag(tag)) blocks.push_back(alto_word_block(*word, 1));
    }
  }
  if (blocks.empty()) return std::nullopt;
  return sized_page(std::move(blocks), first_float_attribute(page->tag, {"WIDTH"}),
                    first_float_attribute(page->tag, {"HEIGHT"}));
}

}  // namespace

Result<ir::Document> XmlEngine::extract(const source::Source& source) const {
  const std::string_view text = source.text;
  for (auto reader : {page_xml_page, alto_page, object_annotation_page}) {
    if (auto page = reader(text)) return positioned_document(source, kEngineName, std::move(*page));
  }
  return engine::text_document_from_paragraphs(source, kEngineName,
                                               engine::split_paragraphs(html_to_text(text)), std::nullopt);
}

}  // namespace scrivex_core::textual

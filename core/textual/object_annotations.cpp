#include "core/textual/object_annotations.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/textual/ocr_blocks.hpp"
#include "core/textual/xml_scan.hpp"
#include "core/util/float_parse.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kMethod = "xml_native";

std::optional<float> number_in(std::string_view text, std::string_view name) {
  const auto value = tag_text(text, name);
  if (!value) return std::nullopt;
  return util::parse_f32(*value);
}

std::optional<ir::Block> object_block(std::string_view object) {
  auto name = tag_text(object, "name");
  const auto xmin = number_in(object, "xmin");
  const auto ymin = number_in(object, "ymin");
  const auto xmax = number_in(object, "xmax");
  const auto ymax = number_in(object, "ymax");
  if (!name || !xmin || !ymin || !xmax || !ymax) return std::nullopt;
  const ir::BBox box{std::min(*xmin, *xmax), std::min(*ymin, *ymax), std::abs(*xmax - *xmin),
                     std::abs(*ymax - *ymin)};
  ir::TextBlock block;
  block.kind = *name;
  block.text = std::move(*name);
  block.bbox = box;
  block.confidence = ir::Confidence{kDefaultConfidence, false};
  block.source_anchors.push_back(ir::SourceAnchor{1, {}, box, std::string(kMethod)});
  return block;
}

}  // namespace

std::optional<ir::Page> object_annotation_page(std::string_view text) {
  const auto width = number_in(text, "width");
  const auto height = number_in(text, "height");
  if (!width || !height) return std::nullopt;
  ir::Page page;
  for (std::string_view object : tag_ranges(text, "object")) {
    if (auto block = object_block(object)) page.blocks.push_back(std::move(*block));
  }
  if (page.blocks.empty()) return std::nullopt;
  page.width = width;
  page.height = height;
  page.bbox = ir::BBox{0, 0, *width, *height};
  return page;
}

}  // namespace scrivex_core::textual

#include "core/pdf/page.hpp"

#include <array>

#include "core/engine/text_builders.hpp"
#include "core/pdf/document_warnings.hpp"
#include "core/pdf/interpreter.hpp"
#include "core/pdf/lookups.hpp"
#include "core/pdf/page_layout.hpp"
#include "core/pdf/rotation.hpp"
#include "core/pdf/stream_decode.hpp"
#include "core/pdf/syntax.hpp"

namespace scrivex_core::pdf {
namespace {

// The US Letter MediaBox, entry by entry, for entries a page does not give.
constexpr std::array<float, 4> kDefaultMediaBox = {0, 0, 612, 792};
constexpr float kFigureConfidence = 0.6f;

std::array<float, 4> media_box(std::string_view page_text) {
  std::array<float, 4> box = kDefaultMediaBox;
  if (const auto values = parse_number_array_after(page_text, "/MediaBox")) {
    for (std::size_t i = 0; i < box.size() && i < values->size(); ++i) box[i] = (*values)[i];
  }
  return box;
}

// The decoder of every font the page names: shared when built up front,
// built here when not, empty when its object is missing.
PageFontMap page_fonts(const NamedRefs& names, const ObjectIndex& index, const FontDecoderMap& decoders) {
  PageFontMap fonts;
  for (const auto& [name, number] : names) {
    if (const auto shared = decoders.find(number); shared != decoders.end()) {
      fonts.emplace(name, shared->second);
    } else if (const PdfObject* object = index.find(number)) {
      fonts.emplace(name, std::make_shared<const FontDecoder>(font_decoder(*object, index)));
    } else {
      fonts.emplace(name, std::make_shared<const FontDecoder>());
    }
  }
  return fonts;
}

void interpret_contents(std::string_view page_text, const PageResources& resources,
                        ContentExtraction& content) {
  const std::uint64_t page_number = resources.page_number;
  for (std::uint32_t number : parse_refs_after_key(page_text, "/Contents")) {
    const PdfObject* object = resources.index.find(number);
    if (object == nullptr) {
      content.warnings.push_back(
          warning("pdf.missing_content", "warning", "page content stream is missing", true, page_number));
      continue;
    }
    Result<std::optional<std::string>> data = decode_stream_object(object->body());
    if (!data) {
      content.warnings.push_back(
          warning("pdf.stream_decode", "warning", data.error().display(), true, page_number));
      continue;
    }
    if (!data.value()) {
      content.warnings.push_back(
          warning("pdf.missing_content", "warning", "page content stream is missing", true, page_number));
      continue;
    }
    const std::string label = std::to_string(number) + " 0 R";
    interpret_content_stream(*data.value(), label, resources, content);
  }
}

ir::FigureBlock figure_of(const ir::ImageObject& image, std::uint64_t page_number) {
  ir::FigureBlock figure;
  figure.alt_text = "Image " + image.id;
  figure.bbox = image.bbox;
  figure.image_ref = image.id;
  std::vector<std::string> ids;
  if (image.object_id) ids.push_back(*image.object_id);
  figure.source_anchors.push_back(anchor(page_number, image.bbox, std::move(ids)));
  figure.confidence = ir::Confidence{kFigureConfidence, false};
  return figure;
}

std::string page_text_of(const std::vector<ir::Block>& blocks) {
  std::string text;
  bool first = true;
  for (const ir::Block& block : blocks) {
    const std::string part = engine::block_text(block);
    if (part.empty()) continue;
    if (!first) text.push_back('\n');
    text += part;
    first = false;
  }
  return text;
}

}  // namespace

PageExtraction extract_page(const PageSeed& seed, const ObjectIndex& index, const FontDecoderMap& fonts) {
  const std::string page_text = seed.dictionary_text();
  const std::uint64_t page_number = seed.page_number;
  const std::array<float, 4> box = media_box(page_text);
  float width = box[2] - box[0];
  float height = box[3] - box[1];
  std::optional<std::int32_t> rotation;
  if (const auto rotate = parse_number_after(page_text, "/Rotate")) rotation = saturating_i32(*rotate);

  const std::string_view resource_text = resolve_resource_body(page_text, index).value_or(page_text);
  const NamedRefs xobjects = resolve_named_resource_refs(resource_text, "/XObject", index);
  const PageFontMap page_font_map =
      page_fonts(resolve_named_resource_refs(resource_text, "/Font", index), index, fonts);
  const PageResources resources{page_number, page_font_map, xobjects, index};

  ContentExtraction content;
  interpret_contents(page_text, resources, content);

  ir::Page page;
  page.number = page_number;
  page.rotation = rotation;
  ir::BBox page_box{box[0], box[1], width, height};
  if (rotation && *rotation != 0) {
    normalize_rotation(content, *rotation, width, height);
    const std::int32_t degrees = ((*rotation % 360) + 360) % 360;
    if (degrees == 90 || degrees == 270) std::swap(width, height);
    page_box = ir::BBox{0, 0, width, height};
  }
  page.width = width;
  page.height = height;
  page.bbox = page_box;
  page.blocks = layout_page_blocks(std::move(content.runs), content.segments, page_number);
  if (page.blocks.empty()) {
    for (const ir::ImageObject& image : content.images)
      page.blocks.emplace_back(figure_of(image, page_number));
  }
  page.images = std::move(content.images);
  page.assets = std::move(content.assets);
  page.warnings = std::move(content.warnings);
  PageExtraction extraction;
  extraction.text = page_text_of(page.blocks);
  extraction.page = std::move(page);
  return extraction;
}

}  // namespace scrivex_core::pdf

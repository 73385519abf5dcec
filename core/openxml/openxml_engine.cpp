#include "core/openxml/openxml_engine.hpp"

#include "core/engine/text_builders.hpp"
#include "core/openxml/office_readers.hpp"
#include "core/openxml/zip_reader.hpp"

namespace scrivex_core::openxml {
namespace {

constexpr std::string_view kEngineName = "openxml-native";

std::span<const std::uint8_t> data_of(const source::Source& source) {
  if (source.bytes) return *source.bytes;
  return {reinterpret_cast<const std::uint8_t*>(source.text.data()), source.text.size()};
}

Result<std::vector<std::string>> paragraphs_for(std::string_view label, const ZipFiles& parts) {
  if (label == "word") return docx_paragraphs(parts);
  if (label == "presentation") return pptx_paragraphs(parts);
  if (label == "excel") return xlsx_paragraphs(parts);
  if (label == "opendocument") return opendocument_paragraphs(parts);
  return std::vector<std::string>{};
}

}  // namespace

Result<ir::Document> OpenXmlEngine::extract(const source::Source& source) const {
  auto parts = read_zip_files(data_of(source));
  if (!parts) return std::move(parts).error();
  auto paragraphs = paragraphs_for(source.format, parts.value());
  if (!paragraphs) return std::move(paragraphs).error();
  return engine::text_document_from_paragraphs(source, kEngineName, std::move(paragraphs).value(),
                                               std::nullopt);
}

}  // namespace scrivex_core::openxml

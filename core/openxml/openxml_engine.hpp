// The engine for word-processing, spreadsheet and presentation packages
// (DOCX, XLSX, PPTX) and OpenDocument files.
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::openxml {

// One page of "paragraph" blocks under the engine name "openxml-native":
// DOCX paragraphs, PPTX slide paragraphs in slide order, one paragraph per
// XLSX row, and OpenDocument table rows (or, without tables, paragraphs).
// The format label picks the reader; any other label gives no paragraphs.
// Fails with the ZIP reader's error or when the main part is missing.
class OpenXmlEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::openxml

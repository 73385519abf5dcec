// The engine for input labelled "html".
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::textual {

// hOCR becomes positioned "ocr_line" (or "ocr_word") blocks on a page sized
// by its "ocr_page" box or by the blocks; any other HTML becomes paragraphs
// of its visible text, with no title. Never fails.
class HtmlEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::textual

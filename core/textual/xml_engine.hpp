// The engine for input labelled "xml".
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::textual {

// Tries, in order, PAGE XML, ALTO and object-annotation files (each giving
// positioned blocks on the first page), then falls back to paragraphs of
// the text with all markup removed. Never fails.
class XmlEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::textual

// The engine for input labelled "email" that arrives as text.
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::textual {

// One message: the subject header becomes the title and the first
// paragraph, the body becomes paragraphs as it stands (no MIME decoding).
// Never fails.
class EmailEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::textual

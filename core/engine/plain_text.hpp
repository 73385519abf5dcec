// The engine for every input labelled "text".
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::engine {

// Picks the reader: DocBank token lines by content, LaTeX and Markdown by the
// path's ending, plain paragraphs otherwise. Never fails.
class PlainTextEngine final : public ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::engine

#include "core/engine/plain_text.hpp"

#include "core/engine/text_builders.hpp"

namespace scrivex_core::engine {

// The DocBank, LaTeX and Markdown readers plug in ahead of the plain
// paragraphs as they arrive; until then every text is read as paragraphs.
Result<ir::Document> PlainTextEngine::extract(const source::Source& source) const {
  return text_document_from_paragraphs(source, "plain-text", split_paragraphs(source.text), std::nullopt);
}

}  // namespace scrivex_core::engine

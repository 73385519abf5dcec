#include "core/engine/plain_text.hpp"

#include <algorithm>
#include <array>

#include "core/engine/docbank.hpp"
#include "core/engine/latex_reader.hpp"
#include "core/engine/markdown_reader.hpp"
#include "core/engine/text_builders.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::engine {
namespace {

// Compressed LaTeX is read as LaTeX; compressed Markdown ("notes.md.gz") is
// not in the list and stays plain text.
constexpr std::array<std::string_view, 6> kLatexEndings{".tex",    ".latex",    ".ltx",
                                                        ".tex.gz", ".latex.gz", ".ltx.gz"};
constexpr std::array<std::string_view, 2> kMarkdownEndings{".md", ".markdown"};

template <std::size_t N>
bool ends_with_any(std::string_view path, const std::array<std::string_view, N>& endings) {
  return std::any_of(endings.begin(), endings.end(),
                     [&](std::string_view ending) { return path.ends_with(ending); });
}

}  // namespace

// DocBank is recognised by content, for files and in-memory text alike;
// LaTeX and Markdown only by the path's ending, never by content. A reader
// that finds no block leaves the text to the next one.
Result<ir::Document> PlainTextEngine::extract(const source::Source& source) const {
  if (auto tokens = read_docbank_tokens(source.text)) return docbank_document(source, std::move(*tokens));
  if (source.path) {
    const std::string path = util::ascii_lowercase(*source.path);
    if (ends_with_any(path, kLatexEndings)) {
      LatexReading reading = read_latex(source.text);
      if (auto document = document_from_blocks(source, "latex-native", std::move(reading.title),
                                               std::move(reading.blocks))) {
        return std::move(*document);
      }
    }
    if (ends_with_any(path, kMarkdownEndings)) {
      if (auto document = document_from_blocks(source, "markdown-native", std::nullopt,
                                               read_markdown_blocks(source.text))) {
        return std::move(*document);
      }
    }
  }
  return text_document_from_paragraphs(source, "plain-text", split_paragraphs(source.text), std::nullopt);
}

}  // namespace scrivex_core::engine

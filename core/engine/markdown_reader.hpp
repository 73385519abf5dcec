// A small line-based subset of Markdown: ATX headings, pipe tables, bulleted
// and numbered lists and paragraphs. Everything else (code fences, quotes,
// emphasis, links, HTML) stays literal paragraph text.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"

namespace scrivex_core::engine {

// Trims, strips backticks at both ends only and collapses white space runs
// to one space; "*", "_", "[" and the like stay: " `a  *b*` " gives "a *b*".
std::string clean_markdown_inline(std::string_view text);

// The cleaned item text when the trimmed line is a list item ("- x", "* x",
// "12. x"); nothing otherwise ("+ x", "1) x", "1.x", a lone "-").
std::optional<std::string> markdown_list_text(std::string_view line);

// A text block with the fixed anchor ("markdown_native") and confidence.
ir::TextBlock markdown_text_block(std::string text, std::string kind);

// Appends the buffered lines, joined by one space, as a "paragraph" block.
void flush_markdown_paragraph(std::vector<ir::Block>& blocks, std::vector<std::string_view>& paragraph);

// The plain text of a block, as the document counts take it.
std::string block_markdown_text(const ir::Block& block);

// The blocks of a Markdown text, in order; empty when nothing was found.
std::vector<ir::Block> read_markdown_blocks(std::string_view text);

}  // namespace scrivex_core::engine

// Builders of the one-page document shape shared by the engines that know
// no page geometry.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::engine {

// Paragraphs are maximal runs of non-blank lines, each line trimmed and the
// lines joined by one space: "a\n b \n\n\n c" gives "a b" and "c".
std::vector<std::string> split_paragraphs(std::string_view text);

// Appends the joined current lines as one paragraph and empties current.
void flush_paragraph(std::vector<std::string>& paragraphs, std::vector<std::string_view>& current);

// One page of "paragraph" blocks; blank paragraphs are dropped. Counts are
// taken over the block texts joined by "\n\n".
ir::Document text_document_from_paragraphs(const source::Source& source, std::string_view engine_name,
                                           std::vector<std::string> paragraphs,
                                           std::optional<std::string> title);

// Wraps ready blocks into the same one-page document; absent for no blocks.
std::optional<ir::Document> document_from_blocks(const source::Source& source, std::string_view engine_name,
                                                 std::optional<std::string> title,
                                                 std::vector<ir::Block> blocks);

// The plain text of any block: a text block's text, a figure's caption, a
// table's header line and row lines joined by "\n".
std::string block_text(const ir::Block& block);

}  // namespace scrivex_core::engine

// DocBank token files: one token per line with its box, colour, font and
// layout label, separated by tabs. Recognised by content alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::engine {

struct DocBankToken {
  std::string text;   // trimmed, never empty
  std::string label;  // one of the accepted layout labels
  ir::BBox box;       // x0, y0, x1 - x0, y1 - y0
};

// Consecutive same-label tokens on one visual line.
struct DocBankLine {
  std::string label;
  std::vector<DocBankToken> tokens;  // never empty
  float y = 0;                       // the first token's y
  float height = 0;                  // the tallest token so far
};

// The token of one line, or nothing when the line is not a valid token line
// (fewer than ten tab-separated fields, an empty token, a bad number, an
// empty or inverted box, or an unknown label).
std::optional<DocBankToken> parse_docbank_token_line(std::string_view line);

// The tokens of the text in file order, or nothing when the text is not a
// DocBank token file: every non-blank line must be a token line, and there
// must be at least one.
std::optional<std::vector<DocBankToken>> read_docbank_tokens(std::string_view text);

// Groups tokens into lines; only the last line is ever extended.
std::vector<DocBankLine> group_docbank_lines(std::vector<DocBankToken> tokens);

// One page of labelled text blocks with geometry, engine "plain-text".
ir::Document docbank_document(const source::Source& source, std::vector<DocBankToken> tokens);

}  // namespace scrivex_core::engine

// A line-based LaTeX reader: the title, sectioning headings, the abstract,
// itemize and enumerate lists, tabular material and paragraphs, with the
// markup stripped. Environments are found by substring search on lines.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/latex_syntax.hpp"
#include "core/ir/document.hpp"

namespace scrivex_core::engine {

struct CollectedEnvironment {
  std::string text;        // the lines taken, each ended by "\n"
  std::size_t next_index;  // the first line not taken
};

// Takes lines from index start until one contains the end marker of any of
// the names (that line included), or to the last line. The first end marker
// wins, even that of an inner environment.
CollectedEnvironment collect_latex_environment(const std::vector<std::string_view>& lines, std::size_t start,
                                               const std::vector<std::string_view>& names);

// The cleaned, non-empty cells of one tabular row, rules removed and "\&"
// kept as text; nothing when no cell is left.
std::optional<std::vector<std::string>> latex_table_row(std::string_view row);

// A text block with the fixed anchor ("latex_native") and confidence.
ir::TextBlock latex_text_block(std::string text, std::string kind);

// Appends the buffered lines, joined by one space, as a "paragraph" block.
void flush_latex_paragraph(std::vector<ir::Block>& blocks, std::vector<std::string>& paragraph);

struct LatexReading {
  std::optional<std::string> title;  // the cleaned \title argument, when there is one
  std::vector<ir::Block> blocks;
};

// Reads a LaTeX text; the blocks are empty when nothing was found.
LatexReading read_latex(std::string_view text);

}  // namespace scrivex_core::engine

// Text helpers of the Markdown renderer: clean-up, pipe-table rows and the
// HTML table written for tables with spanning cells.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"

namespace scrivex_core::render {

// Deletes control characters (tab, line feed and carriage return excepted),
// collapses each line's white-space runs to one space and trims the line.
// Lines are cut at "\n" (a "\r" before it goes too); empty lines are kept,
// a final "\n" opens no line: "  a \t b\n\n c\n" gives "a b\n\nc".
std::string sanitize_markdown_text(std::string_view text);

// One pipe-table row, "| a | b\|c |": cells sanitised, pipes escaped.
std::string markdown_row(const std::vector<std::string>& cells);

// Escapes &, <, > and the double quote; the apostrophe is kept.
std::string html_escape(std::string_view text);

// An HTML table with one <tr> per row index from 0 to the largest row,
// cells sorted by column; nothing when cells is empty.
std::optional<std::string> html_table_from_cells(const std::vector<ir::TableCell>& cells,
                                                 const std::optional<std::string>& caption);

}  // namespace scrivex_core::render

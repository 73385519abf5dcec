// Text helpers of the LaTeX renderer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace scrivex_core::render {

// Escapes LaTeX specials and folds typographic characters to ASCII ("—" to
// "---", "≤" to "<="); other non-ASCII characters become "?", so the result
// is pure ASCII. "50% of $x" gives "50\% of \$x".
std::string escape_latex(std::string_view text);

// The escaped cells joined with " & ", ending in " \\" and a line feed.
std::string latex_row(const std::vector<std::string>& cells);

// True for figures such as "$1,234.50", "(12)" or "5 %": at least one ASCII
// digit and nothing but digits, spaces, $ % ( ) + , - . and en or em dashes.
bool cell_is_numeric(std::string_view text);

}  // namespace scrivex_core::render

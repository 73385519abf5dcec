// The raw text of a line for its text block: runs joined with inferred
// spaces, or, on a mathematical line, with raised and lowered runs written as
// "^" and "_" scripts of the piece before them.
#pragma once

#include <span>
#include <string>

#include "core/pdf/text_run.hpp"

namespace scrivex_core::pdf::detail {

// Whether the line carries mathematical signs, or a single letter or digit
// followed by a shifted script-like run. `runs` are in x order.
bool is_mathematical_line(std::span<const TextRun> runs);

// The line text before cleaning; `runs` are in x order. Example: runs "x"
// and "2" raised by 3 units at size 10 give "x^2".
std::string raw_line_text(std::span<const TextRun> runs);

}  // namespace scrivex_core::pdf::detail

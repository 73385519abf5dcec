// The small pieces of LaTeX syntax the line-based LaTeX reader needs:
// command names, braced and optional arguments, environment bodies, and the
// markup stripping of inline text. No macro expansion, no TeX parsing.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scrivex_core::engine {

struct LatexCommandName {
  std::string_view name;
  std::size_t end = 0;  // just after the name
};

// The command name at pos (just after a backslash): the longest run of ASCII
// letters, else the single character there; empty at the end of the text.
LatexCommandName latex_command_name(std::string_view text, std::size_t pos);

struct LatexArgument {
  std::string_view content;  // between the outer braces
  std::size_t end = 0;       // just after the closing brace
};

// The braced argument opening at pos; nothing when text[pos] is not "{" or
// the braces never close. Escaped braces ("\{") do not count.
std::optional<LatexArgument> read_latex_braced_argument(std::string_view text, std::size_t pos);

// The position after an optional "[...]" argument at pos (no nesting); pos
// itself when there is none, pos + 1 when the "]" is missing.
std::size_t skip_latex_optional_argument(std::string_view text, std::size_t pos);

// The braced argument of the first "\name" (not a longer command name) that
// has one, after an optional "*" and "[...]"; nothing when the text has none
// or its braces never close.
std::optional<std::string_view> latex_command_argument(std::string_view text, std::string_view name);

// The text after "\begin{name}" and its leading arguments, up to the first
// "\end{name}" or the end of the text; nothing without the begin marker.
std::optional<std::string_view> latex_environment_body(std::string_view text, std::string_view name);

// "\begin{name}" and "\end{name}".
std::string latex_begin_marker(std::string_view name);
std::string latex_end_marker(std::string_view name);

// Plain text of inline LaTeX: escapes resolved, references and labels
// dropped, other commands replaced by their braced argument, braces and "$"
// dropped, white space collapsed: "50\% of \cite{x} \textbf{cases}" gives
// "50% of cases".
std::string clean_latex_inline(std::string_view text);

namespace detail {

// skip_latex_optional_argument for many calls over one text: the last "]"
// found (or its absence) is remembered, so a run of "[" with one or no "]"
// after them costs one scan instead of one scan each. Valid because a "["
// is never a backslash, so every scan starting at one sees the same escapes.
class OptionalArgumentSkipper {
 public:
  explicit OptionalArgumentSkipper(std::string_view text) : text_(text) {}
  // The result skip_latex_optional_argument(text.substr(0, end), pos) gives.
  std::size_t skip(std::size_t pos, std::size_t end);
  std::size_t skip(std::size_t pos) { return skip(pos, text_.size()); }

 private:
  std::string_view text_;
  std::optional<std::size_t> scanned_from_;
  std::size_t closing_ = 0;  // the first unescaped "]" after scanned_from_, or text_.size()
};

}  // namespace detail

// The white space of argument skipping: tab, line feed, form feed, carriage
// return and space.
bool is_latex_space(char c);
std::size_t skip_latex_space(std::string_view text, std::size_t pos);

}  // namespace scrivex_core::engine

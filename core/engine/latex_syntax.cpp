#include "core/engine/latex_syntax.hpp"

#include <algorithm>

#include "core/util/utf8.hpp"

namespace scrivex_core::engine {
namespace {

bool is_ascii_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Skips white space, optional arguments and braced arguments, in any order,
// until some other character comes.
std::size_t skip_environment_arguments(std::string_view text, std::size_t pos) {
  detail::OptionalArgumentSkipper brackets(text);
  while (true) {
    pos = skip_latex_space(text, pos);
    const std::size_t after_optional = brackets.skip(pos);
    if (after_optional != pos) {
      pos = after_optional;
      continue;
    }
    const std::optional<LatexArgument> braced = read_latex_braced_argument(text, pos);
    if (!braced) return pos;
    pos = braced->end;
  }
}

// The first unescaped "]" after pos, or text.size().
std::size_t find_closing_bracket(std::string_view text, std::size_t pos) {
  bool escaped = false;
  for (std::size_t i = pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (escaped) {
      escaped = false;
    } else if (c == '\\') {
      escaped = true;
    } else if (c == ']') {
      return i;
    }
  }
  return text.size();
}

}  // namespace

bool is_latex_space(char c) {
  return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

std::size_t skip_latex_space(std::string_view text, std::size_t pos) {
  while (pos < text.size() && is_latex_space(text[pos])) ++pos;
  return pos;
}

LatexCommandName latex_command_name(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return {{}, text.size()};
  std::size_t end = pos;
  while (end < text.size() && is_ascii_letter(text[end])) ++end;
  // A single non-letter is taken whole, so that a multi-byte character is
  // never cut in two.
  if (end == pos) end = pos + util::decode_utf8_at(text, pos).length;
  return {text.substr(pos, end - pos), end};
}

std::optional<LatexArgument> read_latex_braced_argument(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != '{') return std::nullopt;
  std::size_t depth = 0;
  bool escaped = false;
  for (std::size_t i = pos + 1; i < text.size(); ++i) {
    const char c = text[i];
    if (escaped) {
      escaped = false;
    } else if (c == '\\') {
      escaped = true;
    } else if (c == '{') {
      ++depth;
    } else if (c == '}') {
      if (depth == 0) return LatexArgument{text.substr(pos + 1, i - pos - 1), i + 1};
      --depth;
    }
  }
  return std::nullopt;
}

std::size_t skip_latex_optional_argument(std::string_view text, std::size_t pos) {
  if (pos >= text.size() || text[pos] != '[') return pos;
  const std::size_t closing = find_closing_bracket(text, pos);
  return closing < text.size() ? closing + 1 : pos + 1;
}

namespace detail {

std::size_t OptionalArgumentSkipper::skip(std::size_t pos, std::size_t end) {
  end = std::min(end, text_.size());
  if (pos >= end || text_[pos] != '[') return pos;
  if (!scanned_from_ || pos < *scanned_from_ || pos >= closing_) {
    scanned_from_ = pos;
    closing_ = find_closing_bracket(text_, pos);
  }
  return closing_ < end ? closing_ + 1 : pos + 1;
}

}  // namespace detail

std::optional<std::string_view> latex_command_argument(std::string_view text, std::string_view name) {
  const std::string needle = "\\" + std::string(name);
  detail::OptionalArgumentSkipper brackets(text);
  std::size_t from = 0;
  while (true) {
    const std::size_t found = text.find(needle, from);
    if (found == std::string_view::npos) return std::nullopt;
    from = found + needle.size();
    // "\title" must not match "\titlepage".
    if (from < text.size() && is_ascii_letter(text[from])) continue;
    std::size_t pos = from;
    if (pos < text.size() && text[pos] == '*') ++pos;
    pos = skip_latex_space(text, pos);
    const std::size_t after_optional = brackets.skip(pos);
    if (after_optional != pos) pos = skip_latex_space(text, after_optional);
    if (pos < text.size() && text[pos] == '{') {
      const std::optional<LatexArgument> argument = read_latex_braced_argument(text, pos);
      if (!argument) return std::nullopt;
      return argument->content;
    }
  }
}

std::optional<std::string_view> latex_environment_body(std::string_view text, std::string_view name) {
  const std::string begin = latex_begin_marker(name);
  const std::size_t found = text.find(begin);
  if (found == std::string_view::npos) return std::nullopt;
  const std::size_t start = skip_environment_arguments(text, found + begin.size());
  const std::size_t end = text.find(latex_end_marker(name), start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string latex_begin_marker(std::string_view name) {
  return "\\begin{" + std::string(name) + "}";
}
std::string latex_end_marker(std::string_view name) {
  return "\\end{" + std::string(name) + "}";
}

}  // namespace scrivex_core::engine

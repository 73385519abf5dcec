// clean_latex_inline: markup stripping of inline LaTeX.

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "core/engine/latex_syntax.hpp"
#include "core/util/limits.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::engine {
namespace {

// Characters a backslash escapes into themselves.
constexpr std::string_view kEscapable = "#$%&[]_{}";
// Commands whose braced argument is a key, not text.
constexpr std::array<std::string_view, 6> kReferenceCommands{"ref",   "cite",  "label",
                                                             "citep", "citet", "pageref"};
constexpr std::array<std::string_view, 4> kSpaceCommands{"quad", "qquad", "enspace", "thinspace"};
constexpr std::size_t kMaxSpanArguments = 3;  // \multirow and \multicolumn take up to three
constexpr std::size_t kNoClose = std::string_view::npos;

template <std::size_t N>
bool is_one_of(std::string_view name, const std::array<std::string_view, N>& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

std::string collapse_white_space(std::string_view raw) {
  std::string out;
  for (std::string_view word : util::split_whitespace(raw)) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  }
  return out;
}

// For each unescaped "{" of the text, in order, the position of the "}" that
// closes it, or kNoClose. A braced argument read from an unescaped "{" ends
// exactly there, so the cleaner finds every argument end without rescanning:
// "\a{\a{\a{..." with no closing braces stays linear (and "\a[\a[..." too,
// through the optional argument skipper).
std::vector<std::pair<std::size_t, std::size_t>> match_braces(std::string_view text) {
  std::vector<std::pair<std::size_t, std::size_t>> pairs;
  std::vector<std::size_t> open;  // indices into pairs
  bool escaped = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (escaped) {
      escaped = false;
    } else if (c == '\\') {
      escaped = true;
    } else if (c == '{') {
      open.push_back(pairs.size());
      pairs.emplace_back(i, kNoClose);
    } else if (c == '}' && !open.empty()) {
      pairs[open.back()].second = i;
      open.pop_back();
    }
  }
  return pairs;
}

struct Range {
  std::size_t begin;
  std::size_t end;
};

class InlineCleaner {
 public:
  explicit InlineCleaner(std::string_view text) : text_(text), braces_(match_braces(text)), brackets_(text) {}

  std::string clean(Range range, std::size_t depth) {
    if (depth >= limits::kMaxLatexInlineDepth) return strip_flat(range);
    std::string raw;
    std::size_t i = range.begin;
    while (i < range.end) {
      const char c = text_[i];
      if (c == '\\') {
        i = after_backslash(i + 1, range.end, depth, raw);
      } else {
        if (c == '~') {
          raw.push_back(' ');
        } else if (c != '{' && c != '}' && c != '$') {
          raw.push_back(c);
        }
        ++i;
      }
    }
    return collapse_white_space(raw);
  }

 private:
  // The inside of the braced argument opening at pos, when it closes before end.
  std::optional<Range> braced(std::size_t pos, std::size_t end) const {
    if (pos >= end || text_[pos] != '{') return std::nullopt;
    const auto found = std::lower_bound(braces_.begin(), braces_.end(), std::make_pair(pos, std::size_t{0}));
    if (found == braces_.end() || found->first != pos || found->second == kNoClose || found->second >= end) {
      return std::nullopt;
    }
    return Range{pos + 1, found->second};
  }

  // Handles what follows a backslash at pos - 1; returns where to go on.
  std::size_t after_backslash(std::size_t pos, std::size_t end, std::size_t depth, std::string& out) {
    if (pos >= end) return end;  // a lone backslash at the end
    const char c = text_[pos];
    if (kEscapable.find(c) != std::string_view::npos) {
      out.push_back(c);
      return pos + 1;
    }
    if (c == '\\') {  // a line break
      out.push_back(' ');
      return pos + 1;
    }
    const std::string_view bounded = text_.substr(0, end);
    const LatexCommandName command = latex_command_name(bounded, pos);
    std::size_t next = skip_latex_space(bounded, command.end);
    const std::size_t after_optional = brackets_.skip(next, end);
    if (after_optional != next) next = skip_latex_space(bounded, after_optional);
    return command_output(command.name, next, end, depth, out);
  }

  std::size_t command_output(std::string_view name, std::size_t pos, std::size_t end, std::size_t depth,
                             std::string& out) {
    if (is_one_of(name, kReferenceCommands)) {
      const std::optional<Range> key = braced(pos, end);
      return key ? key->end + 1 : pos;
    }
    if (name == "href") {
      std::size_t next = pos;
      if (const std::optional<Range> target = braced(pos, end)) {
        next = skip_latex_space(text_.substr(0, end), target->end + 1);
      }
      const std::optional<Range> label = braced(next, end);
      if (!label) return next;
      out.append(clean(*label, depth + 1));
      return label->end + 1;
    }
    if (name == "multirow" || name == "multicolumn") return span_output(pos, end, depth, out);
    // "\LaTeX{}" is how authors keep the space after the logo, so the logos
    // and spaces give their text whether or not braces follow.
    if (name == "TeX" || name == "LaTeX") out.append(name);
    if (is_one_of(name, kSpaceCommands)) out.push_back(' ');
    if (const std::optional<Range> argument = braced(pos, end)) {
      out.append(clean(*argument, depth + 1));
      return argument->end + 1;
    }
    return pos;
  }

  // \multicolumn{2}{c}{Total}: the last of up to three arguments is the text.
  std::size_t span_output(std::size_t pos, std::size_t end, std::size_t depth, std::string& out) {
    std::optional<Range> last;
    std::size_t next = pos;
    for (std::size_t taken = 0; taken < kMaxSpanArguments; ++taken) {
      const std::size_t start = taken == 0 ? next : skip_latex_space(text_.substr(0, end), next);
      const std::optional<Range> argument = braced(start, end);
      if (!argument) break;
      last = argument;
      next = argument->end + 1;
    }
    if (last) out.append(clean(*last, depth + 1));
    return next;
  }

  // Past the nesting bound: escapes resolved, line breaks made spaces,
  // command names, braces and "$" dropped, arguments kept as plain text.
  std::string strip_flat(Range range) const {
    const std::string_view bounded = text_.substr(0, range.end);
    std::string raw;
    std::size_t i = range.begin;
    while (i < range.end) {
      const char c = text_[i];
      const char next = i + 1 < range.end ? text_[i + 1] : '\0';
      if (c == '\\' && next != '\0' && kEscapable.find(next) != std::string_view::npos) {
        raw.push_back(next);
        i += 2;
      } else if (c == '\\' && next == '\\') {
        raw.push_back(' ');
        i += 2;
      } else if (c == '\\') {
        i = latex_command_name(bounded, i + 1).end;
      } else {
        if (c == '~') {
          raw.push_back(' ');
        } else if (c != '{' && c != '}' && c != '$') {
          raw.push_back(c);
        }
        ++i;
      }
    }
    return collapse_white_space(raw);
  }

  std::string_view text_;
  std::vector<std::pair<std::size_t, std::size_t>> braces_;  // sorted by opening position
  detail::OptionalArgumentSkipper brackets_;
};

}  // namespace

std::string clean_latex_inline(std::string_view text) {
  return InlineCleaner(text).clean({0, text.size()}, 0);
}

}  // namespace scrivex_core::engine

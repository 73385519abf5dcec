// Mathematics in PDF text: detection, rewriting as LaTeX, subscripts, and the
// character-level tests the line and block stages share.
#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "core/pdf/text_repair.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

struct Replacement {
  std::string_view from;
  std::string_view to;
};

// Any one of these signs makes a text mathematical.
constexpr std::array<std::string_view, 20> kMathSigns = {
    "\u2192", "\u2205", "\u2206", "\u2208", "\u2211", "\u2212", "\u222A", "\u223C", "\u2260", "\u2264",
    "\u2265", "\u2286", "\u00B1", "\u00B7", "\u0394", "\u03B8", "\u03BB", "\u03C1", "\u03C4", "\u2113",
};

// An ellipsis is mathematical beside one of these signs.
constexpr std::array<std::string_view, 13> kEllipsisCompanions = {
    "+", "=", "\\", "^", "_", "\u03B8", "\u03BB", "\u03C1", "\u03C4", "\u2260", "\u2264", "\u2265", "\u2208",
};

// Ellipses in index lists, as seen once white space is removed.
constexpr std::array<std::string_view, 3> kListEllipses = {",...,", "),...", "...,("};

// "Fq" is a finite field; " 6 =" is how a struck-through equals sign extracts.
constexpr std::array<std::string_view, 2> kMathMarkers = {"Fq", " 6 ="};

// Mojibake the token pass may not have seen (a run split inside it).
constexpr std::array<Replacement, 2> kMathMojibake = {{
    {"\u00C2\u00B7", "\u00B7"},
    {"\u00E2\u0084\u0093", "\u2113"},
}};

// Multi-character notation, rewritten in this order.
constexpr std::array<Replacement, 7> kMathPhrases = {{
    {"\u0338 =", "\u2260"},
    {"\u0338=", "\u2260"},
    {"=\u0338", "\u2260"},
    {"\u00B7 \u00B7 \u00B7", "\\cdots"},
    {"...", "\\ldots"},
    {"6 =", "\\neq"},
    {"Fq", "\\mathbb{F}_q"},
}};

std::optional<std::string_view> latex_for(char32_t c) {
  switch (c) {
    case 0x0003: return "\\Lambda";  // TeX fonts put Lambda at code point 3
    case 0x00B1: return "\\pm";
    case 0x00B7: return "\\cdot";
    case 0x00D7: return "\\times";
    case 0x0393: return "\\Gamma";
    case 0x0394: return "\\Delta";
    case 0x0398: return "\\Theta";
    case 0x039B: return "\\Lambda";
    case 0x03A0: return "\\Pi";
    case 0x03A3: return "\\Sigma";
    case 0x03A6: return "\\Phi";
    case 0x03A9: return "\\Omega";
    case 0x03B8: return "\\theta";
    case 0x03BB: return "\\lambda";
    case 0x03C1: return "\\rho";
    case 0x03C4: return "\\tau";
    case 0x2113: return "\\ell";
    case 0x2192: return "\\to";
    case 0x2205: return "\\varnothing";
    case 0x2206: return "\\Delta";
    case 0x2208: return "\\in";
    case 0x2211: return "\\sum";
    case 0x2212: return "-";
    case 0x222A: return "\\cup";
    case 0x223C: return "\\sim";
    case 0x2260: return "\\neq";
    case 0x2264: return "\\leq";
    case 0x2265: return "\\geq";
    case 0x2286: return "\\subseteq";
    default: return std::nullopt;
  }
}

// Tokens that take a following subscript token ("x i" gives "x_i").
constexpr std::array<std::string_view, 15> kSubscriptBases = {
    "C", "N", "T", "V", "g", "h", "i", "k", "m", "n", "t", "x", "\\rho", "\\theta", "\\lambda",
};

// Prefixes split off a token that carries its subscript ("N10" gives "N_10").
constexpr std::array<std::string_view, 15> kSubscriptPrefixes = {
    "m", "n", "N", "T", "V", "C", "x", "t", "i", "k", "h", "g", "\\lambda", "\\theta", "\\rho",
};

// Subscripts that are whole names rather than one letter or a number.
constexpr std::array<std::string_view, 6> kNamedSubscripts = {"\\ell", "\\lambda", "\\theta", "\\rho", "init", "cl"};
constexpr std::string_view kLetterSubscripts = "ijklnrs";

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

template <std::size_t N>
bool contains_any(std::string_view text, const std::array<std::string_view, N>& needles) {
  for (const std::string_view needle : needles) {
    if (contains(text, needle)) return true;
  }
  return false;
}

bool is_control(char32_t c) {
  if (c == '\t' || c == '\n' || c == '\r') return false;
  return c <= 0x1F || (c >= 0x7F && c <= 0x9F);
}

// Whether strip_pdf_control_glyphs would change the text: a control
// character, or white space that is not a single inner ASCII space.
bool needs_stripping(std::string_view text) {
  bool needs = false;
  bool after_space = true;  // a space at the start is already wrong
  util::for_each_char(text, [&](char32_t c) {
    if (needs) return;
    const bool space = util::is_white_space(c);
    needs = is_control(c) || (space && (c != ' ' || after_space));
    after_space = space;
  });
  return needs || (!text.empty() && after_space);
}

std::string strip_control_glyphs_owned(std::string text) {
  if (!needs_stripping(text)) return text;
  std::string spaced;
  spaced.reserve(text.size());
  const std::string_view view = text;
  std::size_t pos = 0;
  while (pos < view.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(view, pos);
    if (decoded.valid && is_control(decoded.value)) {
      spaced.push_back(' ');
    } else {
      spaced.append(view.substr(pos, decoded.length));
    }
    pos += decoded.length;
  }
  std::string out;
  out.reserve(spaced.size());
  for (const std::string_view token : util::split_whitespace(spaced)) {
    if (!out.empty()) out.push_back(' ');
    out.append(token);
  }
  return out;
}

std::string replace_latex_chars(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 2);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(text, pos);
    const std::optional<std::string_view> latex = decoded.valid ? latex_for(decoded.value) : std::nullopt;
    out.append(latex ? *latex : text.substr(pos, decoded.length));
    pos += decoded.length;
  }
  return out;
}

bool is_subscript_base(std::string_view token) {
  for (const std::string_view base : kSubscriptBases) {
    if (token == base) return true;
  }
  return false;
}

bool is_long_letter_word(std::string_view token) {
  std::size_t count = 0;
  bool letters = true;
  util::for_each_char(token, [&](char32_t c) {
    ++count;
    letters = letters && detail::is_letter(c);
  });
  return letters && count > 2;
}

void append_subscript(std::string& out, const MathSubscriptSplit& split) {
  if (split.subscript == "init") {
    out.append("_{\\text{init}}");
  } else {
    out.push_back('_');
    out.append(split.subscript);
  }
  out.append(split.rest);
}

// A token that carries its own subscript after a known prefix, or nothing.
std::optional<std::string> prefixed_subscript(std::string_view token) {
  for (const std::string_view prefix : kSubscriptPrefixes) {
    if (!token.starts_with(prefix) || token.size() <= prefix.size()) continue;
    if (token[prefix.size()] == '_') continue;
    const auto split = split_math_subscript_token(token.substr(prefix.size()));
    if (!split) continue;
    std::string out(prefix);
    append_subscript(out, *split);
    return out;
  }
  return std::nullopt;
}

// Joins subscripts to their bases and re-spaces the text singly.
std::string attach_subscripts(std::string_view text) {
  const std::vector<std::string_view> tokens = util::split_whitespace(text);
  std::string out;
  out.reserve(text.size() + tokens.size() * 2);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (!out.empty()) out.push_back(' ');
    const std::string_view token = tokens[i];
    if (is_subscript_base(token) && i + 1 < tokens.size()) {
      const std::string_view next = tokens[i + 1];
      const auto split = split_math_subscript_token(next);
      if (next.starts_with('_') || split) {
        out.append(token);
        if (next.starts_with('_')) {
          out.append(next);
        } else {
          append_subscript(out, *split);
        }
        ++i;
        continue;
      }
    }
    if (is_long_letter_word(token)) {
      out.append(token);
      continue;
    }
    const std::optional<std::string> prefixed = prefixed_subscript(token);
    out.append(prefixed ? std::string_view(*prefixed) : token);
  }
  return out;
}

bool is_script_char(char32_t c) {
  return util::is_alphabetic(c) || util::is_numeric(c) || c == '+' || c == ',' || c == '-' || c == '.' ||
         c == '=' || c == '\\' || c == 0x2212;
}

bool is_script_bracket(char c) { return c == '(' || c == ')' || c == '[' || c == ']'; }

}  // namespace

namespace detail {

std::string repair_pdf_math_notation_owned(std::string text) {
  for (const Replacement& r : kMathMojibake) replace_all(text, r.from, r.to);
  if (!looks_like_pdf_math_notation(text)) return strip_control_glyphs_owned(std::move(text));
  for (const Replacement& r : kMathPhrases) replace_all(text, r.from, r.to);
  return strip_control_glyphs_owned(attach_subscripts(replace_latex_chars(text)));
}

}  // namespace detail

std::string repair_pdf_math_notation(std::string_view text) {
  return detail::repair_pdf_math_notation_owned(std::string(text));
}

std::string strip_pdf_control_glyphs(std::string_view text) { return strip_control_glyphs_owned(std::string(text)); }

bool looks_like_pdf_math_notation(std::string_view text) {
  if (contains_any(text, kMathSigns)) return true;
  if (contains(text, "...")) {
    std::string compact;
    compact.reserve(text.size());
    for (const std::string_view token : util::split_whitespace(text)) compact.append(token);
    if (contains_any(compact, kListEllipses) || contains_any(text, kEllipsisCompanions)) return true;
  }
  return contains_any(text, kMathMarkers);
}

std::optional<MathSubscriptSplit> split_math_subscript_token(std::string_view text) {
  for (const std::string_view name : kNamedSubscripts) {
    if (text.starts_with(name)) return MathSubscriptSplit{name, text.substr(name.size())};
  }
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits > 0) return MathSubscriptSplit{text.substr(0, digits), text.substr(digits)};
  if (!text.empty() && contains(kLetterSubscripts, text.substr(0, 1))) {
    return MathSubscriptSplit{text.substr(0, 1), text.substr(1)};
  }
  return std::nullopt;
}

bool is_math_script_text(std::string_view text) {
  while (!text.empty() && is_script_bracket(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_script_bracket(text.back())) text.remove_suffix(1);
  if (text.empty()) return false;
  bool all = true;
  util::for_each_char(text, [&](char32_t c) { all = all && is_script_char(c); });
  return all;
}

bool starts_with_lowercase(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(text, pos);
    if (decoded.valid && detail::is_letter(decoded.value)) return util::is_lowercase(decoded.value);
    pos += decoded.length;
  }
  return false;
}

}  // namespace scrivex_core::pdf

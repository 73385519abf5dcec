#include "core/render/latex_text.hpp"

#include "core/util/utf8.hpp"

namespace scrivex_core::render {
namespace {

// The ASCII spelling of a character at or above U+00A0 ("?" when it has none).
std::string_view ascii_fold(char32_t c) {
  switch (c) {
    case 0x00A0:
      return " ";
    case 0x00B1:
      return "+/-";
    case 0x00D7:
      return "x";
    case 0x00F7:
      return "/";
    case 0x2013:
    case 0x2212:
      return "-";
    case 0x2014:
      return "---";
    case 0x2018:
    case 0x2019:
    case 0x201A:
      return "'";
    case 0x201C:
    case 0x201D:
    case 0x201E:
      return "\"";
    case 0x2022:
      return "*";
    case 0x2026:
      return "...";
    case 0x2260:
      return "!=";
    case 0x2264:
      return "<=";
    case 0x2265:
      return ">=";
    default:
      return "?";
  }
}

// Control characters other than line feed: white-space ones become a space,
// the rest are dropped.
std::string_view control_replacement(char32_t c) {
  const bool white = c == '\t' || c == 0x0B || c == 0x0C || c == '\r' || c == 0x85;
  return white ? " " : "";
}

void append_escaped(std::string& out, char32_t c) {
  switch (c) {
    case '#':
    case '$':
    case '%':
    case '&':
    case '_':
    case '{':
    case '}':
      out += '\\';
      out += static_cast<char>(c);
      return;
    case '\\':
      out += "\\textbackslash{}";
      return;
    case '^':
      out += "\\textasciicircum{}";
      return;
    case '~':
      out += "\\textasciitilde{}";
      return;
    case '\n':
      out += '\n';
      return;
    default:
      break;
  }
  if (c >= 0x20 && c <= 0x7E)
    out += static_cast<char>(c);
  else if (c >= 0xA0)
    out += ascii_fold(c);
  else
    out += control_replacement(c);
}

bool is_numeric_symbol(char32_t c) {
  switch (c) {
    case ' ':
    case '$':
    case '%':
    case '(':
    case ')':
    case '+':
    case ',':
    case '-':
    case '.':
    case 0x2013:
    case 0x2014:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string escape_latex(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  util::for_each_char(text, [&](char32_t c) { append_escaped(out, c); });
  return out;
}

std::string latex_row(const std::vector<std::string>& cells) {
  std::string out;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) out += " & ";
    out += escape_latex(cells[i]);
  }
  out += " \\\\\n";
  return out;
}

bool cell_is_numeric(std::string_view text) {
  bool digit = false, others_allowed = true;
  util::for_each_char(text, [&](char32_t c) {
    if (c >= '0' && c <= '9')
      digit = true;
    else if (!is_numeric_symbol(c))
      others_allowed = false;
  });
  return digit && others_allowed;
}

}  // namespace scrivex_core::render

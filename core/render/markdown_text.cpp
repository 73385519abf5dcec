#include "core/render/markdown_text.hpp"
#include "core/util/limits.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::render {
namespace {

bool is_deleted_control(char32_t c) {
  if (c == '\t' || c == '\n' || c == '\r') return false;
  return c <= 0x1F || (c >= 0x7F && c <= 0x9F);
}

// Copies line without its control characters; other bytes, including
// invalid UTF-8, are kept as they are.
std::string without_controls(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  std::size_t pos = 0;
  while (pos < line.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(line, pos);
    if (!(decoded.valid && is_deleted_control(decoded.value))) out.append(line.substr(pos, decoded.length));
    pos += decoded.length;
  }
  return out;
}

std::string collapse_white_space(std::string_view line) {
  std::string out;
  for (std::string_view word : util::split_whitespace(line)) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  }
  return out;
}

void append_html_cell(std::string& out, const ir::TableCell& cell) {
  const char* tag = cell.is_header ? "th" : "td";
  out += '<';
  out += tag;
  if (cell.col_span > 1) out += " colspan=\"" + std::to_string(cell.col_span) + '"';
  if (cell.row_span > 1) out += " rowspan=\"" + std::to_string(cell.row_span) + '"';
  out += '>';
  out += html_escape(util::trim(cell.text));
  out += "</";
  out += tag;
  out += '>';
}

}  // namespace

std::string sanitize_markdown_text(std::string_view text) {
  std::string out;
  bool first = true;
  for (std::string_view line : util::split_lines(text)) {
    if (!first) out.push_back('\n');
    first = false;
    out += collapse_white_space(without_controls(line));
  }
  return out;
}

std::string markdown_row(const std::vector<std::string>& cells) {
  std::string out = "|";
  for (const std::string& cell : cells) {
    out += ' ';
    for (char c : sanitize_markdown_text(cell)) {
      if (c == '|') out += '\\';
      out += c;
    }
    out += " |";
  }
  return out;
}

std::string html_escape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::optional<std::string> html_table_from_cells(const std::vector<ir::TableCell>& cells,
                                                 const std::optional<std::string>& caption) {
  if (cells.empty()) return std::nullopt;
  // A stable sort by (row, column) is bucketing by row in input order and
  // then sorting each bucket stably by column.
  std::vector<const ir::TableCell*> order;
  order.reserve(cells.size());
  for (const ir::TableCell& cell : cells) order.push_back(&cell);
  std::stable_sort(order.begin(), order.end(), [](const ir::TableCell* a, const ir::TableCell* b) {
    return a->row != b->row ? a->row < b->row : a->column < b->column;
  });

  std::string out = "<table>\n";
  if (caption && !util::is_blank(*caption))
    out += "<caption>" + html_escape(util::trim(*caption)) + "</caption>\n";
  std::uint64_t next_row = 0;
  std::uint64_t empty_rows = 0;
  for (std::size_t i = 0; i < order.size();) {
    const std::uint64_t row = order[i]->row;
    for (; next_row < row && empty_rows < limits::kMaxEmptyHtmlRows; ++next_row, ++empty_rows) out += "<tr></tr>\n";
    next_row = row + 1;  // wraps only for the largest row, after which no gap is looked at
    out += "<tr>";
    for (; i < order.size() && order[i]->row == row; ++i) append_html_cell(out, *order[i]);
    out += "</tr>\n";
  }
  out += "</table>";
  return out;
}

}  // namespace scrivex_core::render

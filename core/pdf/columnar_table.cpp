// A figure-column table built from its collected lines: each line's cells
// sorted into a label slot and one slot per figure column, year lines read
// as the header, wrapped labels joined to their figure rows, and the result
// accepted only when it reads as a statement.
#include <unicode/uchar.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string_view>

#include "core/pdf/document_warnings.hpp"
#include "core/pdf/figure_columns_detail.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detect.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// A header line lies at most this many line sizes above the first row and
// reaches to within kHeaderLeftSlack units of the label boundary.
constexpr float kHeaderReachSizes = 5;
constexpr float kHeaderLeftSlack = 24;
// Figure slots holding only years in this range make a header row.
constexpr int kMinHeaderYear = 1900;
constexpr int kMaxHeaderYear = 2100;
// A figure row whose label has at most this many characters may continue a
// label wrapped from the lines above it.
constexpr std::size_t kMaxShortLabelChars = 11;
// A wrapped label line lies at most this many line sizes above the previous
// one and starts within kLabelIndentSlack units of the figure row's x.
constexpr float kLabelLineReachSizes = 1.8f;
constexpr float kLabelIndentSlack = 16;
// A label line this short that also ends kLabelEndSlack units left of the
// label boundary is a heading of its own, not a wrapped label.
constexpr std::size_t kMaxShortHeadingChars = 27;
constexpr float kLabelEndSlack = 12;
// Acceptance: rows with figures, labelled rows and section labels needed.
constexpr std::size_t kMinFigureRows = 6;
constexpr std::size_t kWideTableColumns = 5;
constexpr std::size_t kMinWideLabelledRows = 6;
constexpr std::size_t kMinLabelledRows = 8;
constexpr std::size_t kMinSectionRows = 2;
constexpr float kFigureColumnScore = 0.70f;

using Slots = std::vector<std::string>;

// The lines, cells and columns every step of the build reads.
struct Layout {
  std::span<const TextLine> lines;
  std::span<const std::vector<TextRun>> cells;
  std::span<const float> columns;
  float left_boundary;

  Slots slots(std::size_t line) const {
    return detail::figure_column_slots(cells[line], columns, left_boundary);
  }
  bool has_numeric_cell(std::size_t line) const {
    return std::any_of(cells[line].begin(), cells[line].end(),
                       [](const TextRun& cell) { return is_numeric_value(cell.text); });
  }
};

std::size_t char_count(std::string_view text) {
  std::size_t count = 0;
  util::for_each_char(text, [&](char32_t) { ++count; });
  return count;
}

bool is_uppercase(char32_t c) {
  if (c < 0x80) return c >= 'A' && c <= 'Z';
  return u_isUUppercase(static_cast<UChar32>(c));
}

// At least one letter, and every letter a capital.
bool is_all_capitals(std::string_view text) {
  bool letters = false;
  bool capitals = true;
  util::for_each_char(text, [&](char32_t c) {
    if (!util::is_alphabetic(c)) return;
    letters = true;
    capitals = capitals && is_uppercase(c);
  });
  return letters && capitals;
}

bool is_header_year(std::string_view text) {
  if (text.size() != 4 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  const int year = (text[0] - '0') * 1000 + (text[1] - '0') * 100 + (text[2] - '0') * 10 + (text[3] - '0');
  return year >= kMinHeaderYear && year <= kMaxHeaderYear;
}

// A collected line that continues the header: no label, or years alone in
// the figure slots.
bool is_header_like(const Slots& slots) {
  if (util::trim(slots[0]).empty()) return true;
  bool any_figure = false;
  for (std::size_t k = 1; k < slots.size(); ++k) {
    const std::string_view text = util::trim(slots[k]);
    if (text.empty()) continue;
    if (!is_header_year(text)) return false;
    any_figure = true;
  }
  return any_figure;
}

bool opens_table_caption(const TextLine& line) {
  const std::string lowered = util::ascii_lowercase(text_line_plain_text(line));
  return lowered.size() >= 6 && lowered.starts_with("table ");
}

// Lines above the first row, outside the table, that carry text over the
// figure columns: the column headings.
std::vector<std::size_t> header_lines_above(const Layout& layout, std::span<const std::size_t> rows) {
  const TextLine& first = layout.lines[rows.front()];
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < layout.lines.size(); ++i) {
    const TextLine& line = layout.lines[i];
    const float rise = line.bbox.y - first.bbox.y;
    if (std::find(rows.begin(), rows.end(), i) != rows.end()) continue;
    if (!(line.bbox.y > first.bbox.y) || !(rise <= kHeaderReachSizes * detail::figure_line_size(line)))
      continue;
    if (!(line.bbox.x + line.bbox.width >= layout.left_boundary - kHeaderLeftSlack)) continue;
    if (opens_table_caption(line) || line_is_data_row(line, layout.columns.size() + 1)) continue;
    if (cells_contain_prose(layout.cells[i])) continue;
    const Slots slots = layout.slots(i);
    if (std::any_of(slots.begin() + 1, slots.end(), [](const std::string& text) { return !text.empty(); }))
      found.push_back(i);
  }
  return found;
}

// Each slot's texts over the header lines, highest line first; empty when
// no header line gives any text.
Slots header_texts(const Layout& layout, std::vector<std::size_t> header_lines) {
  std::stable_sort(header_lines.begin(), header_lines.end(), [&](std::size_t a, std::size_t b) {
    return total_less(layout.lines[b].bbox.y, layout.lines[a].bbox.y);
  });
  Slots headers(layout.columns.size() + 1);
  for (std::size_t line : header_lines) {
    const Slots slots = layout.slots(line);
    for (std::size_t k = 0; k < slots.size(); ++k) {
      const std::string_view text = util::trim(slots[k]);
      if (text.empty()) continue;
      if (!headers[k].empty()) headers[k] += ' ';
      headers[k] += text;
    }
  }
  const bool any =
      std::any_of(headers.begin(), headers.end(), [](const std::string& t) { return !t.empty(); });
  return any ? headers : Slots{};
}

// Whether the line above a figure row cannot be part of its wrapped label.
bool rejects_label_line(const Layout& layout, std::size_t line) {
  const std::string text = text_line_plain_text(layout.lines[line]);
  const std::string_view trimmed = util::trim(text);
  const ir::BBox& box = layout.lines[line].bbox;
  if (trimmed.empty() || util::trim_end(text).ends_with(':')) return true;
  if (char_count(text) <= kMaxShortHeadingChars && box.x + box.width < layout.left_boundary - kLabelEndSlack)
    return true;
  return is_all_capitals(text) || layout.has_numeric_cell(line);
}

// The label lines wrapped above one figure row, bottom up; each taken line
// joins `taken` so no later row takes it again.
std::vector<std::size_t> take_label_lines(const Layout& layout, std::size_t body_line,
                                          const std::set<std::size_t>& header_lines,
                                          std::set<std::size_t>& taken) {
  const TextLine& row = layout.lines[body_line];
  const float size = detail::figure_line_size(row);
  float cur = row.bbox.y;
  std::vector<std::size_t> labels;
  while (true) {
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
      if (i == body_line || header_lines.contains(i) || taken.contains(i)) continue;
      const float y = layout.lines[i].bbox.y;
      if (y > cur && (!nearest || total_less(y, layout.lines[*nearest].bbox.y))) nearest = i;
    }
    if (!nearest) break;
    const ir::BBox& box = layout.lines[*nearest].bbox;
    if (box.y - cur > kLabelLineReachSizes * size || std::fabs(box.x - row.bbox.x) > kLabelIndentSlack) break;
    if (rejects_label_line(layout, *nearest)) break;
    taken.insert(*nearest);
    labels.push_back(*nearest);
    cur = box.y;
  }
  return labels;
}

struct BodyRows {
  std::vector<Slots> rows;
  std::set<std::size_t> label_lines;
  std::set<std::size_t> prose_lines;
};

// The label prefix of each body line (empty for most), from wrapped label lines above it.
std::vector<std::string> label_prefixes(const Layout& layout, std::span<const std::size_t> body,
                                        const std::set<std::size_t>& header_lines, BodyRows& out) {
  std::vector<std::string> prefixes(body.size());
  for (std::size_t b = 0; b < body.size(); ++b) {
    const std::size_t line = body[b];
    if (!layout.has_numeric_cell(line) || char_count(layout.slots(line)[0]) > kMaxShortLabelChars) continue;
    const std::vector<std::size_t> labels = take_label_lines(layout, line, header_lines, out.label_lines);
    for (auto it = labels.rbegin(); it != labels.rend(); ++it) {
      if (!prefixes[b].empty()) prefixes[b] += ' ';
      prefixes[b] += text_line_plain_text(layout.lines[*it]);
    }
  }
  return prefixes;
}

BodyRows body_rows(const Layout& layout, std::span<const std::size_t> body,
                   const std::set<std::size_t>& header_lines) {
  BodyRows out;
  const std::vector<std::string> prefixes = label_prefixes(layout, body, header_lines, out);
  for (std::size_t b = 0; b < body.size(); ++b) {
    const std::size_t line = body[b];
    if (out.label_lines.contains(line)) continue;
    if (cells_contain_prose(layout.cells[line])) {
      out.prose_lines.insert(line);
      continue;
    }
    Slots slots = layout.slots(line);
    if (!prefixes[b].empty()) slots[0] = slots[0].empty() ? prefixes[b] : prefixes[b] + " " + slots[0];
    if (std::all_of(slots.begin(), slots.end(), [](const std::string& t) { return t.empty(); })) continue;
    out.rows.push_back(std::move(slots));
  }
  return out;
}

// A statement: enough rows with figures, and enough labelled rows (with
// section labels too when there are few columns).
bool reads_as_statement(std::span<const Slots> rows, std::size_t column_count) {
  std::size_t labelled = 0;
  std::size_t sections = 0;
  std::size_t with_figures = 0;
  for (const Slots& row : rows) {
    const bool figures =
        std::any_of(row.begin() + 1, row.end(), [](const std::string& t) { return !t.empty(); });
    if (!row[0].empty()) ++labelled;
    if (!row[0].empty() && !figures) ++sections;
    if (figures) ++with_figures;
  }
  if (with_figures < kMinFigureRows) return false;
  if (column_count >= kWideTableColumns) return labelled >= kMinWideLabelledRows;
  return sections >= kMinSectionRows && labelled >= kMinLabelledRows;
}

void append_cells(ir::TableBlock& table, const Slots& slots, std::uint64_t row, bool is_header) {
  for (std::size_t k = 0; k < slots.size(); ++k) {
    ir::TableCell cell;
    cell.row = row;
    cell.column = k;
    cell.text = slots[k];
    cell.is_header = is_header;
    table.cells.push_back(std::move(cell));
  }
}

}  // namespace

namespace detail {

Slots figure_column_slots(std::span<const TextRun> cells, std::span<const float> columns,
                          float left_boundary) {
  Slots slots(columns.size() + 1);
  for (const TextRun& cell : cells) {
    const float right = cell.x + cell.width;
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const float distance = std::fabs(right - columns[i]);
      if (distance <= kFigureColumnReach &&
          (!nearest || total_less(distance, std::fabs(right - columns[*nearest]))))
        nearest = i;
    }
    std::size_t slot = columns.size();
    if (is_numeric_value(cell.text) && nearest) {
      slot = *nearest + 1;
    } else {
      const float centre = cell.x + 0.5f * cell.width;
      if (left_boundary > centre) slot = 0;
      for (std::size_t i = 0; slot != 0 && i + 1 < columns.size(); ++i) {
        if (centre <= (columns[i] + columns[i + 1]) / 2) {
          slot = i + 1;
          break;
        }
      }
    }
    const std::string_view text = util::trim(cell.text);
    if (text.empty()) continue;
    if (!slots[slot].empty()) slots[slot] += ' ';
    slots[slot] += text;
  }
  return slots;
}

}  // namespace detail

std::optional<DetectedTable> build_columnar_table(std::uint64_t page_number, std::span<const TextLine> lines,
                                                  std::span<const std::vector<TextRun>> line_cells,
                                                  std::span<const float> figure_columns,
                                                  std::span<const std::size_t> rows, float left_boundary) {
  const bool in_range =
      std::all_of(rows.begin(), rows.end(), [&](std::size_t row) { return row < lines.size(); });
  if (rows.empty() || figure_columns.empty() || !in_range || line_cells.size() != lines.size())
    return std::nullopt;
  const Layout layout{lines, line_cells, figure_columns, left_boundary};
  std::vector<std::size_t> header_lines = header_lines_above(layout, rows);
  std::size_t header_rows = 0;
  while (header_rows < rows.size() && is_header_like(layout.slots(rows[header_rows]))) ++header_rows;
  header_lines.insert(header_lines.end(), rows.begin(),
                      rows.begin() + static_cast<std::ptrdiff_t>(header_rows));
  const std::set<std::size_t> header_set(header_lines.begin(), header_lines.end());

  const Slots headers = header_texts(layout, header_lines);
  const BodyRows body = body_rows(layout, rows.subspan(header_rows), header_set);
  if (!reads_as_statement(body.rows, figure_columns.size())) return std::nullopt;

  DetectedTable result;
  ir::TableBlock& table = result.table;
  table.headers = headers;
  if (!headers.empty()) append_cells(table, headers, 0, true);
  const std::uint64_t first_body_row = headers.empty() ? 0 : 1;
  for (std::size_t r = 0; r < body.rows.size(); ++r)
    append_cells(table, body.rows[r], first_body_row + r, false);
  table.rows = body.rows;

  std::set<std::size_t> used(rows.begin(), rows.end());
  used.insert(header_set.begin(), header_set.end());
  used.insert(body.label_lines.begin(), body.label_lines.end());
  for (std::size_t line : body.prose_lines) used.erase(line);
  result.line_indices.assign(used.begin(), used.end());
  ir::BBox box = lines[result.line_indices.front()].bbox;
  for (std::size_t line : result.line_indices) box = union_box(box, lines[line].bbox);
  table.bbox = box;
  table.source_anchors.push_back(anchor(page_number, box, {}));
  table.confidence = ir::Confidence{kFigureColumnScore, false};
  return result;
}

}  // namespace scrivex_core::pdf

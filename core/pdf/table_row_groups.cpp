// The row-group detector: consecutive data lines that split into the same
// aligned cells make a table, with header text read from the lines above.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detectors.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf::detail {
namespace {

// A row candidate has at least this many cells.
constexpr std::size_t kMinRowCells = 3;
// A row's cells start or end within this many units of the first row's.
constexpr float kCellAlignTolerance = 14;
// A row starts at most this far below the previous row of its group.
constexpr float kMaxRowStep = 28;
// Without a caption line a group needs this many rows.
constexpr std::size_t kMinUncaptionedRows = 4;
// Header lines lie at most this far above the first row, within
// kHeaderSideSlack of its left and right edges.
constexpr float kHeaderReach = 80;
constexpr float kHeaderSideSlack = 12;
// Header cells longer than this many characters are not headers.
constexpr std::uint64_t kMaxHeaderCellChars = 40;
// A header cell belongs to a column when its centre lies within half the
// column width plus kHeaderColumnSlack of the column centre, and always
// within kMinHeaderColumnReach.
constexpr float kHeaderColumnSlack = 18;
constexpr float kMinHeaderColumnReach = 24;

using Group = std::vector<TableRowCandidate>;

float highest_y(std::span<const TextRun> cells) {
  float y = -std::numeric_limits<float>::infinity();
  for (const TextRun& cell : cells) y = max_ignoring_nan(y, cell.y);
  return y;
}

bool joins_group(const Group& group, const TableRowCandidate& candidate) {
  if (group.empty()) return true;
  const std::vector<TextRun>& first = group.front().cells;
  if (candidate.cells.size() != first.size()) return false;
  for (std::size_t k = 0; k < first.size(); ++k) {
    const TextRun& a = candidate.cells[k];
    const TextRun& b = first[k];
    const bool left = std::fabs(a.x - b.x) <= kCellAlignTolerance;
    const bool right = std::fabs((a.x + a.width) - (b.x + b.width)) <= kCellAlignTolerance;
    if (!left && !right) return false;
  }
  return highest_y(group.back().cells) - highest_y(candidate.cells) <= kMaxRowStep;
}

std::optional<Group> best_row_group(std::span<const TextLine> lines) {
  std::optional<Group> best;
  Group group;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    TableRowCandidate candidate{implied_table_cells(lines[i]), i};
    if (candidate.cells.size() < kMinRowCells || !later_cell_has_digit(candidate.cells)) continue;
    if (!joins_group(group, candidate)) {
      record_table_row_group(best, std::move(group));
      group.clear();
    }
    group.push_back(std::move(candidate));
  }
  record_table_row_group(best, std::move(group));
  return best;
}

// The extent of the group's first row: its highest cell y, leftmost x and
// rightmost edge.
struct FirstRowExtent {
  float max_y = -std::numeric_limits<float>::infinity();
  float min_x = std::numeric_limits<float>::infinity();
  float max_right = -std::numeric_limits<float>::infinity();
};

FirstRowExtent first_row_extent(std::span<const TextRun> cells) {
  FirstRowExtent e;
  for (const TextRun& cell : cells) {
    e.max_y = max_ignoring_nan(e.max_y, cell.y);
    e.min_x = min_ignoring_nan(e.min_x, cell.x);
    e.max_right = max_ignoring_nan(e.max_right, cell.x + cell.width);
  }
  return e;
}

bool is_group_row(const Group& group, std::size_t line_index) {
  return std::any_of(group.begin(), group.end(),
                     [&](const TableRowCandidate& row) { return row.line_index == line_index; });
}

// Lines above the first row that may hold its header, highest first.
std::vector<std::size_t> header_line_candidates(std::span<const TextLine> lines, const Group& group,
                                                const FirstRowExtent& e) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const ir::BBox& box = lines[i].bbox;
    if (is_group_row(group, i) || !(e.max_y < box.y && box.y <= e.max_y + kHeaderReach) ||
        !(box.x <= e.max_right + kHeaderSideSlack) || !(box.x + box.width >= e.min_x - kHeaderSideSlack))
      continue;
    const std::string text = lowered_plain_text(lines[i]);
    if (text.size() >= 6 && text.starts_with("table ")) continue;
    if (line_is_data_row(lines[i], group.front().cells.size())) continue;
    found.push_back(i);
  }
  std::stable_sort(found.begin(), found.end(), [&](std::size_t a, std::size_t b) {
    return total_less(lines[b].bbox.y, lines[a].bbox.y);
  });
  return found;
}

// The column whose centre is nearest the cell's, when near enough.
std::optional<std::size_t> header_column(std::span<const TextRun> columns, const TextRun& cell) {
  const float centre = cell.x + 0.5f * cell.width;
  std::optional<std::size_t> nearest;
  float best = 0;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const float left = columns[c].x;
    const float right = left + columns[c].width;
    const float distance = std::fabs((left + right) / 2 - centre);
    if (!nearest || total_less(distance, best)) {
      nearest = c;
      best = distance;
    }
  }
  if (!nearest) return std::nullopt;
  const TextRun& column = columns[*nearest];
  const float reach = max_ignoring_nan(0.5f * column.width + kHeaderColumnSlack, kMinHeaderColumnReach);
  if (!(best <= reach)) return std::nullopt;
  return nearest;
}

void add_to_slot(std::optional<TextRun>& slot, const TextRun& cell) {
  if (!slot) {
    slot = cell;
    return;
  }
  if (!slot->text.empty()) slot->text += ' ';
  slot->text += cell.text;
  const ir::BBox box = union_box(run_box(*slot), run_box(cell));
  slot->x = box.x;
  slot->y = box.y;
  slot->width = box.width;
  slot->height = box.height;
  for (const std::string& id : cell.object_ids) {
    if (std::find(slot->object_ids.begin(), slot->object_ids.end(), id) == slot->object_ids.end())
      slot->object_ids.push_back(id);
  }
}

ImpliedTableHeader implied_header(std::span<const TextLine> lines, const Group& group,
                                  const FirstRowExtent& e) {
  const std::vector<TextRun>& columns = group.front().cells;
  ImpliedTableHeader header;
  header.slots.resize(columns.size());
  for (const std::size_t i : header_line_candidates(lines, group, e)) {
    bool gave = false;
    for (const TextRun& cell : implied_table_cells(lines[i])) {
      if (util::count_scalars(cell.text) > kMaxHeaderCellChars) continue;
      const auto column = header_column(columns, cell);
      if (!column) continue;
      add_to_slot(header.slots[*column], cell);
      gave = true;
    }
    if (gave) header.line_indices.push_back(i);
  }
  return header;
}

ir::TableCell table_cell(std::size_t row, std::size_t column, const TextRun& run, bool is_header) {
  ir::TableCell cell;
  cell.row = row;
  cell.column = column;
  cell.text = run.text;
  cell.bbox = run_box(run);
  cell.is_header = is_header;
  return cell;
}

std::vector<std::string> cell_texts(std::span<const TextRun> cells) {
  std::vector<std::string> texts;
  for (const TextRun& cell : cells) texts.push_back(cell.text);
  return texts;
}

bool has_header_text(const ImpliedTableHeader& header) {
  return std::any_of(header.slots.begin(), header.slots.end(),
                     [](const std::optional<TextRun>& slot) { return slot && !slot->text.empty(); });
}

// Header from the slots above the rows; every row of the group is a body row.
void fill_with_slot_header(ir::TableBlock& table, const Group& group, const ImpliedTableHeader& header) {
  for (std::size_t c = 0; c < header.slots.size(); ++c) {
    const std::optional<TextRun>& slot = header.slots[c];
    table.headers.push_back(slot ? slot->text : std::string());
    ir::TableCell cell;
    cell.column = c;
    cell.is_header = true;
    if (slot) {
      cell.text = slot->text;
      cell.bbox = run_box(*slot);
    }
    table.cells.push_back(std::move(cell));
  }
  for (std::size_t i = 0; i < group.size(); ++i) {
    table.rows.push_back(cell_texts(group[i].cells));
    for (std::size_t k = 0; k < group[i].cells.size(); ++k)
      table.cells.push_back(table_cell(i + 1, k, group[i].cells[k], false));
  }
}

// The group's first row is the header.
void fill_with_first_row_header(ir::TableBlock& table, const Group& group) {
  table.headers = cell_texts(group.front().cells);
  for (std::size_t i = 0; i < group.size(); ++i) {
    if (i > 0) table.rows.push_back(cell_texts(group[i].cells));
    for (std::size_t k = 0; k < group[i].cells.size(); ++k)
      table.cells.push_back(table_cell(i, k, group[i].cells[k], i == 0));
  }
}

}  // namespace

std::optional<DetectedTable> detect_row_group_table(std::uint64_t page_number,
                                                    std::span<const TextLine> lines) {
  const std::optional<Group> group = best_row_group(lines);
  if (!group) return std::nullopt;
  const FirstRowExtent e = first_row_extent(group->front().cells);
  if (group->size() < kMinUncaptionedRows && !has_caption_line(lines, e.max_y, e.min_x, e.max_right))
    return std::nullopt;

  const ImpliedTableHeader header = implied_header(lines, *group, e);
  DetectedTable result;
  if (has_header_text(header)) {
    fill_with_slot_header(result.table, *group, header);
  } else {
    fill_with_first_row_header(result.table, *group);
  }

  std::optional<ir::BBox> bbox;
  for (const TableRowCandidate& row : *group) {
    result.line_indices.push_back(row.line_index);
    for (const TextRun& cell : row.cells) bbox = bbox ? union_box(*bbox, run_box(cell)) : run_box(cell);
  }
  // Header lines count among the table's lines whichever header is used.
  result.line_indices.insert(result.line_indices.end(), header.line_indices.begin(),
                             header.line_indices.end());
  std::sort(result.line_indices.begin(), result.line_indices.end());
  result.line_indices.erase(std::unique(result.line_indices.begin(), result.line_indices.end()),
                            result.line_indices.end());
  finish_table_block(result.table, page_number, bbox.value_or(ir::BBox{}), kRowGroupScore);
  return result;
}

}  // namespace scrivex_core::pdf::detail

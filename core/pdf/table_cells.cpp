// Cells of a table row: a line cut into cells at wide gaps and dollar signs,
// the data-row and figure tests, the best row group, and column spans of cells
// whose text runs into empty neighbours.
#include <algorithm>
#include <cmath>
#include <limits>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detect.hpp"
#include "core/pdf/table_detectors.hpp"
#include "core/pdf/text_repair.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::pdf {
namespace {

// The gap that separates two cells, as a multiple of the line's size
// (the larger of the mean font size and the line height), clamped to
// [kMinCellGap, kMaxCellGap] user-space units.
constexpr float kCellGapFactor = 1.5f;
constexpr float kMinCellGap = 10;
constexpr float kMaxCellGap = 18;
// A cell reaches into an empty neighbour when its right edge passes the
// neighbour's left boundary by more than this many units.
constexpr float kSpanOverreach = 2;

float cell_gap_threshold(const TextLine& line) {
  float size_sum = 0;
  for (const TextRun& run : line.runs) size_sum += run.font_size;
  const float mean_size = size_sum / static_cast<float>(line.runs.size());
  const float size = max_ignoring_nan(mean_size, line.bbox.height);
  return min_ignoring_nan(kMaxCellGap, max_ignoring_nan(kMinCellGap, kCellGapFactor * size));
}

// Whether a new cell starts at `run`, which follows `previous`. A "$" opens a
// cell of its own unless it follows "(" or "$" (as in "($" or "$ $").
bool starts_new_cell(const TextRun& previous, const TextRun& run, float threshold) {
  const float gap = run.x - (previous.x + previous.width);
  const bool wide = gap >= threshold;
  const std::string_view prev = util::trim(previous.text);
  if (prev == "(" || prev == "$" || prev == "($") return wide;
  return wide || util::trim_start(run.text).starts_with('$');
}

// One cell run from a group of runs in x order; nothing when its text is empty.
std::optional<TextRun> cell_from_group(std::span<const TextRun> group) {
  TextRun cell;
  cell.text = clean_pdf_line_text(join_runs_spaced(group));
  if (cell.text.empty()) return std::nullopt;
  ir::BBox box = run_box(group.front());
  float baseline_sum = 0;
  float size_sum = 0;
  cell.space_width = group.front().space_width;
  cell.bold = true;
  cell.italic = true;
  for (const TextRun& run : group) {
    box = union_box(box, run_box(run));
    baseline_sum += run.baseline;
    size_sum += run.font_size;
    cell.space_width = max_ignoring_nan(cell.space_width, run.space_width);
    if (!cell.font_name && run.font_name) cell.font_name = run.font_name;
    cell.bold = cell.bold && run.bold;
    cell.italic = cell.italic && run.italic;
    for (const std::string& id : run.object_ids) {
      if (std::find(cell.object_ids.begin(), cell.object_ids.end(), id) == cell.object_ids.end())
        cell.object_ids.push_back(id);
    }
  }
  const auto count = static_cast<float>(group.size());
  cell.baseline = baseline_sum / count;
  cell.font_size = size_sum / count;
  cell.x = box.x;
  cell.y = box.y;
  cell.width = box.width;
  cell.height = box.height;
  return cell;
}

}  // namespace

namespace detail {

bool has_ascii_digit(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool later_cell_has_digit(std::span<const TextRun> cells) {
  for (std::size_t i = 1; i < cells.size(); ++i) {
    if (has_ascii_digit(cells[i].text)) return true;
  }
  return false;
}

}  // namespace detail

std::vector<TextRun> implied_table_cells(const TextLine& line) {
  if (line.runs.size() <= 1) return line.runs;
  std::vector<TextRun> runs = line.runs;
  std::stable_sort(runs.begin(), runs.end(),
                   [](const TextRun& a, const TextRun& b) { return total_less(a.x, b.x); });
  const float threshold = cell_gap_threshold(line);
  std::vector<TextRun> cells;
  std::size_t start = 0;
  auto close_group = [&](std::size_t end) {
    const auto group = std::span<const TextRun>(runs).subspan(start, end - start);
    if (auto cell = cell_from_group(group)) cells.push_back(std::move(*cell));
    start = end;
  };
  for (std::size_t i = 1; i < runs.size(); ++i) {
    if (starts_new_cell(runs[i - 1], runs[i], threshold)) close_group(i);
  }
  close_group(runs.size());
  return cells;
}

bool line_is_data_row(const TextLine& line, std::size_t min_cells) {
  const std::vector<TextRun> cells = implied_table_cells(line);
  return cells.size() >= std::max<std::size_t>(min_cells, 2) && detail::later_cell_has_digit(cells);
}

void record_table_row_group(std::optional<std::vector<TableRowCandidate>>& best,
                            std::vector<TableRowCandidate> group) {
  if (group.size() <= 1 || group.front().cells.size() <= 2) return;
  auto score = [](const std::vector<TableRowCandidate>& rows) {
    return rows.size() * rows.front().cells.size();
  };
  if (!best || score(group) > score(*best)) best = std::move(group);
}

CellColumnSpans merged_cell_col_spans(const std::vector<std::vector<std::optional<ir::BBox>>>& boxes,
                                      std::span<const float> boundaries) {
  const std::size_t columns = boxes.empty() ? 0 : boxes.front().size();
  CellColumnSpans result;
  result.spans.assign(boxes.size(), std::vector<std::uint64_t>(columns, 1));
  result.covered.assign(boxes.size(), std::vector<bool>(columns, false));
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const auto& row = boxes[i];
    auto has_box = [&](std::size_t j) { return j < row.size() && row[j].has_value(); };
    std::vector<bool>& covered = result.covered[i];
    for (std::size_t j = 0; j < columns; ++j) {
      if (covered[j] || !has_box(j)) continue;
      const float right = row[j]->x + row[j]->width;
      std::size_t k = j + 1;
      while (k < columns && !has_box(k) && !covered[k] && k < boundaries.size() &&
             right > boundaries[k] + kSpanOverreach) {
        covered[k] = true;
        ++k;
      }
      result.spans[i][j] = k - j;
    }
  }
  return result;
}

bool is_table_figure(std::string_view text) {
  const std::string_view trimmed = util::trim(text);
  return is_numeric_value(text) || trimmed == "\u2014" || trimmed == "\u2013";
}

}  // namespace scrivex_core::pdf

// The ruled grid detector: stroked rules bound the columns and rows, and
// every run goes to the cell that holds its centre.
#include <algorithm>
#include <cmath>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detectors.hpp"
#include "core/pdf/text_repair.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::pdf::detail {
namespace {

// Without a caption line above it, a grid needs this many horizontal rules.
constexpr std::size_t kMinUncaptionedRules = 5;
// A run centre may lie this far outside a column's or row's rules.
constexpr float kCellSlack = 1;
// Baselines are bucketed by this many units when a cell's runs are ordered.
constexpr float kBaselineBucket = 3;
// A row is prose when one cell holds this many words, or when it has
// kProseMinCells non-empty cells, kProseMinWords words in all, and fewer
// figures than kProseFigureShare of its non-empty cells.
constexpr std::uint64_t kProseCellWords = 12;
constexpr std::size_t kProseMinCells = 5;
constexpr std::uint64_t kProseMinWords = 25;
constexpr float kProseFigureShare = 0.3f;
// A grid table needs this many non-empty cells.
constexpr std::size_t kMinFilledCells = 3;

struct GridCell {
  std::vector<TextRun> runs;
  std::optional<ir::BBox> box;
  std::string text;
};

using Grid = std::vector<std::vector<GridCell>>;

// The first index i with axis[i] - slack <= v <= axis[i + 1] + slack.
std::optional<std::size_t> band_of(std::span<const float> axis, float v) {
  for (std::size_t i = 0; i + 1 < axis.size(); ++i) {
    if (axis[i] - kCellSlack <= v && v <= axis[i + 1] + kCellSlack) return i;
  }
  return std::nullopt;
}

// Puts each run into the cell holding its centre; returns the lines used.
std::vector<std::size_t> place_runs(std::span<const TextLine> lines, std::span<const float> xs,
                                    std::span<const float> ys, Grid& grid) {
  std::vector<std::size_t> used;
  const std::size_t last_row = ys.size() - 2;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bool placed = false;
    for (const TextRun& run : lines[i].runs) {
      const auto column = band_of(xs, run.x + 0.5f * run.width);
      if (!column) continue;
      const auto band = band_of(ys, run.y + 0.5f * run.height);
      if (!band) continue;
      GridCell& cell = grid[last_row - *band][*column];
      cell.box = cell.box ? union_box(*cell.box, run_box(run)) : run_box(run);
      cell.runs.push_back(run);
      placed = true;
    }
    if (placed) used.push_back(i);
  }
  return used;
}

// Runs in reading order: baseline bucket from the top, then x.
void sort_for_reading(std::vector<TextRun>& runs) {
  std::stable_sort(runs.begin(), runs.end(), [](const TextRun& a, const TextRun& b) {
    const float ka = std::round(a.baseline / kBaselineBucket);
    const float kb = std::round(b.baseline / kBaselineBucket);
    if (total_order_key(ka) != total_order_key(kb)) return total_less(kb, ka);
    return total_less(a.x, b.x);
  });
}

std::string reading_text(std::vector<TextRun> runs) {
  sort_for_reading(runs);
  return clean_pdf_line_text(join_runs_spaced(runs));
}

bool is_prose_row(const std::vector<GridCell>& row) {
  std::uint64_t longest = 0;
  std::uint64_t words = 0;
  std::size_t filled = 0;
  std::size_t figures = 0;
  for (const GridCell& cell : row) {
    const std::uint64_t count = util::count_words(cell.text);
    longest = std::max(longest, count);
    words += count;
    if (!cell.text.empty()) ++filled;
    if (is_table_figure(cell.text)) ++figures;
  }
  if (longest >= kProseCellWords) return true;
  return filled >= kProseMinCells && words >= kProseMinWords &&
         kProseFigureShare * static_cast<float>(filled) > static_cast<float>(figures);
}

// Gives a prose row one text, in column 0, from all its runs.
void join_prose_row(std::vector<GridCell>& row) {
  std::vector<TextRun> runs;
  for (GridCell& cell : row) {
    runs.insert(runs.end(), cell.runs.begin(), cell.runs.end());
    cell.text.clear();
  }
  row.front().text = reading_text(std::move(runs));
}

bool row_has_text(const std::vector<GridCell>& row) {
  return std::any_of(row.begin(), row.end(), [](const GridCell& cell) { return !util::is_blank(cell.text); });
}

bool grid_has_content(const Grid& grid) {
  std::size_t filled = 0;
  for (const auto& row : grid) {
    filled +=
        std::count_if(row.begin(), row.end(), [](const GridCell& c) { return !util::is_blank(c.text); });
  }
  return filled >= kMinFilledCells && row_has_text(grid.front()) &&
         std::any_of(grid.begin() + 1, grid.end(), row_has_text);
}

ir::TableBlock grid_table_block(const Grid& grid, const CellColumnSpans& spans) {
  ir::TableBlock table;
  for (std::size_t r = 0; r < grid.size(); ++r) {
    std::vector<std::string> texts;
    for (std::size_t c = 0; c < grid[r].size(); ++c) {
      const GridCell& cell = grid[r][c];
      texts.push_back(cell.text);
      if (spans.covered[r][c]) continue;
      ir::TableCell out;
      out.row = r;
      out.column = c;
      out.text = cell.text;
      out.bbox = cell.box;
      out.col_span = spans.spans[r][c];
      out.is_header = r == 0;
      table.cells.push_back(std::move(out));
    }
    if (r == 0) {
      table.headers = std::move(texts);
    } else {
      table.rows.push_back(std::move(texts));
    }
  }
  return table;
}

}  // namespace

std::optional<DetectedTable> detect_ruled_grid_table(std::uint64_t page_number,
                                                     std::span<const TextLine> lines,
                                                     std::span<const float> xs, std::span<const float> ys) {
  if (xs.size() < 3 || ys.size() < 3) return std::nullopt;
  if (ys.size() < kMinUncaptionedRules && !has_caption_line(lines, ys.back(), xs.front(), xs.back()))
    return std::nullopt;
  const std::size_t columns = xs.size() - 1;
  Grid grid(ys.size() - 1, std::vector<GridCell>(columns));
  DetectedTable result;
  result.line_indices = place_runs(lines, xs, ys, grid);

  std::vector<bool> prose(grid.size(), false);
  for (std::size_t r = 0; r < grid.size(); ++r) {
    for (GridCell& cell : grid[r]) cell.text = reading_text(cell.runs);
    prose[r] = is_prose_row(grid[r]);
    if (prose[r]) join_prose_row(grid[r]);
  }
  if (!grid_has_content(grid)) return std::nullopt;

  std::vector<std::vector<std::optional<ir::BBox>>> boxes;
  for (const auto& row : grid) {
    auto& out = boxes.emplace_back();
    for (const GridCell& cell : row) out.push_back(cell.box);
  }
  CellColumnSpans spans = merged_cell_col_spans(boxes, xs);
  for (std::size_t r = 0; r < grid.size(); ++r) {
    if (!prose[r]) continue;
    spans.spans[r][0] = columns;
    for (std::size_t c = 1; c < columns; ++c) spans.covered[r][c] = true;
  }

  result.table = grid_table_block(grid, spans);
  const ir::BBox bbox{xs.front(), ys.front(), xs.back() - xs.front(), ys.back() - ys.front()};
  finish_table_block(result.table, page_number, bbox, kRuledGridScore);
  return result;
}

}  // namespace scrivex_core::pdf::detail

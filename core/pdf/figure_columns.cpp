// Figure-column statements: a label column beside columns of right-aligned
// figures, laid out without rules. The columns are found from the right
// edges of the figures on the page, then the table's lines are collected
// and handed to build_columnar_table.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>

#include "core/pdf/figure_columns_detail.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detect.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// A cell of at least this many words holding letters reads as prose.
constexpr std::size_t kProseWords = 13;
// A line takes part in finding the columns when it holds this many figures.
constexpr std::size_t kMinLineFigures = 2;
// With fewer such lines there is too little evidence for any column.
constexpr std::size_t kMinQualifyingLines = 4;
// A column needs right edges from this fraction of those lines, and from at
// least kMinColumnSupport of them; a sparse column from kSparseFraction.
constexpr float kColumnSupportFraction = 0.35f;
constexpr float kSparseSupportFraction = 0.15f;
constexpr std::size_t kMinColumnSupport = 3;
// Sorted right edges further apart than this (units) start a new cluster.
constexpr float kClusterGap = 8;
// Sparse clusters whose offsets within the column step differ by at most
// this many units repeat one column spacing.
constexpr float kPhaseTolerance = 8;
// The typical figure width (units): its floor, and the value when the first
// column holds no figure.
constexpr float kMinFigureWidth = 20;
constexpr float kDefaultFigureWidth = 40;
// The label column ends this many figure widths left of the first column:
// at most kMaxMarginWidths, at least kMinMarginWidths unless half the
// column spacing is smaller.
constexpr float kMaxMarginWidths = 2.5f;
constexpr float kMinMarginWidths = 1.5f;
// Consecutive table lines lie at most this many line sizes apart.
constexpr float kMaxRowGapSizes = 3.5f;
// A table needs this many collected lines with an aligned figure.
constexpr std::size_t kMinAlignedRows = 4;

bool is_currency_sign(std::string_view text) {
  return text == "$" || text == "\u00a3" || text == "\u00a5" || text == "\u20ac";
}

// The currency sign that ends the text, if any.
std::string_view trailing_currency_sign(std::string_view text) {
  for (std::string_view sign : {"$", "\u00a3", "\u00a5", "\u20ac"}) {
    if (text.ends_with(sign)) return sign;
  }
  return {};
}

void set_box(TextRun& run, const ir::BBox& box) {
  run.x = box.x;
  run.y = box.y;
  run.width = box.width;
  run.height = box.height;
}

bool has_alphabetic(std::string_view word) {
  bool found = false;
  util::for_each_char(word, [&](char32_t c) { found = found || util::is_alphabetic(c); });
  return found;
}

std::size_t lettered_word_count(std::string_view text) {
  const auto words = util::split_whitespace(text);
  return static_cast<std::size_t>(std::count_if(words.begin(), words.end(), has_alphabetic));
}

// max(ceil(fraction x count), kMinColumnSupport), in 32-bit arithmetic.
std::size_t support_threshold(float fraction, std::size_t count) {
  const float scaled = std::ceil(fraction * static_cast<float>(count));
  return std::max(static_cast<std::size_t>(scaled), kMinColumnSupport);
}

// The element at index size / 2 of the values sorted in total order; the
// values must not be empty.
float upper_median(std::vector<float> values) {
  std::stable_sort(values.begin(), values.end(), total_less);
  return values[values.size() / 2];
}

// round(value) half away from zero as a 32-bit integer, saturating; NaN gives 0.
std::int32_t saturating_round(float value) {
  if (std::isnan(value)) return 0;
  const float rounded = std::round(value);
  if (rounded >= 2147483648.0f) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= -2147483648.0f) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

struct EdgeCluster {
  float value = 0;  // the upper median of its right edges
  std::size_t support = 0;
};

// Right edges sorted in total order, cut wherever neighbours differ by more
// than kClusterGap.
std::vector<EdgeCluster> cluster_right_edges(std::vector<float> edges) {
  std::stable_sort(edges.begin(), edges.end(), total_less);
  std::vector<EdgeCluster> clusters;
  std::size_t start = 0;
  for (std::size_t i = 1; i <= edges.size(); ++i) {
    if (i < edges.size() && !(edges[i] - edges[i - 1] > kClusterGap)) continue;
    const std::size_t length = i - start;
    clusters.push_back({edges[start + length / 2], length});
    start = i;
  }
  return clusters;
}

// The right edges of the figures of every line that qualifies (cells, no
// prose, at least two figures), and the number of such lines.
std::vector<float> qualifying_right_edges(std::span<const std::vector<TextRun>> line_cells,
                                          std::size_t& qualifying) {
  std::vector<float> edges;
  qualifying = 0;
  for (const std::vector<TextRun>& cells : line_cells) {
    if (cells.empty() || cells_contain_prose(cells)) continue;
    const auto figures = std::count_if(cells.begin(), cells.end(),
                                       [](const TextRun& cell) { return is_table_figure(cell.text); });
    if (static_cast<std::size_t>(figures) < kMinLineFigures) continue;
    ++qualifying;
    for (const TextRun& cell : cells) {
      if (is_table_figure(cell.text)) edges.push_back(cell.x + cell.width);
    }
  }
  return edges;
}

// Sparse columns: clusters too weak to be columns on their own that repeat
// the spacing of the strong columns at two or more different slots (a
// column that only some rows fill). Adds them to `columns` and sorts it.
void add_sparse_columns(std::vector<float>& columns, std::span<const EdgeCluster> clusters, std::size_t weak,
                        std::size_t min_support) {
  std::vector<float> steps;
  for (std::size_t i = 1; i < columns.size(); ++i) steps.push_back(columns[i] - columns[i - 1]);
  const float step = upper_median(steps);
  if (!(step > 0)) return;
  const float first = columns.front();
  const float last = columns.back();
  std::vector<float> candidates;
  for (const EdgeCluster& cluster : clusters) {
    if (cluster.support >= weak && cluster.support < min_support && cluster.value >= first - step &&
        cluster.value <= last + step) {
      candidates.push_back(cluster.value);
    }
  }
  auto phase = [&](float v) { return std::fmod(std::fmod(v - first, step) + step, step); };
  auto slot = [&](float v) { return saturating_round((v - first) / step); };
  std::vector<bool> taken(candidates.size(), false);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (taken[i]) continue;
    std::vector<std::size_t> group = {i};
    for (std::size_t j = i + 1; j < candidates.size(); ++j) {
      const float d = std::fabs(phase(candidates[i]) - phase(candidates[j]));
      if (!taken[j] && min_ignoring_nan(d, step - d) <= kPhaseTolerance) group.push_back(j);
    }
    const bool distinct_slots = std::any_of(group.begin(), group.end(), [&](std::size_t member) {
      return slot(candidates[member]) != slot(candidates[i]);
    });
    if (group.size() < 2 || !distinct_slots) continue;
    for (std::size_t member : group) {
      taken[member] = true;
      columns.push_back(candidates[member]);
    }
  }
  std::stable_sort(columns.begin(), columns.end(), total_less);
}

// The label column's right boundary: a margin of a few figure widths left of
// the first column, the width taken from the numbers ending on that column.
float label_boundary(std::span<const std::vector<TextRun>> line_cells, std::span<const float> columns) {
  std::vector<float> widths;
  for (const std::vector<TextRun>& cells : line_cells) {
    for (const TextRun& cell : cells) {
      if (is_numeric_value(cell.text) &&
          std::fabs(cell.x + cell.width - columns[0]) <= detail::kFigureColumnReach) {
        widths.push_back(cell.width);
      }
    }
  }
  const float width =
      widths.empty() ? kDefaultFigureWidth : max_ignoring_nan(upper_median(widths), kMinFigureWidth);
  const float margin = min_ignoring_nan(
      kMaxMarginWidths * width, max_ignoring_nan((columns[1] - columns[0]) / 2, kMinMarginWidths * width));
  return columns[0] - margin;
}

}  // namespace

std::vector<TextRun> coalesce_currency_prefixes(std::vector<TextRun> cells) {
  std::vector<TextRun> out;
  out.reserve(cells.size());
  std::optional<TextRun> pending;
  for (TextRun& cell : cells) {
    std::string text(util::trim(cell.text));
    if (pending) {
      text = std::string(util::trim(pending->text)) + text;
      set_box(cell, union_box(run_box(*pending), run_box(cell)));
      pending.reset();
    }
    cell.text = std::move(text);
    if (is_currency_sign(cell.text)) {
      pending = std::move(cell);
      continue;
    }
    const std::string_view sign = trailing_currency_sign(cell.text);
    const std::string_view before =
        util::trim_end(std::string_view(cell.text).substr(0, cell.text.size() - sign.size()));
    if (!sign.empty() && !before.empty()) {
      TextRun sign_cell = cell;
      sign_cell.text = std::string(sign);
      cell.text = std::string(before);
      pending = std::move(sign_cell);
    }
    out.push_back(std::move(cell));
  }
  if (pending) out.push_back(std::move(*pending));
  return out;
}

bool cells_contain_prose(std::span<const TextRun> cells) {
  const auto figures = std::count_if(cells.begin(), cells.end(),
                                     [](const TextRun& cell) { return is_table_figure(cell.text); });
  if (figures > 1) return false;
  return std::any_of(cells.begin(), cells.end(),
                     [](const TextRun& cell) { return lettered_word_count(cell.text) >= kProseWords; });
}

namespace detail {

bool is_aligned_figure(const TextRun& cell, std::span<const float> columns) {
  if (!is_table_figure(cell.text)) return false;
  const float right = cell.x + cell.width;
  return std::any_of(columns.begin(), columns.end(),
                     [&](float column) { return std::fabs(right - column) <= kFigureColumnReach; });
}

float figure_line_size(const TextLine& line) {
  if (line.runs.empty()) return line.bbox.height;
  float size_sum = 0;
  for (const TextRun& run : line.runs) size_sum += run.font_size;
  return max_ignoring_nan(size_sum / static_cast<float>(line.runs.size()), line.bbox.height);
}

std::optional<FigureColumns> find_figure_columns(std::span<const std::vector<TextRun>> line_cells) {
  std::size_t qualifying = 0;
  std::vector<float> edges = qualifying_right_edges(line_cells, qualifying);
  if (qualifying < kMinQualifyingLines) return std::nullopt;
  const std::size_t min_support = support_threshold(kColumnSupportFraction, qualifying);
  const std::vector<EdgeCluster> clusters = cluster_right_edges(std::move(edges));
  FigureColumns result;
  for (const EdgeCluster& cluster : clusters) {
    if (cluster.support >= min_support) result.positions.push_back(cluster.value);
  }
  if (result.positions.size() < 2) return std::nullopt;
  const std::size_t weak = support_threshold(kSparseSupportFraction, qualifying);
  if (weak < min_support) add_sparse_columns(result.positions, clusters, weak, min_support);
  result.left_boundary = label_boundary(line_cells, result.positions);
  return result;
}

std::vector<std::size_t> collect_figure_column_rows(std::span<const TextLine> lines,
                                                    std::span<const std::vector<TextRun>> line_cells,
                                                    std::span<const float> columns) {
  auto has_aligned = [&](std::size_t i) {
    return std::any_of(line_cells[i].begin(), line_cells[i].end(),
                       [&](const TextRun& cell) { return is_aligned_figure(cell, columns); });
  };
  std::optional<std::size_t> first_anchor;
  std::size_t last_anchor = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!has_aligned(i)) continue;
    if (!first_anchor) first_anchor = i;
    last_anchor = i;
  }
  if (!first_anchor) return {};
  std::vector<std::size_t> rows;
  std::size_t aligned_rows = 0;
  for (std::size_t i = *first_anchor; i <= last_anchor; ++i) {
    const TextLine& line = lines[i];
    const bool aligned = has_aligned(i);
    const bool numeric = std::any_of(line_cells[i].begin(), line_cells[i].end(),
                                     [](const TextRun& cell) { return is_numeric_value(cell.text); });
    if (numeric ? !aligned : !(aligned || line.bbox.x <= columns.back())) break;
    if (!rows.empty() &&
        !(std::fabs(lines[rows.back()].bbox.y - line.bbox.y) <= kMaxRowGapSizes * figure_line_size(line))) {
      break;
    }
    rows.push_back(i);
    if (aligned) ++aligned_rows;
  }
  if (aligned_rows < kMinAlignedRows) return {};
  return rows;
}

}  // namespace detail

std::optional<DetectedTable> detect_figure_column_table(std::uint64_t page_number,
                                                        std::span<const TextLine> lines) {
  std::vector<std::vector<TextRun>> line_cells;
  line_cells.reserve(lines.size());
  for (const TextLine& line : lines)
    line_cells.push_back(coalesce_currency_prefixes(implied_table_cells(line)));
  const std::optional<detail::FigureColumns> columns = detail::find_figure_columns(line_cells);
  if (!columns) return std::nullopt;
  const std::vector<std::size_t> rows =
      detail::collect_figure_column_rows(lines, line_cells, columns->positions);
  if (rows.empty()) return std::nullopt;
  return build_columnar_table(page_number, lines, line_cells, columns->positions, rows,
                              columns->left_boundary);
}

}  // namespace scrivex_core::pdf

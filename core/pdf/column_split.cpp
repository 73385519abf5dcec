// Cutting lines that hold two columns. A line is cut where a right-hand
// column starts in the tight band just right of the page middle (when the page
// shows that band on several lines), else at its widest gap. Mathematics is
// cut only where an algorithm or a numbered step opens the line, and a label
// followed by a row of figures stays whole for table detection.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_lines.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// Tight band (x in user-space units, about points): a line starting at the
// left margin whose right-hand column starts between these x values.
constexpr float kBandMaxLineStartX = 120;
constexpr float kBandMinColumnX = 300;
constexpr float kBandMinAlgorithmColumnX = 280;  // an algorithm's right column may start earlier
constexpr float kBandMaxColumnX = 340;
constexpr std::size_t kBandMinLineRuns = 3;
constexpr std::size_t kBandMinColumnRuns = 2;    // without an algorithm opener
constexpr float kBandMinGap = -35;               // runs may overlap at the cut by up to this much
constexpr std::size_t kBandMinColumnBytes = 18;  // trimmed text of the right-hand column
constexpr std::size_t kPageMinBandLines = 2;

// Wide cut: a gap between two runs, or a step across the page middle.
constexpr float kWideMinGap = 18;
constexpr float kPageMiddleX = 280;
constexpr float kWideMinStep = 110;

// Short tokens in the right margin before the band move to the right column.
constexpr std::size_t kMarginalTokenMaxChars = 2;
constexpr float kMarginalMinGap = -160;

// A label with this many figures this far to its right is a table row.
constexpr std::size_t kFiguresMinNumericRuns = 3;
constexpr float kFiguresMinOffset = 100;

// How an algorithm or a numbered step opens a line.
constexpr std::string_view kAlgorithmOpeners[] = {"Require:", "Ensure:", "Algorithm "};
// Bytes of the opening that settle the answer once one of them is not a digit:
// the longest opener, and a numbered step's digits end at the first non-digit.
constexpr std::size_t kOpeningDecisiveBytes = 10;

// The runs' texts joined with single spaces and trimmed at the start, fed one
// run at a time. Only a short opening decides whether an algorithm or a
// numbered step opens the text, so once it is known later runs are ignored
// and the answer is kept; feeding a whole line stays linear.
class AlgorithmOpening {
 public:
  void add(std::string_view text) {
    if (decided_) return;
    if (fed_) opening_ += ' ';
    fed_ = true;
    opening_ += text;
    // Leading white space never counts; dropping it keeps the text short.
    if (util::is_blank(opening_)) {
      opening_.clear();
      return;
    }
    const std::string_view trimmed = util::trim_start(opening_);
    if (trimmed.size() >= kOpeningDecisiveBytes &&
        trimmed.find_first_not_of("0123456789") != std::string_view::npos) {
      opens_ = evaluate();
      decided_ = true;
    }
  }

  bool opens() const { return decided_ ? opens_ : evaluate(); }

 private:
  bool evaluate() const {
    const std::string_view trimmed = util::trim_start(opening_);
    if (starts_with_numbered_step(trimmed)) return true;
    for (std::string_view opener : kAlgorithmOpeners) {
      if (trimmed.starts_with(opener)) return true;
    }
    return false;
  }

  std::string opening_;
  bool fed_ = false;
  bool decided_ = false;
  bool opens_ = false;
};

bool has_math_run(std::span<const TextRun> runs) {
  for (const TextRun& run : runs) {
    if (is_math_run(run)) return true;
  }
  return false;
}

// The widest qualifying gap between adjacent runs: its right-hand run's
// index, and the gap and x step kept for the marginal-token move.
struct WideCut {
  std::size_t index = 0;
  float gap = 0;
  float step = 0;
};

std::optional<WideCut> find_wide_cut(std::span<const TextRun> runs) {
  std::optional<WideCut> best;
  float best_score = 0;
  for (std::size_t k = 1; k < runs.size(); ++k) {
    const TextRun& previous = runs[k - 1];
    const TextRun& current = runs[k];
    const float gap = current.x - (previous.x + previous.width);
    const float step = current.x - previous.x;
    const bool qualifies =
        gap >= kWideMinGap || (current.x > kPageMiddleX && previous.x < kPageMiddleX && step >= kWideMinStep);
    if (!qualifies) continue;
    const float score = max_ignoring_nan(gap, step);
    // On equal scores the later pair wins.
    if (!best || !total_less(score, best_score)) {
      best = WideCut{k, gap, step};
      best_score = score;
    }
  }
  return best;
}

// Whether runs wide.index to band-1 are short tokens right of the page middle
// that follow a wide step, so the cut moves left to take them with the right
// column (line numbers or markers in the gutter).
bool moves_to_wide_index(std::span<const TextRun> runs, const WideCut& wide, std::size_t band) {
  const std::size_t w = wide.index;
  if (!(0 < w && w < band && band <= runs.size())) return false;
  for (std::size_t k = w; k < band; ++k) {
    if (!(runs[k].x >= kPageMiddleX)) return false;
    if (util::count_scalars(util::trim(runs[k].text)) > kMarginalTokenMaxChars) return false;
  }
  return runs[w - 1].x < kPageMiddleX && wide.gap >= kMarginalMinGap && wide.step >= kWideMinStep &&
         runs[w].x >= kPageMiddleX;
}

// The index of the first run of the right part, if the line is to be cut.
std::optional<std::size_t> cut_index(std::span<const TextRun> runs, std::optional<std::size_t> band) {
  const std::optional<WideCut> wide = find_wide_cut(runs);
  if (!band) {
    if (has_math_run(runs) || !wide) return std::nullopt;
    return wide->index;
  }
  if (wide && moves_to_wide_index(runs, *wide, *band)) return wide->index;
  return band;
}

bool is_figure_sign(std::string_view trimmed) {
  constexpr std::string_view kSigns[] = {"\u2014", "\u2013", "\u20AC", "\u00A3", "\u00A5",
                                         "($",     "$",      "(",      ")"};
  for (std::string_view sign : kSigns) {
    if (trimmed == sign) return true;
  }
  return false;
}

// A text label followed, well to its right, by a row of figures: a table row.
bool is_label_with_figures(std::span<const TextRun> left, std::span<const TextRun> right) {
  std::size_t numeric = 0;
  for (const TextRun& run : right) {
    if (is_numeric_value(run.text)) {
      ++numeric;
      continue;
    }
    const std::string_view trimmed = util::trim(run.text);
    if (!trimmed.empty() && !is_figure_sign(trimmed)) return false;
  }
  const TextRun& label_end = left.back();
  return numeric >= kFiguresMinNumericRuns &&
         right.front().x - (label_end.x + label_end.width) >= kFiguresMinOffset;
}

// One part of a cut line: its runs in x order, the union of their boxes and
// the mean of their baselines. runs is not empty.
TextLine line_from_runs(std::span<const TextRun> runs) {
  TextLine line;
  line.runs.assign(runs.begin(), runs.end());
  float x0 = runs.front().x;
  float y0 = runs.front().y;
  float x1 = runs.front().x + runs.front().width;
  float y1 = runs.front().y + runs.front().height;
  float baseline_sum = 0;
  for (const TextRun& run : runs) {
    x0 = min_ignoring_nan(x0, run.x);
    y0 = min_ignoring_nan(y0, run.y);
    x1 = max_ignoring_nan(x1, run.x + run.width);
    y1 = max_ignoring_nan(y1, run.y + run.height);
    baseline_sum += run.baseline;
  }
  line.bbox = {x0, y0, x1 - x0, y1 - y0};
  line.baseline = baseline_sum / static_cast<float>(runs.size());
  return line;
}

}  // namespace

bool allows_math_column_split(std::span<const TextRun> runs, std::size_t index) {
  AlgorithmOpening opening;
  const std::size_t end = index < runs.size() ? index : runs.size();
  for (std::size_t k = 0; k < end; ++k) opening.add(runs[k].text);
  return opening.opens();
}

std::optional<std::size_t> tight_column_band_split_index_for_runs(std::span<const TextRun> runs) {
  const std::size_t n = runs.size();
  if (n < kBandMinLineRuns || runs.front().x > kBandMaxLineStartX) return std::nullopt;
  // column_bytes[i]: trimmed bytes of runs i to n-1.
  std::vector<std::size_t> column_bytes(n + 1, 0);
  for (std::size_t i = n; i-- > 0;) column_bytes[i] = column_bytes[i + 1] + util::trim(runs[i].text).size();

  AlgorithmOpening opening;
  opening.add(runs[0].text);
  for (std::size_t i = 2; i < n; ++i) {
    opening.add(runs[i - 1].text);
    const float x = runs[i].x;
    if (!(x >= kBandMinAlgorithmColumnX && x <= kBandMaxColumnX)) continue;
    const bool allows = opening.opens();
    const bool in_band = allows || (x >= kBandMinColumnX && n - i >= kBandMinColumnRuns);
    const float gap = x - (runs[i - 1].x + runs[i - 1].width);
    if (!in_band || gap < kBandMinGap || column_bytes[i] < kBandMinColumnBytes) continue;
    if (has_math_run(runs) && !allows) return std::nullopt;
    return i;
  }
  return std::nullopt;
}

std::vector<TextLine> split_wide_text_lines(std::vector<TextLine> lines) {
  std::vector<std::optional<std::size_t>> bands;
  bands.reserve(lines.size());
  std::size_t band_lines = 0;
  for (const TextLine& line : lines) {
    const RunsByX sorted = runs_sorted_by_x(line.runs);
    bands.push_back(tight_column_band_split_index_for_runs(sorted.runs()));
    band_lines += bands.back().has_value();
  }
  const bool page_has_band = band_lines >= kPageMinBandLines;

  std::vector<TextLine> result;
  result.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    TextLine& line = lines[i];
    if (line.runs.size() <= 1) {
      result.push_back(std::move(line));
      continue;
    }
    const RunsByX sorted = runs_sorted_by_x(line.runs);
    const std::span<const TextRun> runs = sorted.runs();
    const std::optional<std::size_t> cut = cut_index(runs, page_has_band ? bands[i] : std::nullopt);
    if (!cut || *cut == 0 || *cut >= runs.size() ||
        is_label_with_figures(runs.first(*cut), runs.subspan(*cut))) {
      result.push_back(std::move(line));
      continue;
    }
    TextLine left = line_from_runs(runs.first(*cut));
    TextLine right = line_from_runs(runs.subspan(*cut));
    result.push_back(std::move(left));
    result.push_back(std::move(right));
  }
  return result;
}

}  // namespace scrivex_core::pdf

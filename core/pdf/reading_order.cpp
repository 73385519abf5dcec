// Reading order of a page's lines. Two-column pages are recognised first by
// lines that pair up across a gutter on shared rows (with a top group for
// titles and abstracts and a bottom group for page numbers and footnotes),
// then by one wide gap between line centres; anything else keeps the order the
// lines came in.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/pdf/column_pairs.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {
namespace {

using LineOrder = std::vector<const TextLine*>;

// Fewer lines than this are returned as they came.
constexpr std::size_t kMinOrderedLines = 4;
constexpr std::size_t kMinColumnLines = 2;

// Column pairs: the right members must start this far right of the left
// ones on average (user-space units).
constexpr float kMinColumnSeparation = 90;
// Lines whose y lies this far above an "abstract" heading go above the columns.
constexpr float kAbstractCutRise = 36;
// A line straddles the split x when it crosses it by more than this on both sides.
constexpr float kStraddleMargin = 4;
// More straddlers than one in this many lines of the band (a quarter): not columns.
constexpr std::size_t kStraddlerShareDivisor = 4;
// Below the band by this many of its own heights, a line may join the bottom group.
constexpr float kBelowBandHeights = 1.8f;
constexpr std::size_t kMaxPageNumberBytes = 4;
// Small print: a mean font size of at most this, and more than a page number's bytes.
constexpr float kMaxSmallPrintFontSize = 10;

// Gutter: consecutive line centres at least this far apart, groups sharing
// rows for at least the mean line height, and this clear gap between them.
constexpr float kMinGutterCentreGap = 90;
constexpr float kMinGutterGap = 15;

// y descending (top of the page first), then x ascending, in total order.
void sort_for_reading(LineOrder& order) {
  std::stable_sort(order.begin(), order.end(), [](const TextLine* a, const TextLine* b) {
    const std::int32_t ya = total_order_key(a->bbox.y);
    const std::int32_t yb = total_order_key(b->bbox.y);
    if (ya != yb) return ya > yb;
    return total_less(a->bbox.x, b->bbox.x);
  });
}

float mean_x(const LineOrder& lines) {
  if (lines.empty()) return 0;
  float sum = 0;
  for (const TextLine* line : lines) sum += line->bbox.x;
  return sum / static_cast<float>(lines.size());
}

// Two columns, sorted each, the one with the smaller mean x first.
void append_columns(LineOrder& result, LineOrder first, LineOrder second) {
  if (total_less(mean_x(second), mean_x(first))) std::swap(first, second);
  sort_for_reading(first);
  sort_for_reading(second);
  result.insert(result.end(), first.begin(), first.end());
  result.insert(result.end(), second.begin(), second.end());
}

float mean_x_of(std::span<const TextLine> lines, const std::vector<std::size_t>& indices) {
  float sum = 0;
  for (std::size_t i : indices) sum += lines[i].bbox.x;
  return sum / static_cast<float>(indices.size());
}

bool is_abstract_heading(const TextLine& line) {
  constexpr std::string_view kAbstract = "abstract";
  const std::string text = text_line_plain_text(line);
  if (text.size() != kAbstract.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != kAbstract[i]) return false;
  }
  return true;
}

// Page numbers and small print (footnotes) below the columns.
bool belongs_to_bottom_group(const TextLine& line) {
  const std::string text = text_line_plain_text(line);
  const bool page_number = !text.empty() && text.size() <= kMaxPageNumberBytes &&
                           text.find_first_not_of("0123456789") == std::string::npos;
  if (page_number) return true;
  float size_sum = 0;
  for (const TextRun& run : line.runs) size_sum += run.font_size;
  const float mean_size = size_sum / static_cast<float>(line.runs.size());
  return mean_size <= kMaxSmallPrintFontSize && text.size() > kMaxPageNumberBytes;
}

// The vertical extent of the column pair members, by box bottoms.
struct Band {
  float low = 0;
  float high = 0;
};

Band member_band(std::span<const TextLine> lines, const detail::ColumnPairMembers& members) {
  Band band{lines[members.left.front()].bbox.y, lines[members.left.front()].bbox.y};
  for (const std::vector<std::size_t>* set : {&members.left, &members.right}) {
    for (std::size_t i : *set) {
      band.low = min_ignoring_nan(band.low, lines[i].bbox.y);
      band.high = max_ignoring_nan(band.high, lines[i].bbox.y);
    }
  }
  return band;
}

// The upper median of values, in total order.
float upper_median(std::vector<float> values) {
  std::stable_sort(values.begin(), values.end(), total_less);
  return values[values.size() / 2];
}

// The middle of the gutter: halfway between where the left members typically
// end and where the right members typically start. Straddlers are counted
// against this x, not against the midpoint of the columns' starts: a full
// left-column line always crosses that midpoint when the column is wider than
// the gutter, which would reject nearly every two-column page.
float gutter_x(std::span<const TextLine> lines, const detail::ColumnPairMembers& members) {
  std::vector<float> left_ends;
  std::vector<float> right_starts;
  for (std::size_t i : members.left) left_ends.push_back(lines[i].bbox.x + lines[i].bbox.width);
  for (std::size_t i : members.right) right_starts.push_back(lines[i].bbox.x);
  return (upper_median(std::move(left_ends)) + upper_median(std::move(right_starts))) / 2;
}

// Whether too many lines in the band cross the gutter between two columns.
bool band_has_many_straddlers(std::span<const TextLine> lines, const Band& band, float split_x) {
  std::size_t in_band = 0;
  std::size_t straddlers = 0;
  for (const TextLine& line : lines) {
    const ir::BBox& box = line.bbox;
    if (box.y < band.low - box.height || box.y > band.high + box.height) continue;
    ++in_band;
    straddlers += box.x < split_x - kStraddleMargin && box.x + box.width > split_x + kStraddleMargin;
  }
  return in_band > 0 && straddlers * kStraddlerShareDivisor > in_band;
}

std::optional<float> abstract_cut(std::span<const TextLine> lines) {
  for (const TextLine& line : lines) {
    if (is_abstract_heading(line)) return line.bbox.y + kAbstractCutRise;
  }
  return std::nullopt;
}

// Columns found by lines that pair up across a gutter on shared rows.
std::optional<LineOrder> order_by_column_pairs(std::span<const TextLine> lines) {
  const detail::ColumnPairMembers members = detail::find_column_pair_members(lines);
  if (members.left.size() < kMinColumnLines || members.right.size() < kMinColumnLines) return std::nullopt;
  const float left_mean = mean_x_of(lines, members.left);
  const float right_mean = mean_x_of(lines, members.right);
  if (right_mean - left_mean < kMinColumnSeparation) return std::nullopt;

  const Band band = member_band(lines, members);
  const std::optional<float> cut = abstract_cut(lines);
  const float split_x = (left_mean + right_mean) / 2;
  if (band_has_many_straddlers(lines, band, gutter_x(lines, members))) return std::nullopt;

  LineOrder top, left, right, bottom;
  for (const TextLine& line : lines) {
    const ir::BBox& box = line.bbox;
    const bool below_band = box.y < band.low - kBelowBandHeights * box.height;
    if ((cut && box.y > *cut) || box.y > band.high + box.height) {
      top.push_back(&line);
    } else if (below_band && belongs_to_bottom_group(line)) {
      bottom.push_back(&line);
    } else if (split_x > box.x) {
      left.push_back(&line);
    } else {
      right.push_back(&line);
    }
  }
  if (left.size() < kMinColumnLines || right.size() < kMinColumnLines) return std::nullopt;

  LineOrder result;
  result.reserve(lines.size());
  sort_for_reading(top);
  result.insert(result.end(), top.begin(), top.end());
  append_columns(result, std::move(left), std::move(right));
  sort_for_reading(bottom);
  result.insert(result.end(), bottom.begin(), bottom.end());
  return result;
}

float centre_x(const TextLine& line) {
  return line.bbox.x + 0.5f * line.bbox.width;
}

// The lowest bottom and the highest top of a group.
Band vertical_extent(const LineOrder& group) {
  Band extent{group.front()->bbox.y, group.front()->bbox.y + group.front()->bbox.height};
  for (const TextLine* line : group) {
    extent.low = min_ignoring_nan(extent.low, line->bbox.y);
    extent.high = max_ignoring_nan(extent.high, line->bbox.y + line->bbox.height);
  }
  return extent;
}

// Columns found by one wide gap between line centres, splitting two groups
// that share rows and are clear of each other.
std::optional<LineOrder> order_by_gutter(std::span<const TextLine> lines) {
  const std::size_t n = lines.size();
  LineOrder by_centre;
  by_centre.reserve(n);
  for (const TextLine& line : lines) by_centre.push_back(&line);
  std::stable_sort(by_centre.begin(), by_centre.end(), [](const TextLine* a, const TextLine* b) {
    return total_less(centre_x(*a), centre_x(*b));
  });

  std::size_t k = 0;
  float widest = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const float difference = centre_x(*by_centre[i]) - centre_x(*by_centre[i - 1]);
    // On equal differences the later one wins.
    if (k == 0 || !total_less(difference, widest)) {
      k = i;
      widest = difference;
    }
  }
  if (widest < kMinGutterCentreGap || k < kMinColumnLines || n - k < kMinColumnLines) return std::nullopt;
  LineOrder first(by_centre.begin(), by_centre.begin() + static_cast<std::ptrdiff_t>(k));
  LineOrder second(by_centre.begin() + static_cast<std::ptrdiff_t>(k), by_centre.end());

  const Band one = vertical_extent(first);
  const Band two = vertical_extent(second);
  const float overlap = min_ignoring_nan(one.high, two.high) - max_ignoring_nan(one.low, two.low);
  float height_sum = 0;
  for (const TextLine& line : lines) height_sum += line.bbox.height;
  if (height_sum / static_cast<float>(n) > max_ignoring_nan(overlap, 0)) return std::nullopt;

  float second_left = second.front()->bbox.x;
  for (const TextLine* line : second) second_left = min_ignoring_nan(second_left, line->bbox.x);
  float first_right = first.front()->bbox.x + first.front()->bbox.width;
  for (const TextLine* line : first) {
    first_right = max_ignoring_nan(first_right, line->bbox.x + line->bbox.width);
  }
  if (!(second_left - first_right >= kMinGutterGap)) return std::nullopt;

  LineOrder result;
  result.reserve(n);
  append_columns(result, std::move(first), std::move(second));
  return result;
}

}  // namespace

std::vector<const TextLine*> text_lines_in_reading_order(std::span<const TextLine> lines) {
  if (lines.size() >= kMinOrderedLines) {
    if (std::optional<LineOrder> order = order_by_column_pairs(lines)) return std::move(*order);
    if (std::optional<LineOrder> order = order_by_gutter(lines)) return std::move(*order);
  }
  LineOrder order;
  order.reserve(lines.size());
  for (const TextLine& line : lines) order.push_back(&line);
  return order;
}

}  // namespace scrivex_core::pdf

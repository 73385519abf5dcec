// The column-pair scan. Testing every pair of lines is quadratic, and pages
// can hold tens of thousands of lines, so each line only looks at the lines
// whose y lies within its own reach, 0.45 x its height, found in a list
// sorted by y. A pair that qualifies lies within the reach of its taller line
// (the larger height decides the test), so that line's window finds it, and
// the result equals that of testing every pair.
#include "core/pdf/column_pairs.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/pdf/layout_math.hpp"

namespace scrivex_core::pdf::detail {
namespace {

// Lines share a row when their bottoms differ by at most this fraction of the
// larger height.
constexpr float kRowShareFraction = 0.45f;
// Columns: a gap of at least kColumnMinGap, or starts on both sides of the
// page middle at least kColumnMinStep apart (user-space units).
constexpr float kColumnMinGap = 18;
constexpr float kPageMiddleX = 280;
constexpr float kColumnMinStep = 110;

bool is_column_pair(const ir::BBox& left, const ir::BBox& right) {
  if (!(left.x < right.x)) return false;
  if (!(std::fabs(left.y - right.y) <= kRowShareFraction * max_ignoring_nan(left.height, right.height))) {
    return false;
  }
  return right.x - (left.x + left.width) >= kColumnMinGap ||
         (right.x > kPageMiddleX && left.x < kPageMiddleX && right.x - left.x >= kColumnMinStep);
}

class MemberMarks {
 public:
  explicit MemberMarks(std::span<const TextLine> lines)
      : lines_(lines), left_(lines.size(), false), right_(lines.size(), false) {}

  // Tests the pair both ways round.
  void visit(std::size_t a, std::size_t b) {
    mark(a, b);
    mark(b, a);
  }

  ColumnPairMembers members() const {
    ColumnPairMembers result;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
      if (left_[i]) result.left.push_back(i);
      if (right_[i]) result.right.push_back(i);
    }
    return result;
  }

 private:
  void mark(std::size_t left, std::size_t right) {
    if (is_column_pair(lines_[left].bbox, lines_[right].bbox)) {
      left_[left] = true;
      right_[right] = true;
    }
  }

  std::span<const TextLine> lines_;
  std::vector<bool> left_;
  std::vector<bool> right_;
};

}  // namespace

ColumnPairMembers find_column_pair_members(std::span<const TextLine> lines) {
  MemberMarks marks(lines);
  const auto y_of = [&](std::size_t i) { return lines[i].bbox.y; };
  const auto reach_of = [&](std::size_t i) { return kRowShareFraction * lines[i].bbox.height; };
  constexpr float kInfinity = std::numeric_limits<float>::infinity();

  // Infinite or NaN bottoms lie within no finite reach (their difference to
  // any y is infinite or NaN), so only lines of infinite reach can pair them.
  std::vector<std::size_t> by_y;
  by_y.reserve(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (std::isfinite(y_of(i))) by_y.push_back(i);
  }
  std::stable_sort(by_y.begin(), by_y.end(), [&](std::size_t a, std::size_t b) { return y_of(a) < y_of(b); });

  // A float difference grows with its minuend, so each walk stops at the
  // first line out of reach. Equal bottoms sit side by side in by_y.
  for (std::size_t p = 0; p < by_y.size(); ++p) {
    const std::size_t i = by_y[p];
    const float y = y_of(i);
    const float reach = reach_of(i);
    if (std::isnan(reach) || reach < 0 || reach == kInfinity) continue;
    for (std::size_t q = p + 1; q < by_y.size() && y_of(by_y[q]) - y <= reach; ++q) marks.visit(i, by_y[q]);
    for (std::size_t q = p; q-- > 0 && y - y_of(by_y[q]) <= reach;) marks.visit(i, by_y[q]);
  }
  // A line of infinite height reaches every line but a NaN or equally
  // infinite bottom: test it against all of them.
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (reach_of(i) != kInfinity) continue;
    for (std::size_t j = 0; j < lines.size(); ++j) {
      if (j != i) marks.visit(i, j);
    }
  }
  return marks.members();
}

}  // namespace scrivex_core::pdf::detail

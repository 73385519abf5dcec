// The column-pair scan of the reading order: lines that sit on a shared row
// with a wide gap or a step across the page middle between them.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf::detail {

// The indices, ascending and without repeats, of the lines that are the left
// or the right member of at least one column pair.
struct ColumnPairMembers {
  std::vector<std::size_t> left;
  std::vector<std::size_t> right;
};

// Line i and line j form a column pair (i left of j) when x(i) < x(j), their
// bottoms differ by at most 0.45 x the larger height, and j starts at least
// 18 units after i ends or i starts left of x = 280 and j right of it with
// at least 110 between their starts. A comparison with NaN is false.
ColumnPairMembers find_column_pair_members(std::span<const TextLine> lines);

}  // namespace scrivex_core::pdf::detail

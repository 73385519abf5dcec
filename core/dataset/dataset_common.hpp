// Helpers shared by the dataset engines (CSV and JSON): word cleaning, box
// unions and the page extent rule.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"

namespace scrivex_core::dataset {

// The white-space-separated words joined by single spaces, so leading,
// trailing and repeated white space disappears; an all-white text gives "".
std::string clean_text(std::string_view text);

// The smallest box holding `a` and `b`. A NaN operand never wins a
// comparison, so a finite bound is kept over a NaN one.
ir::BBox union_box(const ir::BBox& a, const ir::BBox& b);

// The box of any block kind.
const std::optional<ir::BBox>& block_bbox(const ir::Block& block);

// {0, 0, largest x + width, largest y + height} over the blocks that have a
// box, each maximum starting from 0 (a NaN sum is ignored); absent when no
// block has a box.
std::optional<ir::BBox> page_extent(const std::vector<ir::Block>& blocks);

}  // namespace scrivex_core::dataset

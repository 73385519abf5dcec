// The layout of one page: the runs and ruling segments the interpreter
// emitted become text and table blocks in reading order (lines grouped,
// tables detected, columns cut and ordered, wrapped lines merged). A pure
// function of the page; it neither fails nor warns.
#pragma once

#include <cstdint>
#include <vector>

#include "core/ir/document.hpp"
#include "core/pdf/text_run.hpp"

namespace scrivex_core::pdf {

// The blocks of one page, in reading order, from its runs (in emission
// order) and its ruling segments (user space after rotation normalisation).
std::vector<ir::Block> layout_page_blocks(std::vector<TextRun> runs,
                                          const std::vector<RulingSegment>& segments,
                                          std::uint64_t page_number);

}  // namespace scrivex_core::pdf

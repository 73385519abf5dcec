// The layout stages of a page: text runs and ruling segments to blocks in
// reading order. Pure functions over what the interpreter emitted.
#pragma once

#include <cstdint>
#include <vector>

#include "core/ir/document.hpp"
#include "core/pdf/text_run.hpp"

namespace scrivex_core::pdf {

// The blocks of one page from its runs (in emission order) and its ruling
// segments (user space after rotation normalisation).
std::vector<ir::Block> layout_page_blocks(std::vector<TextRun> runs,
                                          const std::vector<RulingSegment>& segments,
                                          std::uint64_t page_number);

}  // namespace scrivex_core::pdf

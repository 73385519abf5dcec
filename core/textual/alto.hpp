// Reading ALTO, the OCR output vocabulary of Page, TextLine and String
// elements with HPOS, VPOS, WIDTH, HEIGHT, CONTENT and WC attributes.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/ir/document.hpp"
#include "core/textual/ocr_blocks.hpp"
#include "core/textual/tag_scan.hpp"

namespace scrivex_core::textual {

// The word of one String tag: its CONTENT with references decoded, its box
// when HPOS, VPOS, WIDTH and HEIGHT all read, and its WC as written.
// Nothing when CONTENT is missing or blank.
std::optional<AltoWord> alto_word_from_tag(std::string_view tag);

// The "ocr_word" block of one ALTO word.
ir::Block alto_word_block(const AltoWord& word, std::uint64_t page_number);

// The "ocr_line" block of one TextLine element; nothing without words.
std::optional<ir::Block> alto_line_block(const Element& text_line);

// The box of HPOS, VPOS, WIDTH and HEIGHT when all four read.
std::optional<ir::BBox> alto_box_from_tag(std::string_view tag);

}  // namespace scrivex_core::textual

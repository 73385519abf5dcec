// Reading hOCR: HTML whose elements carry OCR classes ("ocr_page",
// "ocr_line", "ocrx_word") and a title with "bbox" and "x_wconf" entries.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/textual/ocr_blocks.hpp"
#include "core/textual/tag_scan.hpp"

namespace scrivex_core::textual {

// The outermost elements, in document order, whose class attribute has a
// word equal (ASCII case-insensitively) to one of `classes`. Closing tags
// are matched by counting nesting of the same name; self-closing elements
// and elements without a closing tag are passed over.
std::vector<Element> hocr_elements_with_any_class(std::string_view text,
                                                  const std::vector<std::string_view>& classes);

// The box of a title entry "bbox x0 y0 x1 y1" in the tag, corners in any
// order: "bbox 100 50 10 5" gives x 10, y 5, width 90, height 45.
std::optional<ir::BBox> hocr_bbox_from_tag(std::string_view tag);

// The word of an "ocrx_word" element: its visible text, its box and its
// "x_wconf" percentage scaled to 0..1. Nothing when the text is empty.
std::optional<AltoWord> hocr_word_from_element(const Element& element);

// The "ocr_word" block of one hOCR word.
ir::Block hocr_word_block(const AltoWord& word, std::uint64_t page_number);

}  // namespace scrivex_core::textual

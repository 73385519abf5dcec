// Reading PAGE XML, the OCR ground-truth vocabulary of TextRegion, TextLine,
// Word, Coords and TextEquiv elements.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/ir/document.hpp"
#include "core/textual/tag_scan.hpp"

namespace scrivex_core::textual {

// The text of the last "Unicode" element in the content, markup removed and
// words joined by single spaces; nothing when absent or empty.
std::optional<std::string> page_xml_text_from_content(std::string_view content);

// The box spanning the points of the first "Coords" tag in the content
// ("points='10,20 30,20 30,40'" gives x 10, y 20, width 20, height 20).
// One unreadable point voids the box; tokens without "," are passed over.
std::optional<ir::BBox> page_xml_bbox_from_content(std::string_view content);

// The "ocr_line" block of one TextLine element, or nothing when it has no
// text. The line's own TextEquiv and Coords are read with its Word elements
// left out, so a word's text or box never stands for the line's.
std::optional<ir::Block> page_xml_line_block(const Element& text_line);

}  // namespace scrivex_core::textual

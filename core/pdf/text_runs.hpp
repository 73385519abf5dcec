// Turning shown strings into text runs: decoding, widths and the run box.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/content_parser.hpp"
#include "core/pdf/font_decoder.hpp"
#include "core/pdf/graphics_state.hpp"
#include "core/pdf/text_run.hpp"

namespace scrivex_core::pdf {

// A page's fonts by resource name ("F1").
using PageFontMap = std::map<std::string, FontDecoderHandle>;

// Appends a run for text (unless it is blank) and advances the text matrix by its width.
void push_text_run(std::vector<TextRun>& runs, GraphicsState& state, const std::string& label,
                   std::string text, const PageFontMap& fonts);

// The decoded text of a string operand with the current font; nothing for other operands.
std::optional<std::string> operand_text(const Operand& operand, const GraphicsState& state,
                                        const PageFontMap& fonts);

// The text of a TJ array; a large enough negative adjustment becomes one space.
std::string text_from_array(const std::vector<Operand>& items, const GraphicsState& state,
                            const PageFontMap& fonts);

// The advance of a space in user-space units (before the matrices), at least 0.
float space_advance_width(const GraphicsState& state, const PageFontMap& fonts);

// A rough advance width in 1/1000 units for fonts that give none.
float default_glyph_width(char32_t c);

}  // namespace scrivex_core::pdf

// Fonts: turning the bytes of shown strings into Unicode text, and the font
// facts the run geometry needs.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/pdf/cmap.hpp"
#include "core/pdf/object.hpp"

namespace scrivex_core::pdf {

inline constexpr float kDefaultAscent = 0.75f;
inline constexpr float kDefaultDescent = -0.25f;

// Built once per font object, then shared read-only by all page tasks.
struct FontDecoder {
  CodeMap to_unicode;                               // source code bytes to text (ToUnicode CMap)
  std::map<std::uint8_t, std::string> differences;  // code to text (/Differences)
  std::unordered_map<char32_t, float> widths;       // advance in 1/1000 text-space units, by character
  std::size_t code_bytes = 1;                       // longest to_unicode key, 1 when empty
  float ascent = kDefaultAscent;
  float descent = kDefaultDescent;
  bool bold = false;
  bool italic = false;

  // The /Differences text of the byte, else the ISO 8859-1 character.
  std::string decode_byte(std::uint8_t byte) const;
};

using FontDecoderHandle = std::shared_ptr<const FontDecoder>;
// Font object number to its decoder.
using FontDecoderMap = std::unordered_map<std::uint32_t, FontDecoderHandle>;

// The decoder of a font object. Never fails: a missing or broken part
// leaves its field at the default.
FontDecoder font_decoder(const PdfObject& font, const ObjectIndex& index);

// String bytes to text: through the ToUnicode map (longest code first), the
// /Differences map, or, without either, as UTF-16BE after a FEFF mark or as
// ISO 8859-1.
std::string decode_pdf_text(std::string_view bytes, const FontDecoder* decoder);

// The /Differences map of the first "/Differences [...]" in text.
std::map<std::uint8_t, std::string> parse_encoding_differences(std::string_view text);

}  // namespace scrivex_core::pdf

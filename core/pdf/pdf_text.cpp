// Decoding shown strings to text, and the /Differences array.
#include <algorithm>

#include "core/pdf/cmap.hpp"
#include "core/pdf/content_parser.hpp"
#include "core/pdf/font_decoder.hpp"
#include "core/pdf/glyph_names.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr float kMaxDifferencesCode = 65535;

std::string latin1_text(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (char byte : bytes) util::append_utf8(text, static_cast<unsigned char>(byte));
  return text;
}

std::string decode_with_to_unicode(std::string_view bytes, const FontDecoder& decoder) {
  std::string text;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    bool matched = false;
    for (std::size_t length = std::min(decoder.code_bytes, bytes.size() - pos); length >= 1; --length) {
      const auto found = decoder.to_unicode.find(bytes.substr(pos, length));
      if (found != decoder.to_unicode.end()) {
        text += found->second;
        pos += length;
        matched = true;
        break;
      }
    }
    if (!matched) text += decoder.decode_byte(static_cast<std::uint8_t>(bytes[pos++]));
  }
  return text;
}

}  // namespace

std::string decode_pdf_text(std::string_view bytes, const FontDecoder* decoder) {
  if (decoder != nullptr && !decoder->to_unicode.empty()) return decode_with_to_unicode(bytes, *decoder);
  if (decoder != nullptr && !decoder->differences.empty()) {
    std::string text;
    for (char byte : bytes) text += decoder->decode_byte(static_cast<std::uint8_t>(byte));
    return text;
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return decode_utf16be(bytes.substr(2));
  return latin1_text(bytes);
}

std::map<std::uint8_t, std::string> parse_encoding_differences(std::string_view text) {
  std::map<std::uint8_t, std::string> differences;
  const std::size_t key = text.find("/Differences");
  if (key == std::string_view::npos) return differences;
  const std::size_t open = text.find('[', key);
  if (open == std::string_view::npos) return differences;
  ContentParser parser(text, open);
  const ContentToken token = parser.next_operand_or_operator();
  if (token.kind != ContentToken::Kind::Operand || !token.operand.is_array()) return differences;
  std::optional<std::uint32_t> code;
  for (const Operand& item : token.operand.items) {
    if (item.is_number()) {
      if (item.number >= 0) code = static_cast<std::uint32_t>(std::min(item.number, kMaxDifferencesCode));
    } else if (item.is_name() && code) {
      if (*code <= 255) {
        if (auto resolved = resolve_glyph_name(item.text)) {
          differences.insert_or_assign(static_cast<std::uint8_t>(*code), std::move(*resolved));
        }
      }
      code = *code == 65535 ? std::nullopt : std::optional<std::uint32_t>(*code + 1);
    }
  }
  return differences;
}

}  // namespace scrivex_core::pdf

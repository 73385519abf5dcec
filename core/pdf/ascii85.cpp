#include <array>
#include <cstdint>

#include "core/pdf/filters.hpp"
#include "core/pdf/syntax.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr std::size_t kGroupDigits = 5;
constexpr std::uint32_t kPadDigit = 84;  // "u" - "!"

ScrivexError ascii85_error(std::string_view detail) {
  return ScrivexError::pdf("ASCII85Decode failed: " + std::string(detail));
}

ScrivexError invalid_byte(unsigned char byte) {
  constexpr char kHex[] = "0123456789abcdef";
  std::string text = "invalid byte 0x";
  text.push_back(kHex[byte >> 4]);
  text.push_back(kHex[byte & 0xF]);
  return ascii85_error(text);
}

// Appends the first `count` bytes of a full group; false when it overflows 32 bits.
bool flush_group(const std::array<std::uint32_t, kGroupDigits>& digits, std::size_t count, std::string& out) {
  std::uint64_t value = 0;
  for (std::uint32_t digit : digits) value = value * 85 + digit;
  if (value > 0xFFFFFFFFu) return false;
  for (std::size_t i = 0; i < count; ++i) out.push_back(static_cast<char>((value >> (24 - 8 * i)) & 0xFF));
  return true;
}

}  // namespace

Result<std::string> decode_ascii85(std::string_view data) {
  std::string out;
  std::array<std::uint32_t, kGroupDigits> digits{};
  std::size_t filled = 0;
  for (std::size_t i = 0; i < data.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(data[i]);
    const bool next_is = i + 1 < data.size();
    if (is_pdf_white_space(static_cast<char>(byte))) continue;
    if (byte == '<' && next_is && data[i + 1] == '~') {
      ++i;
      continue;
    }
    if (byte == '~') {
      if (next_is && data[i + 1] == '>') break;
      return invalid_byte(byte);
    }
    if (byte == 'z') {
      if (filled != 0) return invalid_byte(byte);
      out.append(4, '\0');
      continue;
    }
    if (byte < '!' || byte > 'u') return invalid_byte(byte);
    digits[filled++] = byte - '!';
    if (filled == kGroupDigits) {
      if (!flush_group(digits, 4, out)) return ascii85_error("invalid group");
      filled = 0;
    }
  }
  if (filled == 1) return ascii85_error("dangling single digit");
  if (filled > 1) {
    for (std::size_t i = filled; i < kGroupDigits; ++i) digits[i] = kPadDigit;
    if (!flush_group(digits, filled - 1, out)) return ascii85_error("invalid group");
  }
  return out;
}

}  // namespace scrivex_core::pdf

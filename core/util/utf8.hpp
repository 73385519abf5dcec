// UTF-8 decoding over untrusted bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivex_core::util {

inline constexpr char32_t kReplacementChar = 0xFFFD;

// One step of decoding: the scalar value and how many bytes it took. An
// invalid sequence yields U+FFFD over its maximal invalid subpart, so lossy
// decoding replaces each maximal invalid subsequence with one U+FFFD.
struct DecodedChar {
  char32_t value;
  std::size_t length;
  bool valid;
};

// Decodes the character starting at text[pos]; pos must be < text.size().
DecodedChar decode_utf8_at(std::string_view text, std::size_t pos);

bool is_valid_utf8(std::string_view text);
std::string decode_utf8_lossy(std::string_view bytes);
void append_utf8(std::string& out, char32_t value);
// Number of Unicode scalar values of valid UTF-8 text.
std::uint64_t count_scalars(std::string_view text);

// Iterates the scalar values of text, decoding lossily.
template <class Fn>
void for_each_char(std::string_view text, Fn&& fn) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      fn(static_cast<char32_t>(byte));
      ++pos;
      continue;
    }
    const DecodedChar decoded = decode_utf8_at(text, pos);
    fn(decoded.value);
    pos += decoded.length;
  }
}

}  // namespace scrivex_core::util

#include "core/util/utf8.hpp"

#include <algorithm>
#include <cstring>

namespace scrivex_core::util {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The end of the run of ASCII bytes that starts at pos, eight bytes at a time.
std::size_t ascii_run_end(std::string_view text, std::size_t pos) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
  while (pos + 8 <= text.size()) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + pos, sizeof word);
    if (word & kHighBits) break;
    pos += 8;
  }
  while (pos < text.size() && static_cast<unsigned char>(text[pos]) < 0x80) ++pos;
  return pos;
}

// The end of the run of valid UTF-8 that starts at pos.
std::size_t valid_run_end(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    pos = ascii_run_end(text, pos);
    if (pos == text.size()) break;
    const DecodedChar decoded = decode_utf8_at(text, pos);
    if (!decoded.valid) break;
    pos += decoded.length;
  }
  return pos;
}

}  // namespace

DecodedChar decode_utf8_at(std::string_view text, std::size_t pos) {
  const auto byte_at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte_at(pos);
  if (lead < 0x80) return {lead, 1, true};

  std::size_t need = 0;
  char32_t value = 0;
  // The accepted range of the second byte narrows for E0, ED, F0 and F4 so that
  // overlong forms, surrogates and values past U+10FFFF are invalid at once.
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacementChar, 1, false};
  }
  std::size_t taken = 1;
  for (std::size_t i = 0; i < need; ++i) {
    if (pos + taken >= text.size()) return {kReplacementChar, taken, false};
    const unsigned char next = byte_at(pos + taken);
    const bool in_range = i == 0 ? (next >= low && next <= high) : is_continuation(next);
    if (!in_range) return {kReplacementChar, taken, false};
    value = (value << 6) | (next & 0x3F);
    ++taken;
  }
  return {value, taken, true};
}

bool is_valid_utf8(std::string_view text) { return valid_run_end(text, 0) == text.size(); }

std::string decode_utf8_lossy(std::string_view bytes) {
  const std::size_t valid_end = valid_run_end(bytes, 0);
  if (valid_end == bytes.size()) return std::string(bytes);
  // The valid prefix is copied whole; the rest goes through in chunks, each
  // written into room for its worst case (every byte a three-byte U+FFFD).
  constexpr std::size_t kChunk = 64 * 1024;
  constexpr std::size_t kMaxGrowth = 3;
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2 + 16);
  out.append(bytes.substr(0, valid_end));
  std::size_t pos = valid_end;
  while (pos < bytes.size()) {
    const std::size_t chunk_end = std::min(bytes.size(), pos + kChunk);
    const std::size_t written = out.size();
    // A character that starts in the chunk may end up to three bytes past it.
    out.resize(written + kMaxGrowth * (chunk_end - pos) + 3);
    char* to = out.data() + written;
    while (pos < chunk_end) {
      const char byte = bytes[pos];
      if (static_cast<unsigned char>(byte) < 0x80) {
        *to++ = byte;
        ++pos;
        continue;
      }
      const DecodedChar decoded = decode_utf8_at(bytes, pos);
      if (decoded.valid) {
        std::memcpy(to, bytes.data() + pos, decoded.length);
        to += decoded.length;
      } else {
        std::memcpy(to, "\xEF\xBF\xBD", 3);
        to += 3;
      }
      pos += decoded.length;
    }
    out.resize(static_cast<std::size_t>(to - out.data()));
  }
  return out;
}

void append_utf8(std::string& out, char32_t value) {
  if (value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) value = kReplacementChar;
  if (value < 0x80) {
    out.push_back(static_cast<char>(value));
  } else if (value < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (value >> 6)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else if (value < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (value >> 12)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (value >> 18)));
    out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
  }
}

std::uint64_t count_scalars(std::string_view text) {
  std::uint64_t count = 0;
  // Every scalar value has exactly one byte that is not a continuation byte.
  for (char c : text) count += !is_continuation(static_cast<unsigned char>(c));
  return count;
}

}  // namespace scrivex_core::util

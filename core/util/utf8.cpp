#include "core/util/utf8.hpp"

namespace scrivex_core::util {
namespace {

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

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

bool is_valid_utf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
      continue;
    }
    const DecodedChar decoded = decode_utf8_at(text, pos);
    if (!decoded.valid) return false;
    pos += decoded.length;
  }
  return true;
}

std::string decode_utf8_lossy(std::string_view bytes) {
  if (is_valid_utf8(bytes)) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() + 16);
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    const DecodedChar decoded = decode_utf8_at(bytes, pos);
    if (decoded.valid) {
      out.append(bytes.substr(pos, decoded.length));
    } else {
      append_utf8(out, kReplacementChar);
    }
    pos += decoded.length;
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

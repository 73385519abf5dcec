#include "core/util/unicode.hpp"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include "core/util/utf8.hpp"

namespace scrivex_core::util {
namespace {

bool ascii_white_space(char32_t c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

// Finds the first (from the front) or last (from the back) non-white-space
// character; returns the byte offset just past the trimmed region.
std::size_t leading_space_length(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const DecodedChar decoded = decode_utf8_at(text, pos);
    if (!is_white_space(decoded.value) || !decoded.valid) break;
    pos += decoded.length;
  }
  return pos;
}

std::size_t char_start_before(std::string_view text, std::size_t end) {
  std::size_t start = end - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80 && end - start < 4) --start;
  return start;
}

}  // namespace

bool is_white_space(char32_t c) {
  if (c < 0x80) return ascii_white_space(c);
  return u_isUWhiteSpace(static_cast<UChar32>(c));
}

bool is_alphabetic(char32_t c) {
  if (c < 0x80) return (c | 0x20) >= 'a' && (c | 0x20) <= 'z';
  return u_isUAlphabetic(static_cast<UChar32>(c));
}

bool is_numeric(char32_t c) {
  if (c < 0x80) return c >= '0' && c <= '9';
  const auto type = u_charType(static_cast<UChar32>(c));
  return type == U_DECIMAL_DIGIT_NUMBER || type == U_LETTER_NUMBER || type == U_OTHER_NUMBER;
}

bool is_lowercase(char32_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z';
  return u_isULowercase(static_cast<UChar32>(c));
}

bool is_alphanumeric(char32_t c) { return is_alphabetic(c) || is_numeric(c); }

void append_lowercase(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
    return;
  }
  UChar source[2];
  int32_t source_length = 0;
  U16_APPEND_UNSAFE(source, source_length, static_cast<UChar32>(c));
  UChar lowered[8];
  UErrorCode status = U_ZERO_ERROR;
  // The root locale gives the language-independent full mapping (U+0130 becomes "i̇").
  const int32_t length = u_strToLower(lowered, 8, source, source_length, "", &status);
  if (U_FAILURE(status) || length > 8) {
    append_utf8(out, c);
    return;
  }
  for (int32_t i = 0; i < length;) {
    UChar32 lowered_char;
    U16_NEXT(lowered, i, length, lowered_char);
    append_utf8(out, static_cast<char32_t>(lowered_char));
  }
}

std::string to_lowercase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for_each_char(text, [&](char32_t c) { append_lowercase(out, c); });
  return out;
}

std::string ascii_lowercase(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

std::string_view trim_start(std::string_view text) { return text.substr(leading_space_length(text)); }

std::string_view trim_end(std::string_view text) {
  std::size_t end = text.size();
  while (end > 0) {
    const std::size_t start = char_start_before(text, end);
    const DecodedChar decoded = decode_utf8_at(text, start);
    if (decoded.length != end - start || !decoded.valid || !is_white_space(decoded.value)) break;
    end = start;
  }
  return text.substr(0, end);
}

std::string_view trim(std::string_view text) { return trim_end(trim_start(text)); }

bool is_blank(std::string_view text) { return leading_space_length(text) == text.size(); }

std::vector<std::string_view> split_whitespace(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t pos = 0, word_start = 0;
  bool in_word = false;
  while (pos < text.size()) {
    const DecodedChar decoded = decode_utf8_at(text, pos);
    const bool space = decoded.valid && is_white_space(decoded.value);
    if (space && in_word) words.push_back(text.substr(word_start, pos - word_start));
    if (!space && !in_word) word_start = pos;
    in_word = !space;
    pos += decoded.length;
  }
  if (in_word) words.push_back(text.substr(word_start));
  return words;
}

std::uint64_t count_words(std::string_view text) {
  std::uint64_t count = 0;
  bool in_word = false;
  for_each_char(text, [&](char32_t c) {
    const bool space = is_white_space(c);
    if (!space && !in_word) ++count;
    in_word = !space;
  });
  return count;
}

std::vector<std::string_view> split_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    const bool last = end == std::string_view::npos;
    if (last) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!last && line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

}  // namespace scrivex_core::util

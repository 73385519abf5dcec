#include "core/pdf/syntax.hpp"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {

std::size_t skip_pdf_white_space(std::string_view text, std::size_t pos) {
  while (pos < text.size() && is_pdf_white_space(text[pos])) ++pos;
  return pos;
}

std::size_t digit_run_length(std::string_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && is_digit(text[end])) ++end;
  return end - pos;
}

namespace {

// Decimals of at most this many digits have an integer part below 2^24 and a
// power of ten exact in a float.
constexpr std::size_t kMaxExactDigits = 7;
constexpr float kPowersOfTen[kMaxExactDigits + 1] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f};

// "ddd", "ddd.ddd", ".ddd" or "ddd." of few digits: the digits as an exact
// integer divided by an exact power of ten is one correctly rounded
// division, the same float from_chars gives.
std::optional<float> short_decimal(std::string_view token) {
  std::uint32_t digits = 0;
  std::size_t count = 0;
  std::size_t fraction = 0;
  bool dot = false;
  for (char c : token) {
    if (c == '.' && !dot) {
      dot = true;
    } else if (is_digit(c) && count < kMaxExactDigits) {
      digits = digits * 10 + static_cast<std::uint32_t>(c - '0');
      ++count;
      fraction += dot ? 1 : 0;
    } else {
      return std::nullopt;
    }
  }
  if (count == 0) return std::nullopt;
  return static_cast<float>(digits) / kPowersOfTen[fraction];
}

}  // namespace

std::optional<float> parse_pdf_float(std::string_view token) {
  bool negative = false;
  if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
    negative = token.front() == '-';
    token.remove_prefix(1);
  }
  if (token.empty() || token.front() == '+' || token.front() == '-') return std::nullopt;
  if (const auto value = short_decimal(token)) return negative ? -*value : *value;
  const char* first = token.data();
  const char* last = token.data() + token.size();
  float value = 0;
  const auto [end, ec] = std::from_chars(first, last, value);
  if (ec == std::errc::result_out_of_range) {
    // Past the float range: overflow gives infinity, underflow zero.
    double wide = 0;
    const auto [wide_end, wide_ec] = std::from_chars(first, last, wide);
    if (wide_end != last) return std::nullopt;
    const bool overflow = wide_ec == std::errc{} ? std::fabs(wide) > 1.0
                                                 : token.find("e-") == std::string_view::npos &&
                                                       token.find("E-") == std::string_view::npos;
    value = overflow ? std::numeric_limits<float>::infinity() : 0.0f;
  } else if (ec != std::errc{} || end != last) {
    return std::nullopt;
  }
  return negative ? -value : value;
}

std::optional<std::uint64_t> parse_u64(std::string_view token) {
  if (!token.empty() && token.front() == '+') token.remove_prefix(1);
  if (token.empty() || !is_digit(token.front())) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
  if (ec != std::errc{} || end != token.data() + token.size()) return std::nullopt;
  return value;
}

namespace {

template <class Int>
Int saturating_cast(float value) {
  if (std::isnan(value)) return 0;
  constexpr auto lo = std::numeric_limits<Int>::min();
  constexpr auto hi = std::numeric_limits<Int>::max();
  if (value <= static_cast<float>(lo)) return lo;
  if (value >= static_cast<float>(hi)) return hi;
  return static_cast<Int>(value);
}

}  // namespace

std::uint64_t saturating_u64(float value) {
  return saturating_cast<std::uint64_t>(value);
}
std::uint32_t saturating_u32(float value) {
  return saturating_cast<std::uint32_t>(value);
}
std::int32_t saturating_i32(float value) {
  return saturating_cast<std::int32_t>(value);
}

bool contains_ignoring_white_space(std::string_view text, std::string_view needle) {
  // Knuth-Morris-Pratt over the characters that are not white space, so
  // each character is looked at once.
  constexpr std::size_t kMaxNeedle = 32;
  if (needle.empty()) return true;
  if (needle.size() > kMaxNeedle) return false;
  std::size_t fallback[kMaxNeedle] = {};
  for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
    while (k > 0 && needle[i] != needle[k]) k = fallback[k - 1];
    if (needle[i] == needle[k]) ++k;
    fallback[i] = k;
  }
  std::size_t matched = 0;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (matched == 0) {
      // Nothing else can start a match, and the needle's first character
      // (ASCII) always starts a character of the decoding: jump to it.
      pos = text.find(needle[0], pos);
      if (pos == std::string_view::npos) return false;
    }
    char c = text[pos];
    if (static_cast<unsigned char>(c) < 0x80) {
      ++pos;
      if (util::is_white_space(static_cast<char32_t>(c))) continue;
    } else {
      const util::DecodedChar decoded = util::decode_utf8_at(text, pos);
      pos += decoded.length;
      if (util::is_white_space(decoded.value)) continue;
      c = '\x80';  // the needle is ASCII: any other character only breaks a match
    }
    while (matched > 0 && needle[matched] != c) matched = fallback[matched - 1];
    if (needle[matched] == c && ++matched == needle.size()) return true;
  }
  return false;
}

}  // namespace scrivex_core::pdf

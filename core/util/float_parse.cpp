#include "core/util/float_parse.hpp"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <system_error>

namespace scrivex_core::util {
namespace {

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool equals_ascii_nocase(std::string_view text, std::string_view lower_word) {
  if (text.size() != lower_word.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower_word[i]) return false;
  }
  return true;
}

// The decimal grammar, checked before std::from_chars sees the text, because
// from_chars also takes forms this grammar refuses ("nan(123)") and refuses
// a leading "+". Returns the decimal exponent of the leading significant
// digit (the number is below 1 when it is negative) or nothing when the text
// is not a number; `all_zero` tells whether every digit is 0.
struct DecimalShape {
  long long leading_exponent = 0;
  bool all_zero = true;
};

std::optional<DecimalShape> check_decimal(std::string_view text) {
  std::size_t pos = 0;
  std::size_t digits = 0;
  DecimalShape shape;
  long long integer_digits = 0;
  long long leading_fraction_zeros = 0;
  while (pos < text.size() && is_digit(text[pos])) {
    if (text[pos] != '0' || !shape.all_zero) ++integer_digits;
    if (text[pos] != '0') shape.all_zero = false;
    ++pos;
    ++digits;
  }
  if (pos < text.size() && text[pos] == '.') {
    ++pos;
    while (pos < text.size() && is_digit(text[pos])) {
      if (shape.all_zero && text[pos] == '0') ++leading_fraction_zeros;
      if (text[pos] != '0') shape.all_zero = false;
      ++pos;
      ++digits;
    }
  }
  if (digits == 0) return std::nullopt;
  long long exponent = 0;
  if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
    ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    const std::size_t first = pos;
    constexpr long long kExponentCap = 1'000'000'000;  // far past any float; stops overflow
    while (pos < text.size() && is_digit(text[pos])) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (text[pos] - '0');
      ++pos;
    }
    if (pos == first) return std::nullopt;
    if (negative) exponent = -exponent;
  }
  if (pos != text.size()) return std::nullopt;
  shape.leading_exponent = (integer_digits > 0 ? integer_digits : -leading_fraction_zeros) + exponent;
  return shape;
}

}  // namespace

std::optional<float> parse_f32(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  const float sign = negative ? -1.0f : 1.0f;
  if (equals_ascii_nocase(text, "inf") || equals_ascii_nocase(text, "infinity")) {
    return sign * std::numeric_limits<float>::infinity();
  }
  if (equals_ascii_nocase(text, "nan")) return std::numeric_limits<float>::quiet_NaN();
  const auto shape = check_decimal(text);
  if (!shape) return std::nullopt;
  float value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec == std::errc{} && end == text.data() + text.size()) return sign * value;
  if (ec != std::errc::result_out_of_range) return std::nullopt;
  // Out of range: an overflow becomes an infinity, an underflow zero.
  if (shape->all_zero || shape->leading_exponent <= 0) return sign * 0.0f;
  return sign * std::numeric_limits<float>::infinity();
}

}  // namespace scrivex_core::util

// Byte classes and small text helpers shared by the PDF readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace scrivex_core::pdf {

// NUL, tab, line feed, form feed, carriage return and space.
constexpr bool is_pdf_white_space(char c) {
  return c == '\0' || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}

constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// The delimiters that end a name or an operator in a content stream.
constexpr bool is_token_delimiter(char c) {
  return is_pdf_white_space(c) || c == '(' || c == ')' || c == '/' || c == '<' || c == '>' || c == '[' ||
         c == ']';
}

// Position of the first non-white-space byte at or after pos (size() at the end).
std::size_t skip_pdf_white_space(std::string_view text, std::size_t pos);

// Length of the run of ASCII digits starting at pos.
std::size_t digit_run_length(std::string_view text, std::size_t pos);

// Reads a whole token as a 32-bit float: an optional sign, then a decimal
// number ("+5", "-.5", "3.", "1e3"). Nothing for anything else ("-", "1.2.3",
// "+-1"); values beyond the float range give infinity.
std::optional<float> parse_pdf_float(std::string_view token);

// Reads a whole token as an unsigned 64-bit decimal, an optional "+" then
// digits; nothing when empty, not a number or overflowing.
std::optional<std::uint64_t> parse_u64(std::string_view token);

// A float converted to an unsigned count: negative and NaN give 0, values
// past the range saturate.
std::uint64_t saturating_u64(float value);
std::uint32_t saturating_u32(float value);
std::int32_t saturating_i32(float value);

// Whether text, with all Unicode white space removed, contains needle
// (an ASCII text without white space). Linear; allocates nothing.
bool contains_ignoring_white_space(std::string_view text, std::string_view needle);

}  // namespace scrivex_core::pdf

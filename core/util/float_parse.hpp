// Decimal number reading with one grammar for every text format.
#pragma once

#include <optional>
#include <string_view>

namespace scrivex_core::util {

// Reads a 32-bit float written in decimal: an optional sign, digits with an
// optional fraction (at least one digit in all), an optional exponent, or one
// of the words "inf", "infinity" and "nan" in any case. No white space is
// allowed around it. Magnitudes past the float range give an infinity and
// tiny ones zero, both with the number's sign. Nothing for any other text,
// so "1.5" and "+2e3" read, while " 1", "1.2.3", "0x10" and "" do not.
std::optional<float> parse_f32(std::string_view text);

}  // namespace scrivex_core::util

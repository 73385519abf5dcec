#include "core/textual/char_reference.hpp"

#include <cstdint>

#include "core/util/utf8.hpp"

namespace scrivex_core::textual::detail {
namespace {

// The ";" of a reference must lie within this many bytes after its "&";
// longer names are no references, so a stray "&" costs a bounded look-ahead.
constexpr std::size_t kMaxReferenceSpan = 16;

int digit_value(char c, std::uint32_t radix) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value >= 0 && static_cast<std::uint32_t>(value) < radix ? value : -1;
}

// An unsigned 32-bit number: one optional leading "+", then at least one
// digit; overflow fails.
std::optional<std::uint32_t> parse_u32(std::string_view digits, std::uint32_t radix) {
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    const int digit = digit_value(c, radix);
    if (digit < 0) return std::nullopt;
    value = value * radix + static_cast<std::uint64_t>(digit);
    if (value > UINT32_MAX) return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

std::optional<std::string> decode_numeric(std::string_view body) {
  std::optional<std::uint32_t> code;
  if (body.size() >= 1 && (body.front() == 'x' || body.front() == 'X')) {
    code = parse_u32(body.substr(1), 16);
  } else {
    code = parse_u32(body, 10);
  }
  if (!code || (*code >= 0xD800 && *code <= 0xDFFF) || *code > 0x10FFFF) return std::nullopt;
  std::string out;
  util::append_utf8(out, static_cast<char32_t>(*code));
  return out;
}

std::optional<std::string> decode_name(std::string_view name) {
  if (name == "lt") return "<";
  if (name == "gt") return ">";
  if (name == "amp") return "&";
  if (name == "quot") return "\"";
  if (name == "apos") return "'";
  if (name == "nbsp") return " ";
  if (!name.empty() && name.front() == '#') return decode_numeric(name.substr(1));
  return std::nullopt;
}

}  // namespace

std::optional<DecodedReference> decode_character_reference(std::string_view text, std::size_t amp) {
  if (amp >= text.size() || text[amp] != '&') return std::nullopt;
  const std::string_view window = text.substr(amp + 1, kMaxReferenceSpan);
  const std::size_t semicolon = window.find(';');
  if (semicolon == std::string_view::npos) return std::nullopt;
  auto decoded = decode_name(window.substr(0, semicolon));
  if (!decoded) return std::nullopt;
  return DecodedReference{std::move(*decoded), amp + 1 + semicolon + 1};
}

}  // namespace scrivex_core::textual::detail

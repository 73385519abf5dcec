#include "core/pdf/glyph_names.hpp"

#include <array>
#include <cstdint>

#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

struct GlyphName {
  std::string_view name;
  std::string_view text;  // UTF-8
};

// The names TeX and office fonts use most, mapped to the text they stand for.
constexpr std::array<GlyphName, 125> kGlyphNames = {{
    {"space", " "},
    {"exclam", "!"},
    {"quotedbl", "\""},
    {"numbersign", "#"},
    {"dollar", "$"},
    {"percent", "%"},
    {"ampersand", "&"},
    {"quoteleft", "'"},
    {"quoteright", "'"},
    {"quotesingle", "'"},
    {"parenleft", "("},
    {"parenleftbig", "("},
    {"parenleftBig", "("},
    {"parenleftbigg", "("},
    {"parenleftBigg", "("},
    {"parenright", ")"},
    {"parenrightbig", ")"},
    {"parenrightBig", ")"},
    {"parenrightbigg", ")"},
    {"parenrightBigg", ")"},
    {"asterisk", "*"},
    {"asteriskmath", "*"},
    {"plus", "+"},
    {"comma", ","},
    {"hyphen", "-"},
    {"period", "."},
    {"slash", "/"},
    {"zero", "0"},
    {"one", "1"},
    {"two", "2"},
    {"three", "3"},
    {"four", "4"},
    {"five", "5"},
    {"six", "6"},
    {"seven", "7"},
    {"eight", "8"},
    {"nine", "9"},
    {"colon", ":"},
    {"semicolon", ";"},
    {"less", "<"},
    {"equal", "="},
    {"greater", ">"},
    {"question", "?"},
    {"at", "@"},
    {"bracketleft", "["},
    {"backslash", "\\"},
    {"bracketright", "]"},
    {"hatwide", "^"},
    {"hatwider", "^"},
    {"hatwidest", "^"},
    {"circumflex", "^"},
    {"underscore", "_"},
    {"braceleft", "{"},
    {"bracelefttp", "{"},
    {"braceleftbt", "{"},
    {"braceleftBig", "{"},
    {"braceleftmid", "{"},
    {"braceleftBigg", "{"},
    {"bar", "|"},
    {"braceex", "|"},
    {"vextendsingle", "|"},
    {"braceright", "}"},
    {"bracerightBig", "}"},
    {"tilde", "~"},
    {"tildewide", "~"},
    {"ff", "ff"},
    {"fi", "fi"},
    {"fl", "fl"},
    {"ffi", "ffi"},
    {"ffl", "ffl"},
    {"plusminus", "\u00B1"},
    {"periodcentered", "\u00B7"},
    {"multiply", "\u00D7"},
    {"negationslash", "\u0338"},
    {"Gamma", "\u0393"},
    {"Theta", "\u0398"},
    {"Lambda", "\u039B"},
    {"Pi", "\u03A0"},
    {"Sigma", "\u03A3"},
    {"Phi", "\u03A6"},
    {"Omega", "\u03A9"},
    {"alpha", "\u03B1"},
    {"beta", "\u03B2"},
    {"gamma", "\u03B3"},
    {"delta", "\u03B4"},
    {"epsilon", "\u03B5"},
    {"zeta", "\u03B6"},
    {"lambda", "\u03BB"},
    {"mu", "\u03BC"},
    {"pi", "\u03C0"},
    {"pi1", "\u03C0"},
    {"rho", "\u03C1"},
    {"sigma", "\u03C3"},
    {"tau", "\u03C4"},
    {"phi", "\u03C6"},
    {"chi", "\u03C7"},
    {"omega", "\u03C9"},
    {"bullet", "\u2022"},
    {"openbullet", "\u2022"},
    {"prime", "\u2032"},
    {"arrowright", "\u2192"},
    {"mapsto", "\u21A6"},
    {"universal", "\u2200"},
    {"partialdiff", "\u2202"},
    {"element", "\u2208"},
    {"productdisplay", "\u220F"},
    {"summationtext", "\u2211"},
    {"summationdisplay", "\u2211"},
    {"minus", "\u2212"},
    {"infinity", "\u221E"},
    {"intersection", "\u2229"},
    {"intersectiontext", "\u2229"},
    {"intersectiondisplay", "\u2229"},
    {"union", "\u222A"},
    {"uniontext", "\u222A"},
    {"uniondisplay", "\u222A"},
    {"integraldisplay", "\u222B"},
    {"similar", "\u223C"},
    {"lessequal", "\u2264"},
    {"greaterequal", "\u2265"},
    {"reflexsuperset", "\u2286"},
    {"reflexsubset", "\u2287"},
    {"unionsqdisplay", "\u2294"},
    {"circleplusdisplay", "\u2295"},
    {"circlemultiply", "\u2297"},
}};

std::optional<std::uint32_t> hex_value(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : digits) {
    std::uint32_t nibble = 0;
    if (c >= '0' && c <= '9') {
      nibble = static_cast<std::uint32_t>(c - '0');
    } else if (c >= 'a' && c <= 'f') {
      nibble = static_cast<std::uint32_t>(c - 'a' + 10);
    } else if (c >= 'A' && c <= 'F') {
      nibble = static_cast<std::uint32_t>(c - 'A' + 10);
    } else {
      return std::nullopt;
    }
    value = value << 4 | nibble;
  }
  return value;
}

bool is_scalar_value(std::uint32_t value) {
  return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

// "uni" and groups of four hex digits, one character per group.
std::optional<std::string> resolve_uni_name(std::string_view digits) {
  if (digits.empty() || digits.size() % 4 != 0) return std::nullopt;
  std::string text;
  for (std::size_t i = 0; i < digits.size(); i += 4) {
    const auto value = hex_value(digits.substr(i, 4));
    if (!value || !is_scalar_value(*value)) return std::nullopt;
    util::append_utf8(text, *value);
  }
  return text;
}

// "u" or "u+" and hex digits, the whole name 5 to 7 characters long.
std::optional<std::string> resolve_u_name(std::string_view name) {
  if (name.size() < 5 || name.size() > 7 || name.front() != 'u') return std::nullopt;
  std::string_view digits = name.substr(1);
  if (digits.front() == '+') digits.remove_prefix(1);
  const auto value = hex_value(digits);
  if (!value || !is_scalar_value(*value)) return std::nullopt;
  std::string text;
  util::append_utf8(text, *value);
  return text;
}

}  // namespace

std::optional<std::string> resolve_glyph_name(std::string_view name) {
  for (const GlyphName& entry : kGlyphNames) {
    if (entry.name == name) return std::string(entry.text);
  }
  if (util::count_scalars(name) == 1) return std::string(name);
  if (name.size() > 3 && name.substr(0, 3) == "uni") {
    if (auto text = resolve_uni_name(name.substr(3))) return text;
  }
  return resolve_u_name(name);
}

}  // namespace scrivex_core::pdf

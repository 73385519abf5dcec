// ToUnicode CMaps: bfchar and bfrange blocks to a code-to-text map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace scrivex_core::pdf {

// Hashes any text view, so lookups by std::string_view allocate nothing.
struct TextHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};

// Source code bytes to Unicode text.
using CodeMap = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;

// Most codes one bfrange line may map: "<0000> <FFFF> <0020>" covers 0x0000..0x0200.
inline constexpr std::uint32_t kMaxBfrangeSpan = 512;

// Reads the bfchar and bfrange blocks of CMap text; a later mapping for a
// code replaces an earlier one.
CodeMap parse_to_unicode_cmap(std::string_view text);

// The "<...>" hex strings of a line, decoded, in order ("<<" is skipped).
std::vector<std::string> hex_strings_in_line(std::string_view line);

// One bfrange entry ("<lo> <hi> <dst>" or "<lo> <hi> [<d0> <d1> ...]") into map.
void add_bfrange_entry(std::string_view entry, CodeMap& map);

// The text of a destination: short ones are code points, longer ones UTF-16BE.
std::string cmap_text_for_mapping(std::string_view source, std::string_view destination);

// The text of code mapped to the code point destination. Private-use
// destinations of printable codes read as code + 28 (fonts that map glyph
// ids to private-use points).
std::string cmap_text_for_codes(std::uint32_t code, std::uint32_t destination);

// UTF-16BE to UTF-8: unpaired surrogates become U+FFFD, an odd last byte is dropped.
std::string decode_utf16be(std::string_view bytes);

}  // namespace scrivex_core::pdf

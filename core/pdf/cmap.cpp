#include "core/pdf/cmap.hpp"

#include <algorithm>

#include "core/pdf/stream_decode.hpp"
#include "core/util/limits.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// Private-use destinations of glyph-id fonts read as code + this offset.
constexpr std::uint64_t kPrivateUseCodeOffset = 28;
constexpr std::uint32_t kPrivateUseFirst = 0xE000;
constexpr std::uint32_t kPrivateUseLast = 0xF8FF;

// The big-endian value of bytes; longer strings keep their low 32 bits.
std::uint32_t big_endian_value(std::string_view bytes) {
  std::uint32_t value = 0;
  for (char byte : bytes) value = value << 8 | static_cast<unsigned char>(byte);
  return value;
}

// value as a big-endian byte string of the given length.
std::string big_endian_bytes(std::uint64_t value, std::size_t length) {
  std::string out(length, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    const std::size_t shift = 8 * (length - 1 - i);
    out[i] = shift < 64 ? static_cast<char>((value >> shift) & 0xFF) : '\0';
  }
  return out;
}

bool is_scalar_value(std::uint64_t value) {
  return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

std::string text_for_codes(std::uint64_t code, std::uint64_t destination) {
  std::string text;
  const std::uint64_t shifted = code + kPrivateUseCodeOffset;
  if (destination >= kPrivateUseFirst && destination <= kPrivateUseLast && shifted >= 32 && shifted <= 126) {
    text.push_back(static_cast<char>(shifted));
  } else if (is_scalar_value(destination)) {
    util::append_utf8(text, static_cast<char32_t>(destination));
  }
  return text;
}

long bracket_balance(std::string_view line) {
  return static_cast<long>(std::count(line.begin(), line.end(), '[')) -
         static_cast<long>(std::count(line.begin(), line.end(), ']'));
}

// Maps key to text; a new key past the entry limit is dropped.
void put(CodeMap& map, std::string key, std::string text) {
  if (map.size() >= limits::kMaxPdfCmapEntries && map.find(key) == map.end()) return;
  map.insert_or_assign(std::move(key), std::move(text));
}

bool ends_with(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

}  // namespace

std::string decode_utf16be(std::string_view bytes) {
  std::string out;
  const std::size_t units = bytes.size() / 2;
  auto unit_at = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[2 * i]) << 8 |
                                      static_cast<unsigned char>(bytes[2 * i + 1]));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint32_t unit = unit_at(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units) {
      const std::uint32_t low = unit_at(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        util::append_utf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    util::append_utf8(out, unit >= 0xD800 && unit <= 0xDFFF ? util::kReplacementChar : unit);
  }
  return out;
}

std::string cmap_text_for_codes(std::uint32_t code, std::uint32_t destination) {
  return text_for_codes(code, destination);
}

std::string cmap_text_for_mapping(std::string_view source, std::string_view destination) {
  if (destination.size() < 3) return text_for_codes(big_endian_value(source), big_endian_value(destination));
  return decode_utf16be(destination);
}

std::vector<std::string> hex_strings_in_line(std::string_view line) {
  std::vector<std::string> strings;
  std::size_t pos = 0;
  while ((pos = line.find('<', pos)) != std::string_view::npos) {
    if (pos + 1 < line.size() && line[pos + 1] == '<') {
      ++pos;
      continue;
    }
    const std::size_t close = line.find('>', pos + 1);
    if (close == std::string_view::npos) break;
    strings.push_back(decode_hex(line.substr(pos + 1, close - pos - 1)));
    pos = close + 1;
  }
  return strings;
}

void add_bfrange_entry(std::string_view entry, CodeMap& map) {
  const std::vector<std::string> hex = hex_strings_in_line(entry);
  if (hex.size() < 3) return;
  const std::uint64_t low = big_endian_value(hex[0]);
  const std::uint64_t high = big_endian_value(hex[1]);
  const std::size_t key_length = hex[0].size();
  if (entry.find('[') != std::string_view::npos) {
    const std::uint64_t codes = high < low ? 1 : std::min<std::uint64_t>(high - low + 1, kMaxBfrangeSpan);
    for (std::uint64_t i = 0; i < codes && 2 + i < hex.size(); ++i) {
      std::string key = big_endian_bytes(low + i, key_length);
      std::string text = cmap_text_for_mapping(key, hex[2 + i]);
      put(map, std::move(key), std::move(text));
    }
    return;
  }
  const std::uint64_t destination = big_endian_value(hex[2]);
  const std::uint64_t last = high < low ? 0 : std::min<std::uint64_t>(high - low, kMaxBfrangeSpan);
  for (std::uint64_t j = 0; j <= last; ++j) {
    put(map, big_endian_bytes(low + j, key_length), text_for_codes(low + j, destination + j));
  }
}

CodeMap parse_to_unicode_cmap(std::string_view text) {
  CodeMap map;
  bool in_bfchar = false;
  bool in_bfrange = false;
  std::string pending;  // a bfrange entry whose destination array spans lines
  bool has_pending = false;
  long depth = 0;
  for (std::string_view raw_line : util::split_lines(text)) {
    const std::string_view line = util::trim(raw_line);
    if (line == "endbfrange") {
      in_bfrange = false;
      pending.clear();
      has_pending = false;
      depth = 0;
    } else if (line == "endbfchar") {
      in_bfchar = false;
    } else if (ends_with(line, "beginbfchar")) {
      in_bfchar = true;
    } else if (ends_with(line, "beginbfrange")) {
      in_bfrange = true;
    } else if (in_bfrange) {
      const long balance = bracket_balance(line);
      if (!has_pending) {
        if (balance > 0) {
          pending.assign(line);
          has_pending = true;
          depth = balance;
        } else {
          add_bfrange_entry(line, map);
        }
        continue;
      }
      pending.push_back(' ');
      pending.append(line);
      depth += balance;
      if (depth <= 0) {
        add_bfrange_entry(pending, map);
        pending.clear();
        has_pending = false;
      }
    } else if (in_bfchar) {
      const std::vector<std::string> hex = hex_strings_in_line(line);
      if (hex.size() >= 2) put(map, hex[0], cmap_text_for_mapping(hex[0], hex[1]));
    }
  }
  return map;
}

}  // namespace scrivex_core::pdf

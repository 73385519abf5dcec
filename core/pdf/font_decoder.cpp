#include "core/pdf/font_decoder.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "core/pdf/content_parser.hpp"
#include "core/pdf/lookups.hpp"
#include "core/pdf/stream_decode.hpp"
#include "core/pdf/syntax.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// /Flags bits of a font descriptor.
constexpr std::int64_t kForceBoldFlag = 0x40000;
constexpr std::int64_t kItalicFlag = 0x40;
// An /ItalicAngle this close to 0 is upright (the float epsilon).
constexpr float kUprightAngle = 1.1920929e-7f;
// A /W range longer than this is ignored.
constexpr std::int64_t kMaxWidthRange = 70000;

constexpr std::array<std::string_view, 7> kBoldMarks = {"bold",     "black", "heavy", "semibold",
                                                        "demibold", "-bd",   "demi"};
constexpr std::array<std::string_view, 3> kItalicMarks = {"italic", "oblique", "-it"};

std::string latin1_char(std::uint8_t byte) {
  std::string text;
  util::append_utf8(text, byte);
  return text;
}

// The single character of text, or nothing when it has zero or several.
std::optional<char32_t> single_char(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const util::DecodedChar decoded = util::decode_utf8_at(text, 0);
  if (decoded.length != text.size()) return std::nullopt;
  return decoded.value;
}

// A float operand as an integer by truncation; NaN gives 0.
std::int64_t truncated(float value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.0e18f) return INT64_MAX;
  if (value <= -9.0e18f) return INT64_MIN;
  return static_cast<std::int64_t>(value);
}

// The bracket-balanced "[...]" starting at open (to the end when unbalanced), as one array operand.
std::optional<Operand> array_at(std::string_view text, std::size_t open) {
  ContentParser parser(text, open);
  ContentToken token = parser.next_operand_or_operator();
  if (token.kind != ContentToken::Kind::Operand || !token.operand.is_array()) return std::nullopt;
  return std::move(token.operand);
}

void apply_name_style(std::string_view text, FontDecoder& decoder) {
  const auto base_font = parse_name_after(text, "/BaseFont");
  if (!base_font) return;
  std::string_view name = *base_font;
  if (const std::size_t plus = name.rfind('+'); plus != std::string_view::npos) name.remove_prefix(plus + 1);
  const std::string lower = util::ascii_lowercase(name);
  auto has_any = [&](auto marks) {
    return std::any_of(marks.begin(), marks.end(),
                       [&](std::string_view mark) { return lower.find(mark) != std::string::npos; });
  };
  decoder.bold = decoder.bold || has_any(kBoldMarks);
  decoder.italic = decoder.italic || has_any(kItalicMarks);
}

void apply_descriptor(std::string_view font_text, const ObjectIndex& index, FontDecoder& decoder) {
  const auto number = parse_direct_ref_after_key(font_text, "/FontDescriptor");
  const PdfObject* descriptor = number ? index.find(*number) : nullptr;
  if (descriptor == nullptr) return;
  const std::string_view text = descriptor->text();
  if (const auto flags = parse_number_after(text, "/Flags")) {
    const std::int64_t bits = truncated(*flags);
    decoder.bold = decoder.bold || (bits & kForceBoldFlag) != 0;
    decoder.italic = decoder.italic || (bits & kItalicFlag) != 0;
  }
  if (const auto angle = parse_number_after(text, "/ItalicAngle");
      angle && std::fabs(*angle) > kUprightAngle) {
    decoder.italic = true;
  }
  if (const auto ascent = parse_number_after(text, "/Ascent"); ascent && *ascent != 0) {
    decoder.ascent = *ascent / 1000;
  }
  if (const auto descent = parse_number_after(text, "/Descent"); descent && *descent != 0) {
    decoder.descent = *descent / 1000;
  }
}

void apply_to_unicode(std::string_view font_text, const ObjectIndex& index, FontDecoder& decoder) {
  const std::vector<std::uint32_t> refs = parse_refs_after_key(font_text, "/ToUnicode");
  const PdfObject* cmap = refs.empty() ? nullptr : index.find(refs.front());
  if (cmap == nullptr) return;
  Result<std::optional<std::string>> data = decode_stream_object(cmap->body());
  if (!data || !data.value()) return;
  decoder.to_unicode = parse_to_unicode_cmap(util::decode_utf8_lossy(*data.value()));
  if (decoder.to_unicode.empty()) return;
  std::size_t longest = 0;
  for (const auto& [key, text] : decoder.to_unicode) longest = std::max(longest, key.size());
  decoder.code_bytes = longest;
}

void apply_simple_widths(std::string_view text, FontDecoder& decoder) {
  const auto first_char = parse_number_after(text, "/FirstChar");
  if (!first_char) return;
  const auto widths = parse_number_array_after(text, "/Widths");
  if (!widths) return;
  const float clamped = std::isnan(*first_char) ? 0.0f : std::clamp(*first_char, 0.0f, 255.0f);
  const std::size_t first = static_cast<std::size_t>(clamped);
  for (std::size_t i = 0; i < widths->size(); ++i) {
    const std::uint8_t code = static_cast<std::uint8_t>((first + i) % 256);
    if (const auto c = single_char(decoder.decode_byte(code)))
      decoder.widths.insert_or_assign(*c, (*widths)[i]);
  }
}

// One /W assignment: every code from low to high gets width.
struct WidthRange {
  std::int64_t low;
  std::int64_t high;
  float width;
};

std::vector<WidthRange> parse_w_array(const Operand& array) {
  std::vector<WidthRange> ranges;
  const std::vector<Operand>& items = array.items;
  std::size_t i = 0;
  while (i < items.size()) {
    if (items[i].is_number() && i + 1 < items.size() && items[i + 1].is_array()) {
      const std::int64_t first = truncated(items[i].number);
      const std::vector<Operand>& widths = items[i + 1].items;
      for (std::size_t k = 0; first >= 0 && k < widths.size(); ++k) {
        const std::int64_t code = first + static_cast<std::int64_t>(k);
        if (widths[k].is_number()) ranges.push_back({code, code, widths[k].number});
      }
      i += 2;
      continue;
    }
    if (i + 2 < items.size() && items[i].is_number() && items[i + 1].is_number() &&
        items[i + 2].is_number()) {
      const std::int64_t low = truncated(items[i].number);
      const std::int64_t high = truncated(items[i + 1].number);
      if (low >= 0 && low <= high && high - low < kMaxWidthRange) {
        ranges.push_back({low, high, items[i + 2].number});
        i += 3;
        continue;
      }
    }
    ++i;
  }
  return ranges;
}

// The width of each code in `codes` (sorted, distinct) under the ranges,
// the last range covering a code winning. Walking the ranges backwards and
// skipping codes already set keeps this linear in the number of hits.
std::vector<std::optional<float>> widths_for_codes(const std::vector<std::int64_t>& codes,
                                                   const std::vector<WidthRange>& ranges) {
  std::vector<std::optional<float>> widths(codes.size());
  std::vector<std::size_t> next_unset(codes.size() + 1);
  for (std::size_t i = 0; i < next_unset.size(); ++i) next_unset[i] = i;
  auto find = [&](std::size_t i) {
    std::size_t root = i;
    while (next_unset[root] != root) root = next_unset[root];
    while (next_unset[i] != root) i = std::exchange(next_unset[i], root);
    return root;
  };
  for (auto range = ranges.rbegin(); range != ranges.rend(); ++range) {
    const auto start = std::lower_bound(codes.begin(), codes.end(), range->low) - codes.begin();
    for (std::size_t i = find(static_cast<std::size_t>(start)); i < codes.size() && codes[i] <= range->high;
         i = find(i + 1)) {
      widths[i] = range->width;
      next_unset[i] = i + 1;
    }
  }
  return widths;
}

void apply_composite_widths(std::string_view font_text, const ObjectIndex& index, FontDecoder& decoder) {
  if (parse_name_after(font_text, "/Subtype") != "Type0") return;
  const std::vector<std::uint32_t> refs = parse_refs_after_key(font_text, "/DescendantFonts");
  const PdfObject* descendant = refs.empty() ? nullptr : index.find(refs.front());
  if (descendant == nullptr) return;
  const std::string_view text = descendant->text();
  std::optional<Operand> array;
  for (std::size_t key = text.find("/W"); key != std::string_view::npos; key = text.find("/W", key + 2)) {
    const std::size_t open = skip_pdf_white_space(text, key + 2);
    if (open < text.size() && text[open] == '[') {
      array = array_at(text, open);
      break;
    }
  }
  if (!array) return;
  const std::vector<WidthRange> ranges = parse_w_array(*array);
  // Only codes with a one-character text can give a width; keys in byte order
  // so that the result does not depend on hash order.
  std::vector<std::pair<std::string_view, char32_t>> keyed;
  for (const auto& [key, value] : decoder.to_unicode) {
    const auto c = single_char(value);
    if (key.size() >= 1 && key.size() <= 4 && c) keyed.emplace_back(key, *c);
  }
  std::sort(keyed.begin(), keyed.end());
  std::vector<std::int64_t> codes;
  for (const auto& [key, c] : keyed) {
    std::int64_t value = 0;
    for (char byte : key) value = value << 8 | static_cast<unsigned char>(byte);
    codes.push_back(value);
  }
  std::vector<std::int64_t> sorted_codes = codes;
  std::sort(sorted_codes.begin(), sorted_codes.end());
  sorted_codes.erase(std::unique(sorted_codes.begin(), sorted_codes.end()), sorted_codes.end());
  const std::vector<std::optional<float>> widths = widths_for_codes(sorted_codes, ranges);
  for (std::size_t i = 0; i < keyed.size(); ++i) {
    const auto at =
        std::lower_bound(sorted_codes.begin(), sorted_codes.end(), codes[i]) - sorted_codes.begin();
    if (const auto& width = widths[static_cast<std::size_t>(at)])
      decoder.widths.insert_or_assign(keyed[i].second, *width);
  }
}

}  // namespace

std::string FontDecoder::decode_byte(std::uint8_t byte) const {
  const auto found = differences.find(byte);
  return found != differences.end() ? found->second : latin1_char(byte);
}

FontDecoder font_decoder(const PdfObject& font, const ObjectIndex& index) {
  FontDecoder decoder;
  const std::string_view text = font.text();
  if (const auto number = parse_direct_ref_after_key(text, "/Encoding")) {
    if (const PdfObject* encoding = index.find(*number))
      decoder.differences = parse_encoding_differences(encoding->text());
  }
  if (decoder.differences.empty()) decoder.differences = parse_encoding_differences(text);
  apply_simple_widths(text, decoder);
  apply_name_style(text, decoder);
  apply_descriptor(text, index, decoder);
  apply_to_unicode(text, index, decoder);
  if (decoder.widths.empty()) apply_composite_widths(text, index, decoder);
  return decoder;
}

}  // namespace scrivex_core::pdf

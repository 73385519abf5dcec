#include "core/textual/hocr.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_set>

#include "core/textual/html_text.hpp"
#include "core/textual/words.hpp"
#include "core/util/float_parse.hpp"
#include "core/util/unicode.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kHtmlMethod = "html_native";
// x_wconf is a percentage.
constexpr float kWconfScale = 100.0f;

bool has_any_class(std::string_view tag, const std::vector<std::string_view>& classes) {
  const auto value = xml_attr_value(tag, "class");
  if (!value) return false;
  for (std::string_view word : util::split_whitespace(*value)) {
    for (std::string_view wanted : classes) {
      if (ascii_iequals(word, wanted)) return true;
    }
  }
  return false;
}

// The text after `key` + " " in the first ";"-separated title entry that
// starts so; nothing without a title or such an entry.
std::optional<std::string_view> title_entry(std::string_view tag, std::string_view key) {
  const auto title = xml_attr_value(tag, "title");
  if (!title) return std::nullopt;
  std::string_view rest = *title;
  while (true) {
    const std::size_t semicolon = rest.find(';');
    const std::string_view part = util::trim(rest.substr(0, semicolon));
    if (part.size() > key.size() && part.substr(0, key.size()) == key && part[key.size()] == ' ') {
      return part.substr(key.size() + 1);
    }
    if (semicolon == std::string_view::npos) return std::nullopt;
    rest.remove_prefix(semicolon + 1);
  }
}

// Where the element whose opening tag ends just before `from` closes,
// counting nested openings of the same (lower-cased) name: the position of
// its closing tag, or nothing. `none_left` tells that no closing tag of the
// name follows `from` at all, so no later element of the name can close.
struct CloseSearch {
  std::optional<std::size_t> close;
  bool none_left = false;
};

CloseSearch matching_close(std::string_view lowered, const std::string& name, std::size_t from) {
  const std::string open = "<" + name;
  const std::string close = "</" + name + ">";
  std::size_t depth = 1;
  std::size_t pos = from;
  // Each search result is kept until the scan passes it, so every byte is
  // searched at most once per pattern.
  std::size_t next_open = lowered.find(open, pos);
  std::size_t next_close = lowered.find(close, pos);
  if (next_close == std::string_view::npos) return {std::nullopt, true};
  while (true) {
    if (next_close < pos) next_close = lowered.find(close, pos);
    if (next_close == std::string_view::npos) return {};
    if (next_open != std::string_view::npos && next_open < pos) next_open = lowered.find(open, pos);
    if (next_open != std::string_view::npos && next_open < next_close) {
      const std::size_t after = next_open + open.size();
      pos = after;
      if (after < lowered.size() && is_tag_delimiter(lowered[after])) {
        const std::size_t end = lowered.find('>', after);
        if (end == std::string_view::npos) return {};
        if (!is_self_closing(lowered.substr(next_open, end - next_open + 1))) ++depth;
        pos = end + 1;
      }
      continue;
    }
    if (--depth == 0) return {next_close, false};
    pos = next_close + close.size();
  }
}

}  // namespace

std::vector<Element> hocr_elements_with_any_class(std::string_view text,
                                                  const std::vector<std::string_view>& classes) {
  const std::string lowered = util::ascii_lowercase(text);
  std::vector<Element> elements;
  std::unordered_set<std::string> unclosed_names;
  std::size_t pos = 0;
  while (true) {
    const std::size_t open = text.find('<', pos);
    if (open == std::string_view::npos) break;
    const std::size_t end = text.find('>', open + 1);
    if (end == std::string_view::npos) break;
    const std::string_view tag = text.substr(open, end - open + 1);
    pos = end + 1;
    const auto name = opening_tag_name(tag);
    if (!name || !has_any_class(tag, classes) || is_self_closing(tag)) continue;
    std::string lowered_name = util::ascii_lowercase(*name);
    if (unclosed_names.count(lowered_name)) continue;
    const CloseSearch search = matching_close(lowered, lowered_name, pos);
    if (!search.close) {
      if (search.none_left) unclosed_names.insert(std::move(lowered_name));
      continue;
    }
    const auto close = search.close;
    const std::size_t outer_end = *close + lowered_name.size() + 3;
    elements.push_back(Element{tag, text.substr(pos, *close - pos), text.substr(open, outer_end - open)});
    pos = outer_end;
  }
  return elements;
}

std::optional<ir::BBox> hocr_bbox_from_tag(std::string_view tag) {
  const auto entry = title_entry(tag, "bbox");
  if (!entry) return std::nullopt;
  const auto numbers = util::split_whitespace(*entry);
  if (numbers.size() < 4) return std::nullopt;
  float corners[4];
  for (std::size_t i = 0; i < 4; ++i) {
    const auto value = util::parse_f32(numbers[i]);
    if (!value) return std::nullopt;
    corners[i] = *value;
  }
  const auto [x0, y0, x1, y1] = corners;
  return ir::BBox{std::min(x0, x1), std::min(y0, y1), std::abs(x1 - x0), std::abs(y1 - y0)};
}

std::optional<AltoWord> hocr_word_from_element(const Element& element) {
  AltoWord word;
  word.text = util::collapse_white_space(html_to_text(element.content));
  if (word.text.empty()) return std::nullopt;
  word.bbox = hocr_bbox_from_tag(element.tag);
  if (const auto entry = title_entry(element.tag, "x_wconf")) {
    const auto value = util::parse_f32(first_word(*entry));
    // A NaN score has no meaning; it counts as no score.
    if (value && !std::isnan(*value)) word.confidence = std::clamp(*value / kWconfScale, 0.0f, 1.0f);
  }
  return word;
}

ir::Block hocr_word_block(const AltoWord& word, std::uint64_t page_number) {
  return ocr_word_block(word, page_number, kHtmlMethod);
}

}  // namespace scrivex_core::textual

#include "core/textual/alto.hpp"

#include <string>
#include <vector>

#include "core/textual/html_text.hpp"
#include "core/textual/words.hpp"
#include "core/textual/xml_scan.hpp"
#include "core/util/float_parse.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kMethod = "xml_native";

std::optional<float> float_attribute(std::string_view tag, std::string_view name) {
  const auto value = xml_attr_value(tag, name);
  if (!value) return std::nullopt;
  return util::parse_f32(*value);
}

}  // namespace

std::optional<ir::BBox> alto_box_from_tag(std::string_view tag) {
  const auto x = float_attribute(tag, "HPOS");
  const auto y = float_attribute(tag, "VPOS");
  const auto width = float_attribute(tag, "WIDTH");
  const auto height = float_attribute(tag, "HEIGHT");
  if (!x || !y || !width || !height) return std::nullopt;
  return ir::BBox{*x, *y, *width, *height};
}

std::optional<AltoWord> alto_word_from_tag(std::string_view tag) {
  const auto content = xml_attr_value(tag, "CONTENT");
  if (!content) return std::nullopt;
  std::string text = util::collapse_white_space(html_to_text(*content));
  if (text.empty()) return std::nullopt;
  return AltoWord{std::move(text), float_attribute(tag, "WC"), alto_box_from_tag(tag)};
}

ir::Block alto_word_block(const AltoWord& word, std::uint64_t page_number) {
  return ocr_word_block(word, page_number, kMethod);
}

std::optional<ir::Block> alto_line_block(const Element& text_line) {
  std::vector<AltoWord> words;
  for (std::string_view tag : xml_start_tags_by_local_name(text_line.content, "String")) {
    if (auto word = alto_word_from_tag(tag)) words.push_back(std::move(*word));
  }
  if (words.empty()) return std::nullopt;
  std::vector<std::string> texts;
  for (const AltoWord& word : words) texts.push_back(word.text);
  std::optional<ir::BBox> bbox = alto_box_from_tag(text_line.tag);
  if (!bbox) bbox = union_of_word_boxes(words);
  return ocr_line_block(util::join(texts, " "), bbox, words, kMethod);
}

}  // namespace scrivex_core::textual

#include "core/textual/page_xml.hpp"

#include <algorithm>
#include <vector>

#include "core/textual/html_text.hpp"
#include "core/textual/ocr_blocks.hpp"
#include "core/textual/words.hpp"
#include "core/textual/xml_scan.hpp"
#include "core/util/float_parse.hpp"
#include "core/util/unicode.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kMethod = "xml_native";

// The "conf" of the last TextEquiv element in the content, used as written.
std::optional<float> text_equiv_confidence(std::string_view content) {
  const auto equivs = xml_elements_by_local_name(content, "TextEquiv");
  if (equivs.empty()) return std::nullopt;
  const auto conf = xml_attr_value(equivs.back().tag, "conf");
  if (!conf) return std::nullopt;
  return util::parse_f32(*conf);
}

// The content with the given elements (slices of it) cut out.
std::string without_elements(std::string_view content, const std::vector<Element>& inner) {
  std::string out;
  std::size_t pos = 0;
  for (const Element& element : inner) {
    const auto begin = static_cast<std::size_t>(element.outer.data() - content.data());
    out.append(content.substr(pos, begin - pos));
    pos = begin + element.outer.size();
  }
  out.append(content.substr(pos));
  return out;
}

std::optional<AltoWord> page_xml_word(const Element& element) {
  auto text = page_xml_text_from_content(element.content);
  if (!text) return std::nullopt;
  return AltoWord{std::move(*text), text_equiv_confidence(element.content),
                  page_xml_bbox_from_content(element.content)};
}

}  // namespace

std::optional<std::string> page_xml_text_from_content(std::string_view content) {
  const auto unicodes = xml_elements_by_local_name(content, "Unicode");
  if (unicodes.empty()) return std::nullopt;
  std::string text = util::collapse_white_space(html_to_text(unicodes.back().content));
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<ir::BBox> page_xml_bbox_from_content(std::string_view content) {
  const auto tags = xml_start_tags_by_local_name(content, "Coords");
  if (tags.empty()) return std::nullopt;
  const auto points = xml_attr_value(tags.front(), "points");
  if (!points) return std::nullopt;
  std::optional<ir::BBox> box;
  float max_x = 0;
  float max_y = 0;
  for (std::string_view token : util::split_whitespace(*points)) {
    const std::size_t comma = token.find(',');
    if (comma == std::string_view::npos) continue;
    const auto x = util::parse_f32(token.substr(0, comma));
    const auto y = util::parse_f32(token.substr(comma + 1));
    if (!x || !y) return std::nullopt;
    if (!box) {
      box = ir::BBox{*x, *y, 0, 0};
      max_x = *x;
      max_y = *y;
      continue;
    }
    box->x = std::min(box->x, *x);
    box->y = std::min(box->y, *y);
    max_x = std::max(max_x, *x);
    max_y = std::max(max_y, *y);
  }
  if (box) {
    box->width = max_x - box->x;
    box->height = max_y - box->y;
  }
  return box;
}

std::optional<ir::Block> page_xml_line_block(const Element& text_line) {
  const auto word_elements = xml_elements_by_local_name(text_line.content, "Word");
  const std::string own = without_elements(text_line.content, word_elements);
  std::vector<AltoWord> words;
  for (const Element& element : word_elements) {
    if (auto word = page_xml_word(element)) words.push_back(std::move(*word));
  }
  std::optional<std::string> text = page_xml_text_from_content(own);
  std::optional<ir::BBox> bbox = page_xml_bbox_from_content(own);
  if (words.empty()) {
    if (!text) return std::nullopt;
    const float confidence = text_equiv_confidence(own).value_or(kDefaultConfidence);
    return ocr_text_line_block(std::move(*text), bbox, confidence, kMethod);
  }
  if (!text) {
    std::vector<std::string> texts;
    for (const AltoWord& word : words) texts.push_back(word.text);
    text = util::join(texts, " ");
  }
  if (!bbox) bbox = union_of_word_boxes(words);
  return ocr_line_block(std::move(*text), bbox, words, kMethod);
}

}  // namespace scrivex_core::textual

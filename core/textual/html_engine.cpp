#include "core/textual/html_engine.hpp"

#include "core/engine/text_builders.hpp"
#include "core/textual/hocr.hpp"
#include "core/textual/html_text.hpp"
#include "core/textual/ocr_blocks.hpp"
#include "core/textual/words.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kEngineName = "html-native";
constexpr std::string_view kMethod = "html_native";

bool looks_like_hocr(std::string_view text) {
  return text.find("ocr_page") != std::string_view::npos || text.find("ocr_line") != std::string_view::npos ||
         text.find("ocrx_word") != std::string_view::npos;
}

std::vector<AltoWord> words_of(std::string_view text) {
  std::vector<AltoWord> words;
  for (const Element& element : hocr_elements_with_any_class(text, {"ocrx_word"})) {
    if (auto word = hocr_word_from_element(element)) words.push_back(std::move(*word));
  }
  return words;
}

std::optional<ir::Block> line_block(const Element& line) {
  const std::optional<ir::BBox> line_box = hocr_bbox_from_tag(line.tag);
  const std::vector<AltoWord> words = words_of(line.content);
  if (words.empty()) {
    std::string text = util::collapse_white_space(html_to_text(line.content));
    if (text.empty()) return std::nullopt;
    return ocr_text_line_block(std::move(text), line_box, kDefaultConfidence, kMethod);
  }
  std::vector<std::string> texts;
  for (const AltoWord& word : words) texts.push_back(word.text);
  return ocr_line_block(util::join(texts, " "), line_box ? line_box : union_of_word_boxes(words), words, kMethod);
}

std::vector<ir::Block> hocr_blocks(std::string_view text) {
  std::vector<ir::Block> blocks;
  for (const Element& line : hocr_elements_with_any_class(text, {"ocr_line", "ocrx_line"})) {
    if (auto block = line_block(line)) blocks.push_back(std::move(*block));
  }
  if (!blocks.empty()) return blocks;
  for (const AltoWord& word : words_of(text)) blocks.push_back(hocr_word_block(word, 1));
  return blocks;
}

// The page holding the blocks: sized by the "ocr_page" box when there is
// one, else by the extent of the block boxes.
ir::Page hocr_page(std::vector<ir::Block> blocks, const std::optional<ir::BBox>& page_box) {
  ir::Page page;
  if (page_box) {
    page.width = page_box->width;
    page.height = page_box->height;
    page.bbox = page_box;
  } else if (const auto extent = block_extent(blocks)) {
    page.width = extent->width;
    page.height = extent->height;
    page.bbox = ir::BBox{0, 0, extent->width, extent->height};
  }
  page.blocks = std::move(blocks);
  return page;
}

std::optional<ir::Document> extract_hocr(const source::Source& source) {
  std::string_view working = source.text;
  std::optional<ir::BBox> page_box;
  const auto pages = hocr_elements_with_any_class(source.text, {"ocr_page"});
  if (!pages.empty()) {
    page_box = hocr_bbox_from_tag(pages.front().tag);
    working = pages.front().content;
  }
  std::vector<ir::Block> blocks = hocr_blocks(working);
  if (blocks.empty()) return std::nullopt;
  return positioned_document(source, kEngineName, hocr_page(std::move(blocks), page_box));
}

}  // namespace

Result<ir::Document> HtmlEngine::extract(const source::Source& source) const {
  if (looks_like_hocr(source.text)) {
    if (auto document = extract_hocr(source)) return std::move(*document);
  }
  return engine::text_document_from_paragraphs(
      source, kEngineName, engine::split_paragraphs(html_to_text(source.text)), std::nullopt);
}

}  // namespace scrivex_core::textual

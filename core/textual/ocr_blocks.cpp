#include "core/textual/ocr_blocks.hpp"

#include <algorithm>

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::textual {
namespace {

ir::SourceAnchor anchor(std::uint64_t page_number, const std::optional<ir::BBox>& bbox,
                        std::string_view method) {
  return ir::SourceAnchor{page_number, {}, bbox, std::string(method)};
}

float mean_confidence(const std::vector<AltoWord>& words) {
  float sum = 0;
  std::size_t count = 0;
  for (const AltoWord& word : words) {
    if (!word.confidence) continue;
    sum += *word.confidence;
    ++count;
  }
  return count == 0 ? kDefaultConfidence : sum / static_cast<float>(count);
}

}  // namespace

std::optional<ir::BBox> union_of_word_boxes(const std::vector<AltoWord>& words) {
  std::optional<ir::BBox> result;
  float right = 0;
  float bottom = 0;
  for (const AltoWord& word : words) {
    if (!word.bbox) continue;
    const ir::BBox& box = *word.bbox;
    if (!result) {
      result = box;
      right = box.x + box.width;
      bottom = box.y + box.height;
      continue;
    }
    result->x = std::min(result->x, box.x);
    result->y = std::min(result->y, box.y);
    right = std::max(right, box.x + box.width);
    bottom = std::max(bottom, box.y + box.height);
  }
  if (result) {
    result->width = right - result->x;
    result->height = bottom - result->y;
  }
  return result;
}

ir::Block ocr_word_block(const AltoWord& word, std::uint64_t page_number, std::string_view method) {
  ir::TextBlock block;
  block.text = word.text;
  block.kind = "ocr_word";
  block.bbox = word.bbox;
  block.confidence = ir::Confidence{word.confidence.value_or(kDefaultConfidence), false};
  block.source_anchors.push_back(anchor(page_number, word.bbox, method));
  return block;
}

ir::Block ocr_line_block(std::string text, std::optional<ir::BBox> bbox, const std::vector<AltoWord>& words,
                         std::string_view method) {
  ir::Line line;
  line.text = text;
  line.bbox = bbox;
  for (const AltoWord& word : words) {
    ir::Span span;
    span.text = word.text;
    span.bbox = word.bbox;
    line.spans.push_back(std::move(span));
  }
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = "ocr_line";
  block.bbox = bbox;
  block.lines.push_back(std::move(line));
  block.confidence = ir::Confidence{mean_confidence(words), false};
  block.source_anchors.push_back(anchor(1, bbox, method));
  return block;
}

ir::Block ocr_text_line_block(std::string text, std::optional<ir::BBox> bbox, float confidence,
                              std::string_view method) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = "ocr_line";
  block.bbox = bbox;
  block.confidence = ir::Confidence{confidence, false};
  block.source_anchors.push_back(anchor(1, bbox, method));
  return block;
}

std::optional<Extent> block_extent(const std::vector<ir::Block>& blocks) {
  std::optional<Extent> extent;
  for (const ir::Block& block : blocks) {
    const auto* text = std::get_if<ir::TextBlock>(&block);
    if (!text || !text->bbox) continue;
    if (!extent) extent = Extent{};
    extent->width = std::max(extent->width, text->bbox->x + text->bbox->width);
    extent->height = std::max(extent->height, text->bbox->y + text->bbox->height);
  }
  return extent;
}

ir::Document positioned_document(const source::Source& source, std::string_view engine_name, ir::Page page) {
  std::string all_text;
  bool first = true;
  for (const ir::Block& block : page.blocks) {
    const auto* text = std::get_if<ir::TextBlock>(&block);
    if (!text) continue;
    if (!first) all_text.push_back('\n');
    all_text.append(text->text);
    first = false;
  }
  ir::Document document;
  ir::Metadata& metadata = document.metadata;
  metadata.format = source.format;
  metadata.engine = std::string(engine_name);
  metadata.source = source.path;
  metadata.character_count = util::count_scalars(all_text);
  metadata.word_count = util::count_words(all_text);
  metadata.block_count = page.blocks.size();
  if (source.bytes) metadata.file_size_bytes = source.bytes->size();
  page.number = 1;
  document.pages.push_back(std::move(page));
  return document;
}

}  // namespace scrivex_core::textual

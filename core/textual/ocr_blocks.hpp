// Blocks and pages of positioned OCR text (hOCR, ALTO, PAGE): the word
// record, line and word blocks, and the one-page document around them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::textual {

// One recognised word: its text, its confidence in 0..1 when the input
// gives one, and its box in the input's own units.
struct AltoWord {
  std::string text;
  std::optional<float> confidence;
  std::optional<ir::BBox> bbox;
};

// Confidence of blocks whose input gives no score.
inline constexpr float kDefaultConfidence = 0.9f;

// Smallest box holding every present box; nothing when none is present.
std::optional<ir::BBox> union_of_word_boxes(const std::vector<AltoWord>& words);

// An "ocr_word" block for one word, anchored on `page_number` with the
// given extraction method.
ir::Block ocr_word_block(const AltoWord& word, std::uint64_t page_number, std::string_view method);

// An "ocr_line" block holding one Line with a Span per word; its confidence
// is the mean of the word confidences present, else the default.
ir::Block ocr_line_block(std::string text, std::optional<ir::BBox> bbox, const std::vector<AltoWord>& words,
                         std::string_view method);

// An "ocr_line" block known only by its text, with no Line records.
ir::Block ocr_text_line_block(std::string text, std::optional<ir::BBox> bbox, float confidence,
                              std::string_view method);

// The largest x + width and y + height over the boxes of the blocks, each
// from 0; nothing when no block has a box.
struct Extent {
  float width = 0;
  float height = 0;
};
std::optional<Extent> block_extent(const std::vector<ir::Block>& blocks);

// The one-page document of a positioned engine: `page` comes with its
// blocks and size; the metadata counts run over the text blocks' texts
// joined by "\n".
ir::Document positioned_document(const source::Source& source, std::string_view engine_name, ir::Page page);

}  // namespace scrivex_core::textual

// The OCR word table: one row per recognised word, grouped into lines.
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

#include "core/dataset/csv_engine.hpp"
#include "core/dataset/csv_fields.hpp"
#include "core/util/float_parse.hpp"

namespace scrivex_core::csv::detail {
namespace {

// Rows of this level are words; pages, blocks, paragraphs and lines are
// rows of lower levels and carry nothing the word rows do not.
constexpr std::uint64_t kWordLevel = 5;
// Confidences above 1 are percentages.
constexpr float kPercent = 100.0f;

enum Column { kLevel, kPage, kBlock, kParagraph, kLine, kWord, kLeft, kTop, kWidth, kHeight, kConf, kText };
constexpr std::array<std::string_view, 12> kColumnNames{"level",    "page_num", "block_num", "par_num",
                                                        "line_num", "word_num", "left",      "top",
                                                        "width",    "height",   "conf",      "text"};

struct TesseractWord {
  std::string text;
  std::optional<float> confidence;
  float left = 0;
  float top = 0;
  float width = 0;
  float height = 0;
};

using LineKey = std::tuple<std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t>;

struct WordGroup {
  LineKey key;
  std::vector<TesseractWord> words;
};

std::optional<std::array<std::size_t, 12>> column_indices(const std::vector<std::string>& headers) {
  std::array<std::size_t, 12> indices{};
  for (std::size_t i = 0; i < kColumnNames.size(); ++i) {
    const std::optional<std::size_t> index = header_index(headers, kColumnNames[i]);
    if (!index) return std::nullopt;
    indices[i] = *index;
  }
  return indices;
}

// The row's confidence on a 0..1 scale; absent when missing or negative.
std::optional<float> word_confidence(std::string_view field) {
  const std::optional<float> c = util::parse_f32(field);
  if (!c || *c < 0) return std::nullopt;
  if (*c <= 1) return *c;
  return std::fmin(*c / kPercent, 1.0f);
}

// The word of one row with its line key, or nothing when the row is skipped.
std::optional<std::pair<LineKey, TesseractWord>> read_word_row(const std::vector<std::string>& fields,
                                                               const std::array<std::size_t, 12>& at) {
  const std::size_t last = *std::max_element(at.begin(), at.end());
  if (fields.size() <= last) return std::nullopt;
  if (fields[at[kLevel]].empty() || parse_unsigned(fields[at[kLevel]]) != kWordLevel) return std::nullopt;
  TesseractWord word;
  word.text = clean_text(join_from(fields, at[kText], "\t"));
  if (word.text.empty()) return std::nullopt;
  const auto left = util::parse_f32(fields[at[kLeft]]);
  const auto top = util::parse_f32(fields[at[kTop]]);
  const auto width = util::parse_f32(fields[at[kWidth]]);
  const auto height = util::parse_f32(fields[at[kHeight]]);
  if (!left || !top || !width || !height || *width <= 0 || *height <= 0) return std::nullopt;
  word.left = *left;
  word.top = *top;
  word.width = *width;
  word.height = *height;
  word.confidence = word_confidence(fields[at[kConf]]);
  std::uint64_t page = parse_unsigned(fields[at[kPage]]).value_or(0);
  if (page == 0) page = 1;
  const LineKey key{page, parse_unsigned(fields[at[kBlock]]).value_or(0),
                    parse_unsigned(fields[at[kParagraph]]).value_or(0),
                    parse_unsigned(fields[at[kLine]]).value_or(0)};
  return std::pair{key, std::move(word)};
}

ir::Block line_block(const WordGroup& group) {
  ir::TextBlock block;
  ir::Line line;
  ir::BBox box;
  float confidence_sum = 0;
  std::size_t confidence_count = 0;
  for (std::size_t i = 0; i < group.words.size(); ++i) {
    const TesseractWord& word = group.words[i];
    const ir::BBox word_box{word.left, word.top, word.width, word.height};
    box = i == 0 ? word_box : dataset::union_box(box, word_box);
    if (i > 0) block.text += ' ';
    block.text += word.text;
    line.spans.push_back(ir::Span{word.text, word_box, std::nullopt, std::nullopt, false, false});
    if (word.confidence) {
      confidence_sum += *word.confidence;
      ++confidence_count;
    }
  }
  line.text = block.text;
  line.bbox = box;
  block.kind = "ocr_line";
  block.bbox = box;
  block.lines.push_back(std::move(line));
  block.source_anchors.push_back(anchor(std::get<0>(group.key), box));
  const float score =
      confidence_count == 0 ? kBlockConfidence : confidence_sum / static_cast<float>(confidence_count);
  block.confidence = ir::Confidence{score, false};
  return block;
}

}  // namespace

std::vector<ir::Block> word_table_blocks(std::string_view text) {
  const std::vector<std::string_view> lines = header_lines(text);
  if (lines.empty()) return {};
  const auto indices = column_indices(split_fields(lines.front(), '\t'));
  if (!indices) return {};
  std::vector<WordGroup> groups;
  std::map<LineKey, std::size_t> group_of_key;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    auto row = read_word_row(split_fields(lines[i], '\t'), *indices);
    if (!row) continue;
    const auto [it, inserted] = group_of_key.try_emplace(row->first, groups.size());
    if (inserted) groups.push_back(WordGroup{row->first, {}});
    groups[it->second].words.push_back(std::move(row->second));
  }
  std::vector<ir::Block> blocks;
  blocks.reserve(groups.size());
  for (const WordGroup& group : groups) blocks.push_back(line_block(group));
  return blocks;
}

}  // namespace scrivex_core::csv::detail

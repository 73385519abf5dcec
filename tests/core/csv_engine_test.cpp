#include "core/dataset/csv_engine.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/pipeline/load.hpp"

namespace scrivex_core::csv {
namespace {

source::Source csv_source(const std::string& text, std::optional<std::string> path) {
  source::Source source = source::Source::from_text(text);
  source.format = "csv";
  source.path = std::move(path);
  return source;
}

ir::Document extract(const std::string& text, std::optional<std::string> path = std::nullopt) {
  auto document = CsvEngine{}.extract(csv_source(text, std::move(path)));
  EXPECT_TRUE(document.ok());
  return std::move(document).value();
}

const ir::TextBlock& text_block(const ir::Document& document, std::size_t index) {
  return std::get<ir::TextBlock>(document.pages.at(0).blocks.at(index));
}

std::vector<std::string> kinds_and_texts(const ir::Document& document) {
  std::vector<std::string> out;
  for (const ir::Block& block : document.pages.at(0).blocks) {
    const auto& text = std::get<ir::TextBlock>(block);
    out.push_back(text.kind + "|" + text.text);
  }
  return out;
}

constexpr const char* kWordHeader = "level\tpage_num\tblock_num\tpar_num\tline_num\tword_num\tleft\ttop\twidth\theight\tconf\ttext\n";

// One level-5 word row.
std::string word_row(const std::string& page, const std::string& line, const std::string& left,
                     const std::string& width, const std::string& conf, const std::string& text) {
  return "5\t" + page + "\t1\t1\t" + line + "\t1\t" + left + "\t10\t" + width + "\t20\t" + conf + "\t" + text + "\n";
}

// Plain rows
TEST(CsvPlainRows, HeaderLineIsAnOrdinaryRowAndNothingIsPlaced) {
  const ir::Document document = extract("name,age\nBob,42\n", "people.csv");
  EXPECT_EQ(document.metadata.engine, "csv-native");
  EXPECT_EQ(document.metadata.format, "csv");
  EXPECT_EQ(document.metadata.source, "people.csv");
  EXPECT_FALSE(document.metadata.title);
  EXPECT_EQ(document.metadata.block_count, 2u);
  EXPECT_EQ(document.metadata.word_count, 4u);
  EXPECT_EQ(document.metadata.character_count, 14u);
  EXPECT_EQ(kinds_and_texts(document), (std::vector<std::string>{"row|name age", "row|Bob 42"}));
  const ir::Page& page = document.pages.at(0);
  EXPECT_EQ(page.number, 1u);
  EXPECT_FALSE(page.width || page.height || page.bbox);
  const ir::TextBlock& row = text_block(document, 1);
  EXPECT_FALSE(row.bbox);
  ASSERT_EQ(row.source_anchors.size(), 1u);
  EXPECT_EQ(row.source_anchors[0], (ir::SourceAnchor{1, {}, std::nullopt, "csv_native"}));
  EXPECT_EQ(row.confidence, (ir::Confidence{0.9f, false}));
}

TEST(CsvPlainRows, DelimiterAndQuadrilateralCases) {
  struct Case {
    std::string text;
    std::optional<std::string> path;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {"10,20,110,20,110,40,10,40,TOTAL,12.00", "r.csv", {"TOTAL, 12.00"}},
      {"10\t20\t110\t20\t110\t40\t10\t40\tTOTAL\t12.00", "r.tsv", {"TOTAL 12.00"}},
      {"1,2,abc,4,5,6,7,8,x", "r.csv", {"1 2 abc 4 5 6 7 8 x"}},
      {"a,,b\n\"x, y\"", "r.csv", {"a b", "x y"}},
      {"  \r\n\r\n,,\n  c  \r\n", std::nullopt, {"c"}},
      {"a\tb,c", "DATA.TSV", {"a b,c"}},
      {"a\tb,c", "data.tsv.gz", {"a b c"}},
      {"a\tb,c", std::nullopt, {"a b c"}},
      // Empty text fields after the eight coordinates are kept in the join.
      {"0,0,1,0,1,1,0,1,,x", std::nullopt, {", x"}},
  };
  for (const Case& c : cases) {
    const ir::Document document = extract(c.text, c.path);
    std::vector<std::string> texts;
    for (const ir::Block& block : document.pages.at(0).blocks) texts.push_back(std::get<ir::TextBlock>(block).text);
    EXPECT_EQ(texts, c.texts) << c.text;
  }
}

TEST(CsvPlainRows, QuadrilateralGivesBoxAndPageExtent) {
  const ir::Document document = extract("110,40,10,20,10,40,110,20,TOTAL,12.00\n-50,-50,-40,-50,-40,-45,-50,-45,neg\n");
  const ir::TextBlock& row = text_block(document, 0);
  EXPECT_EQ(row.bbox, (ir::BBox{10, 20, 100, 20}));
  EXPECT_EQ(row.source_anchors.at(0).bbox, row.bbox);
  EXPECT_EQ(text_block(document, 1).bbox, (ir::BBox{-50, -50, 10, 5}));
  const ir::Page& page = document.pages.at(0);
  EXPECT_EQ(page.width, 110.0f);
  EXPECT_EQ(page.height, 40.0f);
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 110, 40}));
}

TEST(CsvPlainRows, NegativeCoordinatesNeverShrinkTheExtentBelowZero) {
  const ir::Document document = extract("-9,-9,-5,-9,-5,-5,-9,-5,far\n");
  EXPECT_EQ(document.pages.at(0).bbox, (ir::BBox{0, 0, 0, 0}));
}

TEST(CsvPlainRows, NoUsableLineGivesAnEmptyPage) {
  for (const std::string text : {"", "\n \n", ",,,\n\"\""}) {
    const ir::Document document = extract(text, "x.csv");
    ASSERT_EQ(document.pages.size(), 1u);
    EXPECT_TRUE(document.pages[0].blocks.empty());
    EXPECT_EQ(document.metadata.block_count, 0u);
  }
}

// Header matching
TEST(CsvHeaderIndex, ByteOrderMarkCaseAndSpaces) {
  struct Case {
    std::vector<std::string> headers;
    std::optional<std::size_t> index;
  };
  const std::vector<Case> cases = {
      {{"\xEF\xBB\xBF\xEF\xBB\xBFlevel", "x"}, 0},
      {{"x", "LEVEL"}, 1},
      {{"x", "y", " Level\t", "level"}, 2},
      {{"\xEF\xBB\xBF\"level"}, std::nullopt},
      {{"levels", "lev el"}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(header_index(c.headers, "level"), c.index) << c.headers[0];
}

TEST(CsvHeaderIndex, ByteOrderMarkedQuotedHeaderBreaksTheWordTable) {
  const std::string row = word_row("1", "1", "0", "5", "90", "w");
  EXPECT_EQ(kinds_and_texts(extract("\xEF\xBB\xBF" + std::string(kWordHeader) + row, "a.tsv")),
            (std::vector<std::string>{"ocr_line|w"}));
  const std::string quoted = "\xEF\xBB\xBF\"level\"" + std::string(kWordHeader).substr(5);
  EXPECT_EQ(extract(quoted + row, "a.tsv").pages[0].blocks.size(), 2u);  // plain tab rows
}

// Word table
TEST(CsvWordTable, WordsGroupIntoLinesWithUnionBoxSpansAndMeanConfidence) {
  const std::string text = std::string("\n") + kWordHeader + "4\t1\t1\t1\t1\t0\t0\t10\t100\t20\t-1\t\n" +
                           word_row("1", "1", "10", "30", "95", "Hello") +
                           word_row("1", "2", "10", "5", "-1", "other") +
                           word_row("1", "1", "50", "40", "0.5", " world  ");
  const ir::Document document = extract(text, "ocr.tsv");
  EXPECT_EQ(kinds_and_texts(document), (std::vector<std::string>{"ocr_line|Hello world", "ocr_line|other"}));
  const ir::TextBlock& line = text_block(document, 0);
  const ir::BBox box{10, 10, 80, 20};
  EXPECT_EQ(line.bbox, box);
  EXPECT_FLOAT_EQ(line.confidence->score, (0.95f + 0.5f) / 2);
  EXPECT_FALSE(line.confidence->calibrated);
  ASSERT_EQ(line.lines.size(), 1u);
  EXPECT_EQ(line.lines[0].text, "Hello world");
  EXPECT_EQ(line.lines[0].bbox, box);
  ASSERT_EQ(line.lines[0].spans.size(), 2u);
  EXPECT_EQ(line.lines[0].spans[1], (ir::Span{"world", ir::BBox{50, 10, 40, 20}, std::nullopt, std::nullopt, false, false}));
  EXPECT_EQ(line.source_anchors, (std::vector<ir::SourceAnchor>{{1, {}, box, "csv_native"}}));
  // A line whose words all lack a confidence.
  EXPECT_EQ(text_block(document, 1).confidence->score, 0.9f);
  EXPECT_EQ(document.pages[0].bbox, (ir::BBox{0, 0, 90, 30}));
}

TEST(CsvWordTable, ConfidenceScaling) {
  struct Case {
    std::string conf;
    float score;
  };
  const std::vector<Case> cases = {{"95", 0.95f}, {"0.5", 0.5f}, {"1", 1.0f}, {"150", 1.0f},
                                   {"-1", 0.9f},  {"x", 0.9f},   {"0", 0.0f}};
  for (const Case& c : cases) {
    const ir::Document document = extract(kWordHeader + word_row("1", "1", "0", "5", c.conf, "w"), "a.tsv");
    EXPECT_FLOAT_EQ(text_block(document, 0).confidence->score, c.score) << c.conf;
  }
}

TEST(CsvWordTable, PageNumbersLiveOnlyInAnchors) {
  const std::string text = kWordHeader + word_row("2", "1", "0", "5", "90", "two") +
                           word_row("3", "1", "0", "5", "90", "three") + word_row("0", "1", "0", "5", "90", "zero") +
                           word_row("x", "1", "0", "5", "90", "bad");
  const ir::Document document = extract(text, "a.tsv");
  ASSERT_EQ(document.pages.size(), 1u);
  std::vector<std::uint64_t> pages;
  for (std::size_t i = 0; i < 3; ++i) pages.push_back(text_block(document, i).source_anchors.at(0).page_number);
  // Page 0 and an unreadable page both read as page 1, so they share a line.
  EXPECT_EQ(pages, (std::vector<std::uint64_t>{2, 3, 1}));
  EXPECT_EQ(text_block(document, 2).text, "zero bad");
}

TEST(CsvWordTable, RowsThatAreNotWordsAreSkipped) {
  const std::string text = kWordHeader + word_row("1", "1", "0", "0", "90", "zero-width") +
                           word_row("1", "1", "0", "-2", "90", "negative") + word_row("1", "1", "x", "5", "90", "bad-left") +
                           word_row("1", "1", "0", "5", "90", "   ") + "5\t1\t1\t1\t1\t1\t0\t10\t5\t20\t90\n" +
                           "+5\t1\t1\t1\t1\t1\t0\t10\t5\t20\t90\tplus\n" + "05\t1\t1\t1\t1\t1\t0\t10\t5\t20\t90\ta\tb\n";
  EXPECT_EQ(kinds_and_texts(extract(text, "a.tsv")), (std::vector<std::string>{"ocr_line|plus a b"}));
}

TEST(CsvWordTable, NoAcceptedWordFallsBackToPlainTabRows) {
  const std::string text = kWordHeader + word_row("1", "1", "0", "0", "90", "w");
  const ir::Document document = extract(text, "a.tsv");
  ASSERT_EQ(document.pages[0].blocks.size(), 2u);
  EXPECT_EQ(text_block(document, 0).kind, "row");
  EXPECT_EQ(text_block(document, 0).text, "level page_num block_num par_num line_num word_num left top width height conf text");
}

TEST(CsvWordTable, CommaFileIsNeverAWordTable) {
  const std::string text = kWordHeader + word_row("1", "1", "0", "5", "90", "w");
  EXPECT_EQ(text_block(extract(text, "a.csv"), 0).kind, "row");
}

// Region table
TEST(CsvRegionTable, RowsAreLabelledAndPlacedByTheirBoxes) {
  const std::string text =
      "feature\tbounding boxes\ttext\n"
      "title\t(1;[10;20;30;60]),(2;[0;0;5;5])\t Big   Title \n"
      "\t(0;[1;1;2;2])\tno feature\tmore\n"
      "body\t(1;[5;5;5;9])\tflat box\n"
      "body\t(3;[1; 2; 3; 4])\tspaced box\n"
      "body\tgarbage\t\n"
      "short\n";
  const ir::Document document = extract(text, "regions.tsv");
  EXPECT_EQ(kinds_and_texts(document),
            (std::vector<std::string>{"title|Big Title", "row|no feature more", "body|flat box", "body|spaced box"}));
  const ir::TextBlock& title = text_block(document, 0);
  EXPECT_EQ(title.bbox, (ir::BBox{0, 0, 30, 60}));
  EXPECT_EQ(title.source_anchors, (std::vector<ir::SourceAnchor>{{1, {}, ir::BBox{10, 20, 20, 40}, "csv_native"},
                                                                  {2, {}, ir::BBox{0, 0, 5, 5}, "csv_native"}}));
  EXPECT_EQ(title.confidence, (ir::Confidence{0.9f, false}));
  EXPECT_TRUE(title.lines.empty());
  EXPECT_EQ(text_block(document, 1).source_anchors.at(0).page_number, 1u);
  for (std::size_t i : {2u, 3u}) {
    const ir::TextBlock& dropped = text_block(document, i);
    EXPECT_FALSE(dropped.bbox);
    EXPECT_EQ(dropped.source_anchors, (std::vector<ir::SourceAnchor>{{1, {}, std::nullopt, "csv_native"}}));
  }
  EXPECT_EQ(document.pages[0].bbox, (ir::BBox{0, 0, 30, 60}));
}

TEST(CsvRegionTable, NoRowWithTextFallsBackToPlainTabRows) {
  const ir::Document document = extract("Feature\tBounding Boxes\tText\nx\t(1;[0;0;1;1])\t\n", "r.tsv");
  EXPECT_EQ(kinds_and_texts(document), (std::vector<std::string>{"row|Feature Bounding Boxes Text", "row|x (1;[0;0;1;1])"}));
}

// A real word table: tesseract's TSV output for a rendered page of two lines
// (made by data/datasets/make_fixtures.py).
TEST(CsvWordTable, TesseractOutputOfARenderedPage) {
  auto loaded = pipeline::load_path(std::string(SCRIVEX_TEST_DATA_DIR) + "/datasets/ocr_words.tsv");
  ASSERT_TRUE(loaded.ok()) << loaded.error().display();
  const ir::Document& document = loaded.value();
  EXPECT_EQ(document.metadata.engine, "csv-native");
  EXPECT_EQ(document.metadata.format, "csv");
  EXPECT_EQ(kinds_and_texts(document),
            (std::vector<std::string>{"ocr_line|Hello scrivex world", "ocr_line|Second line of text"}));
  EXPECT_EQ(document.metadata.word_count, 7u);
  const ir::TextBlock& second = text_block(document, 1);
  EXPECT_EQ(second.bbox, (ir::BBox{86, 207, 476, 44}));
  EXPECT_EQ(second.lines.at(0).spans.size(), 4u);
  EXPECT_NEAR(second.confidence->score, 0.966f, 0.001f);
  // The page is the extent of the lines, not the image's 1275 by 417.
  EXPECT_EQ(document.pages.at(0).bbox, (ir::BBox{0, 0, 566, 251}));
}

}  // namespace
}  // namespace scrivex_core::csv

// hOCR reading: elements by class, boxes, confidences, pages.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/textual/hocr.hpp"
#include "core/textual/html_engine.hpp"
#include "core/util/float_parse.hpp"

namespace scrivex_core::textual {
namespace {

source::Source html_source(std::string text) {
  source::Source source = source::Source::from_text(text);
  source.format = "html";
  return source;
}

ir::Document extract_html(std::string text) {
  auto result = HtmlEngine{}.extract(html_source(std::move(text)));
  EXPECT_TRUE(result.ok());
  return std::move(result).value();
}

const ir::TextBlock& text_block(const ir::Document& document, std::size_t index) {
  return std::get<ir::TextBlock>(document.pages.at(0).blocks.at(index));
}

std::string word(std::string_view title, std::string_view text) {
  return "<span class='ocrx_word' title='" + std::string(title) + "'>" + std::string(text) + "</span>";
}

std::string line(std::string_view title, std::string_view content) {
  return "<span class='ocr_line' title='" + std::string(title) + "'>" + std::string(content) + "</span>\n";
}

std::string page(std::string_view title, std::string_view content) {
  return "<html><body><div class='ocr_page' title='" + std::string(title) + "'>" + std::string(content) +
         "</div></body></html>";
}

TEST(Hocr, BoxesFromTitles) {
  struct Case {
    std::string tag;
    std::optional<ir::BBox> expected;
  };
  const std::vector<Case> cases = {
      {"<span title='bbox 100 50 10 5'>", ir::BBox{10, 5, 90, 45}},
      {"<span title='image \"a;b.png\"; bbox 1 2 3 4 5; ppageno 0'>", ir::BBox{1, 2, 2, 2}},
      {"<span title='x_wconf 9;bbox 0.5 1e1 2 12'>", ir::BBox{0.5f, 10, 1.5f, 2}},
      {"<span title='bbox 1 2 3'>", std::nullopt},
      {"<span title='bbox 1 2 x 4'>", std::nullopt},
      {"<span title='BBOX 1 2 3 4'>", std::nullopt},
      {"<span title='bbox\t1 2 3 4'>", std::nullopt},
      {"<span class='bbox 1 2 3 4'>", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(hocr_bbox_from_tag(c.tag), c.expected) << c.tag;
}

TEST(Hocr, ElementsMatchClosingTagsByNesting) {
  const std::string text =
      "<div class='OCR_LINE other'><div>a</div><div/>b</div>"
      "<span class='ocr_line'>unclosed"
      "<p class=\"ocrx_line\">c<p class='ocr_line'>d</p></p>"
      "<br class='ocr_line'/>";
  const auto elements = hocr_elements_with_any_class(text, {"ocr_line", "ocrx_line"});
  ASSERT_EQ(elements.size(), 2u);
  EXPECT_EQ(elements[0].tag, "<div class='OCR_LINE other'>");
  EXPECT_EQ(elements[0].content, "<div>a</div><div/>b");
  EXPECT_EQ(elements[1].content, "c<p class='ocr_line'>d</p>");
  EXPECT_EQ(elements[1].outer, "<p class=\"ocrx_line\">c<p class='ocr_line'>d</p></p>");
}

TEST(Hocr, WordConfidenceIsScaledAndClamped) {
  struct Case {
    std::string title;
    std::optional<float> expected;
  };
  const std::vector<Case> cases = {
      {"bbox 0 0 1 1; x_wconf 95", 0.95f}, {"x_wconf 150", 1.0f},         {"x_wconf -3", 0.0f},
      {"x_wconf", std::nullopt},           {"x_wconf abc", std::nullopt}, {"x_wconf nan", std::nullopt},
      {"bbox 0 0 1 1", std::nullopt},
  };
  for (const Case& c : cases) {
    const std::string tag = "<span class='ocrx_word' title='" + c.title + "'>";
    const auto parsed = hocr_word_from_element(Element{tag, "w", ""});
    ASSERT_TRUE(parsed) << c.title;
    EXPECT_EQ(parsed->confidence, c.expected) << c.title;
  }
  EXPECT_FALSE(hocr_word_from_element(Element{"<span>", " <b> </b> ", ""}));
  EXPECT_EQ(hocr_word_from_element(Element{"<span>", "A&amp;B", ""})->text, "A&B");
}

TEST(HtmlEngine, HocrLinesWithWords) {
  const auto document = extract_html(page(
      "bbox 0 0 1000 2000", line("bbox 10 10 110 30", word("bbox 10 10 50 30; x_wconf 95", "Hello") + " " +
                                                          word("bbox 60 12 110 30; x_wconf 85", "world")) +
                                line("bbox 5 40 205 60", word("bbox 5 40 205 60", "Next"))));
  const ir::Page& first = document.pages.at(0);
  EXPECT_EQ(first.width, 1000.0f);
  EXPECT_EQ(first.height, 2000.0f);
  EXPECT_EQ(first.bbox, (ir::BBox{0, 0, 1000, 2000}));
  ASSERT_EQ(first.blocks.size(), 2u);

  const ir::TextBlock& hello = text_block(document, 0);
  EXPECT_EQ(hello.text, "Hello world");
  EXPECT_EQ(hello.kind, "ocr_line");
  EXPECT_EQ(hello.bbox, (ir::BBox{10, 10, 100, 20}));
  ASSERT_TRUE(hello.confidence);
  EXPECT_FLOAT_EQ(hello.confidence->score, 0.9f);
  ASSERT_EQ(hello.lines.size(), 1u);
  ASSERT_EQ(hello.lines[0].spans.size(), 2u);
  EXPECT_EQ(hello.lines[0].text, "Hello world");
  EXPECT_EQ(hello.lines[0].spans[1].text, "world");
  EXPECT_EQ(hello.lines[0].spans[1].bbox, (ir::BBox{60, 12, 50, 18}));
  ASSERT_EQ(hello.source_anchors.size(), 1u);
  EXPECT_EQ(hello.source_anchors[0].extraction_method, "html_native");
  EXPECT_EQ(hello.source_anchors[0].bbox, hello.bbox);

  // Words without x_wconf give the default.
  EXPECT_FLOAT_EQ(text_block(document, 1).confidence->score, 0.9f);

  EXPECT_EQ(document.metadata.engine, "html-native");
  EXPECT_EQ(document.metadata.format, "html");
  EXPECT_FALSE(document.metadata.title);
  EXPECT_EQ(document.metadata.block_count, 2u);
  EXPECT_EQ(document.metadata.character_count, 16u);  // "Hello world\nNext"
  EXPECT_EQ(document.metadata.word_count, 3u);
}

TEST(HtmlEngine, HocrPageSizedByBlocksWithoutPageBox) {
  const auto document = extract_html(
      page("image 'x.png'", line("bbox 10 10 110 30", "first line") + line("bbox 5 40 205 60", "second")));
  const ir::Page& first = document.pages.at(0);
  EXPECT_EQ(first.width, 205.0f);
  EXPECT_EQ(first.height, 60.0f);
  EXPECT_EQ(first.bbox, (ir::BBox{0, 0, 205, 60}));
  // A line without word elements takes the text of its content and no Line records.
  const ir::TextBlock& block = text_block(document, 0);
  EXPECT_EQ(block.text, "first line");
  EXPECT_TRUE(block.lines.empty());
  EXPECT_FLOAT_EQ(block.confidence->score, 0.9f);
}

TEST(HtmlEngine, HocrLineBoxFallsBackToWordUnion) {
  const auto document =
      extract_html(line("baseline 0 0", word("bbox 10 20 30 40", "a") + word("x_wconf 50", " ") +
                                            word("bbox 50 5 60 25", "b")));
  const ir::TextBlock& block = text_block(document, 0);
  EXPECT_EQ(block.text, "a b");
  EXPECT_EQ(block.bbox, (ir::BBox{10, 5, 50, 35}));
  EXPECT_EQ(block.lines.at(0).spans.size(), 2u);
  // No page box: the page takes the extent of the blocks.
  EXPECT_EQ(document.pages[0].width, 60.0f);
  EXPECT_EQ(document.pages[0].height, 40.0f);
}

TEST(HtmlEngine, HocrWordsWithoutLinesBecomeWordBlocks) {
  const auto document = extract_html(
      page("bbox 0 0 100 100", word("bbox 1 2 3 4; x_wconf 80", "solo") + line("", " ") + word("", "two")));
  ASSERT_EQ(document.pages[0].blocks.size(), 2u);
  const ir::TextBlock& solo = text_block(document, 0);
  EXPECT_EQ(solo.kind, "ocr_word");
  EXPECT_EQ(solo.text, "solo");
  EXPECT_EQ(solo.bbox, (ir::BBox{1, 2, 2, 2}));
  EXPECT_FLOAT_EQ(solo.confidence->score, 0.8f);
  EXPECT_TRUE(solo.lines.empty());
  EXPECT_EQ(solo.source_anchors.at(0).extraction_method, "html_native");
  EXPECT_EQ(text_block(document, 1).bbox, std::nullopt);
}

TEST(HtmlEngine, OnlyTheFirstHocrPageIsRead) {
  const auto document =
      extract_html(page("bbox 0 0 10 10", line("", "one")) + page("bbox 0 0 20 20", line("", "two")));
  ASSERT_EQ(document.pages.size(), 1u);
  ASSERT_EQ(document.pages[0].blocks.size(), 1u);
  EXPECT_EQ(text_block(document, 0).text, "one");
  EXPECT_EQ(document.pages[0].width, 10.0f);
}

TEST(HtmlEngine, PlainHtmlAndFalseHocrBecomeParagraphs) {
  const auto document = extract_html(
      "<html><head><title>T</title></head><body><p>The class ocr_line is <b>named</b> here.</p>"
      "<p>Second</p></body></html>");
  ASSERT_EQ(document.pages[0].blocks.size(), 2u);
  const ir::TextBlock& first = text_block(document, 0);
  EXPECT_EQ(first.text, "The class ocr_line is named here.");
  EXPECT_EQ(first.kind, "paragraph");
  EXPECT_EQ(first.source_anchors.at(0).extraction_method, "html-native");
  EXPECT_FALSE(document.metadata.title);
  EXPECT_EQ(document.metadata.engine, "html-native");
  EXPECT_FALSE(document.pages[0].width);
}

TEST(HtmlEngine, EmptyInputGivesAnEmptyPage) {
  const auto document = extract_html("");
  ASSERT_EQ(document.pages.size(), 1u);
  EXPECT_TRUE(document.pages[0].blocks.empty());
  EXPECT_EQ(document.metadata.character_count, 0u);
}

// Numbers in hOCR titles and XML attributes share one decimal grammar.
TEST(FloatParse, DecimalGrammar) {
  struct Case {
    std::string text;
    std::optional<float> expected;
  };
  const std::vector<Case> cases = {
      {"1.5", 1.5f},         {"+2e3", 2000.0f},       {"-0.25", -0.25f},      {".5", 0.5f},
      {"7.", 7.0f},          {"1E-2", 0.01f},         {"1e400", INFINITY},    {"-1e400", -INFINITY},
      {"1e-400", 0.0f},      {"Infinity", INFINITY},  {"-inf", -INFINITY},    {" 1", std::nullopt},
      {"1 ", std::nullopt},  {"1.2.3", std::nullopt}, {"0x10", std::nullopt}, {"", std::nullopt},
      {".", std::nullopt},   {"+", std::nullopt},     {"1e", std::nullopt},   {"nan(1)", std::nullopt},
      {"--1", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(util::parse_f32(c.text), c.expected) << c.text;
  const auto nan = util::parse_f32("NaN");
  ASSERT_TRUE(nan);
  EXPECT_TRUE(std::isnan(*nan));
}

}  // namespace
}  // namespace scrivex_core::textual

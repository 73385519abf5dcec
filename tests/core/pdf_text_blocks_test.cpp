#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_blocks.hpp"

namespace scrivex_core::pdf {
namespace {

// A run whose box starts at x, a fifth of the size below its baseline.
TextRun make_run(float x, float baseline, float width, std::string text, float size = 10,
                 std::vector<std::string> ids = {"4 0 R"}) {
  TextRun run;
  run.text = std::move(text);
  run.object_ids = std::move(ids);
  run.font_name = "F1";
  run.x = x;
  run.y = baseline - 0.2f * size;
  run.width = width;
  run.height = size;
  run.baseline = baseline;
  run.font_size = size;
  run.space_width = 0.25f * size;
  return run;
}

TextLine make_line(std::vector<TextRun> runs) {
  TextLine line;
  line.bbox = run_box(runs.front());
  line.baseline = runs.front().baseline;
  for (const TextRun& run : runs) {
    line.bbox = union_box(line.bbox, run_box(run));
    line.baseline = min_ignoring_nan(line.baseline, run.baseline);
  }
  line.runs = std::move(runs);
  return line;
}

std::string text_of(const TextLine& line) {
  const auto block = text_block_from_line(line, 1, 10);
  return block ? block->text : "<none>";
}

std::string kind_of(const TextLine& line, float body_size) {
  const auto block = text_block_from_line(line, 1, body_size);
  return block ? block->kind : "<none>";
}

// The kind follows the line size over the body size, for short enough lines.
TEST(PdfTextBlocks, KindByLineSize) {
  struct Case {
    std::size_t chars;
    float size;
    float body;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {200, 20, 10, "paragraph"},                               // too long for a heading
      {199, 20, 10, "heading_1"},   {10, 20, 0, "paragraph"},   // no body size
      {10, 15, 10, "heading_1"},                                // ratio exactly 1.5
      {10, 14.9f, 10, "heading_2"}, {10, 13, 10, "heading_2"},  // ratio exactly 1.3
      {10, 12.9f, 10, "heading_3"}, {10, 28, 25, "heading_3"},  // ratio exactly 1.12
      {10, 27.9f, 25, "paragraph"}, {10, 10, 10, "paragraph"}, {10, 0, 10, "paragraph"},  // no line size
  };
  for (const Case& c : cases) {
    const TextLine line = make_line({make_run(0, 100, 300, std::string(c.chars, 'a'), c.size)});
    EXPECT_EQ(kind_of(line, c.body), c.expected) << c.chars << " chars, size " << c.size << " / " << c.body;
  }
}

// The line size is that of the run with the most characters; the later wins a tie.
TEST(PdfTextBlocks, LineSizeFromTheLongestRun) {
  EXPECT_EQ(kind_of(make_line({make_run(0, 100, 20, "A", 30), make_run(30, 100, 60, "long words", 10)}), 10),
            "paragraph");
  EXPECT_EQ(kind_of(make_line({make_run(0, 100, 20, "Ab", 10), make_run(30, 100, 60, "Cd", 20)}), 10),
            "heading_1");
  EXPECT_EQ(kind_of(make_line({make_run(0, 100, 20, "Ab", 20), make_run(30, 100, 60, "Cd", 10)}), 10),
            "paragraph");
  // A run without a size never sets the line size.
  EXPECT_EQ(
      kind_of(make_line({make_run(0, 100, 20, "Title", 20), make_run(70, 100, 60, "longer text", 0)}), 10),
      "heading_1");
}

// On a mathematical line, shifted runs become scripts of the piece before them.
TEST(PdfTextBlocks, ScriptsOnMathematicalLines) {
  struct Case {
    std::string name;
    std::vector<TextRun> runs;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"raised", {make_run(0, 100, 5, "x"), make_run(5, 103, 4, "2", 7)}, "x^2"},
      {"lowered", {make_run(0, 100, 5, "x"), make_run(5, 97, 4, "2", 7)}, "x_2"},
      {"braced", {make_run(0, 100, 5, "x"), make_run(5, 103, 12, "n+1", 7)}, "x^{n+1}"},
      {"letters unbraced",
       {make_run(0, 100, 5, "x"), make_run(5, 97, 8, "ij", 7), make_run(20, 100, 5, "=")},
       "x_ij ="},
      {"after a digit",
       {make_run(0, 100, 5, "y"), make_run(10, 100, 5, "="), make_run(20, 100, 10, "10"),
        make_run(30, 103, 4, "3", 7)},
       "y = 10 3"},
      {"after a closed group", {make_run(0, 100, 25, "(x_i)"), make_run(25, 103, 4, "2", 7)}, "(x_i)^2"},
      {"below the threshold", {make_run(0, 100, 5, "x"), make_run(5, 101.5f, 4, "+", 7)}, "x +"},
      {"not mathematical", {make_run(0, 100, 25, "word"), make_run(30, 103, 20, "note", 7)}, "word note"},
  };
  for (const Case& c : cases) EXPECT_EQ(text_of(make_line(c.runs)), c.expected) << c.name;
}

TEST(PdfTextBlocks, SpansAnchorAndConfidence) {
  const TextLine line = make_line({
      make_run(50, 100, 30, "\xEF\xAC\x81ne", 12, {"4 0 R"}),  // the fi ligature
      make_run(10, 100, 30, "Very", 12, {"9 0 R", "4 0 R"}),   // stored out of x order
      make_run(85, 100, 5, "  ", 12, {"7 0 R"}),
  });
  const auto block = text_block_from_line(line, 3, 12);
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(block->text, "Very fine");
  EXPECT_EQ(block->kind, "paragraph");
  EXPECT_EQ(block->bbox, line.bbox);
  ASSERT_EQ(block->lines.size(), 1u);
  EXPECT_EQ(block->lines[0].text, "Very fine");
  EXPECT_EQ(block->lines[0].bbox, line.bbox);
  ASSERT_EQ(block->lines[0].spans.size(), 2u);       // the blank run gives none
  const ir::Span& first = block->lines[0].spans[0];  // spans keep the stored order
  EXPECT_EQ(first.text, "fine");
  EXPECT_EQ(first.font, "F1");
  EXPECT_EQ(first.size, 12.0f);
  EXPECT_EQ(first.bbox, run_box(line.runs[0]));
  EXPECT_EQ(block->lines[0].spans[1].text, "Very");
  ASSERT_EQ(block->source_anchors.size(), 1u);
  const ir::SourceAnchor& source = block->source_anchors[0];
  EXPECT_EQ(source.page_number, 3u);
  EXPECT_EQ(source.pdf_object_ids, (std::vector<std::string>{"4 0 R", "9 0 R", "7 0 R"}));
  EXPECT_EQ(source.bbox, line.bbox);
  EXPECT_EQ(source.extraction_method, "native_pdf");
  EXPECT_EQ(block->confidence, (ir::Confidence{0.82f, false}));
  EXPECT_FALSE(block->provenance.has_value());

  EXPECT_FALSE(text_block_from_line(make_line({make_run(0, 100, 10, " \t ")}), 1, 10).has_value());
}

ir::TextBlock block_at(std::string text, float x, float y, std::string kind = "paragraph") {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = std::move(kind);
  block.bbox = ir::BBox{x, y, 200, 10};
  block.lines.push_back(ir::Line{block.text, block.bbox, {}});
  block.source_anchors.push_back(ir::SourceAnchor{1, {}, block.bbox, "native_pdf"});
  return block;
}

std::vector<std::string> texts(const std::vector<ir::TextBlock>& blocks) {
  std::vector<std::string> out;
  for (const ir::TextBlock& block : blocks) out.push_back(block.text);
  return out;
}

// Wrapped lines of one paragraph are merged; anything else stays apart.
TEST(PdfTextBlocks, MergeWrappedLines) {
  struct Case {
    std::string name;
    std::vector<ir::TextBlock> blocks;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"hyphen", {block_at("a long exam-", 0, 100), block_at("ple here", 0, 88)}, {"a long example here"}},
      {"hyphen into a heading",
       {block_at("Intro-", 0, 100, "heading_1"), block_at("duction", 0, 88, "heading_1")},
       {"Introduction"}},
      {"lowercase continuation",
       {block_at("the first line", 0, 100), block_at("goes on", 10, 88), block_at("and on", 0, 76)},
       {"the first line goes on and on"}},
      {"full stop", {block_at("It ends.", 0, 100), block_at("then more", 0, 88)}, {"It ends.", "then more"}},
      {"question mark", {block_at("Why?", 0, 100), block_at("because", 0, 88)}, {"Why?", "because"}},
      {"uppercase",
       {block_at("the first line", 0, 100), block_at("Next", 0, 88)},
       {"the first line", "Next"}},
      {"numbered steps",
       {block_at("1. mix the flour", 0, 100), block_at("2. add water", 0, 88)},
       {"1. mix the flour", "2. add water"}},
      {"step continued",
       {block_at("1. mix the flour", 0, 100), block_at("and salt", 0, 88)},
       {"1. mix the flour and salt"}},
      {"heading",
       {block_at("Methods", 0, 100, "heading_2"), block_at("we did", 0, 88)},
       {"Methods", "we did"}},
      {"indent 18", {block_at("left", 0, 100), block_at("more", 18, 88)}, {"left more"}},
      {"indent past 18", {block_at("left", 0, 100), block_at("more", 18.5f, 88)}, {"left", "more"}},
      {"too far below", {block_at("left", 0, 100), block_at("more", 0, 81)}, {"left", "more"}},
      {"above", {block_at("left", 0, 100), block_at("more", 0, 112)}, {"left", "more"}},
      {"same row", {block_at("left", 0, 100), block_at("more", 0, 100)}, {"left", "more"}},
  };
  for (const Case& c : cases) EXPECT_EQ(texts(merge_wrapped_text_blocks(c.blocks)), c.expected) << c.name;
}

TEST(PdfTextBlocks, MergedBlockKeepsEveryLineAndAnchor) {
  ir::TextBlock first = block_at("exam-", 0, 100, "heading_3");
  first.confidence = ir::Confidence{0.82f, false};
  ir::TextBlock second = block_at("ple", 5, 88, "paragraph");
  second.bbox->width = 300;
  const auto merged = merge_wrapped_text_blocks({first, second});
  ASSERT_EQ(merged.size(), 1u);
  EXPECT_EQ(merged[0].text, "example");
  EXPECT_EQ(merged[0].kind, "heading_3");
  EXPECT_EQ(merged[0].bbox, (ir::BBox{0, 88, 305, 22}));
  ASSERT_EQ(merged[0].lines.size(), 2u);
  EXPECT_EQ(merged[0].lines[1].text, "ple");
  ASSERT_EQ(merged[0].source_anchors.size(), 2u);
  EXPECT_EQ(merged[0].source_anchors[1], second.source_anchors[0]);
  EXPECT_EQ(merged[0].confidence, first.confidence);
}

TEST(PdfTextBlocks, SourceIdsInFirstSeenOrder) {
  const std::vector<TextRun> runs = {make_run(0, 0, 1, "a", 10, {"5 0 R", "6 0 R"}),
                                     make_run(0, 0, 1, "b", 10, {}),
                                     make_run(0, 0, 1, "c", 10, {"6 0 R", "2 0 R", "5 0 R"})};
  EXPECT_EQ(source_ids_for_runs(runs), (std::vector<std::string>{"5 0 R", "6 0 R", "2 0 R"}));
}

}  // namespace
}  // namespace scrivex_core::pdf

#include "core/engine/docbank.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/engine/plain_text.hpp"
#include "core/ir/json_form.hpp"
#include "core/pipeline/load.hpp"
#include "core/scrivex.hpp"

namespace scrivex_core::engine {
namespace {

// One token line: text, box, the four ignored colour and font fields, label.
std::string token(const std::string& text, const std::string& x0, const std::string& y0,
                  const std::string& x1, const std::string& y1, const std::string& label) {
  return text + "\t" + x0 + "\t" + y0 + "\t" + x1 + "\t" + y1 + "\t0\t0\t0\tTimes\t" + label;
}

std::string token(const std::string& text, float y, const std::string& label, float x = 10) {
  auto number = [](float v) { return std::to_string(v); };
  return token(text, number(x), number(y), number(x + 20), number(y + 8), label);
}

ir::Document extract(const std::string& text) {
  auto document = PlainTextEngine{}.extract(source::Source::from_text(text));
  EXPECT_TRUE(document.ok());
  return std::move(document).value();
}

std::vector<std::string> block_texts(const ir::Document& document) {
  std::vector<std::string> texts;
  for (const ir::Block& block : document.pages.at(0).blocks) {
    const auto& text = std::get<ir::TextBlock>(block);
    texts.push_back(text.kind + "|" + text.text);
  }
  return texts;
}

// Detection
TEST(DocBank, OneTokenLineMakesALabelledBlockWithGeometry) {
  const ir::Document document = extract("Hello\t10\t20\t30\t28\t0\t0\t0\tTimes\tparagraph");
  EXPECT_EQ(document.metadata.engine, "plain-text");
  EXPECT_FALSE(document.metadata.title.has_value());
  EXPECT_EQ(document.metadata.block_count, 1u);
  EXPECT_EQ(document.metadata.character_count, 5u);
  const ir::Page& page = document.pages.at(0);
  EXPECT_EQ(page.width, 30.0f);
  EXPECT_EQ(page.height, 28.0f);
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 30, 28}));
  ASSERT_EQ(page.blocks.size(), 1u);
  const auto& block = std::get<ir::TextBlock>(page.blocks[0]);
  const ir::BBox box{10, 20, 20, 8};
  EXPECT_EQ(block.text, "Hello");
  EXPECT_EQ(block.kind, "paragraph");
  EXPECT_EQ(block.bbox, box);
  EXPECT_EQ(block.source_anchors, (std::vector<ir::SourceAnchor>{{1, {}, box, "docbank_token_labels"}}));
  EXPECT_EQ(block.confidence, (ir::Confidence{0.9f, false}));
  ASSERT_EQ(block.lines.size(), 1u);
  EXPECT_EQ(block.lines[0].text, "Hello");
  EXPECT_EQ(block.lines[0].bbox, box);
  ir::Span span;
  span.text = "Hello";
  span.bbox = box;
  EXPECT_EQ(block.lines[0].spans, std::vector<ir::Span>{span});
}

TEST(DocBank, AnyInvalidLineMakesTheTextPlain) {
  const std::string valid = token("A", 100, "paragraph");
  struct Case {
    std::string name;
    std::string line;
  };
  const std::vector<Case> cases{
      {"nine fields", "A\t10\t20\t30\t28\t0\t0\t0\tparagraph"},
      {"label case", token("A", "10", "20", "30", "28", "Paragraph")},
      {"unknown label", token("A", "10", "20", "30", "28", "heading")},
      {"blank token", token("   ", "10", "20", "30", "28", "paragraph")},
      {"zero width", token("A", "10", "20", "10", "28", "paragraph")},
      {"inverted height", token("A", "10", "28", "30", "20", "paragraph")},
      {"free text", "just a sentence"},
      {"leading space", token("A", " 10", "20", "30", "28", "paragraph")},
      {"trailing space", token("A", "10", "20 ", "30", "28", "paragraph")},
      {"not a number", token("A", "10", "2O", "30", "28", "paragraph")},
      {"nan with payload", token("A", "nan(1)", "20", "30", "28", "paragraph")},
      {"double sign", token("A", "+-1", "20", "30", "28", "paragraph")},
      {"hex", token("A", "0x1", "20", "30", "28", "paragraph")},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(parse_docbank_token_line(c.line).has_value()) << c.name;
    const ir::Document document = extract(valid + "\n" + c.line + "\n");
    const auto& block = std::get<ir::TextBlock>(document.pages.at(0).blocks.at(0));
    EXPECT_EQ(block.source_anchors.at(0).extraction_method, "plain-text") << c.name;
    EXPECT_FALSE(document.pages.at(0).width.has_value()) << c.name;
  }
  EXPECT_FALSE(read_docbank_tokens("").has_value());
  EXPECT_FALSE(read_docbank_tokens(" \n\t\n").has_value());
}

TEST(DocBank, ReadsNumbersAsAStandardParserDoes) {
  struct Case {
    std::string x0;
    std::string x1;
    bool valid;
  };
  const std::vector<Case> cases{
      {"+10", "3e1", true},    {"-.5", "5.", true}, {"1E1", "1e+2", true},   {"-inf", "Infinity", true},
      {"nan", "5", true},      {"5", "NaN", true},  {"1e-50", "1e50", true}, {"1e400", "2e400", false},
      {"10", "-1e400", false}, {".", "5", false},   {"1e", "5", false},      {"", "5", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parse_docbank_token_line(token("A", c.x0, "0", c.x1, "8", "table")).has_value(), c.valid)
        << c.x0 << " " << c.x1;
  }
  const auto huge = parse_docbank_token_line(token("A", "0", "0", "1e50", "8", "table"));
  ASSERT_TRUE(huge.has_value());
  EXPECT_TRUE(std::isinf(huge->box.width));
  const auto tiny = parse_docbank_token_line(token("A", "-1e-50", "0", "1", "8", "table"));
  ASSERT_TRUE(tiny.has_value());
  EXPECT_EQ(tiny->box.x, 0.0f);
  EXPECT_TRUE(std::signbit(tiny->box.x));
}

// Grouping into lines
TEST(DocBank, GroupsSameLabelTokensOnOneVisualLine) {
  struct Case {
    std::string name;
    std::vector<std::string> lines;
    std::vector<std::string> blocks;
  };
  const std::vector<Case> cases{
      {"close rows", {token("A", 100, "paragraph"), token("B", 102, "paragraph")}, {"paragraph|A B"}},
      {"far rows",
       {token("A", 100, "paragraph"), token("B", 112, "paragraph")},
       {"paragraph|A", "paragraph|B"}},
      {"label change",
       {token("T", 100, "title"), token("P", 100, "paragraph"), token("U", 100, "title")},
       {"title|T", "paragraph|P", "title|U"}},
      {"blank line", {token("A", 100, "list"), "", "  \t", token("B", 100, "list")}, {"list|A B"}},
      {"only the last line grows",
       {token("A", 100, "paragraph"), token("B", 200, "paragraph"), token("C", 101, "paragraph")},
       {"paragraph|A", "paragraph|B", "paragraph|C"}},
      {"crlf and extra fields",
       {token("A", 100, "date") + "\textra\r", token("B", 100, "date") + "\r"},
       {"date|A B"}},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const std::string& line : c.lines) text += line + "\n";
    EXPECT_EQ(block_texts(extract(text)), c.blocks) << c.name;
  }
}

TEST(DocBank, TallTokensWidenTheLineTolerance) {
  // The tolerance is the larger of 3 points, the tallest token of the line so
  // far and the new token's height, measured from the line's first token.
  const std::string text = token(" Big ", "0", "100", "10", "120", "equation") + "\n" +
                           token("small", "20", "118", "30", "121", "equation") + "\n" +
                           token("far", "40", "120", "50", "121", "equation") + "\n" +
                           token("next", "60", "121", "70", "122", "equation");
  const ir::Document document = extract(text);
  EXPECT_EQ(block_texts(document), (std::vector<std::string>{"equation|Big small far", "equation|next"}));
  const auto& block = std::get<ir::TextBlock>(document.pages.at(0).blocks.at(0));
  EXPECT_EQ(block.bbox, (ir::BBox{0, 100, 50, 21}));
  EXPECT_EQ(block.lines.at(0).spans.size(), 3u);
  EXPECT_EQ(document.pages.at(0).width, 70.0f);
  EXPECT_EQ(document.pages.at(0).height, 122.0f);
  EXPECT_EQ(document.metadata.word_count, 4u);
}

// Files and the in-memory path
TEST(DocBank, LoadsFromFilesAndThroughToJson) {
  const std::string text = token("Title", 10, "title") + "\n" + token("Body", 40, "paragraph") + "\n";
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "docbank_test";
  std::filesystem::create_directories(dir);
  for (const std::string name : {"page.txt", "page.md", "page.tex"}) {
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary) << text;
    auto document = pipeline::load_path(path);
    ASSERT_TRUE(document.ok()) << name;
    EXPECT_EQ(document.value().metadata.engine, "plain-text") << name;
    EXPECT_EQ(document.value().metadata.source, path) << name;
    EXPECT_EQ(document.value().metadata.file_size_bytes, text.size()) << name;
    EXPECT_EQ(block_texts(document.value()), (std::vector<std::string>{"title|Title", "paragraph|Body"}))
        << name;
  }

  auto json = text_to_json(text);
  ASSERT_TRUE(json.ok());
  auto read_back = ir::read_document(json.value());
  ASSERT_TRUE(read_back.ok());
  EXPECT_EQ(read_back.value(), extract(text));
  EXPECT_NE(json.value().find("\"docbank_token_labels\""), std::string::npos);
}

}  // namespace
}  // namespace scrivex_core::engine

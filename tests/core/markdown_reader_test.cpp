#include "core/engine/markdown_reader.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/engine/plain_text.hpp"
#include "core/pipeline/load.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::engine {
namespace {

// Beside this file, so that the fixtures are found from any build folder.
const std::string kFixtures = std::string(SCRIVEX_TEST_DATA_DIR) + "/text_inputs";

// "kind|text" for text blocks, "table|h1,h2|r1c1,r1c2;r2c1" for tables.
std::string describe(const ir::Block& block) {
  if (const auto* text = std::get_if<ir::TextBlock>(&block)) return text->kind + "|" + text->text;
  const auto* table = std::get_if<ir::TableBlock>(&block);
  if (!table) return "figure";
  auto join = [](const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) out += (i ? "," : "") + cells[i];
    return out;
  };
  std::string out = "table|" + join(table->headers) + "|";
  for (std::size_t i = 0; i < table->rows.size(); ++i) out += (i ? ";" : "") + join(table->rows[i]);
  return out;
}

std::vector<std::string> describe_all(const std::vector<ir::Block>& blocks) {
  std::vector<std::string> out;
  for (const ir::Block& block : blocks) out.push_back(describe(block));
  return out;
}

std::string write_file(const std::string& name, const std::string& content) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / "markdown_reader_test";
  std::filesystem::create_directories(dir);
  const std::string path = (dir / name).string();
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

std::string write_gzip_file(const std::string& name, const std::string& content) {
  const std::string path = write_file(name, "");
  gzFile file = gzopen(path.c_str(), "wb");
  gzwrite(file, content.data(), static_cast<unsigned>(content.size()));
  gzclose(file);
  return path;
}

std::string read_fixture(const std::string& name) {
  std::ifstream in(kFixtures + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Inline cleaning and list items
TEST(MarkdownInline, CleansOnlyEdgesAndSpacing) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"  `code`  ", "code"},     {"``a  b``", "a b"},
      {"a `b` c", "a `b` c"},     {"*em* _u_ [l](x)", "*em* _u_ [l](x)"},
      {" ` spaced ` ", "spaced"}, {"a\t\tb", "a b"},
  };
  for (const Case& c : cases) EXPECT_EQ(clean_markdown_inline(c.input), c.expected) << c.input;
}

TEST(MarkdownInline, RecognisesListItems) {
  struct Case {
    std::string line;
    std::optional<std::string> item;
  };
  const std::vector<Case> cases{
      {"- a", "a"},     {"* `b`", "b"},     {"12. twelve", "twelve"},
      {"* * *", "* *"}, {"+ item", {}},     {"1) item", {}},
      {"1.item", {}},   {"-", {}},          {"---", {}},
      {"a. b", {}},     {". b", {}},        {"1.", {}},
      {"-x", {}},       {"1.5 litres", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(markdown_list_text(c.line), c.item) << c.line;
}

// Reading whole texts
TEST(MarkdownReader, ReadsHeadingsListsTablesAndParagraphs) {
  struct Case {
    std::string text;
    std::vector<std::string> blocks;
  };
  const std::vector<Case> cases{
      {"# Title\nSome text\ncontinued\n\n- a\n- `b`\n1. c",
       {"heading_1|Title", "paragraph|Some text continued", "list|a\nb\nc"}},
      {"#Title", {"heading_1|Title"}},
      {"###### Six ##", {"heading_6|Six ##"}},
      {"####### x", {"paragraph|####### x"}},
      {"##", {"paragraph|##"}},
      {"text\n## `Head  line`\nmore", {"paragraph|text", "heading_2|Head line", "paragraph|more"}},
      {"| A | B |\n|---|:--:|\n| 1 | 2 |\n| 3 |", {"table|A,B|1,2;3"}},
      {"A | B\n--- | ---\n1 | 2", {"table|A,B|1,2"}},
      {"| A | B |\n|---|---|\n|  | x |\nafter", {"table|A,B|,x", "paragraph|after"}},
      {"| A | B |\n|---|---|\n\n| 1 | 2 |", {"table|A,B|", "paragraph|| 1 | 2 |"}},
      {"| A |\n|---|", {"paragraph|| A | |---|"}},
      {"| A | B |\n|::|---|", {"paragraph|| A | B | |::|---|"}},
      {"| A | B |\n|-x-|---|", {"paragraph|| A | B | |-x-|---|"}},
      {"| A | B |", {"paragraph|| A | B |"}},
      {"```\ncode  here\n```", {"paragraph|``` code  here ```"}},
      {"---\n> quote", {"paragraph|--- > quote"}},
      {"intro\n- a\nb\n\n- c", {"paragraph|intro", "list|a", "paragraph|b", "list|c"}},
      {"x\r\n\r\ny\r\n", {"paragraph|x", "paragraph|y"}},
      {"\n  \n\t\n", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(describe_all(read_markdown_blocks(c.text)), c.blocks) << c.text;
}

TEST(MarkdownReader, BlocksCarryTheFixedAnchorAndConfidence) {
  const std::vector<ir::Block> blocks = read_markdown_blocks("# H\n\nA | B\n-|-\n");
  ASSERT_EQ(blocks.size(), 2u);
  const std::vector<ir::SourceAnchor> anchors{{1, {}, std::nullopt, "markdown_native"}};
  const auto& heading = std::get<ir::TextBlock>(blocks[0]);
  EXPECT_EQ(heading.source_anchors, anchors);
  EXPECT_EQ(heading.confidence, (ir::Confidence{0.9f, false}));
  EXPECT_FALSE(heading.bbox.has_value());
  const auto& table = std::get<ir::TableBlock>(blocks[1]);
  EXPECT_EQ(table.source_anchors, anchors);
  EXPECT_EQ(table.confidence, (ir::Confidence{0.9f, false}));
  EXPECT_FALSE(table.caption.has_value());
  EXPECT_TRUE(table.cells.empty());
}

// The reader choice: LaTeX and Markdown by the path's ending only
TEST(PlainTextReaderChoice, RoutesByPathEnding) {
  const std::string markdown = "# Heading\n\nbody\n";
  const std::string latex = "\\section{Heading}\nbody\n";
  struct Case {
    std::string name;
    std::string content;
    bool gzip;
    std::string engine;
  };
  const std::vector<Case> cases{
      {"notes.md", markdown, false, "markdown-native"},
      {"README.MD", markdown, false, "markdown-native"},
      {"notes.markdown", markdown, false, "markdown-native"},
      {"notes.md.gz", markdown, true, "plain-text"},
      {"notes.txt", markdown, false, "plain-text"},
      {"paper.tex", latex, false, "latex-native"},
      {"PAPER.TEX", latex, false, "latex-native"},
      {"paper.latex", latex, false, "latex-native"},
      {"paper.ltx", latex, false, "latex-native"},
      {"paper.tex.gz", latex, true, "latex-native"},
      {"paper.latex.gz", latex, true, "latex-native"},
      {"paper.LTX.GZ", latex, true, "latex-native"},
      {"latex.md", latex, false, "markdown-native"},
      {"blank.md", "\n \n", false, "plain-text"},
      {"comments.tex", "% only a comment\n\\usepackage{x}\n", false, "plain-text"},
  };
  for (const Case& c : cases) {
    const std::string path = c.gzip ? write_gzip_file(c.name, c.content) : write_file(c.name, c.content);
    auto document = pipeline::load_path(path);
    ASSERT_TRUE(document.ok()) << c.name << ": " << document.error().display();
    EXPECT_EQ(document.value().metadata.engine, c.engine) << c.name;
    EXPECT_EQ(document.value().metadata.source, path) << c.name;
  }
}

TEST(PlainTextReaderChoice, InMemoryTextIsNeverMarkdown) {
  auto document = PlainTextEngine{}.extract(source::Source::from_text("# Heading\n- a\n"));
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(document.value().metadata.engine, "plain-text");
  EXPECT_EQ(describe_all(document.value().pages[0].blocks),
            std::vector<std::string>{"paragraph|# Heading - a"});
}

TEST(PlainTextReaderChoice, MarkdownDocumentCountsAndMetadata) {
  const std::string path = write_file("counts.md", "# Title\n\n| A | B |\n|---|---|\n| 1 | 2 |\n");
  auto document = pipeline::load_path(path);
  ASSERT_TRUE(document.ok());
  const ir::Metadata& metadata = document.value().metadata;
  // "Title" + "\n\n" + "A B\n1 2"
  EXPECT_EQ(metadata.character_count, 14u);
  EXPECT_EQ(metadata.word_count, 5u);
  EXPECT_EQ(metadata.block_count, 2u);
  EXPECT_FALSE(metadata.title.has_value());
  EXPECT_EQ(metadata.format, "text");
  EXPECT_EQ(document.value().pages.size(), 1u);
}

// What pandoc writes (fixtures made by make_fixtures.sh)
TEST(MarkdownReader, ReadsPandocGithubMarkdown) {
  const std::vector<std::string> expected{
      "paragraph|--- title: Field Notes on River Birds ---",
      "heading_1|Survey Method",
      "paragraph|We walked the *north bank* twice a week and counted every bird we saw, using the "
      "[regional guide](https://example.org/guide) for names.",
      "heading_2|Equipment",
      "list|Binoculars (8x42)\nA waterproof **notebook**",
      "list|Arrive at dawn.\nCount for 30 minutes.",
      "heading_1|Results",
      "table|Species,Count|Heron,12;Kingfisher,3",
      "paragraph|Herons were most common; about 80% of sightings came before 9 am.",
  };
  EXPECT_EQ(describe_all(read_markdown_blocks(read_fixture("pandoc_notes_gfm.md"))), expected);
}

TEST(MarkdownReader, PandocSimpleTablesStayParagraphs) {
  auto document = pipeline::load_path(kFixtures + "/pandoc_notes.markdown");
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(document.value().metadata.engine, "markdown-native");
  const std::vector<std::string> blocks = describe_all(document.value().pages[0].blocks);
  ASSERT_EQ(blocks.size(), 9u);
  EXPECT_EQ(blocks[4], "list|Binoculars (8x42)\nA waterproof **notebook**");
  EXPECT_EQ(blocks[7], "paragraph|Species      Count ------------ ------- Heron        12 Kingfisher   3");
}

}  // namespace
}  // namespace scrivex_core::engine

#include "core/engine/text_builders.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/engine/plain_text.hpp"

namespace scrivex_core::engine {
namespace {

using Paragraphs = std::vector<std::string>;

Paragraphs paragraphs(std::vector<std::string> texts) {
  return texts;
}

ir::TextBlock paragraph_block(std::string text, std::string engine_name) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = "paragraph";
  block.source_anchors.push_back({1, {}, std::nullopt, std::move(engine_name)});
  block.confidence = ir::Confidence{0.9f, false};
  return block;
}

ir::TableBlock table(std::vector<std::string> headers, std::vector<std::vector<std::string>> rows) {
  ir::TableBlock block;
  block.headers = std::move(headers);
  block.rows = std::move(rows);
  return block;
}

ir::TextBlock text_block(std::string text) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = "heading";
  return block;
}

source::Source disk_source(std::string text, std::string path, std::size_t size) {
  source::Source source = source::Source::from_text(text);
  source.path = std::move(path);
  source.bytes = std::vector<std::uint8_t>(size, 'x');
  return source;
}

// Paragraphs are runs of non-blank lines; each line is trimmed of Unicode
// white space and the lines are joined by one space.
TEST(SplitParagraphs, CutsAtBlankLinesAndJoinsTrimmedLines) {
  struct Case {
    std::string text;
    Paragraphs expected;
  };
  const std::vector<Case> cases = {
      {"a\n b \n\n\n c", {"a b", "c"}},
      {"  ", {}},
      {"", {}},
      {"\n\n\n", {}},
      {"x\r\ny", {"x y"}},
      {"a\r\n\r\nb\r\n", {"a", "b"}},
      {"a\tb", {"a\tb"}},
      {"a\rb", {"a\rb"}},
      {"\n\nfirst\n\n", {"first"}},
      {"last line", {"last line"}},
      {"a\n \t \nb", {"a", "b"}},
      {"a\n\xE3\x80\x80\nb", {"a", "b"}},         // U+3000 only: a blank line
      {"\xC2\xA0x\xC2\xA0\ny", {"x y"}},          // U+00A0 trimmed
      {"x\n\xE2\x80\x8By", {"x \xE2\x80\x8By"}},  // U+200B is not white space
      {"one  two\nthree", {"one  two three"}},    // inner runs stay as they are
  };
  for (const Case& c : cases) {
    EXPECT_EQ(split_paragraphs(c.text), c.expected) << "text: " << c.text;
  }
}

TEST(FlushParagraph, JoinsCurrentLinesAndEmptiesThem) {
  Paragraphs out{"kept"};
  std::vector<std::string_view> current;
  flush_paragraph(out, current);
  EXPECT_EQ(out, Paragraphs{"kept"});
  current = {"a", "b c"};
  flush_paragraph(out, current);
  EXPECT_EQ(out, (Paragraphs{"kept", "a b c"}));
  EXPECT_TRUE(current.empty());
}

TEST(TextDocumentFromParagraphs, DropsBlankParagraphsAndCountsTheSeparators) {
  const auto source = source::Source::from_text("ignored");
  const ir::Document document =
      text_document_from_paragraphs(source, "plain-text", paragraphs({"Hello world", "  ", "Bye", ""}), "T");

  EXPECT_EQ(document.schema_version, "scrivex.ir.v2");
  ASSERT_EQ(document.pages.size(), 1u);
  const ir::Page& page = document.pages[0];
  EXPECT_EQ(page.number, 1u);
  EXPECT_FALSE(page.width || page.height || page.rotation || page.route || page.bbox);
  EXPECT_TRUE(page.images.empty() && page.assets.empty() && page.warnings.empty());
  ASSERT_EQ(page.blocks.size(), 2u);
  EXPECT_EQ(page.blocks[0], ir::Block(paragraph_block("Hello world", "plain-text")));
  EXPECT_EQ(page.blocks[1], ir::Block(paragraph_block("Bye", "plain-text")));
  EXPECT_TRUE(document.assets.empty() && document.warnings.empty());

  const ir::Metadata& metadata = document.metadata;
  EXPECT_EQ(metadata.format, "text");
  EXPECT_EQ(metadata.engine, "plain-text");
  EXPECT_EQ(metadata.title, "T");
  EXPECT_EQ(metadata.character_count, 16u);  // "Hello world\n\nBye"
  EXPECT_EQ(metadata.word_count, 3u);
  EXPECT_EQ(metadata.block_count, 2u);
  EXPECT_FALSE(metadata.source.has_value());
  EXPECT_FALSE(metadata.file_size_bytes.has_value());
  EXPECT_FALSE(metadata.pdf_version.has_value());
  EXPECT_FALSE(metadata.encrypted);
}

TEST(TextDocumentFromParagraphs, KeepsParagraphTextUntrimmedAndCountsScalarValues) {
  const auto source = source::Source::from_text("");
  const ir::Document document = text_document_from_paragraphs(
      source, "x-native", paragraphs({" caf\xC3\xA9 ", "\xE3\x80\x80\xC2\xA0", "\xF0\x9F\x98\x80"}),
      std::nullopt);
  ASSERT_EQ(document.pages[0].blocks.size(), 2u);
  EXPECT_EQ(std::get<ir::TextBlock>(document.pages[0].blocks[0]).text, " caf\xC3\xA9 ");
  EXPECT_EQ(std::get<ir::TextBlock>(document.pages[0].blocks[0]).source_anchors[0].extraction_method,
            "x-native");
  // " café " + "\n\n" + one emoji
  EXPECT_EQ(document.metadata.character_count, 9u);
  EXPECT_EQ(document.metadata.word_count, 2u);
  EXPECT_FALSE(document.metadata.title.has_value());
}

TEST(TextDocumentFromParagraphs, NoParagraphsStillGiveOneEmptyPage) {
  const ir::Document document =
      text_document_from_paragraphs(source::Source::from_text(""), "plain-text", {}, std::nullopt);
  ASSERT_EQ(document.pages.size(), 1u);
  EXPECT_TRUE(document.pages[0].blocks.empty());
  EXPECT_EQ(document.metadata.character_count, 0u);
  EXPECT_EQ(document.metadata.word_count, 0u);
  EXPECT_EQ(document.metadata.block_count, 0u);
}

TEST(TextDocumentFromParagraphs, CopiesFormatPathAndByteLengthFromTheSource) {
  source::Source source = disk_source("body", "/data/page.html", 1234);
  source.format = "html";
  const ir::Document document =
      text_document_from_paragraphs(source, "html-native", paragraphs({"body"}), std::nullopt);
  EXPECT_EQ(document.metadata.format, "html");
  EXPECT_EQ(document.metadata.source, "/data/page.html");
  EXPECT_EQ(document.metadata.file_size_bytes, 1234u);
}

TEST(DocumentFromBlocks, EmptyBlockListGivesNothing) {
  EXPECT_FALSE(
      document_from_blocks(source::Source::from_text(""), "markdown-native", std::nullopt, {}).has_value());
}

// The document text joins the non-empty block texts by "\n\n"; every block
// counts in block_count, even one without text.
TEST(DocumentFromBlocks, CountsOverBlockTextsAndKeepsTheBlocks) {
  struct Case {
    std::string name;
    std::vector<ir::Block> blocks;
    std::uint64_t characters;
    std::uint64_t words;
  };
  const std::vector<Case> cases = {
      {"figure without caption", {ir::FigureBlock{}, text_block("A")}, 1, 1},
      {"figure caption",
       {ir::FigureBlock{std::nullopt, "Fig 1", std::nullopt, std::nullopt, {}, {}, {}}},
       5,
       2},
      // "H1 H2\na b\nc\n\nT"
      {"table with headers", {table({"H1", "H2"}, {{"a", "b"}, {"c"}}), text_block("T")}, 14, 6},
      // "x y\n\nT"
      {"table without headers", {table({}, {{"x", "y"}}), text_block("T")}, 6, 3},
      {"empty table", {table({}, {}), text_block("T")}, 1, 1},
      // " \n\nA": only empty texts are dropped
      {"blank text block", {text_block(" "), text_block("A")}, 4, 1},
  };
  for (const Case& c : cases) {
    auto document =
        document_from_blocks(disk_source("", "/x/notes.md", 7), "markdown-native", "Title", c.blocks);
    ASSERT_TRUE(document.has_value()) << c.name;
    EXPECT_EQ(document->metadata.character_count, c.characters) << c.name;
    EXPECT_EQ(document->metadata.word_count, c.words) << c.name;
    EXPECT_EQ(document->metadata.block_count, c.blocks.size()) << c.name;
    EXPECT_EQ(document->metadata.engine, "markdown-native");
    EXPECT_EQ(document->metadata.title, "Title");
    EXPECT_EQ(document->metadata.source, "/x/notes.md");
    EXPECT_EQ(document->metadata.file_size_bytes, 7u);
    ASSERT_EQ(document->pages.size(), 1u);
    EXPECT_EQ(document->pages[0].number, 1u);
    EXPECT_EQ(document->pages[0].blocks, c.blocks) << c.name;
  }
}

TEST(BlockText, TablesJoinHeaderAndRowLines) {
  EXPECT_EQ(block_text(table({"H1", "H2"}, {{"a", "b"}, {}, {"c"}})), "H1 H2\na b\n\nc");
  EXPECT_EQ(block_text(table({}, {{"a"}})), "a");
  EXPECT_EQ(block_text(ir::FigureBlock{}), "");
}

TEST(PlainTextEngine, EmptyTextGivesAnEmptyPage) {
  auto document = PlainTextEngine{}.extract(source::Source::from_text(""));
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(document.value().metadata.engine, "plain-text");
  EXPECT_EQ(document.value().metadata.format, "text");
  ASSERT_EQ(document.value().pages.size(), 1u);
  EXPECT_TRUE(document.value().pages[0].blocks.empty());
  EXPECT_EQ(document.value().metadata.character_count, 0u);
  EXPECT_EQ(document.value().metadata.word_count, 0u);
  EXPECT_EQ(document.value().metadata.block_count, 0u);
}

TEST(PlainTextEngine, ReadsParagraphs) {
  auto document = PlainTextEngine{}.extract(source::Source::from_text("Hello\nworld\n\nSecond"));
  ASSERT_TRUE(document.ok());
  const auto& blocks = document.value().pages[0].blocks;
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0], ir::Block(paragraph_block("Hello world", "plain-text")));
  EXPECT_EQ(blocks[1], ir::Block(paragraph_block("Second", "plain-text")));
  EXPECT_EQ(document.value().metadata.character_count, 19u);
  EXPECT_EQ(document.value().metadata.word_count, 3u);
  EXPECT_EQ(document.value().metadata.block_count, 2u);
  EXPECT_FALSE(document.value().metadata.title.has_value());
}

TEST(PlainTextEngine, FileSourcesGivePathAndSize) {
  auto document = PlainTextEngine{}.extract(disk_source("a\n\nb\n", "/tmp/a.txt", 5));
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(document.value().metadata.source, "/tmp/a.txt");
  EXPECT_EQ(document.value().metadata.file_size_bytes, 5u);
  EXPECT_EQ(document.value().metadata.block_count, 2u);
}

}  // namespace
}  // namespace scrivex_core::engine

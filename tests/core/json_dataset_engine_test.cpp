// The JSON dataset engine: whole-text JSON, JSON Lines, the generic walk,
// the errors and the document counts.
#include "core/dataset/json_engine.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dataset/json_pages.hpp"

namespace scrivex_core::dataset {
namespace {

source::Source json_source(const std::string& text) {
  source::Source source = source::Source::from_text(text);
  source.format = "json";
  return source;
}

ir::Document extract(const std::string& text) {
  auto document = JsonEngine{}.extract(json_source(text));
  EXPECT_TRUE(document.ok()) << (document.ok() ? "" : document.error().display());
  return document.ok() ? std::move(document).value() : ir::Document{};
}

// "kind|text" of each text block of a page.
std::vector<std::string> texts(const ir::Page& page) {
  std::vector<std::string> out;
  for (const ir::Block& block : page.blocks) {
    const auto& text = std::get<ir::TextBlock>(block);
    out.push_back(text.kind + "|" + text.text);
  }
  return out;
}

// Generic walk
TEST(JsonGeneric, TextBearingFieldsOfOnePage) {
  struct Case {
    std::string json;
    std::vector<std::string> blocks;
  };
  const std::vector<Case> cases = {
      {R"({"title": "A", "body_text": ["x", "y"], "id": 5})", {"title|A", "paragraph|x", "paragraph|y"}},
      {R"({"meta": {"text": "hi"}, "id": "no"})", {"text|hi"}},
      {"42", {"value|42"}},
      {"-3.5e0", {"value|-3.5"}},
      {"1e2", {"value|100.0"}},
      {"false", {"value|false"}},
      {R"("  many   words ")", {"text|many words"}},
      {R"("   ")", {}},
      {"null", {}},
      // Preferred keys in their fixed order; only a string under "html" loses its markup.
      {R"({"html": "<p>a</p><p>b</p>", "text": ["<b>x</b>", 3, ["deep"]], "caption": "c"})",
       {"text|<b>x</b>", "html|a b", "caption|c"}},
      {R"({"sections": [{"heading": "H", "text": "T"}, {"heading": "G"}]})", {"text|T", "text|G"}},
      {R"({"content": {"body": "inner"}, "abstract": 7})", {"paragraph|inner"}},
      // Without preferred keys: every member in key byte order, bookkeeping keys skipped.
      {R"({"b": "2", "a": "1", "B": "0", "id": "x", "metadata": "m", "url": "u", "category_type": "c"})",
       {"text|0", "text|1", "text|2"}},
      // A later duplicate key replaces an earlier one.
      {R"({"k": "first", "k": "second"})", {"text|second"}},
      {R"({"title": "old", "x": 1, "title": "new"})", {"title|new"}},
  };
  for (const Case& c : cases) {
    const ir::Document document = extract(c.json);
    ASSERT_EQ(document.pages.size(), 1u) << c.json;
    EXPECT_EQ(texts(document.pages[0]), c.blocks) << c.json;
  }
}

TEST(JsonGeneric, BlocksCarryTheStandardAnchorAndTheTitleIsTaken) {
  const ir::Document document = extract(R"({"title": " A  title ", "body_text": ["x y", "z"], "id": 5})");
  EXPECT_EQ(document.metadata.engine, "json-native");
  EXPECT_EQ(document.metadata.format, "json");
  EXPECT_EQ(document.metadata.title, "A title");
  EXPECT_EQ(document.metadata.block_count, 3u);
  EXPECT_EQ(document.metadata.word_count, 5u);
  EXPECT_EQ(document.metadata.character_count, 11u);
  EXPECT_FALSE(document.metadata.source);
  EXPECT_FALSE(document.metadata.file_size_bytes);
  const ir::Page& page = document.pages.at(0);
  EXPECT_EQ(page.number, 1u);
  EXPECT_FALSE(page.width || page.height || page.bbox);
  const auto& block = std::get<ir::TextBlock>(page.blocks.at(1));
  EXPECT_EQ(block.source_anchors, (std::vector<ir::SourceAnchor>{{1, {}, std::nullopt, "json_native"}}));
  EXPECT_EQ(block.confidence, (ir::Confidence{0.9f, false}));
  EXPECT_FALSE(block.provenance);
  EXPECT_TRUE(block.lines.empty());
}

TEST(JsonGeneric, ArraysAndPagesMembersGiveOnePagePerElement) {
  for (const std::string json : {R"([{"text": "a"}, null, {"text": "b"}])", R"({"pages": [{"text": "a"}, null, {"text": "b"}]})"}) {
    const ir::Document document = extract(json);
    ASSERT_EQ(document.pages.size(), 3u) << json;
    EXPECT_EQ(document.pages[1].number, 2u);
    EXPECT_TRUE(document.pages[1].blocks.empty());
    EXPECT_EQ(texts(document.pages[2]), std::vector<std::string>{"text|b"});
    EXPECT_EQ(std::get<ir::TextBlock>(document.pages[2].blocks[0]).source_anchors[0].page_number, 3u);
  }
  for (const std::string json : {"[]", R"({"pages": []})"}) {
    const ir::Document document = extract(json);
    ASSERT_EQ(document.pages.size(), 1u) << json;
    EXPECT_EQ(document.pages[0].number, 1u);
    EXPECT_TRUE(document.pages[0].blocks.empty());
    EXPECT_EQ(document.metadata.block_count, 0u);
  }
}

TEST(JsonGeneric, NestingAtTheReaderLimitIsWalked) {
  const std::string json = std::string(127, '[') + R"({"text": "deep"})" + std::string(127, ']');
  EXPECT_EQ(texts(extract(json).pages.at(0)), std::vector<std::string>{"text|deep"});
}

// JSON Lines
TEST(JsonLines, PagesAreNumberedByLineAndAnchorsFollow) {
  const ir::Document document =
      extract("\r\n  {\"text\": \"a\"}  \r\n[{\"title\": \"b\"}, {\"text\": \"c\"}]\n\n\"d\"\n");
  std::vector<std::uint64_t> numbers, anchors;
  for (const ir::Page& page : document.pages) {
    numbers.push_back(page.number);
    for (const ir::Block& block : page.blocks) anchors.push_back(std::get<ir::TextBlock>(block).source_anchors[0].page_number);
  }
  EXPECT_EQ(numbers, (std::vector<std::uint64_t>{2, 3, 4, 5}));
  EXPECT_EQ(anchors, (std::vector<std::uint64_t>{2, 3, 4, 5}));
  EXPECT_EQ(document.metadata.title, "b");
  EXPECT_EQ(texts(document.pages[3]), std::vector<std::string>{"text|d"});
}

TEST(JsonLines, ErrorsCarryTheReadersMessage) {
  struct Case {
    std::string text;
    std::string message;
  };
  const std::vector<Case> cases = {
      // An empty or blank file has no line to read: the whole-text error.
      {"", "JSON error: EOF while parsing a value at line 1 column 0"},
      {" \n\t\n", "JSON error: EOF while parsing a value at line 3 column 0"},
      // Lines that parse but give no page: the whole-text error again.
      {"[]\n[]", "JSON error: trailing characters at line 2 column 1"},
      // A pretty-printed object with a syntax error fails on its first line.
      {"{\n  \"a\": 1,\n}\n", "JSON error: EOF while parsing an object at line 1 column 1"},
      {"{\"text\": \"a\"}\n{\"text\": }\n{\"text\": \"b\"}",
       "JSON error: expected value at line 1 column 10"},
  };
  for (const Case& c : cases) {
    auto document = JsonEngine{}.extract(json_source(c.text));
    ASSERT_FALSE(document.ok()) << c.text;
    EXPECT_EQ(document.error().kind(), error::ErrorKind::Json);
    EXPECT_EQ(document.error().display(), c.message) << c.text;
  }
}

TEST(JsonLines, NestingPastTheLimitIsAnErrorNotACrash) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  for (const std::string& text : {deep, "{\"text\": \"a\"}\n" + deep}) {
    auto document = JsonEngine{}.extract(json_source(text));
    ASSERT_FALSE(document.ok());
    EXPECT_NE(document.error().display().find("recursion limit exceeded"), std::string::npos)
        << document.error().display();
  }
}

// Ids
TEST(JsonValueKey, NumbersAndStringsShareKeys) {
  struct Case {
    std::string json;
    std::string key;
  };
  const std::vector<Case> cases = {
      {"7", "7"},         {R"("7")", "7"},          {"-7", "-7"},      {"7.0", "7.0"},
      {"2.5e-3", "0.0025"}, {"true", "true"},       {"null", "null"},  {R"([1, "a"])", R"([1,"a"])"},
      {R"({"b": 1, "a": {"c": null}, "b": 2})", R"({"a":{"c":null},"b":2})"},
  };
  for (const Case& c : cases) {
    auto value = util::json::parse(c.json);
    ASSERT_TRUE(value.ok()) << c.json;
    EXPECT_EQ(value_key(value.value()), c.key) << c.json;
  }
}

TEST(JsonBoxes, RectAndCocoRect) {
  struct Case {
    std::string json;
    std::optional<ir::BBox> rect;
    std::optional<ir::BBox> coco;
  };
  const std::vector<Case> cases = {
      {"[10, 20, 110, 40]", ir::BBox{10, 20, 100, 20}, ir::BBox{10, 20, 110, 40}},
      {"[110, 40, 10, 20]", ir::BBox{10, 20, 100, 20}, ir::BBox{110, 40, 10, 20}},
      {"[1, 2, 3, -4]", ir::BBox{1, -4, 2, 6}, ir::BBox{1, 2, 3, -4}},
      {R"([1, 2, 3, 4, "x"])", ir::BBox{1, 2, 2, 2}, std::nullopt},
      {"[5, 5, 10]", std::nullopt, std::nullopt},
      {R"([1, 2, "3", 4])", std::nullopt, std::nullopt},
      {R"({"x": 1})", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    auto value = util::json::parse(c.json);
    ASSERT_TRUE(value.ok()) << c.json;
    EXPECT_EQ(bbox_from_rect(&value.value()), c.rect) << c.json;
    EXPECT_EQ(bbox_from_coco_rect(&value.value()), c.coco) << c.json;
  }
}

}  // namespace
}  // namespace scrivex_core::dataset

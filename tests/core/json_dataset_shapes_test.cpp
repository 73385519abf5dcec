// The dataset shapes of JSON annotation files: layout detections, forms,
// COCO, PubTabNet, cell grids and word lists, and the order they are tried.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dataset/json_engine.hpp"
#include "core/dataset/json_pages.hpp"

namespace scrivex_core::dataset {
namespace {

ir::Document extract(const std::string& text) {
  source::Source source = source::Source::from_text(text);
  source.format = "json";
  auto document = JsonEngine{}.extract(source);
  EXPECT_TRUE(document.ok()) << (document.ok() ? "" : document.error().display());
  return document.ok() ? std::move(document).value() : ir::Document{};
}

// "kind|text" for text blocks, "table|headers/rows" and "figure" for the others.
std::vector<std::string> summary(const ir::Page& page) {
  std::vector<std::string> out;
  for (const ir::Block& block : page.blocks) {
    if (const auto* text = std::get_if<ir::TextBlock>(&block)) {
      out.push_back(text->kind + "|" + text->text);
    } else if (const auto* table = std::get_if<ir::TableBlock>(&block)) {
      std::string line = "table|";
      for (const std::string& header : table->headers) line += header + ",";
      for (const auto& row : table->rows) {
        line += "/";
        for (const std::string& cell : row) line += cell + ",";
      }
      out.push_back(line);
    } else {
      out.push_back("figure");
    }
  }
  return out;
}

const ir::SourceAnchor& anchor(const ir::Block& block) {
  return std::visit([](const auto& b) -> const ir::SourceAnchor& { return b.source_anchors.at(0); }, block);
}

const std::optional<ir::BBox>& box(const ir::Block& block) {
  return std::visit([](const auto& b) -> const std::optional<ir::BBox>& { return b.bbox; }, block);
}

// Layout detections
TEST(JsonLayoutDetections, DetectionsBecomeOrderedBlocksOnNumberedPages) {
  const ir::Document document = extract(R"([
    {"page_info": {"width": 600, "height": 800}, "layout_dets": [
      {"category_type": "title", "poly": [10, 20, 110, 20, 110, 40, 10, 40], "text": " Intro  ", "order": 1},
      {"category_type": "table", "poly": [0, 50, 200, 50, 200, 90, 0, 90], "order": 2,
       "html": "<table><TR><th>A</th><th>B</th></tr><tr class=x><td>1</td><td><b>2</b> &amp; 3</td></tr><tr></tr></table>"},
      {"category_type": "figure", "poly": [0, 100, 50, 100, 50, 150, 0, 150], "order": 3},
      {"category_type": "plain text", "poly": [0, 0, 1, 1], "order": 4},
      {"category_type": "text", "text": "ignored", "ignore": true, "order": 0},
      "not a detection"
    ]},
    {"text": "no detections here"},
    {"page_info": {"width": 300}, "layout_dets": [
      {"category_type": "a", "text": "none", "order": "x"},
      {"category_type": "a", "text": "two", "order": 2},
      {"text": "one", "order": 1, "poly": [1, 2, 3, "4"]}
    ]}
  ])");
  ASSERT_EQ(document.pages.size(), 2u);
  const ir::Page& first = document.pages[0];
  EXPECT_EQ(first.number, 1u);
  EXPECT_EQ(summary(first), (std::vector<std::string>{"title|Intro", "table|A,B,/1,2 & 3,", "figure"}));
  EXPECT_EQ(first.width, 600.0f);
  EXPECT_EQ(first.height, 800.0f);
  EXPECT_EQ(first.bbox, (ir::BBox{0, 0, 600, 800}));
  EXPECT_EQ(box(first.blocks[0]), (ir::BBox{10, 20, 100, 20}));
  EXPECT_EQ(anchor(first.blocks[0]), (ir::SourceAnchor{1, {}, ir::BBox{10, 20, 100, 20}, "json_native"}));
  const auto& table = std::get<ir::TableBlock>(first.blocks[1]);
  EXPECT_TRUE(table.cells.empty());
  EXPECT_EQ(table.bbox, (ir::BBox{0, 50, 200, 40}));
  EXPECT_EQ(table.confidence, (ir::Confidence{0.9f, false}));
  const auto& figure = std::get<ir::FigureBlock>(first.blocks[2]);
  EXPECT_EQ(figure.bbox, (ir::BBox{0, 100, 50, 50}));
  EXPECT_FALSE(figure.caption || figure.alt_text || figure.image_ref);

  const ir::Page& third = document.pages[1];
  EXPECT_EQ(third.number, 3u);
  EXPECT_EQ(summary(third), (std::vector<std::string>{"annotation|one", "a|two", "a|none"}));
  EXPECT_EQ(third.width, 300.0f);
  EXPECT_FALSE(third.height || third.bbox);
  EXPECT_FALSE(box(third.blocks[0]));
  EXPECT_EQ(anchor(third.blocks[2]).page_number, 3u);

  EXPECT_EQ(document.metadata.title, "Intro");
  EXPECT_EQ(document.metadata.block_count, 6u);
  // "Intro", "A B\n1 2 & 3", the figure's empty caption, "one", "two", "none".
  EXPECT_EQ(document.metadata.character_count, 5u + 11u + 3u + 3u + 4u);
  EXPECT_EQ(document.metadata.word_count, 1u + 6u + 3u);
}

TEST(JsonLayoutDetections, BlockFromOneDetection) {
  struct Case {
    std::string json;
    std::vector<std::string> blocks;
    std::optional<ir::BBox> bbox;
  };
  const std::vector<Case> cases = {
      {R"({"poly": [0, 0, 4, 2, 9], "latex": "x^2"})", {"annotation|x^2"}, ir::BBox{0, 0, 4, 2}},
      {R"({"poly": [0, 0, 4], "text": "short poly"})", {"annotation|short poly"}, std::nullopt},
      {R"({"text": "  ", "latex": "unused", "html": "<p>from <i>html</i></p>"})", {"annotation|from html"}, std::nullopt},
      {R"({"text": 5, "latex": "L", "html_2": "<b>h</b>"})", {"annotation|L"}, std::nullopt},
      {R"({"category_type": "table", "html": "<p>no rows</p>"})", {"table|no rows"}, std::nullopt},
      {R"({"category_type": "table", "html": 3, "html_3": "<tr><td>x</td></tr>"})", {"table|x,"}, std::nullopt},
      {R"({"category_type": "table"})", {}, std::nullopt},
      {R"({"category_type": "chart_mask"})", {"figure"}, std::nullopt},
      {R"({"category_type": 7, "text": "number category"})", {"annotation|number category"}, std::nullopt},
  };
  for (const Case& c : cases) {
    const ir::Document document = extract(R"({"pages": [{"layout_dets": [)" + c.json + "]}]}");
    ASSERT_EQ(document.pages.size(), 1u) << c.json;
    EXPECT_EQ(summary(document.pages[0]), c.blocks) << c.json;
    if (!c.blocks.empty()) {
      EXPECT_EQ(box(document.pages[0].blocks[0]), c.bbox) << c.json;
    }
  }
}

TEST(JsonLayoutDetections, HtmlTableRows) {
  struct Case {
    std::string html;
    std::vector<std::vector<std::string>> rows;
  };
  const std::vector<Case> cases = {
      {"<table><tr><th>A</th><th>B</th></tr><tr><td>1</td><td>2</td></tr></table>", {{"A", "B"}, {"1", "2"}}},
      {"<TR><TD> a  b </TD><td></td><TH>c</th></tr>", {{"a b", "", "c"}}},
      {"<tr><td>x</td></tr><tr><td>y</td>", {{"x"}}},
      {"<tr><td>x</td><td>no close</tr>", {{"x"}}},
      {"<tr><td>x</td></tr><tr", {{"x"}}},
      {"<tr></tr><tr><td>only</td></tr>", {{"only"}}},
      {"<tr><td><p>p1</p><p>p2</p></td></tr>", {{"p1 p2"}}},
  };
  for (const Case& c : cases) EXPECT_EQ(html_table_rows(c.html), c.rows) << c.html;
}

// Forms
TEST(JsonForm, EntriesSortedByPositionAndPageSizedByExtent) {
  const ir::Document document = extract(R"({"form": [
    {"text": "below", "box": [10, 50, 60, 70], "label": "answer"},
    {"text": "right", "box": [80, 10, 100, 20]},
    {"text": "left", "box": [30, 10, 0, 20], "label": 3},
    {"text": "   ", "box": [0, 0, 500, 500]},
    {"label": "question"},
    "stray"
  ], "words": [{"text": "unused"}]})");
  ASSERT_EQ(document.pages.size(), 1u);
  const ir::Page& page = document.pages[0];
  EXPECT_EQ(summary(page), (std::vector<std::string>{"field|left", "field|right", "answer|below"}));
  EXPECT_EQ(box(page.blocks[0]), (ir::BBox{0, 10, 30, 10}));
  EXPECT_EQ(page.width, 100.0f);
  EXPECT_EQ(page.height, 70.0f);
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 100, 70}));
}

// Shape order
TEST(JsonShapes, FirstShapeThatAppliesDecides) {
  struct Case {
    std::string json;
    std::vector<std::string> blocks;
  };
  const std::vector<Case> cases = {
      // A form without text falls through to the word list.
      {R"({"form": [{"text": ""}], "words": [{"text": "w"}]})", {"word|w"}},
      {R"({"form": [1, 2], "words": [{"text": "w"}]})", {"word|w"}},
      // COCO without an image id falls through.
      {R"({"images": [{"file_name": "a"}], "annotations": [], "words": [{"word": "w"}]})", {"word|w"}},
      // Words before cell grids.
      {R"({"cells": [["a"]], "words": [{"value": "v"}]})", {"word|v"}},
      {R"({"cells": [[{"text": "c"}]], "words": [{"text": " "}]})", {"table|c,"}},
      // Nothing applies: the generic walk.
      {R"({"cells": [[], 5], "words": [{"text": 5}], "caption": "g"})", {"caption|g"}},
      {R"({"html": {"structure": {"tokens": ["<td>"]}, "cells": []}, "text": "t"})",
       {"text|t", "text|<td>"}},
  };
  for (const Case& c : cases) {
    const ir::Document document = extract(c.json);
    ASSERT_EQ(document.pages.size(), 1u) << c.json;
    EXPECT_EQ(summary(document.pages[0]), c.blocks) << c.json;
  }
}

// COCO
TEST(JsonCoco, AnnotationsGroupedByImageWithCategoryNames) {
  const ir::Document document = extract(R"({
    "categories": [{"id": 1, "name": "text"}, {"id": "2", "name": "title"}, {"id": 3}, {"id": 1, "name": "para"}],
    "images": [{"id": 7, "width": 600, "height": 800}, "skipped", {"file_name": "no id"},
               {"id": "8", "width": 100}, {"id": 7}],
    "annotations": [
      {"image_id": "7", "category_id": 1, "bbox": [5, 50, 10, 10]},
      {"image_id": 7, "category_id": 2, "bbox": [50, 10, 10, 10]},
      {"image_id": 7, "category_id": 2.0, "bbox": [5, 10, 10, 10]},
      {"image_id": 7, "category_id": 3, "bbox": [5, 5, 10]},
      {"image_id": 8.0, "category_id": 3, "bbox": [0, 0, 1, 1]},
      {"image_id": 8, "category_id": 3, "bbox": [0, 0, -1, 1]},
      {"category_id": 1, "bbox": [0, 0, 1, 1]}
    ]})");
  ASSERT_EQ(document.pages.size(), 3u);
  const ir::Page& first = document.pages[0];
  EXPECT_EQ(first.number, 1u);
  EXPECT_EQ(summary(first), (std::vector<std::string>{"layout|layout", "title|title", "para|para"}));
  EXPECT_EQ(box(first.blocks[1]), (ir::BBox{50, 10, 10, 10}));
  EXPECT_EQ(first.bbox, (ir::BBox{0, 0, 600, 800}));
  EXPECT_EQ(anchor(first.blocks[0]).page_number, 1u);
  // The image without an id keeps its number; "skipped" is not counted.
  EXPECT_EQ(document.pages[1].number, 3u);
  EXPECT_EQ(summary(document.pages[1]), (std::vector<std::string>{"layout|layout"}));
  EXPECT_EQ(box(document.pages[1].blocks[0]), (ir::BBox{0, 0, -1, 1}));
  EXPECT_EQ(anchor(document.pages[1].blocks[0]).page_number, 3u);
  EXPECT_EQ(document.pages[1].width, 100.0f);
  EXPECT_FALSE(document.pages[1].height || document.pages[1].bbox);
  // A second image with id 7 finds its annotations taken.
  EXPECT_EQ(document.pages[2].number, 4u);
  EXPECT_TRUE(document.pages[2].blocks.empty());
}

// PubTabNet
TEST(JsonPubTabNet, StructureTokensTakeCellsInOrder) {
  const ir::Document document = extract(R"({"html": {"structure": {"tokens": [
      "<thead>", "<tr>", "<td>", "</td>", "<td", " colspan=\"2\"", ">", "</td>", "</tr>", "</thead>",
      "<tbody>", "<TR>", "<td>", "</td>", " <td>", "</td>", "</tr>", "<tr>", "</tr>", "<tr>", "<td>", "</td>"]},
      "cells": [{"tokens": ["<b>", "N", "a", "m", "e", "</b>"], "bbox": [1, 2, 11, 12]},
                {"tokens": ["V", 5], "text": "unused", "bbox": [12, 2, 30, 12]},
                {"text": "x &amp;  y"},
                {"bbox": [1, 14, 11, 24]},
                {"text": "open row"}]}})");
  ASSERT_EQ(document.pages.size(), 1u);
  const ir::Page& page = document.pages[0];
  EXPECT_EQ(summary(page), (std::vector<std::string>{"table|Name,V,/x & y,,"}));
  const auto& table = std::get<ir::TableBlock>(page.blocks.at(0));
  ASSERT_EQ(table.cells.size(), 4u);
  EXPECT_EQ(table.cells[1], (ir::TableCell{0, 1, "V", ir::BBox{12, 2, 18, 10}, true, 1, 1}));
  EXPECT_EQ(table.cells[3], (ir::TableCell{1, 1, "", ir::BBox{1, 14, 10, 10}, false, 1, 1}));
  EXPECT_EQ(table.bbox, (ir::BBox{1, 2, 29, 22}));
  EXPECT_EQ(anchor(page.blocks[0]), (ir::SourceAnchor{1, {}, ir::BBox{1, 2, 29, 22}, "json_native"}));
  EXPECT_EQ(page.width, 30.0f);
  EXPECT_EQ(page.height, 24.0f);
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 30, 24}));
  // "Name V\nx & y " (the empty last cell leaves a space).
  EXPECT_EQ(document.metadata.character_count, 13u);
}

TEST(JsonPubTabNet, CellMemberAndExhaustedCellList) {
  const ir::Document document =
      extract(R"({"html": {"structure": {"tokens": ["<tr>", "<td>", "<td>", "</tr>"]}, "cell": [{"text": "a"}]}})");
  EXPECT_EQ(summary(document.pages.at(0)), (std::vector<std::string>{"table|a,,"}));
  EXPECT_FALSE(document.pages[0].bbox);
}

// Cell grids
TEST(JsonCellGrid, RowsCountEveryElementAndTableBoxWins) {
  const std::string cells = R"("cells": [[{"text": "a", "bbox": [0, 0, 10, 10]}, "str"], [], 5, [{"tokens": ["b"]}]])";
  const ir::Document with_box = extract("{" + cells + R"(, "table_bbox": [0, 0, 50, 40]})");
  const ir::Page& page = with_box.pages.at(0);
  EXPECT_EQ(summary(page), (std::vector<std::string>{"table|a,,/b,"}));
  const auto& table = std::get<ir::TableBlock>(page.blocks.at(0));
  ASSERT_EQ(table.cells.size(), 3u);
  EXPECT_EQ(table.cells[2], (ir::TableCell{3, 0, "b", std::nullopt, false, 1, 1}));
  EXPECT_TRUE(table.cells[1].is_header);
  EXPECT_EQ(table.bbox, (ir::BBox{0, 0, 50, 40}));
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 50, 40}));
  const ir::Document inferred = extract("{" + cells + R"(, "table_bbox": [0, 0]})");
  EXPECT_EQ(std::get<ir::TableBlock>(inferred.pages.at(0).blocks.at(0)).bbox, (ir::BBox{0, 0, 10, 10}));
  EXPECT_EQ(inferred.pages[0].width, 10.0f);
}

// Word lists
TEST(JsonWords, BoxSpellings) {
  struct Case {
    std::string word;
    std::optional<ir::BBox> bbox;
  };
  const std::vector<Case> cases = {
      {R"({"text": "a", "bbox": {"left": 1, "top": 2, "width": 3, "height": 4}})", ir::BBox{1, 2, 3, 4}},
      {R"({"text": "a", "bbox": {"x1": 4, "y1": 6, "x2": 1, "y2": 2}})", ir::BBox{1, 2, 3, 4}},
      {R"({"text": "a", "rect": {"l": 1, "t": 2, "r": 4, "b": 6}})", ir::BBox{1, 2, 3, 4}},
      {R"({"text": "a", "box": [4, 6, 1, 2]})", ir::BBox{1, 2, 3, 4}},
      {R"({"text": "a", "bbox": {"x": 1}, "pdf_bbox": {"x": 1, "y": 2, "w": 3, "h": 4}})", ir::BBox{1, 2, 3, 4}},
      {R"({"text": "a", "bounding_box": {"x": 1, "y": 2, "w": -3, "h": 4}})", ir::BBox{1, 2, -3, 4}},
      {R"({"text": "a", "x": 1, "y": 2, "width": 3, "height": 4})", std::nullopt},
      {R"({"text": "a", "bbox": [1, 2, 3]})", std::nullopt},
  };
  for (const Case& c : cases) {
    const ir::Document document = extract(R"({"words": [)" + c.word + "]}");
    ASSERT_EQ(document.pages.at(0).blocks.size(), 1u) << c.word;
    EXPECT_EQ(box(document.pages[0].blocks[0]), c.bbox) << c.word;
  }
}

TEST(JsonWords, SortedByPositionAndPageSize) {
  const std::string words = R"("words": [
      {"text": "second", "bbox": [50, 10, 60, 20]}, {"word": " first ", "bbox": [0, 10, 40, 20]},
      {"value": "third", "bbox": [0, 30, 40, 45]}, {"text": ""}, {"text": 3, "word": "ok"}, 5])";
  const ir::Document sized = extract(R"({"image_width": 1000, "page_height": 900, "height": 1, )" + words + "}");
  const ir::Page& page = sized.pages.at(0);
  EXPECT_EQ(summary(page), (std::vector<std::string>{"word|first", "word|second", "word|third", "word|ok"}));
  EXPECT_EQ(page.width, 1000.0f);
  EXPECT_EQ(page.height, 900.0f);
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 1000, 900}));
  // A missing size comes from the extent of the word boxes.
  const ir::Document half_sized = extract(R"({"page_width": 1000, )" + words + "}");
  const ir::Page& half = half_sized.pages.at(0);
  EXPECT_EQ(half.width, 1000.0f);
  EXPECT_EQ(half.height, 45.0f);
  EXPECT_EQ(half.bbox, (ir::BBox{0, 0, 60, 45}));
  const ir::Document unsized = extract(R"({"words": [{"text": "a"}]})");
  const ir::Page& bare = unsized.pages.at(0);
  EXPECT_FALSE(bare.width || bare.height || bare.bbox);
}

}  // namespace
}  // namespace scrivex_core::dataset

#include "core/pipeline/extract_options.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace scrivex_core::pipeline {
namespace {

constexpr float kPageHeight = 800;  // header and footer bands: 96 units (12 %)

ir::TextBlock text_at(std::string text, std::optional<float> y, float height = 20) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = "paragraph";
  if (y) block.bbox = ir::BBox{50, *y, 400, height};
  return block;
}

ir::Page page_with(std::vector<ir::Block> blocks, std::optional<float> height = kPageHeight) {
  ir::Page page;
  page.height = height;
  page.blocks = std::move(blocks);
  return page;
}

ir::Document document_of(std::vector<ir::Page> pages) {
  ir::Document document;
  document.metadata.format = "pdf";
  document.metadata.engine = "pdf-native";
  document.pages = std::move(pages);
  // Sentinels: the counts change only when blocks are removed.
  document.metadata.character_count = 999;
  document.metadata.word_count = 999;
  document.metadata.block_count = 999;
  return document;
}

std::vector<std::string> texts_of(const ir::Page& page) {
  std::vector<std::string> texts;
  for (const ir::Block& block : page.blocks) texts.push_back(std::get<ir::TextBlock>(block).text);
  return texts;
}

ir::ExtractOptions suppressing() {
  ir::ExtractOptions options;
  options.suppress_headers_footers = true;
  return options;
}

// The key is the band and the text with digit runs folded to "#", lower-cased
// and with white space collapsed.
TEST(HeaderFooterKey, BandAndSignature) {
  struct Case {
    std::string name;
    ir::Block block;
    std::optional<float> page_height;
    std::optional<std::string> expected;
  };
  ir::FigureBlock captioned;
  captioned.caption = "Fig. 12";
  captioned.bbox = ir::BBox{0, 780, 10, 10};
  ir::FigureBlock uncaptioned;
  uncaptioned.bbox = ir::BBox{0, 780, 10, 10};
  ir::TableBlock footer_table;
  footer_table.headers = {"Page", "1"};
  footer_table.rows = {{"x", "y"}};
  footer_table.bbox = ir::BBox{0, 0, 10, 10};
  const std::vector<Case> cases = {
      {"bottom page number", text_at("Page 12", 0), kPageHeight, "bottom:page #"},
      {"top running title", text_at("Journal  of Things", 770), kPageHeight, "top:journal of things"},
      {"page # of #", text_at("  Page 1 of 12 ", 10), kPageHeight, "bottom:page # of #"},
      {"digits around a dot", text_at("Chapter 3.14", 10), kPageHeight, "bottom:chapter #.#"},
      {"digits after a hash", text_at("No. #55", 10), kPageHeight, "bottom:no. #"},
      {"white space collapsed", text_at("\tRunning\n\n title\xE3\x80\x80", 10), kPageHeight,
       "bottom:running title"},
      {"full lower-case mapping", text_at("\xC4\xB0stanbul 2024", 10), kPageHeight,
       "bottom:i\xCC\x87stanbul #"},
      {"non-ASCII digits are kept", text_at("Page \xD9\xA3", 10), kPageHeight, "bottom:page \xD9\xA3"},
      {"table text", footer_table, kPageHeight, "bottom:page # x y"},
      {"figure caption", captioned, kPageHeight, "top:fig. #"},
      {"figure without caption", uncaptioned, kPageHeight, std::nullopt},
      {"blank text", text_at(" \t ", 10), kPageHeight, std::nullopt},
      {"middle of the page", text_at("Page 1", 390), kPageHeight, std::nullopt},
      // Centre exactly on the band edges (96 and 800 - 96 = 704) still counts.
      {"bottom edge", text_at("x", 86), kPageHeight, "bottom:x"},
      {"just above the bottom band", text_at("x", 86.5f), kPageHeight, std::nullopt},
      {"top edge", text_at("x", 694), kPageHeight, "top:x"},
      {"just below the top band", text_at("x", 693.5f), kPageHeight, std::nullopt},
      // On a short page the band is at least 48 units.
      {"short page bottom", text_at("x", 38), 200.0f, "bottom:x"},
      {"short page above the band", text_at("x", 39), 200.0f, std::nullopt},
      {"short page top", text_at("x", 142), 200.0f, "top:x"},
      {"no bbox", text_at("Page 1", std::nullopt), kPageHeight, std::nullopt},
      {"no page height", text_at("Page 1", 0), std::nullopt, std::nullopt},
      {"zero page height", text_at("Page 1", 0), 0.0f, std::nullopt},
      {"negative page height", text_at("Page 1", -10), -800.0f, std::nullopt},
      {"NaN page height", text_at("Page 1", 0), std::nanf(""), std::nullopt},
      {"NaN bbox", text_at("Page 1", std::nanf("")), kPageHeight, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(header_footer_key(c.block, c.page_height), c.expected) << c.name;
  }
}

// Pages 1..N each carry a body block; the footer "Page i" is put on the pages listed.
struct RepeatCase {
  std::string name;
  int pages;
  std::set<int> footer_pages;
  bool removed;
};

TEST(SuppressHeadersFooters, ThresholdIsTwoOrHalfThePagesRoundedUp) {
  const std::vector<RepeatCase> cases = {
      {"one page is never touched", 1, {1}, false},
      {"two of two", 2, {1, 2}, true},
      {"two of four", 4, {1, 3}, true},
      {"one of three", 3, {2}, false},
      {"two of five", 5, {1, 2}, false},
      {"three of five", 5, {1, 3, 5}, true},
      {"three of six", 6, {2, 4, 6}, true},
      {"three of seven", 7, {1, 2, 3}, false},
      {"four of seven", 7, {1, 2, 3, 7}, true},
  };
  for (const RepeatCase& c : cases) {
    std::vector<ir::Page> pages;
    for (int i = 1; i <= c.pages; ++i) {
      std::vector<ir::Block> blocks{text_at("Body text " + std::to_string(i), 400)};
      if (c.footer_pages.contains(i)) blocks.push_back(text_at("Page " + std::to_string(i), 20));
      pages.push_back(page_with(blocks));
    }
    ir::Document document = document_of(pages);
    apply_extract_options(document, suppressing());
    std::size_t remaining = 0;
    for (const ir::Page& page : document.pages) remaining += page.blocks.size();
    const std::size_t expected = c.pages + (c.removed ? 0 : c.footer_pages.size());
    EXPECT_EQ(remaining, expected) << c.name;
    EXPECT_EQ(document.metadata.block_count, c.removed ? expected : 999u) << c.name;
  }
}

TEST(SuppressHeadersFooters, FourPageFootersAreRemovedAndCountsRecomputedWithoutSeparators) {
  std::vector<ir::Page> pages;
  for (int i = 1; i <= 4; ++i) {
    pages.push_back(page_with({text_at("Journal of Tests", 770), text_at("Body " + std::to_string(i), 400),
                               text_at("Page " + std::to_string(i), 5)}));
  }
  ir::Document document = document_of(pages);
  apply_extract_options(document, suppressing());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(texts_of(document.pages[i]), std::vector<std::string>{"Body " + std::to_string(i + 1)});
  }
  EXPECT_EQ(document.metadata.block_count, 4u);
  EXPECT_EQ(document.metadata.character_count, 24u);  // four times "Body n", nothing between them
  EXPECT_EQ(document.metadata.word_count, 8u);
}

// A key counts once per page, so a footer printed twice on one page and once
// on another is on two pages, short of the threshold of 3 for five pages.
TEST(SuppressHeadersFooters, KeysCountOncePerPage) {
  ir::Document document = document_of({
      page_with({text_at("Draft", 10), text_at("Draft", 770), text_at("Draft", 30)}),
      page_with({text_at("Draft", 10)}),
      page_with({text_at("Body", 400)}),
      page_with({text_at("Body", 400)}),
      page_with({text_at("Body", 400)}),
  });
  const ir::Document before = document;
  apply_extract_options(document, suppressing());
  EXPECT_EQ(document, before);
}

// Only blocks in a band with a box on a page with a height can be running
// headers, however often their text repeats.
TEST(SuppressHeadersFooters, BlocksWithoutAKeyAreNeverRemoved) {
  ir::Document document = document_of({
      page_with({text_at("Same", 400), text_at("No box", std::nullopt), text_at("Page 1", 10)}),
      page_with({text_at("Same", 400), text_at("No box", std::nullopt), text_at("Page 2", 10)}),
      page_with({text_at("Same", 400), text_at("No box", std::nullopt), text_at("Page 3", 10)}, std::nullopt),
  });
  apply_extract_options(document, suppressing());
  EXPECT_EQ(texts_of(document.pages[0]), (std::vector<std::string>{"Same", "No box"}));
  EXPECT_EQ(texts_of(document.pages[1]), (std::vector<std::string>{"Same", "No box"}));
  EXPECT_EQ(texts_of(document.pages[2]), (std::vector<std::string>{"Same", "No box", "Page 3"}));
  EXPECT_EQ(document.metadata.block_count, 7u);
  EXPECT_EQ(document.metadata.character_count, 36u);
}

TEST(SuppressHeadersFooters, OffByDefault) {
  ir::Document document =
      document_of({page_with({text_at("Page 1", 10)}), page_with({text_at("Page 2", 10)})});
  const ir::Document before = document;
  apply_extract_options(document, {});
  EXPECT_EQ(document, before);
}

TEST(RefreshDocumentCounts, SumsBlockTextsWithoutSeparators) {
  ir::TableBlock table;
  table.headers = {"A", "B"};
  table.rows = {{"1", "2"}};
  ir::FigureBlock figure;
  figure.caption = "Fig\xC3\xBCre one";
  ir::Document document =
      document_of({page_with({text_at("ab", 0), ir::FigureBlock{}}), page_with({table, figure})});
  refresh_document_counts(document);
  EXPECT_EQ(document.metadata.block_count, 4u);
  // "ab" + "" + "A B\n1 2" + "Figüre one"
  EXPECT_EQ(document.metadata.character_count, 2u + 0u + 7u + 10u);
  EXPECT_EQ(document.metadata.word_count, 1u + 0u + 4u + 2u);
}

ir::SourceAnchor anchor_with_box() {
  return {1, {"4 0 R"}, ir::BBox{1, 2, 3, 4}, "native_pdf"};
}

// A page with every kind of box the geometry step strips, and the boxes it keeps.
ir::Document geometry_document() {
  ir::TextBlock text = text_at("Body", 400);
  ir::Span span;
  span.text = "Body";
  span.bbox = ir::BBox{50, 400, 400, 20};
  text.lines.push_back({"Body", ir::BBox{50, 400, 400, 20}, {span}});
  text.source_anchors.push_back(anchor_with_box());
  ir::TableBlock table;
  table.headers = {"h"};
  table.bbox = ir::BBox{0, 0, 100, 100};
  table.cells.push_back({0, 0, "h", ir::BBox{0, 0, 10, 10}, true, 1, 1});
  table.source_anchors.push_back(anchor_with_box());
  ir::FigureBlock figure;
  figure.bbox = ir::BBox{0, 0, 50, 50};
  figure.image_ref = "img-1";
  figure.source_anchors.push_back(anchor_with_box());

  ir::Page page = page_with({text, table, figure});
  page.width = 600;
  page.rotation = 90;
  page.bbox = ir::BBox{0, 0, 600, 800};
  page.images.push_back({"img-1", "7 0 R", ir::BBox{0, 0, 50, 50}, 640, 480});
  page.assets.push_back({"asset-1", "image", std::nullopt, ir::BBox{0, 0, 50, 50}, 640, 480});
  page.warnings.push_back({"pdf.stream_decode", "warning", "bad stream", anchor_with_box()});

  ir::Document document = document_of({page});
  document.assets.push_back({"doc-asset", "image", std::nullopt, ir::BBox{1, 1, 1, 1}, 10, 20});
  document.warnings.push_back({"pdf.encrypted", "info", "encrypted", anchor_with_box()});
  return document;
}

TEST(IncludeGeometry, FalseStripsPageAndBlockGeometryOnly) {
  ir::Document document = geometry_document();
  const ir::Document before = document;
  ir::ExtractOptions options;
  options.include_geometry = false;
  apply_extract_options(document, options);

  const ir::Page& page = document.pages[0];
  EXPECT_FALSE(page.width || page.height || page.bbox);
  EXPECT_EQ(page.rotation, 90);
  const auto& text = std::get<ir::TextBlock>(page.blocks[0]);
  EXPECT_FALSE(text.bbox.has_value());
  EXPECT_TRUE(text.lines.empty());
  EXPECT_EQ(text.text, "Body");
  const auto& table = std::get<ir::TableBlock>(page.blocks[1]);
  EXPECT_FALSE(table.bbox.has_value());
  EXPECT_FALSE(table.cells[0].bbox.has_value());
  EXPECT_EQ(table.cells[0].text, "h");
  const auto& figure = std::get<ir::FigureBlock>(page.blocks[2]);
  EXPECT_FALSE(figure.bbox.has_value());
  EXPECT_EQ(figure.image_ref, "img-1");
  for (const ir::Block& block : page.blocks) {
    std::visit(
        [](const auto& b) {
          ASSERT_EQ(b.source_anchors.size(), 1u);
          EXPECT_FALSE(b.source_anchors[0].bbox.has_value());
          EXPECT_EQ(b.source_anchors[0].pdf_object_ids, std::vector<std::string>{"4 0 R"});
        },
        block);
  }
  EXPECT_FALSE(page.images[0].bbox.has_value());
  EXPECT_EQ(page.images[0].width, 640u);
  EXPECT_EQ(page.images[0].height, 480u);
  EXPECT_FALSE(page.assets[0].bbox.has_value());
  EXPECT_EQ(page.assets[0].width, 640u);
  // Warnings and document-level assets keep their boxes.
  EXPECT_EQ(page.warnings, before.pages[0].warnings);
  EXPECT_EQ(document.assets, before.assets);
  EXPECT_EQ(document.warnings, before.warnings);
  EXPECT_EQ(document.metadata, before.metadata);
}

TEST(IncludeAssets, FalseEmptiesImagesAndAssetsButKeepsFigures) {
  ir::Document document = geometry_document();
  ir::ExtractOptions options;
  options.include_assets = false;
  apply_extract_options(document, options);
  EXPECT_TRUE(document.assets.empty());
  EXPECT_TRUE(document.pages[0].images.empty());
  EXPECT_TRUE(document.pages[0].assets.empty());
  EXPECT_EQ(document.pages[0].blocks.size(), 3u);
  EXPECT_EQ(std::get<ir::FigureBlock>(document.pages[0].blocks[2]).image_ref, "img-1");
  EXPECT_TRUE(std::get<ir::FigureBlock>(document.pages[0].blocks[2]).bbox.has_value());
  EXPECT_EQ(document.pages[0].warnings.size(), 1u);
}

TEST(ExtractOptions, DefaultsPasswordAndParallelismChangeNothing) {
  ir::Document document = geometry_document();
  const ir::Document before = document;
  ir::ExtractOptions options;
  options.password = "secret";
  options.max_parallelism = 1;
  apply_extract_options(document, options);
  EXPECT_EQ(document, before);
}

// Footers are found before geometry is stripped, so both options together
// still remove them.
TEST(ExtractOptions, HeadersAreFoundBeforeGeometryIsStripped) {
  ir::Document document = document_of({page_with({text_at("Body", 400), text_at("Page 1", 10)}),
                                       page_with({text_at("Body", 400), text_at("Page 2", 10)})});
  ir::ExtractOptions options = suppressing();
  options.include_geometry = false;
  apply_extract_options(document, options);
  for (const ir::Page& page : document.pages) {
    EXPECT_EQ(texts_of(page), std::vector<std::string>{"Body"});
    EXPECT_FALSE(page.height.has_value());
  }
}

}  // namespace
}  // namespace scrivex_core::pipeline

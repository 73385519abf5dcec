// JSON and CSV dataset files loaded from disk through format detection and
// dispatch: a COCO annotation file, a JSON Lines file of layout detections
// (each line a list of pages: a bare page object is not a layout shape),
// a broken JSON Lines file and a comma file named like a table.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/pipeline/load.hpp"

namespace scrivex_core {
namespace {

namespace fs = std::filesystem;

class DatasetFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/scrivex-datasets-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string write(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  fs::path dir_;
};

TEST_F(DatasetFiles, CocoAnnotationFile) {
  const std::string coco = R"({
  "info": {"description": "two pages"},
  "images": [{"id": 1, "file_name": "p1.png", "width": 612, "height": 792},
             {"id": 2, "file_name": "p2.png", "width": 612, "height": 792}],
  "categories": [{"id": 1, "name": "text"}, {"id": 2, "name": "title"}, {"id": 3, "name": "table"}],
  "annotations": [
    {"id": 10, "image_id": 1, "category_id": 1, "bbox": [72, 120, 468, 300], "area": 140400, "iscrowd": 0},
    {"id": 11, "image_id": 1, "category_id": 2, "bbox": [72, 72, 300, 30], "area": 9000, "iscrowd": 0},
    {"id": 12, "image_id": 2, "category_id": 3, "bbox": [72, 400, 468, 200], "area": 93600, "iscrowd": 0}
  ]
})";
  const std::string path = write("layout.json", coco);
  auto loaded = pipeline::load_path(path);
  ASSERT_TRUE(loaded.ok()) << loaded.error().display();
  const ir::Document& document = loaded.value();
  EXPECT_EQ(document.metadata.engine, "json-native");
  EXPECT_EQ(document.metadata.format, "json");
  EXPECT_EQ(document.metadata.source, path);
  EXPECT_EQ(document.metadata.file_size_bytes, coco.size());
  EXPECT_EQ(document.metadata.title, "title");
  EXPECT_EQ(document.metadata.block_count, 3u);
  ASSERT_EQ(document.pages.size(), 2u);
  const ir::Page& first = document.pages[0];
  EXPECT_EQ(first.bbox, (ir::BBox{0, 0, 612, 792}));
  ASSERT_EQ(first.blocks.size(), 2u);
  const auto& title = std::get<ir::TextBlock>(first.blocks[0]);
  EXPECT_EQ(title.kind, "title");
  EXPECT_EQ(title.bbox, (ir::BBox{72, 72, 300, 30}));
  const auto& table = std::get<ir::TextBlock>(document.pages[1].blocks.at(0));
  EXPECT_EQ(table.kind, "table");
  EXPECT_EQ(table.source_anchors.at(0).page_number, 2u);
}

TEST_F(DatasetFiles, JsonLinesOfLayoutDetections) {
  const std::string lines =
      R"([{"layout_dets": [{"category_type": "title", "poly": [50, 40, 550, 40, 550, 80, 50, 80], "text": "Report"}], )"
      R"("page_info": {"page_no": 0, "width": 600, "height": 800}}])"
      "\n\n"
      R"({"pages": [{"layout_dets": [{"category_type": "table", "poly": [50, 100, 550, 100, 550, 300, 50, 300], )"
      R"("html": "<table><tr><td>k</td><td>v</td></tr><tr><td>a</td><td>1</td></tr></table>"}], )"
      R"("page_info": {"width": 600, "height": 800}}]})"
      "\n";
  auto loaded = pipeline::load_path(write("pages.jsonl", lines));
  ASSERT_TRUE(loaded.ok()) << loaded.error().display();
  const ir::Document& document = loaded.value();
  ASSERT_EQ(document.pages.size(), 2u);
  EXPECT_EQ(document.pages[0].number, 1u);
  EXPECT_EQ(document.pages[1].number, 3u);
  EXPECT_EQ(document.metadata.title, "Report");
  const auto& table = std::get<ir::TableBlock>(document.pages[1].blocks.at(0));
  EXPECT_EQ(table.headers, (std::vector<std::string>{"k", "v"}));
  EXPECT_EQ(table.rows, (std::vector<std::vector<std::string>>{{"a", "1"}}));
  EXPECT_EQ(table.source_anchors.at(0).page_number, 3u);
  EXPECT_EQ(table.bbox, (ir::BBox{50, 100, 500, 200}));
}

TEST_F(DatasetFiles, FailingLineAndEmptyFile) {
  auto broken = pipeline::load_path(write("broken.ndjson", "{\"text\": \"a\"}\n{\"text\" \"b\"}\n"));
  ASSERT_FALSE(broken.ok());
  EXPECT_EQ(broken.error().display(), "JSON error: expected `:` at line 1 column 9");
  auto empty = pipeline::load_path(write("empty.json", ""));
  ASSERT_FALSE(empty.ok());
  EXPECT_EQ(empty.error().display(), "JSON error: EOF while parsing a value at line 1 column 0");
}

TEST_F(DatasetFiles, CsvAndTsvFiles) {
  const std::string csv = "name,score\nAda,3\n";
  auto rows = pipeline::load_path(write("scores.csv", csv));
  ASSERT_TRUE(rows.ok()) << rows.error().display();
  EXPECT_EQ(rows.value().metadata.engine, "csv-native");
  EXPECT_EQ(rows.value().metadata.file_size_bytes, csv.size());
  EXPECT_EQ(rows.value().metadata.block_count, 2u);
  auto regions = pipeline::load_path(write("regions.TSV", "feature\tbounding boxes\ttext\nheader\t(1;[0;0;10;5])\tTop\n"));
  ASSERT_TRUE(regions.ok()) << regions.error().display();
  const auto& block = std::get<ir::TextBlock>(regions.value().pages.at(0).blocks.at(0));
  EXPECT_EQ(block.kind, "header");
  EXPECT_EQ(block.bbox, (ir::BBox{0, 0, 10, 5}));
}

}  // namespace
}  // namespace scrivex_core

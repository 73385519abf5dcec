// Table detection on lines and ruling segments built in the test: the ruled
// grid, aligned rows and row-group detectors, the cells of a line, the page
// loop and the placement of tables among text blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <string>
#include <vector>

#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr float kGridScore = 0.70f;
constexpr float kAlignedScore = 0.72f;
constexpr float kRowGroupScore = 0.68f;

// A run whose box starts at x, baseline - 2 and is `size` high.
TextRun run(float x, float baseline, float width, std::string text, float size = 10) {
  TextRun r;
  r.text = std::move(text);
  r.x = x;
  r.y = baseline - 2;
  r.width = width;
  r.height = size;
  r.baseline = baseline;
  r.font_size = size;
  r.space_width = 0.25f * size;
  return r;
}

TextLine line(std::vector<TextRun> runs) {
  TextLine l;
  float x0 = std::numeric_limits<float>::infinity(), y0 = x0;
  float x1 = -x0, y1 = -x0;
  l.baseline = x0;
  for (const TextRun& r : runs) {
    x0 = std::min(x0, r.x);
    y0 = std::min(y0, r.y);
    x1 = std::max(x1, r.x + r.width);
    y1 = std::max(y1, r.y + r.height);
    l.baseline = std::min(l.baseline, r.baseline);
  }
  l.bbox = {x0, y0, x1 - x0, y1 - y0};
  l.runs = std::move(runs);
  return l;
}

// One run per text, each `width` wide, at the given x positions.
TextLine text_line(float baseline, const std::vector<float>& xs, const std::vector<std::string>& texts,
                   float width = 40) {
  std::vector<TextRun> runs;
  for (std::size_t i = 0; i < texts.size(); ++i) runs.push_back(run(xs[i], baseline, width, texts[i]));
  return line(std::move(runs));
}

std::vector<std::string> words(std::size_t count, std::string_view stem = "word") {
  static const std::vector<std::string> pool = {"alpha", "bravo", "delta", "echo",  "golf",
                                                "hotel", "india", "kilo",  "lima",  "mike",
                                                "oscar", "papa",  "romeo", "sierra"};
  std::vector<std::string> out;
  for (std::size_t i = 0; i < count; ++i) out.push_back(std::string(stem) + pool[i % pool.size()]);
  return out;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) {
    if (part.empty()) continue;
    if (!text.empty()) text += ' ';
    text += part;
  }
  return text;
}

std::string sentence(std::size_t count) {
  return joined(words(count, ""));
}

bool scored(const std::optional<DetectedTable>& found, float score) {
  return found && found->table.confidence && found->table.confidence->score == score;
}

// ---------------------------------------------------------------------------
// Ruled grids. xs and ys are the rule positions, ascending; row 0 is the top.

struct Grid {
  std::vector<float> xs;
  std::vector<float> ys;

  std::vector<RulingSegment> rules() const {
    std::vector<RulingSegment> out;
    for (float x : xs) out.push_back({x, ys.front(), x, ys.back()});
    for (float y : ys) out.push_back({xs.front(), y, xs.back(), y});
    return out;
  }
  // A run centred vertically in row r, starting 5 units into column c.
  TextRun cell(std::size_t r, std::size_t c, std::string text, float width = 40) const {
    const float top = ys[ys.size() - 1 - r];
    const float bottom = ys[ys.size() - 2 - r];
    return run(xs[c] + 5, (top + bottom) / 2 - 3, width, std::move(text));
  }
  // One line per row from a table of texts (empty texts are left out).
  std::vector<TextLine> lines(const std::vector<std::vector<std::string>>& texts) const {
    std::vector<TextLine> out;
    for (std::size_t r = 0; r < texts.size(); ++r) {
      std::vector<TextRun> runs;
      for (std::size_t c = 0; c < texts[r].size(); ++c) {
        if (!texts[r][c].empty()) runs.push_back(cell(r, c, texts[r][c]));
      }
      if (!runs.empty()) out.push_back(line(std::move(runs)));
    }
    return out;
  }
};

// Rules every 20 units downward from 700, `count` of them.
std::vector<float> rows_from_top(std::size_t count) {
  std::vector<float> ys;
  for (std::size_t i = 0; i < count; ++i) ys.insert(ys.begin(), 700 - 20 * static_cast<float>(i));
  return ys;
}

// Rule positions: short and slanted rules are ignored, rules at most 2 apart merge.
TEST(PdfTables, GridAxisValues) {
  struct Case {
    std::vector<RulingSegment> segments;
    bool vertical;
    std::vector<float> expected;
  };
  const std::vector<Case> cases = {
      {{{10, 0, 10, 12}}, true, {10}},
      {{{10, 0, 10, 11.9f}}, true, {}},
      {{{10, 0, 11, 20}}, true, {10.5f}},
      {{{10, 0, 11.1f, 20}}, true, {}},
      {{{0, 50, 20, 50}}, true, {}},
      {{{0, 50, 20, 50}}, false, {50}},
      {{{0, 50, 11.9f, 50}}, false, {}},
      {{{30, 0, 30, 20}, {10, 0, 10, 20}}, true, {10, 30}},
      {{{10, 0, 10, 20}, {12, 0, 12, 20}}, true, {11}},
      {{{10, 0, 10, 20}, {12.5f, 0, 12.5f, 20}}, true, {10, 12.5f}},
      {{{10, 0, 10, 20}, {12, 0, 12, 20}, {14, 0, 14, 20}}, true, {11, 14}},  // 14 is 3 from the mean 11
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(grid_axis_values(cases[i].segments, cases[i].vertical), cases[i].expected) << "case " << i;
  }
}

// The whole table of a captionless grid of five rules.
TEST(PdfTables, GridTableFields) {
  const Grid grid{{50, 200, 350}, rows_from_top(5)};
  std::vector<TextLine> lines = grid.lines({{"Name", "Score"}, {"Ann", "12"}, {"Bob", ""}, {"Cy", "7"}});
  // The cell of Bob's score holds two runs given bottom first: read top down.
  const float middle = (grid.ys[2] + grid.ys[1]) / 2;
  lines.push_back(line({run(205, middle - 6, 30, "lower", 6)}));
  lines.push_back(line({run(205, middle + 2, 30, "upper", 6)}));
  lines.push_back(line({run(50, 760, 80, "Heading")}));  // above the grid: not used
  const auto found = detect_table(3, lines, grid.rules());
  ASSERT_TRUE(scored(found, kGridScore));
  const ir::TableBlock& table = found->table;
  EXPECT_EQ(table.headers, (std::vector<std::string>{"Name", "Score"}));
  EXPECT_EQ(table.rows,
            (std::vector<std::vector<std::string>>{{"Ann", "12"}, {"Bob", "upper lower"}, {"Cy", "7"}}));
  ASSERT_EQ(table.cells.size(), 8u);
  EXPECT_TRUE(table.cells[1].is_header);
  EXPECT_FALSE(table.cells[2].is_header);
  EXPECT_EQ(table.cells[3].row, 1u);
  EXPECT_EQ(table.cells[3].column, 1u);
  EXPECT_EQ(table.cells[3].col_span, 1u);
  EXPECT_EQ(table.cells[3].row_span, 1u);
  const TextRun ann_score = grid.cell(1, 1, "12");
  EXPECT_EQ(table.cells[3].bbox, (ir::BBox{ann_score.x, ann_score.y, ann_score.width, ann_score.height}));
  const ir::BBox box{50, 620, 300, 80};
  EXPECT_EQ(table.bbox, box);
  EXPECT_FALSE(table.caption || table.html || table.provenance);
  EXPECT_EQ(table.confidence, (ir::Confidence{kGridScore, false}));
  ASSERT_EQ(table.source_anchors.size(), 1u);
  EXPECT_EQ(table.source_anchors[0].page_number, 3u);
  EXPECT_TRUE(table.source_anchors[0].pdf_object_ids.empty());
  EXPECT_EQ(table.source_anchors[0].bbox, box);
  EXPECT_EQ(table.source_anchors[0].extraction_method, "native_pdf");
  EXPECT_EQ(found->line_indices, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5}));
}

// Three or four horizontal rules need a caption line just above the top rule.
TEST(PdfTables, GridCaptionEvidence) {
  struct Case {
    std::size_t rules;
    std::string caption;  // empty: no caption line
    float above = 20;     // caption box bottom above the top rule
    float x = 50;
    bool grid;
  };
  const std::vector<Case> cases = {
      {3, "", 0, 50, false},
      {4, "", 0, 50, false},
      {5, "", 0, 50, true},
      {3, "Table 1: Scores", 20, 50, true},
      {4, "TABLE", 96, 50, true},
      {3, "Tables", 0, 50, true},
      {3, "Table 1: Scores", 96.5f, 50, false},
      {3, "Table 1: Scores", -0.5f, 50, false},
      {3, "Table 1: Scores", 20, 374, true},      // starts 24 right of the last rule
      {3, "Table 1: Scores", 20, 374.5f, false},  // too far right
      {3, "Tab. 1", 20, 50, false},
      {3, "Results table", 20, 50, false},
  };
  for (const Case& c : cases) {
    const Grid grid{{50, 200, 350}, rows_from_top(c.rules)};
    std::vector<std::vector<std::string>> texts = {
        {"Name", "Score"}, {"Ann", "12"}, {"Bob", "9"}, {"Cy", "7"}};
    texts.resize(c.rules - 1);
    std::vector<TextLine> lines = grid.lines(texts);
    if (!c.caption.empty()) lines.push_back(line({run(c.x, 700 + c.above + 2, 60, c.caption)}));
    const auto found = detect_table(1, lines, grid.rules());
    EXPECT_EQ(scored(found, kGridScore), c.grid)
        << c.rules << " rules, caption " << c.caption << " at " << c.above;
    if (scored(found, kGridScore)) {
      EXPECT_EQ(found->table.caption, std::nullopt);
      EXPECT_EQ(found->line_indices.size(), c.rules - 1);  // the caption line is not used
    }
  }
  // Two vertical rules bound a single column: no grid.
  const Grid single{{50, 350}, rows_from_top(6)};
  EXPECT_FALSE(
      scored(detect_table(1, single.lines({{"A"}, {"1"}, {"2"}, {"3"}}), single.rules()), kGridScore));
}

// A run centred outside every row or column is lost; its line is used when
// another of its runs is placed.
TEST(PdfTables, GridRunsOutsideCellsAreLost) {
  const Grid grid{{50, 200, 350}, rows_from_top(5)};
  std::vector<TextLine> lines = grid.lines({{"Name", "Score"}, {"Ann", "12"}, {"Bob", "9"}});
  TextRun tall = run(205, 690, 40, "lost", 30);  // centre 703: above the top rule plus slack
  TextRun wide = run(352, 675, 40, "outside");   // centre in no column
  lines[1].runs.push_back(tall);
  lines[1].runs.push_back(wide);
  lines.push_back(line({run(205, 704, 40, "above")}));  // nothing placed: not used
  lines.push_back(grid.lines({{}, {}, {}, {"Cy", "7"}}).front());
  const auto found = detect_table(1, lines, grid.rules());
  ASSERT_TRUE(scored(found, kGridScore));
  EXPECT_EQ(found->table.headers, (std::vector<std::string>{"Name", "Score"}));
  EXPECT_EQ(found->table.rows[0], (std::vector<std::string>{"Ann", "12"}));
  EXPECT_EQ(found->line_indices, (std::vector<std::size_t>{0, 1, 2, 4}));
}

// A row is prose with a 12-word cell, or with 5 filled cells, 25 words and
// fewer figures than 0.3 of the filled cells; it becomes one spanning cell.
TEST(PdfTables, GridProseRows) {
  struct Case {
    std::vector<std::string> row;
    bool prose;
  };
  const std::vector<Case> cases = {
      {{sentence(12), "note", "", "", ""}, true},
      {{sentence(11), "note", "", "", ""}, false},
      {{sentence(5), sentence(5), sentence(5), sentence(5), sentence(5)}, true},
      {{sentence(4), sentence(5), sentence(5), sentence(5), sentence(5)}, false},
      {{sentence(6), sentence(6), sentence(6), sentence(6), "12"}, true},
      {{sentence(8), sentence(8), sentence(7), "12", "34"}, false},
  };
  const Grid grid{{50, 200, 350, 500, 650, 800}, rows_from_top(5)};
  for (const Case& c : cases) {
    const std::vector<TextLine> lines =
        grid.lines({{"H1", "H2", "H3", "H4", "H5"}, c.row, {"end", "1", "2", "3", "4"}});
    const auto found = detect_table(1, lines, grid.rules());
    ASSERT_TRUE(scored(found, kGridScore)) << c.row[0];
    const ir::TableBlock& table = found->table;
    std::vector<ir::TableCell> row1;
    for (const ir::TableCell& cell : table.cells) {
      if (cell.row == 1) row1.push_back(cell);
    }
    if (c.prose) {
      EXPECT_EQ(table.rows[0], (std::vector<std::string>{joined(c.row), "", "", "", ""})) << c.row[0];
      ASSERT_EQ(row1.size(), 1u) << c.row[0];
      EXPECT_EQ(row1[0].col_span, 5u);
      EXPECT_EQ(row1[0].text, joined(c.row));
    } else {
      EXPECT_EQ(table.rows[0], c.row) << c.row[0];
      EXPECT_EQ(row1.size(), 5u) << c.row[0];
    }
  }
}

// A cell whose text reaches more than 2 units into an empty neighbour spans it.
TEST(PdfTables, GridMergedCells) {
  const Grid grid{{50, 150, 250, 350}, rows_from_top(5)};
  for (const float right : {152.5f, 152.0f}) {
    std::vector<TextLine> lines = grid.lines({{"A", "B", "C"}, {}, {"x", "y", "z"}});
    TextRun wide = grid.cell(1, 0, "long label", right - 55);
    lines.insert(lines.begin() + 1, line({wide, grid.cell(1, 2, "5")}));
    const auto found = detect_table(1, lines, grid.rules());
    ASSERT_TRUE(scored(found, kGridScore));
    EXPECT_EQ(found->table.rows[0], (std::vector<std::string>{"long label", "", "5"}));
    std::vector<ir::TableCell> row1;
    for (const ir::TableCell& cell : found->table.cells) {
      if (cell.row == 1) row1.push_back(cell);
    }
    if (right > 152) {
      ASSERT_EQ(row1.size(), 2u);
      EXPECT_EQ(row1[0].col_span, 2u);
      EXPECT_EQ(row1[1].column, 2u);
    } else {
      ASSERT_EQ(row1.size(), 3u);
      EXPECT_EQ(row1[0].col_span, 1u);
      EXPECT_EQ(row1[1].text, "");
      EXPECT_EQ(row1[1].bbox, std::nullopt);
    }
  }
}

TEST(PdfTables, MergedCellColSpans) {
  using Row = std::vector<std::optional<ir::BBox>>;
  auto reaching = [](float right) { return ir::BBox{right - 50, 0, 50, 10}; };
  struct Case {
    std::vector<Row> boxes;
    std::vector<float> boundaries;
    std::vector<std::uint64_t> spans;  // of the first row
    std::vector<bool> covered;
  };
  const std::vector<float> bounds = {0, 100, 200, 300};
  const std::vector<Case> cases = {
      {{{reaching(90), std::nullopt, std::nullopt}}, bounds, {1, 1, 1}, {false, false, false}},
      {{{reaching(102), std::nullopt, std::nullopt}}, bounds, {1, 1, 1}, {false, false, false}},
      {{{reaching(102.5f), std::nullopt, std::nullopt}}, bounds, {2, 1, 1}, {false, true, false}},
      {{{reaching(250), std::nullopt, std::nullopt}}, bounds, {3, 1, 1}, {false, true, true}},
      {{{reaching(250), reaching(190), std::nullopt}}, bounds, {1, 1, 1}, {false, false, false}},
      {{{std::nullopt, reaching(250), std::nullopt}}, bounds, {1, 2, 1}, {false, false, true}},
      {{{reaching(250), std::nullopt, std::nullopt}}, {0, 100}, {2, 1, 1}, {false, true, false}},
      // The grid is as wide as its first row.
      {{{reaching(150), std::nullopt}, {reaching(150), std::nullopt, std::nullopt}},
       bounds,
       {2, 1},
       {false, true}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const CellColumnSpans result = merged_cell_col_spans(cases[i].boxes, cases[i].boundaries);
    ASSERT_EQ(result.spans.size(), cases[i].boxes.size()) << "case " << i;
    EXPECT_EQ(result.spans[0], cases[i].spans) << "case " << i;
    EXPECT_EQ(result.covered[0], cases[i].covered) << "case " << i;
    for (std::size_t r = 1; r < result.spans.size(); ++r)
      EXPECT_EQ(result.spans[r].size(), result.spans[0].size()) << "case " << i;
  }
}

// A grid needs 3 filled cells, one of them in the top row and one below it.
TEST(PdfTables, GridRejection) {
  struct Case {
    std::vector<std::vector<std::string>> texts;
    bool grid;
  };
  const std::vector<Case> cases = {
      {{{"A", "B", "C"}}, false},
      {{{"A"}, {"1"}}, false},
      {{{"A"}, {"1"}, {"2"}}, true},
      {{{}, {"1", "2", "3"}}, false},
  };
  const Grid grid{{50, 150, 250, 350}, rows_from_top(5)};
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::vector<TextLine> lines = grid.lines(cases[i].texts);
    lines.push_back(line({run(50, 20, 80, "footer")}));
    EXPECT_EQ(scored(detect_table(1, lines, grid.rules()), kGridScore), cases[i].grid) << "case " << i;
  }
}

// ---------------------------------------------------------------------------
// Aligned rows.

TEST(PdfTables, AlignedRows) {
  struct Case {
    std::vector<TextLine> lines;
    bool table;
  };
  const std::vector<float> at = {10, 200};
  const std::vector<Case> cases = {
      {{text_line(700, at, {"Name", "Qty"}), text_line(680, at, {"Apples", "12"})}, true},
      {{text_line(700, at, {"Name", "Colour"}), text_line(680, at, {"Apples", "red"})}, false},
      {{text_line(700, at, {"Name", "Colour"}), text_line(680, at, {"Apples", "red"}),
        text_line(660, at, {"Pears", "green"})},
       true},
      {{text_line(700, at, {"Name", "Qty"}), text_line(680, {16, 194}, {"Apples", "12"})}, true},
      {{text_line(700, at, {"Name", "Qty"}), text_line(680, {16.5f, 200}, {"Apples", "12"})}, false},
      {{text_line(700, {10, 200, 300}, {"Name", "Qty", "Unit"}), text_line(680, at, {"Apples", "12"}),
        text_line(660, at, {"Pears", "7"})},
       false},
      {{text_line(720, {10}, {"Fruit"}), text_line(700, at, {"Name", "Qty"}), text_line(690, {10}, {"note"}),
        text_line(680, at, {"Apples", "12"})},
       true},
      // Two columns of running text, one run per column line: prose, not a table.
      {{text_line(700, at, {sentence(8), sentence(7)}), text_line(688, at, {sentence(8), sentence(9)}),
        text_line(676, at, {sentence(3), sentence(8)})},
       false},
      // Half the cells phrases, half short values: still a table.
      {{text_line(700, at, {sentence(6), "12"}), text_line(688, at, {sentence(7), "3"}),
        text_line(676, at, {sentence(6), "40"})},
       true},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const auto found = detect_table(1, cases[i].lines, {});
    EXPECT_EQ(found.has_value(), cases[i].table) << "case " << i;
    if (found) {
      EXPECT_TRUE(scored(found, kAlignedScore)) << "case " << i;
    }
  }
}

TEST(PdfTables, AlignedRowsTableFields) {
  const std::vector<TextLine> lines = {text_line(720, {10}, {"Fruit"}),
                                       text_line(700, {10, 200}, {" Name ", "Qty"}),
                                       text_line(680, {10, 200}, {"Apples", " 12"})};
  const auto found = detect_table(2, lines, {});
  ASSERT_TRUE(scored(found, kAlignedScore));
  const ir::TableBlock& table = found->table;
  EXPECT_EQ(table.headers, (std::vector<std::string>{"Name", "Qty"}));
  EXPECT_EQ(table.rows, (std::vector<std::vector<std::string>>{{"Apples", "12"}}));
  ASSERT_EQ(table.cells.size(), 4u);
  EXPECT_EQ(table.cells[0].text, " Name ");
  EXPECT_TRUE(table.cells[1].is_header);
  EXPECT_EQ(table.cells[3].row, 1u);
  EXPECT_EQ(table.cells[3].column, 1u);
  EXPECT_EQ(table.cells[3].text, " 12");
  EXPECT_FALSE(table.cells[3].is_header);
  EXPECT_EQ(table.cells[3].bbox, (ir::BBox{200, 678, 40, 10}));
  EXPECT_EQ(table.bbox, (ir::BBox{10, 678, 230, 30}));
  EXPECT_EQ(table.source_anchors.at(0).page_number, 2u);
  EXPECT_EQ(found->line_indices, (std::vector<std::size_t>{1, 2}));
}

// ---------------------------------------------------------------------------
// Row groups. A two-run footer line keeps the aligned-rows detector out.

const std::vector<float> kColumns = {50, 200, 350};

TextLine footer() {
  return text_line(100, {50, 300}, {"Footer", "note"});
}

// `count` data rows from baseline 600 down, 14 apart.
std::vector<TextLine> data_rows(std::size_t count, float top = 600, std::string_view name = "Item") {
  std::vector<TextLine> rows;
  for (std::size_t i = 0; i < count; ++i) {
    rows.push_back(text_line(top - 14 * static_cast<float>(i), kColumns,
                             {std::string(name) + std::to_string(i), "red", std::to_string(10 + i)}));
  }
  return rows;
}

// The first data row's cells start at y 598.
constexpr float kFirstRowY = 598;

TEST(PdfTables, RowGroupCaptionEvidence) {
  struct Case {
    std::size_t rows;
    std::string caption;  // empty: none
    float above;          // caption box bottom above the first row's cells
    bool table;
  };
  const std::vector<Case> cases = {
      {3, "", 0, false},
      {3, "Table 2 Fruit", 96, true},
      {3, "table2", 90, true},
      {3, "Table 2 Fruit", 96.5f, false},
      {3, "Fruit table", 40, false},
      {4, "", 0, true},
  };
  for (const Case& c : cases) {
    std::vector<TextLine> lines;
    if (!c.caption.empty()) lines.push_back(line({run(50, kFirstRowY + c.above + 2, 90, c.caption)}));
    for (TextLine& row : data_rows(c.rows)) lines.push_back(std::move(row));
    lines.push_back(footer());
    const auto found = detect_table(1, lines, {});
    EXPECT_EQ(found.has_value(), c.table) << c.rows << " rows, caption " << c.caption << " at " << c.above;
    if (!found) continue;
    EXPECT_TRUE(scored(found, kRowGroupScore));
    // The caption is never a header: the first row is.
    EXPECT_EQ(found->table.headers, (std::vector<std::string>{"Item0", "red", "10"}));
  }
}

TEST(PdfTables, RowGroupTableFields) {
  std::vector<TextLine> lines = data_rows(4);
  lines.insert(lines.begin(), text_line(kFirstRowY + 20 + 2, kColumns, {"Name", "Colour", "Count"}));
  lines.push_back(footer());
  const auto found = detect_table(5, lines, {});
  ASSERT_TRUE(scored(found, kRowGroupScore));
  const ir::TableBlock& table = found->table;
  EXPECT_EQ(table.headers, (std::vector<std::string>{"Name", "Colour", "Count"}));
  EXPECT_EQ(table.rows.size(), 4u);
  EXPECT_EQ(table.rows[0], (std::vector<std::string>{"Item0", "red", "10"}));
  ASSERT_EQ(table.cells.size(), 15u);
  EXPECT_TRUE(table.cells[2].is_header);
  EXPECT_EQ(table.cells[2].bbox, (ir::BBox{350, 618, 40, 10}));
  EXPECT_EQ(table.cells[3].row, 1u);
  EXPECT_EQ(table.cells[3].text, "Item0");
  EXPECT_FALSE(table.cells[3].is_header);
  EXPECT_EQ(table.cells[14].row, 4u);
  EXPECT_EQ(table.cells[14].column, 2u);
  EXPECT_EQ(table.bbox, (ir::BBox{50, 556, 340, 52}));  // the rows only, not the header line
  EXPECT_EQ(found->line_indices, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
}

// Which lines above a row group give its header.
TEST(PdfTables, RowGroupHeaderLines) {
  struct Case {
    std::vector<TextLine> above;
    std::vector<std::string> headers;
    std::vector<std::size_t> line_indices;  // rows are lines 0 to 3
  };
  const std::string forty(40, 'h');
  auto over_first_column = [](float above, std::string text, float width) {
    return line({run(70 - width / 2, kFirstRowY + above + 2, width, std::move(text))});
  };
  const std::vector<std::string> first_row = {"Item0", "red", "10"};
  const std::vector<Case> cases = {
      {{text_line(kFirstRowY + 80 + 2, kColumns, {"Name", "Colour", "Count"})},
       {"Name", "Colour", "Count"},
       {0, 1, 2, 3, 4}},
      {{text_line(kFirstRowY + 80.5f + 2, kColumns, {"Name", "Colour", "Count"})}, first_row, {0, 1, 2, 3}},
      {{over_first_column(20, "Table 3 fruit", 60)}, first_row, {0, 1, 2, 3}},
      {{over_first_column(20, "Tables", 30)}, {"Tables", "", ""}, {0, 1, 2, 3, 4}},
      {{over_first_column(20, forty + "h", 200)}, first_row, {0, 1, 2, 3}},
      {{over_first_column(20, forty, 200)}, {forty, "", ""}, {0, 1, 2, 3, 4}},
      // Two header lines, given bottom first, join top down.
      {{text_line(kFirstRowY + 10 + 2, kColumns, {"Name", "Colour", "Count"}),
        over_first_column(25, "Fruit", 30)},
       {"Fruit Name", "Colour", "Count"},
       {0, 1, 2, 3, 4, 5}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::vector<TextLine> lines = data_rows(4);
    for (const TextLine& l : cases[i].above) lines.push_back(l);
    lines.push_back(footer());
    const auto found = detect_table(1, lines, {});
    ASSERT_TRUE(scored(found, kRowGroupScore)) << "case " << i;
    EXPECT_EQ(found->table.headers, cases[i].headers) << "case " << i;
    EXPECT_EQ(found->line_indices, cases[i].line_indices) << "case " << i;
  }
}

// Of two groups with equal scores the earlier wins; a strictly larger one replaces it.
TEST(PdfTables, RowGroupBestGroup) {
  struct Case {
    std::size_t first_rows;
    std::size_t second_rows;
    std::string winner;
  };
  const std::vector<Case> cases = {{4, 4, "Apple0"}, {4, 5, "Pear0"}, {5, 4, "Apple0"}};
  for (const Case& c : cases) {
    std::vector<TextLine> lines = data_rows(c.first_rows, 600, "Apple");
    for (TextLine& row : data_rows(c.second_rows, 400, "Pear")) lines.push_back(std::move(row));
    lines.push_back(footer());
    const auto found = detect_table(1, lines, {});
    ASSERT_TRUE(scored(found, kRowGroupScore));
    EXPECT_EQ(found->table.headers.at(0), c.winner) << c.first_rows << " then " << c.second_rows;
  }
}

TEST(PdfTables, RecordTableRowGroup) {
  // Rows of `cells` cells, tagged through their line index.
  auto group = [](std::size_t rows, std::size_t cells, std::size_t tag) {
    return std::vector<TableRowCandidate>(rows, TableRowCandidate{std::vector<TextRun>(cells), tag});
  };
  struct Case {
    std::optional<std::vector<TableRowCandidate>> best;
    std::vector<TableRowCandidate> group;
    std::optional<std::size_t> winner;  // tag of the best group after the call
  };
  const std::vector<Case> cases = {
      {std::nullopt, group(1, 5, 2), std::nullopt},  // one row
      {std::nullopt, group(5, 2, 2), std::nullopt},  // two cells
      {std::nullopt, group(2, 3, 2), 2},
      {group(2, 3, 1), group(5, 2, 2), 1},
      {group(3, 4, 1), group(4, 3, 2), 1},  // equal scores: the earlier stays
      {group(3, 4, 1), group(5, 3, 2), 2},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::optional<std::vector<TableRowCandidate>> best = cases[i].best;
    record_table_row_group(best, cases[i].group);
    std::optional<std::size_t> winner;
    if (best) winner = best->front().line_index;
    EXPECT_EQ(winner, cases[i].winner) << "case " << i;
  }
}

// ---------------------------------------------------------------------------
// Cells of a line.

TEST(PdfTables, ImpliedTableCells) {
  struct Piece {
    float x;
    float width;
    std::string text;
  };
  struct Case {
    std::vector<Piece> pieces;
    float size;
    std::vector<std::string> cells;
  };
  const std::vector<Case> cases = {
      {{{0, 30, "Total"}, {44.9f, 30, "Sales"}}, 10, {"Total Sales"}},  // threshold 1.5 x 10
      {{{0, 30, "Total"}, {45, 30, "Sales"}}, 10, {"Total", "Sales"}},
      {{{0, 30, "Total"}, {47.9f, 30, "Sales"}}, 20, {"Total Sales"}},  // at most 18
      {{{0, 30, "Total"}, {48, 30, "Sales"}}, 20, {"Total", "Sales"}},
      {{{0, 30, "Total"}, {39.9f, 30, "Sales"}}, 4, {"Total Sales"}},  // at least 10
      {{{0, 30, "Total"}, {40, 30, "Sales"}}, 4, {"Total", "Sales"}},
      {{{0, 30, "Total"}, {31, 5, "$"}, {36, 15, "100"}}, 10, {"Total", "$100"}},
      {{{0, 30, "Total"}, {31, 20, " $100"}}, 10, {"Total", "$100"}},
      {{{0, 30, "Net"}, {50, 3, "("}, {53, 5, "$"}, {58, 5, "5"}},
       10,
       {"Net", "($5"}},  // "$" after "(" stays
      {{{0, 10, "($"}, {10, 15, "$12"}}, 10, {"($$12"}},
      {{{0, 10, "$"}, {10, 15, "$12"}}, 10, {"$$12"}},
      {{{80, 30, "B"}, {0, 10, "A"}}, 10, {"A", "B"}},                // sorted by x
      {{{0, 10, "A"}, {40, 5, " "}, {80, 30, "B"}}, 10, {"A", "B"}},  // an empty cell is dropped
      {{{0, 30, "  lone  "}}, 10, {"  lone  "}},                      // one run is copied as it is
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::vector<TextRun> runs;
    for (const Piece& p : cases[i].pieces) runs.push_back(run(p.x, 100, p.width, p.text, cases[i].size));
    std::vector<std::string> texts;
    for (const TextRun& cell : implied_table_cells(line(runs))) texts.push_back(cell.text);
    EXPECT_EQ(texts, cases[i].cells) << "case " << i;
  }
}

TEST(PdfTables, ImpliedTableCellFields) {
  TextRun a = run(0, 100, 30, "Net", 10);
  a.object_ids = {"4 0 R"};
  a.bold = true;
  a.space_width = 2;
  TextRun b = run(32, 104, 30, "sales", 12);
  b.object_ids = {"4 0 R", "5 0 R"};
  b.font_name = "F2";
  b.bold = true;
  b.italic = true;
  b.space_width = 3;
  const std::vector<TextRun> cells = implied_table_cells(line({a, b}));
  ASSERT_EQ(cells.size(), 1u);
  const TextRun& cell = cells[0];
  EXPECT_EQ(cell.object_ids, (std::vector<std::string>{"4 0 R", "5 0 R"}));
  EXPECT_EQ(cell.font_name, "F2");
  EXPECT_TRUE(cell.bold);
  EXPECT_FALSE(cell.italic);
  EXPECT_FLOAT_EQ(cell.baseline, 102);
  EXPECT_FLOAT_EQ(cell.font_size, 11);
  EXPECT_FLOAT_EQ(cell.space_width, 3);
  EXPECT_EQ((ir::BBox{cell.x, cell.y, cell.width, cell.height}), (ir::BBox{0, 98, 62, 16}));
}

TEST(PdfTables, DataRowsAndFigures) {
  struct Row {
    std::vector<std::string> texts;
    std::size_t min_cells;
    bool data;
  };
  const std::vector<Row> rows = {
      {{"Apples", "12"}, 2, true},  {{"Apples", "12"}, 0, true}, {{"Apples", "12"}, 3, false},
      {{"12", "Apples"}, 2, false}, {{"Item 4"}, 0, false},      {{"Apples", "red", "x2"}, 3, true},
  };
  for (const Row& r : rows) {
    const TextLine l = text_line(100, {0, 100, 200}, r.texts);
    EXPECT_EQ(line_is_data_row(l, r.min_cells), r.data) << r.texts[0] << " min " << r.min_cells;
  }
  struct Figure {
    std::string text;
    bool figure;
  };
  const std::vector<Figure> figures = {
      {"12.5", true},          {"(1,200)", true}, {" \u2014 ", true}, {"\u2013", true},
      {"\u2014\u2014", false}, {"-", false},      {"12 kg", false},   {"", false}};
  for (const Figure& f : figures) EXPECT_EQ(is_table_figure(f.text), f.figure) << f.text;
}

// ---------------------------------------------------------------------------
// The page loop and the placement among text blocks.

TEST(PdfTables, PageLoopStopsAtEightTables) {
  std::vector<TextLine> lines;
  for (std::size_t g = 0; g < 9; ++g) {
    for (TextLine& row : data_rows(4, 800 - 80 * static_cast<float>(g), "G" + std::to_string(g) + "x"))
      lines.push_back(std::move(row));
  }
  lines.push_back(footer());
  std::vector<bool> used(lines.size(), false);
  const std::vector<ir::TableBlock> tables = detect_page_tables(1, lines, {}, used);
  ASSERT_EQ(tables.size(), 8u);
  for (std::size_t g = 0; g < 8; ++g) EXPECT_EQ(tables[g].headers.at(0), "G" + std::to_string(g) + "x0");
  std::vector<bool> expected(lines.size(), false);
  std::fill(expected.begin(), expected.begin() + 32, true);
  EXPECT_EQ(used, expected);
}

// One line holding runs in two grid rows makes a table only when a second
// line is free besides it: fewer than 2 free lines end the search.
TEST(PdfTables, PageLoopNeedsTwoFreeLines) {
  const Grid grid{{50, 200, 350}, rows_from_top(5)};
  const TextLine both_rows =
      line({grid.cell(0, 0, "Name"), grid.cell(0, 1, "Score"), grid.cell(1, 0, "Ann")});
  const TextLine other = line({run(50, 100, 60, "Footnote")});
  struct Case {
    std::vector<TextLine> lines;
    std::size_t tables;
    std::vector<bool> used;
  };
  const std::vector<Case> cases = {
      {{both_rows}, 0, {false}},
      {{both_rows, other}, 1, {true, false}},
      {{other, both_rows}, 1, {false, true}},
      {{}, 0, {}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    std::vector<bool> used(cases[i].lines.size(), false);
    EXPECT_EQ(detect_page_tables(1, cases[i].lines, grid.rules(), used).size(), cases[i].tables)
        << "case " << i;
    EXPECT_EQ(used, cases[i].used) << "case " << i;
  }
}

TEST(PdfTables, PlaceTablesAmongBlocks) {
  auto block = [](std::string text, std::optional<float> top) {
    ir::TextBlock b;
    b.text = std::move(text);
    if (top) b.bbox = ir::BBox{0, *top - 10, 100, 10};
    return b;
  };
  auto table = [](std::string name, std::optional<float> top) {
    ir::TableBlock t;
    t.headers = {std::move(name)};
    if (top) t.bbox = ir::BBox{0, *top - 50, 100, 50};
    return t;
  };
  auto order = [](const std::vector<ir::Block>& blocks) {
    std::vector<std::string> names;
    for (const ir::Block& b : blocks) {
      if (const auto* t = std::get_if<ir::TextBlock>(&b)) names.push_back(t->text);
      if (const auto* t = std::get_if<ir::TableBlock>(&b)) names.push_back(t->headers[0]);
    }
    return names;
  };
  struct Case {
    std::vector<ir::TextBlock> blocks;
    std::vector<ir::TableBlock> tables;
    std::vector<std::string> order;
  };
  const std::vector<Case> cases = {
      {{block("b700", 700), block("b500", 500), block("b300", 300)},
       {table("t200", 200), table("tnone", std::nullopt), table("t500", 500), table("t800", 800),
        table("t400", 400)},
       {"t800", "b700", "b500", "t500", "t400", "b300", "t200", "tnone"}},
      {{block("b700", 700), block("bnone", std::nullopt)}, {table("t600", 600)}, {"b700", "t600", "bnone"}},
      {{block("b700", 700)}, {}, {"b700"}},
      {{}, {table("t1", 1), table("t2", 2)}, {"t2", "t1"}},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(order(place_tables_among_blocks(cases[i].blocks, cases[i].tables)), cases[i].order)
        << "case " << i;
  }
}

}  // namespace
}  // namespace scrivex_core::pdf

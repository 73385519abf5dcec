#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/pdf/figure_columns_detail.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr float kSize = 10;
constexpr float kCharWidth = 5;
constexpr float kLabelX = 72;
constexpr float kTop = 700;
constexpr float kLeading = 14;

TextRun make_run(float x, float y, std::string text) {
  TextRun run;
  run.width = kCharWidth * static_cast<float>(text.size());
  run.text = std::move(text);
  run.x = x;
  run.y = y;
  run.height = kSize;
  run.baseline = y + 2;
  run.font_size = kSize;
  run.space_width = 2.5f;
  return run;
}

TextRun right_aligned(float right, float y, std::string text) {
  const float x = right - kCharWidth * static_cast<float>(text.size());
  return make_run(x, y, std::move(text));
}

TextLine make_line(std::vector<TextRun> runs) {
  TextLine line;
  line.bbox = run_box(runs.front());
  line.baseline = runs.front().baseline;
  for (const TextRun& run : runs) line.bbox = union_box(line.bbox, run_box(run));
  line.runs = std::move(runs);
  return line;
}

// One line of a statement: a label at `label_x` and figures right-aligned on
// the columns (an empty figure leaves its column blank).
struct Row {
  std::string label;
  std::vector<std::string> figures;
  float label_x = kLabelX;
};

std::vector<TextLine> statement_lines(const std::vector<Row>& rows, const std::vector<float>& columns) {
  std::vector<TextLine> lines;
  float y = kTop;
  for (const Row& row : rows) {
    std::vector<TextRun> runs;
    if (!row.label.empty()) runs.push_back(make_run(row.label_x, y, row.label));
    for (std::size_t k = 0; k < row.figures.size(); ++k) {
      if (!row.figures[k].empty()) runs.push_back(right_aligned(columns[k], y, row.figures[k]));
    }
    lines.push_back(make_line(std::move(runs)));
    y -= kLeading;
  }
  return lines;
}

std::vector<std::vector<TextRun>> cells_of(const std::vector<TextLine>& lines) {
  std::vector<std::vector<TextRun>> cells;
  for (const TextLine& line : lines) cells.push_back(coalesce_currency_prefixes(implied_table_cells(line)));
  return cells;
}

std::vector<std::string> texts(const std::vector<TextRun>& cells) {
  std::vector<std::string> out;
  for (const TextRun& cell : cells) out.push_back(cell.text);
  return out;
}

const std::vector<float> kTwoColumns = {400, 480};

// --- Currency signs ----------------------------------------------------------

TEST(FigureColumnCurrency, SignsJoinTheFollowingCell) {
  struct Case {
    std::vector<std::string> cells;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{"Cash", "$", "1,234"}, {"Cash", "$1,234"}},
      {{"Cash $", "1,234"}, {"Cash", "$1,234"}},  // a label ending in a sign is cut
      {{" US\u20ac ", "5"}, {"US", "\u20ac5"}},
      {{"1,234", "$"}, {"1,234", "$"}},  // a sign at the end stays a cell of its own
      {{"$ ", " (12)"}, {"$(12)"}},
      {{"\u00a3", "\u00a5", "5"}, {"\u00a3", "\u00a55"}},  // "£¥" ends with a sign: cut again
      {{"$", ""}, {"$"}},                                  // an empty cell keeps the sign pending
      {{"$$"}, {"$", "$"}},
      {{" $"}, {"$"}},
  };
  for (const Case& c : cases) {
    std::vector<TextRun> cells;
    float x = 10;
    for (const std::string& text : c.cells) {
      cells.push_back(make_run(x, 0, text));
      x += 100;
    }
    EXPECT_EQ(texts(coalesce_currency_prefixes(cells)), c.expected) << c.cells.front();
  }
}

TEST(FigureColumnCurrency, JoinedCellSpansBothBoxes) {
  TextRun label = make_run(10, 0, "Cash $");
  label.object_ids = {"4 0 R"};
  TextRun figure = make_run(200, 2, "1,234");
  const std::vector<TextRun> out = coalesce_currency_prefixes({label, figure});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].x, 10);
  EXPECT_EQ(out[0].width, 30);  // the label keeps its own box
  EXPECT_EQ(out[1].x, 10);      // the sign copy carried the label's box over
  EXPECT_EQ(out[1].width, 215);
  EXPECT_EQ(out[1].y, 0);
  EXPECT_EQ(out[1].height, 12);
}

// --- Prose -------------------------------------------------------------------

TEST(FigureColumnProse, ThirteenWordsWithLettersInOneCell) {
  const std::string twelve = "one two three four five six seven eight nine ten eleven twelve";
  struct Case {
    std::vector<std::string> cells;
    bool prose;
  };
  const std::vector<Case> cases = {
      {{twelve}, false},
      {{twelve + " thirteen"}, true},
      {{twelve + " 13"}, false},            // a word without a letter does not count
      {{twelve + " \u00e9t\u00e9"}, true},  // any alphabetic character counts
      {{twelve + " x", "1,234"}, true},     // one figure does not make it a row of figures
      {{twelve + " x", "1,234", "\u2014"}, false},
      {{twelve, "thirteen"}, false},  // the words must share a cell
  };
  for (const Case& c : cases) {
    std::vector<TextRun> cells;
    for (const std::string& text : c.cells) cells.push_back(make_run(0, 0, text));
    EXPECT_EQ(cells_contain_prose(cells), c.prose) << c.cells.front();
  }
}

// --- Finding the figure columns ----------------------------------------------

std::vector<Row> figure_rows(std::size_t count, std::size_t columns) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < count; ++i) {
    Row row{"Item " + std::to_string(i + 1), {}};
    for (std::size_t k = 0; k < columns; ++k) row.figures.push_back(std::to_string(1001 + i * 10 + k));
    rows.push_back(row);
  }
  return rows;
}

TEST(FigureColumnFinding, FourQualifyingLinesMakeColumnsPossible) {
  struct Case {
    std::size_t lines;
    bool found;
  };
  for (const Case& c : std::vector<Case>{{3, false}, {4, true}}) {
    std::vector<Row> rows = figure_rows(c.lines, 2);
    rows.push_back({"Note with one figure", {"12"}});  // does not qualify
    const auto cells = cells_of(statement_lines(rows, kTwoColumns));
    const auto columns = detail::find_figure_columns(cells);
    ASSERT_EQ(columns.has_value(), c.found) << c.lines;
    if (c.found) {
      EXPECT_EQ(columns->positions, kTwoColumns);
    }
  }
}

TEST(FigureColumnFinding, RightEdgesWithinEightShareAColumn) {
  struct Case {
    float offset;
    std::vector<float> expected;
  };
  const std::vector<Case> cases = {
      {8, {408, 480}},  // one cluster of six: its upper median
      {8.5f, {400, 408.5f, 480}},
  };
  for (const Case& c : cases) {
    std::vector<TextLine> lines;
    for (int i = 0; i < 6; ++i) {
      const float y = kTop - kLeading * static_cast<float>(i);
      const float right = i % 2 == 0 ? 400 : 400 + c.offset;
      lines.push_back(make_line(
          {make_run(kLabelX, y, "Item"), right_aligned(right, y, "1,234"), right_aligned(480, y, "5,678")}));
    }
    const auto columns = detail::find_figure_columns(cells_of(lines));
    ASSERT_TRUE(columns.has_value()) << c.offset;
    EXPECT_EQ(columns->positions, c.expected) << c.offset;
  }
}

TEST(FigureColumnFinding, SparseColumnsRepeatTheColumnStep) {
  // Strong columns at 300, 380, 460 (step 80); sparse figures on some lines.
  struct Case {
    std::size_t lines;
    std::vector<float> sparse;  // each filled on three lines of its own
    std::vector<float> expected;
  };
  const std::vector<Case> cases = {
      // Nine lines: min_support 4, weak 3; two sparse clusters on the step at
      // different slots join the columns.
      {9, {220, 540}, {220, 300, 380, 460, 540}},
      // One sparse cluster alone, or two out of step, add nothing.
      {9, {540}, {300, 380, 460}},
      {9, {220, 530}, {300, 380, 460}},
      // Outside [first - step, last + step]: not a candidate.
      {9, {210, 540}, {300, 380, 460}},
      // Eight lines: min_support is 3, so the sparse clusters are plain columns.
      {8, {220, 540}, {220, 300, 380, 460, 540}},
  };
  for (const Case& c : cases) {
    std::vector<TextLine> lines;
    for (std::size_t i = 0; i < c.lines; ++i) {
      const float y = kTop - kLeading * static_cast<float>(i);
      std::vector<TextRun> runs = {make_run(20, y, "Item")};
      const std::size_t sparse = i / 3;
      if (sparse < c.sparse.size() && c.sparse[sparse] < 300)
        runs.push_back(right_aligned(c.sparse[sparse], y, "77"));
      for (float column : {300.0f, 380.0f, 460.0f}) runs.push_back(right_aligned(column, y, "1,234"));
      if (sparse < c.sparse.size() && c.sparse[sparse] > 460)
        runs.push_back(right_aligned(c.sparse[sparse], y, "77"));
      lines.push_back(make_line(std::move(runs)));
    }
    const auto columns = detail::find_figure_columns(cells_of(lines));
    ASSERT_TRUE(columns.has_value());
    EXPECT_EQ(columns->positions, c.expected) << c.lines << " lines, sparse " << c.sparse.front();
  }
}

TEST(FigureColumnFinding, LabelBoundaryFromFigureWidths) {
  struct Case {
    std::vector<float> columns;
    std::string figure;
    float boundary;
  };
  const std::vector<Case> cases = {
      {{400, 480}, "1,234", 360},     // W 25: half the spacing, 40
      {{400, 560}, "1,234", 337.5f},  // capped at 2.5 W
      {{400, 560}, "12", 350},        // W floored at 20
  };
  for (const Case& c : cases) {
    std::vector<Row> rows;
    for (int i = 0; i < 4; ++i) rows.push_back({"Item", {c.figure, c.figure}});
    const auto columns = detail::find_figure_columns(cells_of(statement_lines(rows, c.columns)));
    ASSERT_TRUE(columns.has_value());
    EXPECT_FLOAT_EQ(columns->left_boundary, c.boundary) << c.figure;
  }
}

// --- Whole statements --------------------------------------------------------

std::vector<Row> balance_sheet() {
  return {
      {"Cash and equivalents", {"1,234", "1,100"}},
      {"Receivables", {"2,345", "2,100"}},
      {"Inventory", {"845", "790"}},
      {"Total current assets", {"4,424", "3,990"}},
      {"Liabilities", {}},
      {"Payables", {"1,000", "950"}},
      {"Accrued liabilities", {"400", "380"}},
      {"Long-term debt", {"2,000", "2,100"}},
      {"Total liabilities", {"3,400", "3,430"}},
      {"Equity", {}},
      {"Retained earnings", {"1,024", "560"}},
  };
}

std::vector<std::string> row_of(const Row& row) {
  std::vector<std::string> out = {row.label};
  for (const std::string& figure : row.figures) out.push_back(figure);
  out.resize(3);
  return out;
}

TEST(FigureColumnTable, ReadsAStatementWithYearsAbove) {
  const std::vector<Row> rows = balance_sheet();
  std::vector<TextLine> lines = statement_lines(rows, kTwoColumns);
  // Years set over the columns but not on their right edges; a title higher up.
  lines.insert(lines.begin(), make_line({right_aligned(380, kTop + kLeading, "2024"),
                                         right_aligned(460, kTop + kLeading, "2023")}));
  lines.insert(lines.begin(), make_line({make_run(kLabelX, kTop + 60, "Consolidated Balance Sheet")}));
  // Dollar signs set apart from the first row's figures.
  lines[2].runs.insert(lines[2].runs.begin() + 1, make_run(355, kTop, "$"));
  lines[2].runs.insert(lines[2].runs.begin() + 3, make_run(435, kTop, "$"));

  const auto table = detect_figure_column_table(3, lines);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->table.headers, (std::vector<std::string>{"", "2024", "2023"}));
  ASSERT_EQ(table->table.rows.size(), rows.size());
  EXPECT_EQ(table->table.rows[0], (std::vector<std::string>{"Cash and equivalents", "$1,234", "$1,100"}));
  for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_EQ(table->table.rows[i], row_of(rows[i]));

  std::vector<std::size_t> expected_lines;
  for (std::size_t i = 1; i < lines.size(); ++i) expected_lines.push_back(i);
  EXPECT_EQ(table->line_indices, expected_lines);  // the title stays in the text flow

  const ir::TableBlock& block = table->table;
  ASSERT_EQ(block.cells.size(), 3 * (rows.size() + 1));
  EXPECT_TRUE(block.cells[2].is_header);
  EXPECT_EQ(block.cells[2].text, "2023");
  EXPECT_EQ(block.cells[3].row, 1u);
  EXPECT_FALSE(block.cells[3].is_header);
  EXPECT_EQ(block.cells.back().row, rows.size());
  EXPECT_EQ(block.cells.back().column, 2u);
  EXPECT_FALSE(block.cells.back().bbox.has_value());
  const ir::BBox expected_box{kLabelX, kTop - kLeading * 10, 408, kLeading * 11 + kSize};
  EXPECT_EQ(block.bbox, expected_box);
  ASSERT_EQ(block.source_anchors.size(), 1u);
  EXPECT_EQ(block.source_anchors[0].page_number, 3u);
  EXPECT_EQ(block.source_anchors[0].bbox, expected_box);
  EXPECT_TRUE(block.source_anchors[0].pdf_object_ids.empty());
  EXPECT_EQ(block.source_anchors[0].extraction_method, "native_pdf");
  EXPECT_EQ(block.confidence, (ir::Confidence{0.70f, false}));
  EXPECT_FALSE(block.caption || block.html || block.provenance);
}

TEST(FigureColumnTable, HeaderRowsAtTheTop) {
  struct Case {
    Row first;
    std::vector<std::string> headers;  // empty: the first line is the first body row
  };
  const std::vector<Case> cases = {
      {{"", {"2024", "2023"}}, {"", "2024", "2023"}},
      {{"Fiscal year", {"2024", "2023"}}, {"Fiscal year", "2024", "2023"}},
      {{"Fiscal year", {"1900", "2100"}}, {"Fiscal year", "1900", "2100"}},
      {{"Fiscal year", {"1899", "2023"}}, {}},
      {{"Fiscal year", {"2024", "2101"}}, {}},
      {{"Fiscal year", {"20245", "2023"}}, {}},
  };
  for (const Case& c : cases) {
    std::vector<Row> rows = balance_sheet();
    rows.insert(rows.begin(), c.first);
    const auto table = detect_figure_column_table(1, statement_lines(rows, kTwoColumns));
    ASSERT_TRUE(table.has_value()) << c.first.figures[0];
    EXPECT_EQ(table->table.headers, c.headers) << c.first.figures[0];
    const std::vector<std::string> first_row = c.headers.empty() ? row_of(c.first) : row_of(rows[1]);
    EXPECT_EQ(table->table.rows.at(0), first_row) << c.first.figures[0];
    EXPECT_EQ(table->line_indices.front(), 0u);
  }
}

// A statement of `figure_rows` labelled rows with figures in every column,
// `sections` section labels after the first rows, and `unlabelled` rows of
// figures without a label among them.
std::vector<Row> statement_of(std::size_t columns, std::size_t sections, std::size_t figure_rows_count,
                              std::size_t unlabelled) {
  std::vector<Row> rows = figure_rows(figure_rows_count, columns);
  for (std::size_t i = 0; i < unlabelled; ++i) rows[1 + 2 * i].label.clear();
  for (std::size_t s = 0; s < sections; ++s) {
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(1 + 2 * s),
                Row{"Section " + std::to_string(s), {}});
  }
  return rows;
}

TEST(FigureColumnTable, AcceptsOnlyStatementShapes) {
  struct Case {
    std::size_t columns;
    std::size_t sections;
    std::size_t figure_rows;
    std::size_t unlabelled;
    bool accepted;
  };
  const std::vector<Case> cases = {
      {3, 2, 6, 0, true},                       // S 2, R 8, N 6
      {3, 1, 7, 0, false},                      // one section label only
      {3, 2, 6, 1, false},                      // R 7
      {4, 2, 6, 0, true},  {5, 0, 6, 0, true},  // wide tables need no section labels: R 6
      {5, 0, 6, 1, false},                      // R 5
      {5, 1, 5, 0, false},                      // R 6 but N 5
      {2, 3, 5, 0, false},                      // S 3 and R 8, but N 5
  };
  const std::vector<float> all_columns = {200, 260, 320, 380, 440};
  for (const Case& c : cases) {
    const std::vector<float> columns(all_columns.begin(),
                                     all_columns.begin() + static_cast<std::ptrdiff_t>(c.columns));
    const auto lines =
        statement_lines(statement_of(c.columns, c.sections, c.figure_rows, c.unlabelled), columns);
    const auto table = detect_figure_column_table(1, lines);
    EXPECT_EQ(table.has_value(), c.accepted)
        << c.columns << " columns, " << c.sections << " sections, " << c.figure_rows << " rows";
    if (table) {
      EXPECT_EQ(table->table.rows.size(), lines.size());
    }
  }
}

TEST(FigureColumnTable, WrappedLabelsJoinTheirFigureRow) {
  const std::string long_line = "Other comprehensive income, net of tax effects";
  struct Case {
    std::vector<Row> label_lines;  // above the row "and other"
    std::string label;             // the row's label
  };
  const std::vector<Case> cases = {
      {{{long_line, {}}}, long_line + " and other"},
      {{{"attributable to the parent company and", {}}, {long_line, {}}},
       "attributable to the parent company and " + long_line + " and other"},
      {{{"Operating activities and other items:", {}}}, "and other"},
      {{{"OTHER COMPREHENSIVE INCOME AND RELATED ITEMS", {}}}, "and other"},
      {{{"Other items", {}}}, "and other"},  // short and well left of the figures: a heading
      {{{long_line, {}, kLabelX + 17}}, "and other"},
      {{{long_line, {}, kLabelX + 16}}, long_line + " and other"},
  };
  for (const Case& c : cases) {
    std::vector<Row> rows = balance_sheet();
    rows.insert(rows.begin() + 2, Row{"and other", {"17", "18"}});
    rows.insert(rows.begin() + 2, c.label_lines.begin(), c.label_lines.end());
    const auto lines = statement_lines(rows, kTwoColumns);
    const auto table = detect_figure_column_table(1, lines);
    ASSERT_TRUE(table.has_value()) << c.label;
    const auto& body = table->table.rows;
    const auto row = std::find_if(body.begin(), body.end(), [](const auto& r) { return r[1] == "17"; });
    ASSERT_NE(row, body.end());
    EXPECT_EQ((*row)[0], c.label);
    const std::size_t joined = c.label == "and other" ? 0 : c.label_lines.size();
    EXPECT_EQ(body.size(), rows.size() - joined) << c.label;
    EXPECT_EQ(table->line_indices.size(), lines.size()) << c.label;  // label lines stay in the table
  }
}

TEST(FigureColumnTable, ProseLineStaysInTheTextFlow) {
  std::vector<Row> rows = balance_sheet();
  rows.insert(
      rows.begin() + 4,
      Row{"The following amounts were restated during the year to conform with the current presentation",
          {}});
  const auto lines = statement_lines(rows, kTwoColumns);
  const auto table = detect_figure_column_table(1, lines);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->table.rows.size(), rows.size() - 1);
  const auto& indices = table->line_indices;
  EXPECT_EQ(std::count(indices.begin(), indices.end(), 4u), 0);
  EXPECT_EQ(indices.size(), lines.size() - 1);
}

TEST(FigureColumnTable, CollectionStopsAtAWideGap) {
  std::vector<Row> rows = balance_sheet();
  std::vector<TextLine> lines = statement_lines(rows, kTwoColumns);
  // Three more figure rows far below: more than 3.5 line sizes away.
  const auto far = statement_lines(figure_rows(3, 2), kTwoColumns);
  for (TextLine line : far) {
    for (TextRun& run : line.runs) run.y -= 200;
    line.bbox.y -= 200;
    lines.push_back(line);
  }
  const auto table = detect_figure_column_table(1, lines);
  ASSERT_TRUE(table.has_value());
  EXPECT_EQ(table->table.rows.size(), rows.size());
  EXPECT_EQ(table->line_indices.back(), rows.size() - 1);
}

}  // namespace
}  // namespace scrivex_core::pdf

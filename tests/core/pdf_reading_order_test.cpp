#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "core/pdf/column_pairs.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TextRun make_run(float x, float y, float width, std::string text, float font_size = 10, float height = 12) {
  TextRun run;
  run.text = std::move(text);
  run.x = x;
  run.y = y;
  run.width = width;
  run.height = height;
  run.baseline = y;
  run.font_size = font_size;
  run.space_width = font_size / 4;
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

// A one-run line whose text names it in the expected orders.
TextLine text_line(float x, float y, float width, std::string text, float font_size = 10) {
  return make_line({make_run(x, y, width, std::move(text), font_size)});
}

// Each line as its run texts joined by "|".
std::vector<std::string> run_texts(const std::vector<TextLine>& lines) {
  std::vector<std::string> texts;
  for (const TextLine& line : lines) {
    std::string text;
    for (const TextRun& run : line.runs) text += (text.empty() ? "" : "|") + run.text;
    texts.push_back(text);
  }
  return texts;
}

std::vector<std::string> order_texts(const std::vector<TextLine>& lines) {
  std::vector<std::string> texts;
  for (const TextLine* line : text_lines_in_reading_order(lines)) texts.push_back(line->runs.front().text);
  return texts;
}

// ---------------------------------------------------------------------------
// Cutting wide lines

struct SplitCase {
  std::string name;
  std::vector<TextLine> page;
  std::vector<std::string> expected;
};

// A line that yields a tight column band index of 2 (right column at x = 310).
TextLine band_line(float y) {
  return make_line({make_run(50, y, 100, "Left"), make_run(155, y, 100, "words"),
                    make_run(310, y, 80, "Right column"), make_run(395, y, 60, "continues")});
}

// Its widest gap (index 1) lies left of its tight band index (2).
TextLine wide_before_band(float y) {
  return make_line({make_run(50, y, 40, "Left"), make_run(200, y, 100, "more"),
                    make_run(305, y, 80, "Right column"), make_run(390, y, 60, "continues")});
}

TEST(PdfColumnSplit, CutsOrKeepsLines) {
  const std::vector<SplitCase> cases = {
      {"single run kept", {text_line(50, 700, 400, "one run")}, {"one run"}},
      {"unordered runs without a cut keep their input order",
       {make_line({make_run(60, 700, 10, "b"), make_run(50, 700, 10, "a")})},
       {"b|a"}},
      {"gap of 18 cuts",
       {make_line({make_run(50, 700, 100, "Left"), make_run(168, 700, 50, "Right")})},
       {"Left", "Right"}},
      {"gap of 17 keeps",
       {make_line({make_run(50, 700, 100, "Left"), make_run(167, 700, 50, "Right")})},
       {"Left|Right"}},
      {"overlapping runs cut by a step of 110 across x = 280",
       {make_line({make_run(200, 700, 150, "Left"), make_run(310, 700, 50, "Right")})},
       {"Left", "Right"}},
      {"a step of 109 keeps",
       {make_line({make_run(200, 700, 150, "Left"), make_run(309, 700, 50, "Right")})},
       {"Left|Right"}},
      {"later pair wins on equal scores",
       {make_line({make_run(0, 700, 10, "A"), make_run(40, 700, 10, "B"), make_run(80, 700, 10, "C")})},
       {"A|B", "C"}},
      {"larger score wins",
       {make_line({make_run(0, 700, 10, "A"), make_run(50, 700, 10, "B"), make_run(90, 700, 10, "C")})},
       {"A", "B|C"}},
      {"a line is cut at most once",
       {make_line({make_run(50, 700, 50, "A"), make_run(200, 700, 50, "B"), make_run(400, 700, 50, "C")})},
       {"A|B", "C"}},
      {"label with three figures 100 to the right is a table row",
       {make_line({make_run(50, 700, 60, "Revenue"), make_run(210, 700, 30, "1,234"),
                   make_run(280, 700, 30, "(5.6)"), make_run(350, 700, 30, "$"),
                   make_run(380, 700, 30, "9,012")})},
       {"Revenue|1,234|(5.6)|$|9,012"}},
      {"the same figures 99 to the right are cut",
       {make_line({make_run(50, 700, 60, "Revenue"), make_run(209, 700, 30, "1,234"),
                   make_run(280, 700, 30, "(5.6)"), make_run(350, 700, 30, "$"),
                   make_run(380, 700, 30, "9,012")})},
       {"Revenue", "1,234|(5.6)|$|9,012"}},
      {"two figures are cut",
       {make_line({make_run(50, 700, 60, "Revenue"), make_run(250, 700, 30, "1,234"),
                   make_run(320, 700, 30, "\u2014"), make_run(390, 700, 30, "9,012")})},
       {"Revenue", "1,234|\u2014|9,012"}},
      {"a word among the figures is cut",
       {make_line({make_run(50, 700, 60, "Revenue"), make_run(250, 700, 30, "1,234"),
                   make_run(320, 700, 30, "5,678"), make_run(390, 700, 30, "9,012"),
                   make_run(425, 700, 30, "net")})},
       {"Revenue", "1,234|5,678|9,012|net"}},
      {"math run without a band is never cut",
       {make_line({make_run(50, 700, 100, "x \u2264 n"), make_run(300, 700, 100, "Right column text")})},
       {"x \u2264 n|Right column text"}},
      {"a page band cuts at the band index",
       {band_line(700), wide_before_band(660)},
       {"Left|words", "Right column|continues", "Left|more", "Right column|continues"}},
      {"one band line is no page band: wide cut",
       {wide_before_band(660)},
       {"Left", "more|Right column|continues"}},
      {"short marginal token moves to the right column",
       {band_line(700), band_line(680),
        make_line({make_run(50, 660, 150, "Left"), make_run(290, 660, 5, "7"),
                   make_run(320, 660, 80, "Right column"), make_run(405, 660, 60, "continues")})},
       {"Left|words", "Right column|continues", "Left|words", "Right column|continues", "Left",
        "7|Right column|continues"}},
      {"a token of three characters stays left of the band",
       {band_line(700), band_line(680),
        make_line({make_run(50, 660, 150, "Left"), make_run(290, 660, 5, "777"),
                   make_run(320, 660, 80, "Right column"), make_run(405, 660, 60, "continues")})},
       {"Left|words", "Right column|continues", "Left|words", "Right column|continues", "Left|777",
        "Right column|continues"}},
  };
  for (const SplitCase& c : cases) EXPECT_EQ(run_texts(split_wide_text_lines(c.page)), c.expected) << c.name;
}

TEST(PdfColumnSplit, CutPartsTakeUnionBoxAndMeanBaseline) {
  TextRun left = make_run(50, 700, 100, "Left");
  TextRun low = make_run(160, 696, 20, "low");
  low.baseline = 698;
  TextRun right = make_run(300, 702, 50, "Right", 10, 20);
  right.baseline = 704;
  const std::vector<TextLine> cut = split_wide_text_lines({make_line({right, left, low})});
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[0].bbox, (ir::BBox{50, 696, 130, 16}));
  EXPECT_FLOAT_EQ(cut[0].baseline, 699);
  EXPECT_EQ(cut[1].bbox, (ir::BBox{300, 702, 50, 20}));
  EXPECT_FLOAT_EQ(cut[1].baseline, 704);
}

// ---------------------------------------------------------------------------
// Tight column band and algorithm openers

struct BandCase {
  std::string name;
  std::vector<TextRun> runs;
  std::optional<std::size_t> expected;
};

// Runs ending at 255, then a right column at x of total bytes 21.
std::vector<TextRun> band_runs(float column_x, float left_width = 100, std::string first = "Left",
                               std::string second = "words") {
  return {make_run(50, 700, 100, std::move(first)), make_run(155, 700, left_width, std::move(second)),
          make_run(column_x, 700, 80, "Right column"), make_run(column_x + 85, 700, 60, "continues")};
}

TEST(PdfColumnSplit, TightColumnBandIndex) {
  std::vector<TextRun> short_column = band_runs(310);
  short_column[3].text = "tail!";  // 12 + 5 = 17 bytes
  std::vector<TextRun> late_start = band_runs(310);
  late_start[0].x = 121;
  std::vector<TextRun> two_runs = {make_run(50, 700, 100, "Left"),
                                   make_run(310, 700, 100, "Right column text")};
  std::vector<TextRun> last_run = {make_run(50, 700, 100, "Left"), make_run(155, 700, 100, "words"),
                                   make_run(310, 700, 200, "Right column continues")};
  std::vector<TextRun> algorithm = {make_run(50, 700, 60, "Algorithm"), make_run(115, 700, 10, "2"),
                                    make_run(285, 700, 200, "Right column continues")};
  std::vector<TextRun> algorithm_math = algorithm;
  algorithm_math[0].text = "Require:";
  algorithm_math[1].text = "x \u2264 n";
  std::vector<TextRun> math_without_opener = band_runs(310);
  math_without_opener[1].text = "x \u2264 n";

  const std::vector<BandCase> cases = {
      {"column at 310", band_runs(310), 2},
      {"column at 300", band_runs(300), 2},
      {"column at 340", band_runs(340), 2},
      {"column at 299", band_runs(299), std::nullopt},
      {"column at 341", band_runs(341), std::nullopt},
      {"gap of -35", band_runs(310, 190), 2},
      {"gap of -36", band_runs(310, 191), std::nullopt},
      {"17 bytes in the column", short_column, std::nullopt},
      {"line starting right of 120", late_start, std::nullopt},
      {"fewer than three runs", two_runs, std::nullopt},
      {"one run in the column", last_run, std::nullopt},
      {"algorithm opener at 285 with one run", algorithm, 2},
      {"math with an opener", algorithm_math, 2},
      {"math without an opener", math_without_opener, std::nullopt},
  };
  for (const BandCase& c : cases)
    EXPECT_EQ(tight_column_band_split_index_for_runs(c.runs), c.expected) << c.name;
}

struct OpenerCase {
  std::vector<std::string> texts;
  std::size_t index;
  bool expected;
};

TEST(PdfColumnSplit, AlgorithmOpeners) {
  const std::vector<OpenerCase> cases = {
      {{"Require:", "x"}, 1, true},       {{"Ensure:"}, 1, true},
      {{"Algorithm", "2", "x"}, 2, true}, {{"Algorithm"}, 1, false},
      {{"  ", "", "Require:"}, 3, true},  {{"x", "Require:"}, 2, false},
      {{"3.", "Mix"}, 1, true},           {{"12:"}, 5, true},
      {{"3)", "Mix"}, 2, false},          {{"3", ". Mix"}, 2, false},
      {{"1234567890123."}, 1, true},      {{"1234567890123", "."}, 2, false},
      {{"Require:"}, 0, false},
  };
  for (const OpenerCase& c : cases) {
    std::vector<TextRun> runs;
    for (const std::string& text : c.texts) runs.push_back(make_run(0, 0, 1, text));
    EXPECT_EQ(allows_math_column_split(runs, c.index), c.expected) << c.texts.front() << " at " << c.index;
  }
}

// ---------------------------------------------------------------------------
// Reading order

struct OrderCase {
  std::string name;
  std::vector<TextLine> page;
  std::vector<std::string> expected;
};

// Rows of a left column (x = 50, 100 wide, so its lines end left of the split
// x of 185) and a right column (x = 320), interleaved row by row: L<y>, R<y>.
std::vector<TextLine> two_columns(std::vector<float> ys) {
  std::vector<TextLine> page;
  for (float y : ys) {
    page.push_back(text_line(50, y, 100, "L" + std::to_string(static_cast<int>(y))));
    page.push_back(text_line(320, y, 200, "R" + std::to_string(static_cast<int>(y))));
  }
  return page;
}

std::vector<TextLine> with_lines(std::vector<TextLine> page, std::vector<TextLine> more) {
  for (TextLine& line : more) page.push_back(std::move(line));
  return page;
}

// The left column at rows ys, the right column at rows ys shifted by offset
// (no shared rows when offset exceeds 0.45 x 12), right column at right_x.
std::vector<TextLine> staggered_columns(std::vector<float> ys, float offset, float right_x = 320) {
  std::vector<TextLine> page;
  for (float y : ys) {
    page.push_back(text_line(50, y, 200, "L" + std::to_string(static_cast<int>(y))));
    page.push_back(text_line(right_x, y - offset, 200, "R" + std::to_string(static_cast<int>(y))));
  }
  return page;
}

// Two rows of 20-wide lines at x = 50 and right_x: column pairs by their gap.
std::vector<TextLine> narrow_columns(float right_x) {
  return {text_line(50, 700, 20, "L700"), text_line(right_x, 700, 20, "R700"), text_line(50, 670, 20, "L670"),
          text_line(right_x, 670, 20, "R670")};
}

TEST(PdfReadingOrder, ColumnPairs) {
  const std::vector<float> rows = {700, 670, 640, 610};
  const std::vector<std::string> columns = {"L700", "L670", "L640", "L610", "R700", "R670", "R640", "R610"};
  std::vector<std::string> titled = columns;
  titled.insert(titled.begin(), "Title");
  const std::vector<std::string> two_straddlers = {"L700", "L670", "Wide1", "L640", "Wide2",
                                                   "L610", "R700", "R670",  "R640", "R610"};
  std::vector<std::string> footed = columns;
  footed.insert(footed.begin() + 4, "12345");
  footed.insert(footed.end(), {"1 A footnote in small print", "7"});

  const std::vector<OrderCase> cases = {
      {"three lines keep their order",
       {text_line(320, 700, 200, "R"), text_line(50, 700, 200, "L"), text_line(50, 650, 200, "L2")},
       {"R", "L", "L2"}},
      {"centred title above two columns", with_lines(two_columns(rows), {text_line(200, 740, 200, "Title")}),
       titled},
      {"page numbers and small print below the band go last",
       with_lines(two_columns(rows), {text_line(300, 100, 10, "7", 12),
                                      text_line(320, 120, 200, "1 A footnote in small print", 8),
                                      text_line(50, 500, 50, "12345", 12)}),
       footed},
      {"a line one height above the band is not top",
       with_lines(two_columns(rows), {text_line(330, 712, 100, "Near")}),
       {"L700", "L670", "L640", "L610", "Near", "R700", "R670", "R640", "R610"}},
      {"two straddlers in ten band lines keep the columns",
       with_lines(two_columns(rows), {text_line(50, 655, 470, "Wide1"), text_line(50, 625, 470, "Wide2")}),
       two_straddlers},
      {"three straddlers in eleven give up",
       with_lines(two_columns(rows), {text_line(50, 655, 470, "Wide1"), text_line(50, 625, 470, "Wide2"),
                                      text_line(50, 685, 470, "Wide3")}),
       {"L700", "R700", "L670", "R670", "L640", "R640", "L610", "R610", "Wide1", "Wide2", "Wide3"}},
      {"full-width column lines across an ordinary gutter still read as columns",
       {text_line(72, 740, 300, "Title"), text_line(72, 700, 234, "L700"), text_line(318, 700, 234, "R700"),
        text_line(72, 670, 234, "L670"), text_line(318, 670, 234, "R670"), text_line(72, 640, 120, "L640"),
        text_line(318, 640, 234, "R640")},
       {"Title", "L700", "L670", "L640", "R700", "R670", "R640"}},
      {"columns 89 apart on average are not columns", narrow_columns(139), {"L700", "R700", "L670", "R670"}},
      {"columns 90 apart on average are", narrow_columns(140), {"L700", "L670", "R700", "R670"}},
  };
  for (const OrderCase& c : cases) EXPECT_EQ(order_texts(c.page), c.expected) << c.name;
}

TEST(PdfReadingOrder, AbstractHeadingCutsTheTopGroup) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"ABSTRACT", {"L700", "R700", "L680", "R680", "L660", "ABSTRACT", "L620", "R660", "R640", "R620"}},
      {"Abstract.", {"L700", "L680", "L660", "Abstract.", "L620", "R700", "R680", "R660", "R640", "R620"}},
  };
  for (const auto& [heading, expected] : cases) {
    std::vector<TextLine> page = two_columns({700, 680, 660, 640, 620});
    page[6] = text_line(50, 640, 100, heading);
    EXPECT_EQ(order_texts(page), expected) << heading;
  }
}

TEST(PdfReadingOrder, WideGutter) {
  const std::vector<float> rows = {700, 670, 640, 610};
  const std::vector<std::string> columns = {"L700", "L670", "L640", "L610", "R700", "R670", "R640", "R610"};
  const std::vector<std::string> interleaved = {"L700", "R700", "L670", "R670",
                                                "L640", "R640", "L610", "R610"};
  // Right column 90 below the left: the groups share 12 units, the mean height.
  const std::vector<OrderCase> cases = {
      {"staggered rows split at the gutter", staggered_columns(rows, 15), columns},
      {"groups sharing the mean height", staggered_columns(rows, 90), columns},
      {"groups sharing less than the mean height", staggered_columns(rows, 91), interleaved},
      {"a clear gap of 15", staggered_columns(rows, 15, 265), columns},
      {"a clear gap of 14", staggered_columns(rows, 15, 264), interleaved},
  };
  for (const OrderCase& c : cases) EXPECT_EQ(order_texts(c.page), c.expected) << c.name;
}

// ---------------------------------------------------------------------------
// The windowed pair scan equals the scan of every pair

detail::ColumnPairMembers every_pair_members(const std::vector<TextLine>& lines) {
  std::vector<bool> left(lines.size()), right(lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    for (std::size_t j = 0; j < lines.size(); ++j) {
      const ir::BBox& a = lines[i].bbox;
      const ir::BBox& b = lines[j].bbox;
      if (i == j || !(a.x < b.x)) continue;
      if (!(std::fabs(a.y - b.y) <= 0.45f * max_ignoring_nan(a.height, b.height))) continue;
      if (b.x - (a.x + a.width) >= 18 || (b.x > 280 && a.x < 280 && b.x - a.x >= 110)) {
        left[i] = true;
        right[j] = true;
      }
    }
  }
  detail::ColumnPairMembers members;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (left[i]) members.left.push_back(i);
    if (right[i]) members.right.push_back(i);
  }
  return members;
}

// A multiple of step below levels x step (so values repeat and bottoms land
// exactly on a reach such as 0.45 x 20 = 9), or now and then a NaN, an
// infinity, a negative zero, a negative or a huge value.
float random_value(std::mt19937& rng, float step, int levels, int odd_per_mille) {
  std::uniform_int_distribution<int> pick(0, 999);
  const int roll = pick(rng);
  if (roll < odd_per_mille) {
    constexpr float kOdd[] = {kNaN, -kNaN, kInf, -kInf, -0.0f, -5.0f, 3.0e38f};
    return kOdd[static_cast<std::size_t>(roll) % std::size(kOdd)];
  }
  return static_cast<float>(pick(rng) % levels) * step;
}

TEST(PdfReadingOrder, WindowedPairScanEqualsEveryPair) {
  std::mt19937 rng(20261211);
  for (int page = 0; page < 400; ++page) {
    const int odd = page % 4 * 25;  // none, 2.5%, 5% or 7.5% odd values
    const std::size_t count = 1 + static_cast<std::size_t>(rng() % 120);
    const bool crowded = page % 3 == 0;
    const bool round_heights = page % 2 == 0;
    std::vector<TextLine> lines;
    for (std::size_t i = 0; i < count; ++i) {
      TextLine line;
      line.bbox.x = random_value(rng, 5, 120, odd);
      line.bbox.y = crowded ? random_value(rng, 1, 40, odd) : random_value(rng, 3, 300, odd);
      line.bbox.width = random_value(rng, 5, 60, odd);
      line.bbox.height = round_heights ? random_value(rng, 20, 4, odd) : random_value(rng, 0.37f, 80, odd);
      lines.push_back(line);
    }
    const detail::ColumnPairMembers expected = every_pair_members(lines);
    const detail::ColumnPairMembers actual = detail::find_column_pair_members(lines);
    ASSERT_EQ(actual.left, expected.left) << "page " << page;
    ASSERT_EQ(actual.right, expected.right) << "page " << page;
  }
}

}  // namespace
}  // namespace scrivex_core::pdf

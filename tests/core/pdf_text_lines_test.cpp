#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/page_layout.hpp"
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// A run of font size 10 and space width 2.5 unless told otherwise.
TextRun run_at(float x, float baseline, float width, std::string text, float font_size = 10,
               float space_width = 2.5f) {
  TextRun run;
  run.text = std::move(text);
  run.x = x;
  run.y = baseline - 2;
  run.width = width;
  run.height = font_size;
  run.baseline = baseline;
  run.font_size = font_size;
  run.space_width = space_width;
  return run;
}

std::uint32_t bits(float value) {
  return std::bit_cast<std::uint32_t>(value);
}

// Equal values; any two NaNs are alike, and so are -0 and +0 (which zero a
// NaN-ignoring min picks among equal zeros is not fixed).
bool same_value(float a, float b) {
  return (std::isnan(a) && std::isnan(b)) || a == b;
}

std::vector<std::string> texts(const TextLine& line) {
  std::vector<std::string> out;
  for (const TextRun& run : line.runs) out.push_back(run.text);
  return out;
}

// ---- Grouping runs into lines ----

// The grouping exactly as it reads: every run scans all lines made so far.
std::vector<TextLine> group_by_full_scan(std::vector<TextRun> runs) {
  std::stable_sort(runs.begin(), runs.end(), [](const TextRun& a, const TextRun& b) {
    if (total_order_key(a.baseline) != total_order_key(b.baseline)) return total_less(b.baseline, a.baseline);
    return total_less(a.x, b.x);
  });
  std::vector<TextLine> lines;
  for (TextRun& run : runs) {
    auto match = std::find_if(lines.begin(), lines.end(), [&](const TextLine& line) {
      return std::fabs(line.baseline - run.baseline) <= 3.0f;
    });
    if (match == lines.end()) {
      TextLine line;
      line.bbox = run_box(run);
      line.baseline = run.baseline;
      line.runs.push_back(std::move(run));
      lines.push_back(std::move(line));
    } else {
      match->bbox = union_box(match->bbox, run_box(run));
      match->baseline = min_ignoring_nan(match->baseline, run.baseline);
      match->runs.push_back(std::move(run));
    }
  }
  for (TextLine& line : lines) {
    std::stable_sort(line.runs.begin(), line.runs.end(),
                     [](const TextRun& a, const TextRun& b) { return total_less(a.x, b.x); });
  }
  return lines;
}

TEST(PdfTextLines, GroupingMatchesTheFullScanOnRandomPages) {
  std::mt19937 random(20261211);
  const std::vector<float> special = {kNaN, -kNaN, kInf, -kInf, 0.0f, -0.0f, 3.0f, -3.0f, 100.0f, 97.0f};
  for (int page = 0; page < 400; ++page) {
    const int count = std::uniform_int_distribution<int>(0, 40)(random);
    // Baselines on a coarse grid make ties, exact 3.0 steps and chains common.
    std::uniform_int_distribution<int> grid(0, 80);
    std::uniform_int_distribution<int> pick(0, 9);
    std::vector<TextRun> runs;
    for (int i = 0; i < count; ++i) {
      float baseline = 90.0f + 0.5f * static_cast<float>(grid(random));
      if (pick(random) == 0) baseline = special[static_cast<std::size_t>(pick(random))];
      float x = static_cast<float>(grid(random) * 7);
      if (pick(random) == 0) x = special[static_cast<std::size_t>(pick(random))];
      runs.push_back(run_at(x, baseline, 5.0f + static_cast<float>(pick(random)), std::to_string(i)));
    }
    const std::vector<TextLine> expected = group_by_full_scan(runs);
    const std::vector<TextLine> actual = group_runs_into_lines(runs);
    ASSERT_EQ(actual.size(), expected.size()) << "page " << page;
    for (std::size_t i = 0; i < actual.size(); ++i) {
      SCOPED_TRACE("page " + std::to_string(page) + " line " + std::to_string(i));
      EXPECT_EQ(texts(actual[i]), texts(expected[i]));
      EXPECT_TRUE(same_value(actual[i].baseline, expected[i].baseline));
      EXPECT_TRUE(same_value(actual[i].bbox.x, expected[i].bbox.x));
      EXPECT_TRUE(same_value(actual[i].bbox.y, expected[i].bbox.y));
      EXPECT_TRUE(same_value(actual[i].bbox.width, expected[i].bbox.width));
      EXPECT_TRUE(same_value(actual[i].bbox.height, expected[i].bbox.height));
    }
  }
}

TEST(PdfTextLines, GroupingEdgeCases) {
  struct Case {
    const char* name;
    std::vector<TextRun> runs;
    std::vector<std::vector<std::string>> lines;  // texts of each line's runs
    std::vector<float> keys;
  };
  const std::vector<Case> cases = {
      {"exactly 3.0 apart share a line",
       {run_at(0, 100, 5, "a"), run_at(10, 97, 5, "b")},
       {{"a", "b"}},
       {97}},
      {"3.01 apart do not",
       {run_at(0, 100, 5, "a"), run_at(10, 96.99f, 5, "b")},
       {{"a"}, {"b"}},
       {100, 96.99f}},
      {"a chain moves the key down",
       {run_at(0, 95, 5, "c"), run_at(20, 100, 5, "a"), run_at(10, 97.5f, 5, "b")},
       {{"c", "b", "a"}},
       {95}},
      {"higher lines come first, runs in x order",
       {run_at(50, 50, 5, "low"), run_at(30, 200, 5, "right"), run_at(10, 199, 5, "left")},
       {{"left", "right"}, {"low"}},
       {199, 50}},
      {"a NaN baseline stands alone",
       {run_at(0, 100, 5, "a"), run_at(10, kNaN, 5, "nan"), run_at(20, 100, 5, "b")},
       {{"nan"}, {"a", "b"}},
       {kNaN, 100}},
      {"no runs, no lines", {}, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<TextLine> lines = group_runs_into_lines(c.runs);
    ASSERT_EQ(lines.size(), c.lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
      EXPECT_EQ(texts(lines[i]), c.lines[i]);
      EXPECT_EQ(bits(lines[i].baseline), bits(c.keys[i]));
    }
  }
}

TEST(PdfTextLines, GroupedLineBoxIsTheUnionOfItsRuns) {
  const std::vector<TextLine> lines =
      group_runs_into_lines({run_at(10, 100, 20, "a"), run_at(50, 98, 30, "b")});
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_FLOAT_EQ(lines[0].bbox.x, 10);
  EXPECT_FLOAT_EQ(lines[0].bbox.y, 96);
  EXPECT_FLOAT_EQ(lines[0].bbox.width, 70);
  EXPECT_FLOAT_EQ(lines[0].bbox.height, 12);
}

// ---- Body font size ----

TextLine line_of_sizes(std::vector<std::pair<float, std::string>> sized) {
  TextLine line;
  float x = 0;
  for (auto& [size, text] : sized) {
    line.runs.push_back(run_at(x, 100, 10, std::move(text), size));
    x += 20;
  }
  return line;
}

TEST(PdfTextLines, BodyFontSize) {
  struct Case {
    const char* name;
    std::vector<TextLine> lines;
    float expected;
  };
  const std::vector<Case> cases = {
      {"no lines", {}, 0},
      {"the size with most characters", {line_of_sizes({{10, "abcdef"}, {14, "abc"}, {14, "ab"}})}, 10},
      {"weights add up per size", {line_of_sizes({{10, "abcd"}, {14, "abc"}, {14, "ab"}})}, 14},
      {"on a tie the later size wins", {line_of_sizes({{10, "abcd"}}), line_of_sizes({{12, "wxyz"}})}, 12},
      {"characters, not bytes", {line_of_sizes({{10, "\u00e9\u00e9\u00e9"}, {12, "abcd"}})}, 12},
      {"half points round away from zero", {line_of_sizes({{10.25f, "abc"}})}, 10.5f},
      {"sizes at most 0 are skipped", {line_of_sizes({{0, "abcdefgh"}, {-5, "abcdefgh"}, {9, "a"}})}, 9},
      {"a NaN size counts as 0", {line_of_sizes({{kNaN, "abcdefgh"}, {9, "a"}})}, 0},
      {"only unsized runs", {line_of_sizes({{0, "abc"}})}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(body_font_size(c.lines), c.expected);
  }
}

// ---- Runs in x order ----

TEST(PdfTextLines, RunsSortedByXViewsOrderedRunsWithoutCopying) {
  const std::vector<TextRun> ordered = {run_at(0, 0, 5, "a"), run_at(10, 0, 5, "b"), run_at(10, 0, 5, "c")};
  const RunsByX same = runs_sorted_by_x(ordered);
  EXPECT_FALSE(same.is_copy());
  EXPECT_EQ(same.runs().data(), ordered.data());
  EXPECT_EQ(same.runs().size(), 3u);

  const std::vector<TextRun> unordered = {run_at(20, 0, 5, "c"), run_at(0, 0, 5, "a"), run_at(20, 0, 5, "d"),
                                          run_at(10, 0, 5, "b")};
  const RunsByX sorted = runs_sorted_by_x(unordered);
  EXPECT_TRUE(sorted.is_copy());
  std::string order;
  for (const TextRun& run : sorted.runs()) order += run.text;
  EXPECT_EQ(order, "abcd");

  // A NaN breaks the order; the copy puts it after +inf.
  const std::vector<TextRun> with_nan = {run_at(0, 0, 5, "a"), run_at(kNaN, 0, 5, "n"),
                                         run_at(kInf, 0, 5, "i")};
  const RunsByX by_total_order = runs_sorted_by_x(with_nan);
  EXPECT_TRUE(by_total_order.is_copy());
  order.clear();
  for (const TextRun& run : by_total_order.runs()) order += run.text;
  EXPECT_EQ(order, "ain");
}

// ---- Joining runs with inferred spaces ----

// Single glyphs placed one by one with the given gaps after each (width 5).
std::vector<TextRun> glyphs(std::string_view letters, std::vector<float> gaps) {
  std::vector<TextRun> runs;
  float x = 0;
  for (std::size_t i = 0; i < letters.size(); ++i) {
    runs.push_back(run_at(x, 100, 5, std::string(1, letters[i])));
    x += 5 + (i < gaps.size() ? gaps[i] : 0);
  }
  return runs;
}

TEST(PdfTextLines, JoinRunsSpaced) {
  struct Case {
    const char* name;
    std::vector<TextRun> runs;
    std::string expected;
  };
  const std::vector<Case> cases = {
      // Word runs: threshold 0.1 x max(space width 2.5, 0.25 x size 10) = 0.25.
      {"word gap at the threshold",
       {run_at(0, 100, 20, "Hello"), run_at(20.25f, 100, 20, "world")},
       "Hello world"},
      {"word gap below it", {run_at(0, 100, 20, "Hello"), run_at(20.2f, 100, 20, "world")}, "Helloworld"},
      {"one long run makes the pair word-like",
       {run_at(0, 100, 5, "a"), run_at(5.3f, 100, 20, "word")},
       "a word"},
      {"trailing white space suppresses",
       {run_at(0, 100, 20, "Hello "), run_at(40, 100, 20, "world")},
       "Hello world"},
      {"leading white space suppresses",
       {run_at(0, 100, 20, "Hello"), run_at(40, 100, 20, " world")},
       "Hello world"},
      {"overlap past 0.6 x space width is a space",
       {run_at(0, 100, 20, "abc"), run_at(18.4f, 100, 20, "def")},
       "abc def"},
      {"a small overlap is not", {run_at(0, 100, 20, "abc"), run_at(18.6f, 100, 20, "def")}, "abcdef"},
      {"empty runs are skipped",
       {run_at(0, 100, 20, "ab"), run_at(100, 50, 5, ""), run_at(20.1f, 100, 20, "cd")},
       "abcd"},
      {"not trimmed", {run_at(0, 100, 20, " ab "), run_at(30, 100, 20, "cd ")}, " ab cd "},
      // Glyph pairs outside statistics mode: 0.4 x 2.5 = 1.0.
      {"glyphs outside statistics mode", glyphs("abc", {0.9f, 0.5f}), "abc"},
      {"glyph gap of 1.0", glyphs("ab", {1.0f}), "a b"},
      // Vertical threshold 0.18 x 10 = 1.8.
      {"baseline jump makes a space", {run_at(0, 100, 5, "x"), run_at(5, 101.8f, 5, "2")}, "x 2"},
      {"smaller jump does not", {run_at(0, 100, 5, "x"), run_at(5, 101.7f, 5, "2")}, "x2"},
      {"word runs jumping baseline", {run_at(0, 100, 20, "word"), run_at(20, 98, 20, "sub")}, "word sub"},
      // Digit pairs use the glyph threshold: 0.5 < 1.0, though 0.5 >= 0.25.
      {"digit pair outside statistics mode",
       {run_at(0, 100, 10, "12"), run_at(10.5f, 100, 10, "34")},
       "1234"},
      {"letter pair with the same gap", {run_at(0, 100, 10, "ab"), run_at(10.5f, 100, 10, "cd")}, "ab cd"},
      // Statistics mode: gaps 0.2 0.2 0.5 0.2 0.2, median 0.2, T = clamp(0.36, 0.2, 1.0).
      {"glyph statistics find the word gap", glyphs("Thecat", {0.2f, 0.2f, 0.5f, 0.2f, 0.2f}), "The cat"},
      // Gaps 0.2 0.6 0.2 0.6: the upper median 0.6 gives T = 1.0, so no space.
      {"upper median for an even count", glyphs("abcde", {0.2f, 0.6f, 0.2f, 0.6f}), "abcde"},
      // Digit runs in statistics mode: gaps 0.3 0.3 0.9, T = 0.54.
      {"digit pairs judged by T",
       {run_at(0, 100, 10, "12"), run_at(10.3f, 100, 10, "34"), run_at(20.6f, 100, 10, "56"),
        run_at(31.5f, 100, 10, "78")},
       "123456 78"},
      // T is clamped up to 0.08 x 2.5 = 0.2 when the median gap is tiny.
      {"T never below 0.08 x space width", glyphs("abcd", {0.05f, 0.05f, 0.19f}), "abcd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(join_runs_spaced(c.runs), c.expected);
  }
}

TEST(PdfTextLines, NoStatisticsModeWithoutASpaceWidth) {
  // Without a space width there is no statistics mode: the 0.4 factor of
  // max(0.25 x 10, 0.1) = 1.0 applies, so the 0.5 gap is no space.
  std::vector<TextRun> runs = glyphs("Thecat", {0.2f, 0.2f, 0.5f, 0.2f, 0.2f});
  for (TextRun& run : runs) run.space_width = 0;
  EXPECT_EQ(join_runs_spaced(runs), "Thecat");
}

TEST(PdfTextLines, PlainTextOfALineIsSortedAndTrimmed) {
  TextLine line;
  line.runs = {run_at(30, 100, 20, "world "), run_at(0, 100, 20, " Hello")};
  EXPECT_EQ(text_line_plain_text(line), "Hello world");
  EXPECT_EQ(text_line_plain_text(TextLine{}), "");
}

// ---- Small predicates ----

TEST(PdfTextLines, StartsWithNumberedStep) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"3. Mix the flour", true},
      {"  12: Repeat", true},
      {"\u2003"
       "4.",
       true},
      {"7.5 g", true},
      {"1) First", false},
      {"12", false},
      {"12 apples", false},
      {"a1. b", false},
      {". 1", false},
      {"", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(starts_with_numbered_step(text), expected) << text;
}

TEST(PdfTextLines, IsNumericValue) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"1,234.50", true},
      {" ($12) ", true},
      {"\u2013"
       "5",
       true},
      {"12 %", true},
      {"+3\u20144", true},
      {"-0.5", true},
      {"", false},
      {"   ", false},
      {"$", false},
      {"\u2014", false},
      {"1a", false},
      {"1\t2", false},
      {"\u20ac"
       "5",
       false},
      {"1/2", false},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(is_numeric_value(text), expected) << text;
}

TEST(PdfTextLines, MathRunsAreJudgedOnTheRepairedText) {
  EXPECT_TRUE(is_math_run(run_at(0, 0, 10, "x \u2264 y")));
  EXPECT_FALSE(is_math_run(run_at(0, 0, 10, "plain words")));
}

// ---- The page pipeline ----

TEST(PdfPageLayout, LinesComeTopDownWithHeadingsSizedAgainstTheBody) {
  // Emitted bottom first; the title is twice the body size.
  std::vector<TextRun> runs = {run_at(72, 600, 150, "Second paragraph."),
                               run_at(72, 650, 150, "First paragraph."), run_at(72, 700, 200, "Title", 20)};
  const std::vector<ir::Block> blocks = layout_page_blocks(std::move(runs), {}, 3);
  ASSERT_EQ(blocks.size(), 3u);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Title", "heading_1"}, {"First paragraph.", "paragraph"}, {"Second paragraph.", "paragraph"}};
  for (std::size_t i = 0; i < blocks.size(); ++i) {
    const auto& block = std::get<ir::TextBlock>(blocks[i]);
    EXPECT_EQ(block.text, expected[i].first);
    EXPECT_EQ(block.kind, expected[i].second);
    EXPECT_EQ(block.source_anchors.at(0).page_number, 3u);
  }
  EXPECT_TRUE(layout_page_blocks({}, {}, 1).empty());
}

}  // namespace
}  // namespace scrivex_core::pdf

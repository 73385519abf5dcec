#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/text_repair.hpp"

namespace scrivex_core::pdf {
namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

struct FlagCase {
  std::string input;
  bool expected;
};

TEST(PdfTextRepair, NormalizeTokenRepairsMojibakeLigaturesAndGlyphs) {
  const std::vector<TextCase> cases = {
      {"plain", "plain"},
      // Mojibake runs before the C1 pass, whose codes it contains.
      {"don\u00E2\u0080\u0099t", "don't"},
      {"\u00CE\u00BB=1", "\u03BB=1"},
      {"\u00CE\u201C", "\u0393"},
      {"\u2018a\u201D", "'a\""},
      {"\uFB01nd", "find"},
      {"\uFB04y", "ffly"},
      {"\u0099\u0096\u0085", "(TM)\u2013..."},
      {"\u0081\u009D", "\u0081\u009D"},
      // TeX fonts: U+0002 is fi before a letter and dropped elsewhere; U+0003
      // is fl before a letter and kept elsewhere for the mathematics pass.
      {"\u0002nd", "find"},
      {"a\u0002", "a"},
      {"\u0002", ""},
      {"\u0003ow", "flow"},
      {"\u0003", "\u0003"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(normalize_pdf_token(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, CleanLineMergesTokensIntoWords) {
  const std::vector<TextCase> cases = {
      {"", ""},
      {"  many \t spaces  ", "many spaces"},
      {"word \u0002 next", "word next"},
      {"\uFB01ne \u0002ne", "fine fine"},
      {"well- known", "well-known"},
      {"state - of - the - art", "state-of-the-art"},
      {"state \u2010 of", "state-of"},
      {"- lead", "- lead"},
      {"s t r e n g t h", "strength"},
      {"a dog", "a dog"},
      {"x- y- z", "x-y-z"},
      {"word , next .", "word, next."},
      {"( word )", "( word)"},
      {"don \u2019 t", "don't"},
      {"de scribe the foc i", "describe the foci"},
      {"left\u0001right", "left right"},
      {"wait \u0085", "wait ..."},
  };
  for (const TextCase& c : cases) EXPECT_EQ(clean_pdf_line_text(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, CleanLineMendsBrokenWordsOnlyAsWholeWords) {
  const std::vector<TextCase> cases = {
      {"th e end", "the end"},
      {"cats an d dogs", "cats and dogs"},
      {"it turn s left", "it turns left"},
      {"the listener s' view", "the listeners' view"},
      {"B eyond that", "Beyond that"},
      {"a c onversatio n", "a conversation"},
      {"(th e)", "(the)"},
      // Correct text that merely contains a pattern inside longer words.
      {"with each", "with each"},
      {"an dog", "an dog"},
      {"turn south", "turn south"},
      {"can otherwise", "can otherwise"},
      {"\u00E9th e", "\u00E9th e"},
      {"th e2", "th e2"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(clean_pdf_line_text(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, CleanLineRewritesMathematicsOnlyInMathLines) {
  const std::vector<TextCase> cases = {
      {"x i \u2264 n", "x_i \\leq n"},
      // Without a sign the spaced letters merge and no subscript is made.
      {"x i and n", "xi and n"},
      {"a 6 = b", "a \\neq b"},
      {"t init \u2265 N10", "t_{\\text{init}} \\geq N_10"},
      {"max \u03BB \u2208 \u0393", "max \\lambda \\in \\Gamma"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(clean_pdf_line_text(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, MathNotationRepair) {
  const std::vector<TextCase> cases = {
      {"", ""},
      {"wait...", "wait..."},
      {"a_1,...,a_n", "a_1,\\ldots,a_n"},
      {"x \u00B7 \u00B7 \u00B7 y \u2212 1", "x \\cdots y - 1"},
      {"a \u0338= b \u2264 c", "a \\neq b \\leq c"},
      {"x i \u2264 n", "x_i \\leq n"},
      {"x i and n", "x i and n"},
      {"over Fq", "over \\mathbb{F}_q"},
      {"\u0003 \u2264 1", "\\Lambda \\leq 1"},
      {"\u00C2\u00B7 x", "\\cdot x"},
      {"x _1 \u2192 y", "x_1 \\to y"},
      {"a\u0007b  c", "a b c"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(repair_pdf_math_notation(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, LooksLikeMathNotation) {
  const std::vector<FlagCase> cases = {
      {"x \u2192 y", true},  {"plain words", false}, {"and so on...", false}, {"1 + ...", true},
      {"x , ... , y", true}, {"over Fq", true},      {"a 6 = b", true},       {"6 = b", false},
      {"", false},
  };
  for (const FlagCase& c : cases) EXPECT_EQ(looks_like_pdf_math_notation(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, StripControlGlyphs) {
  const std::vector<TextCase> cases = {
      {"", ""},
      {"a b", "a b"},
      {"  a \u0001\u0002 b\t", "a b"},
      {"a\u007Fb\u009Fc", "a b c"},
      {"a\u00A0b", "a b"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(strip_pdf_control_glyphs(c.input), c.expected) << c.input;
}

TEST(PdfTextRepair, SplitMathSubscriptToken) {
  struct Case {
    std::string input;
    std::optional<std::pair<std::string, std::string>> expected;
  };
  const std::vector<Case> cases = {
      {"\\ell2", std::pair{"\\ell", "2"}},
      {"init)", std::pair{"init", ")"}},
      {"cl", std::pair{"cl", ""}},
      {"10x", std::pair{"10", "x"}},
      {"in", std::pair{"i", "n"}},
      {"a", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto split = split_math_subscript_token(c.input);
    ASSERT_EQ(split.has_value(), c.expected.has_value()) << c.input;
    if (!split) continue;
    EXPECT_EQ(split->subscript, c.expected->first) << c.input;
    EXPECT_EQ(split->rest, c.expected->second) << c.input;
  }
}

TEST(PdfTextRepair, ScriptTextAndLowercaseStart) {
  const std::vector<FlagCase> script = {
      {"(2)", true}, {"n+1", true}, {"\u22121", true}, {"\u03B1,\u00B2", true},
      {"[]", false}, {"", false},   {"a b", false},    {"x*", false},
  };
  for (const FlagCase& c : script) EXPECT_EQ(is_math_script_text(c.input), c.expected) << c.input;
  const std::vector<FlagCase> lowercase = {
      {"(\u00FCber", true}, {"1 apple", true}, {"1 Apple", false}, {"123", false}, {"\u00C9a", false},
  };
  for (const FlagCase& c : lowercase) EXPECT_EQ(starts_with_lowercase(c.input), c.expected) << c.input;
}

}  // namespace
}  // namespace scrivex_core::pdf

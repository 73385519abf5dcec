#include "core/util/unicode.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/util/utf8.hpp"

namespace scrivex_core::util {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

std::string repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

// Lossy decoding replaces each maximal invalid subsequence (the longest
// prefix of a well-formed sequence, or else one byte) with one U+FFFD.
TEST(DecodeUtf8Lossy, OneReplacementPerMaximalInvalidSubsequence) {
  struct Case {
    std::string name;
    std::string bytes;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"valid text unchanged", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      {"empty", "", ""},
      {"overlong four-byte lead", "\xF0\x80\x80", repeat(kFffd, 3)},
      {"surrogate", "\xED\xA0\x80", repeat(kFffd, 3)},
      {"overlong two-byte", "\xC0\xAF", repeat(kFffd, 2)},
      {"past U+10FFFF", "\xF4\x90\x80\x80", repeat(kFffd, 4)},
      {"lead byte past F4", "\xF5\x80", repeat(kFffd, 2)},
      {"lone continuation", "a\x80z", "a" + kFffd + "z"},
      {"FF FE", "\xFF\xFE", repeat(kFffd, 2)},
      {"truncated three-byte at the end", "\xE2\x82", kFffd},
      {"truncated four-byte at the end", "\xF0\x9F\x98", kFffd},
      {"truncated sequence before ASCII",
       "\xE2\x82"
       "A",
       kFffd + "A"},
      {"truncated sequence before a lead", "\xE2\x82\xE2\x82\xAC", kFffd + "\xE2\x82\xAC"},
      {"mixed",
       "a\xF1\x80\x80\xE1\x80\xC2"
       "b\x80"
       "c\x80\xBF"
       "d",
       "a" + repeat(kFffd, 3) + "b" + kFffd + "c" + repeat(kFffd, 2) + "d"},
      {"largest scalar", "\xF4\x8F\xBF\xBF", "\xF4\x8F\xBF\xBF"},
      {"last before surrogates", "\xED\x9F\xBF", "\xED\x9F\xBF"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(decode_utf8_lossy(c.bytes), c.expected) << c.name;
    EXPECT_EQ(is_valid_utf8(c.bytes), c.bytes == c.expected) << c.name;
  }
}

TEST(CountScalars, CountsScalarValuesNotBytes) {
  EXPECT_EQ(count_scalars(""), 0u);
  EXPECT_EQ(count_scalars("abc"), 3u);
  EXPECT_EQ(count_scalars("caf\xC3\xA9\n\n\xF0\x9F\x98\x80"), 7u);
}

TEST(AppendUtf8, EncodesEveryLengthAndReplacesNonScalars) {
  std::string out;
  for (char32_t c : {U'A', U'\u00E9', U'\u20AC', U'\U0001F600', char32_t{0xD800}, char32_t{0x110000}}) {
    append_utf8(out, c);
  }
  EXPECT_EQ(out, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80" + kFffd + kFffd);
}

// Trimming removes White_Space characters, which include U+3000 and U+00A0
// but not U+200B or U+FEFF; invalid bytes are never trimmed.
TEST(Trim, RemovesUnicodeWhiteSpaceAtTheEnds) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"  a b  ", "a b"},
      {"\xE3\x80\x80x\xE3\x80\x80", "x"},
      {"\xC2\xA0x\xC2\xA0", "x"},
      {"\t\r\n\v\fx\xC2\x85", "x"},
      {"\xE2\x80\xA8x\xE1\x9A\x80", "x"},
      {"\xE2\x80\x8Bx\xE2\x80\x8B", "\xE2\x80\x8Bx\xE2\x80\x8B"},
      {"\xEF\xBB\xBFx", "\xEF\xBB\xBFx"},
      {" \xA0 ", "\xA0"},
      {" x\xC2", "x\xC2"},
      {"\xE3\x80\x80 \xC2\xA0", ""},
      {"", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(trim(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(trim_start("\xE3\x80\x80x "), "x ");
  EXPECT_EQ(trim_end("\xE3\x80\x80x\xC2\xA0"), "\xE3\x80\x80x");
  EXPECT_TRUE(is_blank("\xE3\x80\x80 \xC2\xA0\t"));
  EXPECT_TRUE(is_blank(""));
  EXPECT_FALSE(is_blank(" \xE2\x80\x8B"));
}

TEST(CountWords, CountsRunsOfNonWhiteSpace) {
  struct Case {
    std::string text;
    std::uint64_t words;
  };
  const std::vector<Case> cases = {
      {"", 0},
      {" \t\n", 0},
      {"one", 1},
      {"  one two  ", 2},
      {"a\xE3\x80\x80"
       "b\xC2\xA0"
       "c",
       3},
      {"a\xE2\x80\x8B"
       "b",
       1},
      {"Hello world\n\nBye", 3},
      {"\xFF \xFF", 2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(count_words(c.text), c.words) << c.text;
  }
  EXPECT_EQ(split_whitespace(" a\xE3\x80\x80"
                             "bc\n d "),
            (std::vector<std::string_view>{"a", "bc", "d"}));
}

TEST(ToLowercase, UsesTheFullLanguageIndependentMapping) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"ABC xyz 123", "abc xyz 123"},
      {"\xC4\xB0", "i\xCC\x87"},                                 // U+0130 becomes i + U+0307
      {"\xC3\x89T\xC3\x89", "\xC3\xA9t\xC3\xA9"},                // ÉTÉ
      {"\xCE\x91\xCE\x92\xCE\x93", "\xCE\xB1\xCE\xB2\xCE\xB3"},  // ΑΒΓ
      {"\xE1\xBA\x9E", "\xC3\x9F"},                              // U+1E9E becomes ß
      {"\xD0\x9F\xD0\xA0\xD0\x98", "\xD0\xBF\xD1\x80\xD0\xB8"},  // ПРИ
  };
  for (const Case& c : cases) {
    EXPECT_EQ(to_lowercase(c.text), c.expected) << c.text;
  }
  EXPECT_EQ(ascii_lowercase("\xC3\x89T\xC4\xB0X"), "\xC3\x89t\xC4\xB0x");
}

TEST(SplitLines, CutsAtNewlinesAndDropsCarriageReturnsBeforeThem) {
  struct Case {
    std::string text;
    std::vector<std::string_view> lines;
  };
  const std::vector<Case> cases = {
      {"", {}},
      {"a", {"a"}},
      {"a\n", {"a"}},
      {"\n", {""}},
      {"a\n\nb", {"a", "", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\r", {"a\rb\r"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(split_lines(c.text), c.lines) << c.text;
  }
}

TEST(CharacterClasses, FollowTheUnicodeProperties) {
  for (char32_t c : {U' ', U'\t', U'\n', char32_t{0x0B}, char32_t{0x85}, char32_t{0xA0}, char32_t{0x1680},
                     char32_t{0x2028}, char32_t{0x3000}}) {
    EXPECT_TRUE(is_white_space(c)) << static_cast<unsigned>(c);
  }
  for (char32_t c : {U'a', char32_t{0x1C}, char32_t{0x200B}, char32_t{0xFEFF}}) {
    EXPECT_FALSE(is_white_space(c)) << static_cast<unsigned>(c);
  }
  EXPECT_TRUE(is_alphabetic(U'\u00E9'));
  EXPECT_FALSE(is_alphabetic(U'1'));
  EXPECT_TRUE(is_numeric(U'\u0663'));  // Arabic-Indic three
  EXPECT_TRUE(is_numeric(U'\u00BD'));  // one half, category No
  EXPECT_TRUE(is_lowercase(U'\u00DF'));
  EXPECT_FALSE(is_lowercase(U'A'));
  EXPECT_TRUE(is_alphanumeric(U'7'));
}

}  // namespace
}  // namespace scrivex_core::util

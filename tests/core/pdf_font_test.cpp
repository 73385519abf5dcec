#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/pdf/cmap.hpp"
#include "core/pdf/font_decoder.hpp"
#include "core/pdf/glyph_names.hpp"
#include "core/util/limits.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

ObjectIndex index_of(std::vector<std::pair<std::uint32_t, std::string>> objects) {
  ObjectIndex index;
  for (auto& [number, body] : objects) index.insert(std::make_shared<PdfObject>(number, 0, std::move(body)));
  return index;
}

std::string cmap_text(std::string_view blocks) {
  return "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n1 begincodespacerange\n<00> <FF>\n"
         "endcodespacerange\n" +
         std::string(blocks) + "\nendcmap\nend\nend\n";
}

TEST(PdfCmap, BfcharAndBfrange) {
  const CodeMap map = parse_to_unicode_cmap(
      cmap_text("2 beginbfchar\n<01> <0041>\n<02> <D835DC00>\nendbfchar\n"
                "2 beginbfrange\n<0003> <0005> <0041>\n<10> <12> [<0058>\n<0059> <005A>]\nendbfrange"));
  EXPECT_EQ(map.at(std::string("\x01")), "A");
  EXPECT_EQ(map.at(std::string("\x02")), "\xF0\x9D\x90\x80");  // U+1D400 from a surrogate pair
  EXPECT_EQ(map.at(std::string("\x00\x03", 2)), "A");
  EXPECT_EQ(map.at(std::string("\x00\x05", 2)), "C");
  EXPECT_EQ(map.at(std::string("\x10")), "X");  // an array split over two lines
  EXPECT_EQ(map.at(std::string("\x12")), "Z");
  EXPECT_EQ(map.size(), 8u);
}

TEST(PdfCmap, DestinationRules) {
  struct Case {
    std::string blocks;
    std::string code;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"1 beginbfchar\n<00660069> <00660069>\nendbfchar", std::string("\x00\x66\x00\x69", 4), "fi"},
      {"1 beginbfrange\n<01> <01> <00660069>\nendbfrange", "\x01", ""},  // a ligature range has no text
      {"1 beginbfchar\n<0025> <E025>\nendbfchar", std::string("\x00\x25", 2), "A"},  // private use: 0x25 + 28
      {"1 beginbfchar\n<01> <D800>\nendbfchar", "\x01", ""},                         // not a scalar value
  };
  for (const Case& c : cases) {
    const CodeMap map = parse_to_unicode_cmap(cmap_text(c.blocks));
    ASSERT_TRUE(map.count(c.code)) << c.blocks;
    EXPECT_EQ(map.at(c.code), c.expected) << c.blocks;
  }
}

TEST(PdfCmap, RangesAreCappedAt513Codes) {
  const CodeMap map = parse_to_unicode_cmap(cmap_text("1 beginbfrange\n<0000> <FFFF> <0020>\nendbfrange"));
  EXPECT_EQ(map.size(), 513u);
  EXPECT_EQ(map.at(std::string("\x02\x00", 2)), "\xC8\xA0");  // U+0220
  EXPECT_FALSE(map.count(std::string("\x02\x01", 2)));
}

TEST(PdfCmap, EntryCountIsBounded) {
  std::string blocks = "300 beginbfrange\n";
  char line[64];
  for (unsigned i = 0; i < 300; ++i) {
    std::snprintf(line, sizeof line, "<%08X> <%08X> <0041>\n", i * 1024, i * 1024 + 1000);
    blocks += line;
  }
  const CodeMap map = parse_to_unicode_cmap(cmap_text(blocks + "endbfrange"));
  EXPECT_EQ(map.size(), limits::kMaxPdfCmapEntries);
}

TEST(PdfGlyphNames, Resolution) {
  struct Case {
    std::string name;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"alpha", "\u03B1"},
      {"quoteleft", "'"},
      {"reflexsubset", "\u2287"},
      {"ffi", "ffi"},
      {"A", "A"},
      {"uni0041", "A"},
      {"uni00410042", "AB"},
      {"uniD800", std::nullopt},
      {"u1F600", "\U0001F600"},
      {"u+0041", "A"},
      {"theta", std::nullopt},
      {"uni004", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(resolve_glyph_name(c.name), c.expected) << c.name;
}

TEST(PdfFontDecoder, Differences) {
  const auto differences =
      parse_encoding_differences("/Differences [65 /alpha /beta 97 /a /uni0041 /u1F600 /theta]");
  const std::map<std::uint8_t, std::string> expected = {
      {65, "\u03B1"}, {66, "\u03B2"}, {97, "a"}, {98, "A"}, {99, "\U0001F600"}};
  EXPECT_EQ(differences, expected);
  EXPECT_TRUE(parse_encoding_differences("/Differences [/a /b]").empty());  // names before a code are ignored
}

TEST(PdfFontDecoder, StyleFromNameFlagsAndAngle) {
  struct Case {
    std::string font;
    std::string descriptor;
    bool bold;
    bool italic;
  };
  const std::vector<Case> cases = {
      {"/BaseFont /ABCDEF+Helvetica-BoldOblique", "", true, true},
      {"/BaseFont /Arial-Black", "", true, false},
      {"/BaseFont /Times-Roman /FontDescriptor 9 0 R", "/Flags 64", false, true},
      {"/BaseFont /Times-Roman /FontDescriptor 9 0 R", "/Flags 262144", true, false},
      {"/BaseFont /Times-Roman /FontDescriptor 9 0 R", "/Flags 32 /ItalicAngle -12", false, true},
      {"/BaseFont /Bold+Times-Roman", "", false, false},  // the subset prefix is not the name
  };
  for (const Case& c : cases) {
    const ObjectIndex index = index_of({{9, "<< " + c.descriptor + " >>"}});
    const PdfObject font(5, 0, "<< /Type /Font " + c.font + " >>");
    const FontDecoder decoder = font_decoder(font, index);
    EXPECT_EQ(decoder.bold, c.bold) << c.font << c.descriptor;
    EXPECT_EQ(decoder.italic, c.italic) << c.font << c.descriptor;
  }
}

TEST(PdfFontDecoder, SimpleFontWidthsFollowDifferences) {
  const ObjectIndex index =
      index_of({{9, "<< /Ascent 900 /Descent 0 >>"}, {8, "<< /Type /Encoding /Differences [66 /alpha] >>"}});
  const PdfObject font(5, 0, "<< /FirstChar 65 /Widths [600 700 0] /Encoding 8 0 R /FontDescriptor 9 0 R >>");
  const FontDecoder decoder = font_decoder(font, index);
  EXPECT_EQ(decoder.widths.at(U'A'), 600.0f);
  EXPECT_EQ(decoder.widths.at(U'\u03B1'), 700.0f);
  EXPECT_EQ(decoder.widths.count(U'B'), 0u);
  EXPECT_FLOAT_EQ(decoder.ascent, 0.9f);
  EXPECT_FLOAT_EQ(decoder.descent, kDefaultDescent);  // 0 means missing
  EXPECT_EQ(decode_pdf_text("AB", &decoder), "A\u03B1");
}

TEST(PdfFontDecoder, CompositeFontWidthsAndLongestMatch) {
  const std::string cmap = cmap_text(
      "2 beginbfchar\n<0041> <0058>\n<41> <0061>\nendbfchar\n1 beginbfrange\n<0003> <0005> "
      "<0041>\nendbfrange");
  const ObjectIndex index = index_of({
      {6, testing::stream_body("", cmap)},
      {7, "<< /Type /Font /Subtype /CIDFontType2 /WMode 0 /W [3 [500 600] 5 5 700 65 65 900] >>"},
  });
  const PdfObject font(5, 0, "<< /Type /Font /Subtype /Type0 /DescendantFonts [7 0 R] /ToUnicode 6 0 R >>");
  const FontDecoder decoder = font_decoder(font, index);
  EXPECT_EQ(decoder.code_bytes, 2u);
  EXPECT_EQ(decoder.widths.at(U'A'), 500.0f);
  EXPECT_EQ(decoder.widths.at(U'B'), 600.0f);
  EXPECT_EQ(decoder.widths.at(U'C'), 700.0f);
  EXPECT_EQ(decoder.widths.at(U'X'), 900.0f);
  EXPECT_EQ(decoder.widths.at(U'a'), 900.0f);  // the one-byte key 0x41 has the value 65 too
  EXPECT_EQ(decode_pdf_text(std::string("\x00\x41", 2), &decoder), "X");  // the two-byte key wins
  EXPECT_EQ(decode_pdf_text(std::string("\x01\x41", 2), &decoder),
            "\x01"
            "a");
}

TEST(PdfFontDecoder, TextWithoutDecoder) {
  EXPECT_EQ(decode_pdf_text(std::string("\xFE\xFF\x00\x48\x00\x69", 6), nullptr), "Hi");
  EXPECT_EQ(decode_pdf_text("\xE9", nullptr), "\u00E9");
  EXPECT_EQ(decode_pdf_text(std::string("\xFE\xFF\xD8\x00\x00", 5), nullptr),
            "\uFFFD");  // unpaired, odd byte dropped
  const FontDecoder empty;
  EXPECT_EQ(decode_pdf_text(std::string("\xFE\xFF\x00\x41", 4), &empty), "A");
}

TEST(PdfFontDecoder, BrokenPartsLeaveDefaults) {
  const ObjectIndex index = index_of({{6, "<< /Filter /LZWDecode >>\nstream\nxx\nendstream"}});
  const PdfObject font(5, 0, "<< /ToUnicode 6 0 R /FontDescriptor 99 0 R /Encoding 98 0 R /FirstChar 0 >>");
  const FontDecoder decoder = font_decoder(font, index);
  EXPECT_TRUE(decoder.to_unicode.empty());
  EXPECT_TRUE(decoder.widths.empty());
  EXPECT_EQ(decoder.code_bytes, 1u);
  EXPECT_FLOAT_EQ(decoder.ascent, kDefaultAscent);
}

}  // namespace
}  // namespace scrivex_core::pdf

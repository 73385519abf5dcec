// Whole pages through the layout stages: PDFs written byte by byte, loaded,
// and their blocks compared as (kind, text) in page order.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/pdf/extract_pdf.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

using testing::PdfWriter;

// One US Letter page: F1 is Helvetica in WinAnsiEncoding, F2 has code 1 for
// the fi ligature and code 2 for the fl ligature.
std::string one_page_pdf(std::string_view content) {
  return PdfWriter()
      .object(1, "<< /Type /Catalog /Pages 2 0 R >>")
      .object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 612 792] >>")
      .object(3,
              "<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 5 0 R /F2 6 0 R >> >> "
              "/Contents 4 0 R >>")
      .stream(4, "", content)
      .object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>")
      .object(6,
              "<< /Type /Font /Subtype /Type1 /BaseFont /Times-Roman "
              "/Encoding << /Type /Encoding /Differences [1 /fi 2 /fl] >> >>")
      .build("/Root 1 0 R");
}

// A text object showing one line at (x, baseline) in font F1.
std::string show(float x, float baseline, float size, std::string_view text) {
  return "BT /F1 " + std::to_string(size) + " Tf " + std::to_string(x) + " " + std::to_string(baseline) +
         " Td (" + std::string(text) + ") Tj ET\n";
}

using KindAndText = std::pair<std::string, std::string>;

std::vector<KindAndText> page_blocks(std::string_view content) {
  const std::string data = one_page_pdf(content);
  const std::vector<std::uint8_t> bytes(data.begin(), data.end());
  auto result = extract_pdf(bytes, source::Source{}, "pdf-native", 1);
  EXPECT_TRUE(result.ok()) << (result ? "" : result.error().display());
  std::vector<KindAndText> blocks;
  if (!result || result.value().pages.size() != 1) return blocks;
  for (const ir::Block& block : result.value().pages[0].blocks) {
    if (const auto* text = std::get_if<ir::TextBlock>(&block)) {
      blocks.emplace_back(text->kind, text->text);
    } else {
      blocks.emplace_back("other", "");
    }
  }
  return blocks;
}

// The first left line is shown in two runs: with one run per column on every
// line, the lines would line up as the rows of a two-column table.
TEST(PdfLayoutEndToEnd, CentredTitleAboveTwoColumns) {
  std::string content = show(220, 740, 18, "Notes on Columns");
  const std::vector<std::string> left = {"The left column) Tj ( opens with", "words that wrap onto the",
                                         "following lines of text."};
  const std::vector<std::string> right = {"The right column follows", "once the left one is done",
                                          "and reads last of all."};
  for (std::size_t i = 0; i < left.size(); ++i) {
    const float baseline = 700 - 14 * static_cast<float>(i);
    content += show(72, baseline, 10, left[i]);
    content += show(320, baseline, 10, right[i]);
  }
  const std::vector<KindAndText> expected = {
      {"heading_1", "Notes on Columns"},
      {"paragraph", "The left column opens with words that wrap onto the following lines of text."},
      {"paragraph", "The right column follows once the left one is done and reads last of all."},
  };
  EXPECT_EQ(page_blocks(content), expected);
}

TEST(PdfLayoutEndToEnd, HeadingLevelsByFontSize) {
  const std::string content = show(72, 740, 24, "Report Title") + show(72, 700, 14, "First Section") +
                              show(72, 680, 10, "Body text of the first section runs long.") +
                              show(72, 656, 11.5f, "A Smaller Part") +
                              show(72, 640, 10, "More body text follows the smaller part.");
  const std::vector<KindAndText> expected = {
      {"heading_1", "Report Title"},
      {"heading_2", "First Section"},
      {"paragraph", "Body text of the first section runs long."},
      {"heading_3", "A Smaller Part"},
      {"paragraph", "More body text follows the smaller part."},
  };
  EXPECT_EQ(page_blocks(content), expected);
}

TEST(PdfLayoutEndToEnd, HyphenatedLinesJoined) {
  const std::string content =
      show(72, 700, 10, "The paragraph shows an exam-") + show(72, 688, 10, "ple of a word broken at the") +
      show(72, 676, 10, "end of a line. It ends here.") + show(72, 640, 10, "A new paragraph.");
  const std::vector<KindAndText> expected = {
      {"paragraph", "The paragraph shows an example of a word broken at the end of a line. It ends here."},
      {"paragraph", "A new paragraph."},
  };
  EXPECT_EQ(page_blocks(content), expected);
}

TEST(PdfLayoutEndToEnd, LigaturesAndWindowsCodePoints) {
  const std::string content = "BT /F2 10 Tf 72 700 Td (The \\001nal \\002ow) Tj ET\n" +
                              show(72, 680, 10, "\\223Quoted\\224 text \\226 with a dash") +
                              show(72, 660, 10, "It\\222s done\\205");
  const std::vector<KindAndText> expected = {
      {"paragraph", "The final flow"},
      {"paragraph", "\"Quoted\" text \xE2\x80\x93 with a dash"},
      {"paragraph", "It's done..."},
  };
  EXPECT_EQ(page_blocks(content), expected);
}

TEST(PdfLayoutEndToEnd, ScriptsOnAMathematicalLine) {
  // x with a 2 raised by text rise, then a with an i lowered by a text move.
  const std::string content =
      "BT /F1 10 Tf 72 700 Td (x) Tj /F1 7 Tf 3 Ts (2) Tj 0 Ts /F1 10 Tf ( + y = z) Tj ET\n"
      "BT /F1 10 Tf 72 660 Td (a) Tj /F1 7 Tf 5 -2.5 Td (i) Tj /F1 10 Tf 4 2.5 Td (= b) Tj ET\n";
  const std::vector<KindAndText> expected = {
      {"paragraph", "x^2 + y = z"},
      {"paragraph", "a_i = b"},
  };
  EXPECT_EQ(page_blocks(content), expected);
}

}  // namespace
}  // namespace scrivex_core::pdf

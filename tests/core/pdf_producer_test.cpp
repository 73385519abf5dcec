#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/pdf/extract_pdf.hpp"
#include "core/pipeline/load.hpp"

namespace scrivex_core::pdf {
namespace {

const std::string kFixture =
    std::string(SCRIVEX_TEST_DATA_DIR) + "/pdf/ghostscript_two_pages.pdf";

std::vector<std::uint8_t> read_fixture() {
  std::ifstream in(kFixture, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string page_text(const ir::Page& page) {
  std::string text;
  for (const ir::Block& block : page.blocks) {
    if (const auto* t = std::get_if<ir::TextBlock>(&block)) text += t->text + "\n";
  }
  return text;
}

// A file written by Ghostscript's pdfwrite (see data/pdf/make_fixtures.sh).
TEST(PdfRealProducer, GhostscriptFileLoads) {
  const std::vector<std::uint8_t> bytes = read_fixture();
  ASSERT_FALSE(bytes.empty()) << kFixture;
  source::Source source;
  source.path = kFixture;
  auto result = extract_pdf(bytes, source, "pdf-native");
  ASSERT_TRUE(result.ok()) << result.error().display();
  const ir::Document& document = result.value();
  EXPECT_EQ(document.metadata.title, "Quarterly Report");
  EXPECT_EQ(document.metadata.pdf_version, "1.7");
  ASSERT_EQ(document.pages.size(), 2u);
  EXPECT_EQ(document.pages[0].width, 612.0f);
  EXPECT_EQ(document.pages[0].height, 792.0f);
  EXPECT_EQ(document.pages[1].width, 595.0f);
  EXPECT_EQ(document.pages[1].height, 842.0f);
  EXPECT_NE(page_text(document.pages[0]).find("Revenue grew in every region this quarter."),
            std::string::npos);
  EXPECT_NE(page_text(document.pages[1]).find("Second page on A4 paper."), std::string::npos);
  EXPECT_TRUE(document.pages[0].warnings.empty());
}

TEST(PdfRealProducer, LoadsThroughThePathPipeline) {
  auto result = pipeline::load_path(kFixture);
  ASSERT_TRUE(result.ok()) << result.error().display();
  EXPECT_EQ(result.value().metadata.engine, "pdf-native");
  EXPECT_EQ(result.value().metadata.format, "pdf");
  EXPECT_EQ(result.value().pages.size(), 2u);
}

}  // namespace
}  // namespace scrivex_core::pdf

// Tables end to end: a PDF written byte by byte with a stroked grid, and a
// bordered OpenDocument table converted to PDF by LibreOffice in the test
// set-up (the test skips when soffice is not installed).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/pdf/extract_pdf.hpp"
#include "core/pipeline/load.hpp"
#include "core/util/child_process.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

namespace fs = std::filesystem;
using testing::PdfWriter;

// What the page shows, in block order: "table" for a table, else the text.
std::vector<std::string> block_order(const ir::Page& page) {
  std::vector<std::string> order;
  for (const ir::Block& block : page.blocks) {
    if (const auto* text = std::get_if<ir::TextBlock>(&block)) order.push_back(text->text);
    if (std::holds_alternative<ir::TableBlock>(block)) order.push_back("table");
  }
  return order;
}

const ir::TableBlock* first_table(const ir::Page& page) {
  for (const ir::Block& block : page.blocks) {
    if (const auto* table = std::get_if<ir::TableBlock>(&block)) return table;
  }
  return nullptr;
}

// Rules at x 72, 222, 372 and y 600 to 700 every 25, drawn as separate
// stroked lines or as stroked cell rectangles.
std::string grid_drawing(bool rectangles) {
  std::string out = "0.5 w\n";
  if (rectangles) {
    for (int y = 600; y < 700; y += 25) {
      for (int x : {72, 222}) out += std::to_string(x) + " " + std::to_string(y) + " 150 25 re\n";
    }
    return out + "S\n";
  }
  for (int x : {72, 222, 372}) out += std::to_string(x) + " 600 m " + std::to_string(x) + " 700 l S\n";
  for (int y = 600; y <= 700; y += 25)
    out += "72 " + std::to_string(y) + " m 372 " + std::to_string(y) + " l S\n";
  return out;
}

std::string text_at(float x, float baseline, const std::string& text) {
  return "BT /F1 10 Tf " + std::to_string(x) + " " + std::to_string(baseline) + " Td (" + text + ") Tj ET\n";
}

std::string grid_page_pdf(bool rectangles) {
  std::string content = text_at(72, 740, "Sales by region") + grid_drawing(rectangles);
  const std::vector<std::vector<std::string>> cells = {
      {"Region", "Units"}, {"North", "120"}, {"South", "95"}, {"East", "143"}};
  for (std::size_t r = 0; r < cells.size(); ++r) {
    const float baseline = 684 - 25 * static_cast<float>(r);
    content += text_at(80, baseline, cells[r][0]) + text_at(230, baseline, cells[r][1]);
  }
  content += text_at(72, 560, "End of report.");
  return PdfWriter()
      .object(1, "<< /Type /Catalog /Pages 2 0 R >>")
      .object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 612 792] >>")
      .object(3, "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>")
      .stream(4, "", content)
      .object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>")
      .build("/Root 1 0 R");
}

TEST(PdfTablesEndToEnd, StrokedGridLoadsAsTable) {
  for (const bool rectangles : {false, true}) {
    const std::string data = grid_page_pdf(rectangles);
    const std::vector<std::uint8_t> bytes(data.begin(), data.end());
    auto result = extract_pdf(bytes, source::Source{}, "pdf-native", 1);
    ASSERT_TRUE(result.ok()) << result.error().display();
    ASSERT_EQ(result.value().pages.size(), 1u);
    const ir::Page& page = result.value().pages[0];
    EXPECT_EQ(block_order(page), (std::vector<std::string>{"Sales by region", "table", "End of report."}))
        << (rectangles ? "rectangles" : "lines");
    const ir::TableBlock* table = first_table(page);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->headers, (std::vector<std::string>{"Region", "Units"}));
    EXPECT_EQ(table->rows,
              (std::vector<std::vector<std::string>>{{"North", "120"}, {"South", "95"}, {"East", "143"}}));
    EXPECT_EQ(table->bbox, (ir::BBox{72, 600, 300, 100}));
    EXPECT_EQ(table->confidence, (ir::Confidence{0.70f, false}));
    ASSERT_EQ(table->source_anchors.size(), 1u);
    EXPECT_EQ(table->source_anchors[0].page_number, 1u);
    EXPECT_EQ(table->source_anchors[0].extraction_method, "native_pdf");
  }
}

bool have_program(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

// One cell of the flat OpenDocument table below.
std::string fodt_cell(const std::string& text) {
  return "<table:table-cell table:style-name=\"Cell\"><text:p>" + text + "</text:p></table:table-cell>";
}

// A flat OpenDocument text: a paragraph, a table whose cells all have a
// solid border, and a closing paragraph.
std::string bordered_table_fodt() {
  const std::vector<std::vector<std::string>> cells = {{"Region", "Units", "Revenue"},
                                                       {"North", "120", "4500"},
                                                       {"South", "95", "3800"},
                                                       {"East", "143", "5100"}};
  std::string rows;
  for (const auto& row : cells) {
    rows += "<table:table-row>";
    for (const std::string& cell : row) rows += fodt_cell(cell);
    rows += "</table:table-row>\n";
  }
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<office:document xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\" office:version=\"1.2\" "
         "office:mimetype=\"application/vnd.oasis.opendocument.text\">\n"
         "<office:automatic-styles><style:style style:name=\"Cell\" style:family=\"table-cell\">"
         "<style:table-cell-properties fo:padding=\"0.1cm\" fo:border=\"0.5pt solid #000000\"/>"
         "</style:style></office:automatic-styles>\n"
         "<office:body><office:text>\n<text:p>Quarterly results by region.</text:p>\n"
         "<table:table table:name=\"Sales\"><table:table-column table:number-columns-repeated=\"3\"/>\n" +
         rows +
         "</table:table>\n<text:p>End of report.</text:p>\n</office:text></office:body></office:document>\n";
}

// A bordered table converted by LibreOffice, which strokes each border as a
// line of its own.
class PdfTablesRealProducer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!have_program("soffice")) GTEST_SKIP() << "soffice is not installed";
    char pattern[] = "/tmp/scrivex-tables-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    const fs::path source = dir_ / "report.fodt";
    std::ofstream(source) << bordered_table_fodt();
    const auto run = util::run_program(
        "soffice", {"-env:UserInstallation=file://" + (dir_ / "profile").string(), "--headless",
                    "--convert-to", "pdf", "--outdir", dir_.string(), source.string()});
    ASSERT_TRUE(run.ok() && run.value().succeeded) << "soffice failed";
    pdf_ = dir_ / "report.pdf";
    ASSERT_TRUE(fs::exists(pdf_));
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  fs::path dir_;
  fs::path pdf_;
};

TEST_F(PdfTablesRealProducer, BorderedTableLoadsAsTable) {
  auto result = pipeline::load_path(pdf_.string());
  ASSERT_TRUE(result.ok()) << result.error().display();
  ASSERT_FALSE(result.value().pages.empty());
  const ir::Page& page = result.value().pages[0];
  EXPECT_EQ(block_order(page),
            (std::vector<std::string>{"Quarterly results by region.", "table", "End of report."}));
  const ir::TableBlock* table = first_table(page);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->headers, (std::vector<std::string>{"Region", "Units", "Revenue"}));
  EXPECT_EQ(table->rows, (std::vector<std::vector<std::string>>{
                             {"North", "120", "4500"}, {"South", "95", "3800"}, {"East", "143", "5100"}}));
  EXPECT_EQ(table->confidence, (ir::Confidence{0.70f, false}));
}

}  // namespace
}  // namespace scrivex_core::pdf

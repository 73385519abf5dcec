#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "core/pdf/extract_pdf.hpp"
#include "core/source/source.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

using testing::PdfWriter;

constexpr float kFontSize = 10;
constexpr float kGlyphWidth = 5;  // every glyph is 500/1000 of the font size
constexpr float kLabelX = 72;
constexpr float kCurrentYear = 400;  // right edges of the two figure columns
constexpr float kPriorYear = 480;
// Where a "$" sign starts, left of its column's right edge: set well apart
// from the widest figure (25 units wide).
constexpr float kSignOffset = 60;

std::string shown(float x, float y, const std::string& text) {
  return "BT /F1 10 Tf " + std::to_string(x) + " " + std::to_string(y) + " Td (" + text + ") Tj ET\n";
}

std::string right_aligned(float right, float y, const std::string& text) {
  return shown(right - kGlyphWidth * static_cast<float>(text.size()), y, text);
}

struct StatementRow {
  std::string label;
  std::string current;
  std::string prior;
  bool dollars = false;  // "$" signs set apart to the left of both figures
};

const std::vector<StatementRow> kRows = {
    {"Assets", "", ""},
    {"Cash and equivalents", "1,234", "1,100", true},
    {"Receivables", "2,345", "2,100"},
    {"Inventory", "845", "790"},
    {"Total current assets", "4,424", "3,990", true},
    {"Liabilities", "", ""},
    {"Payables", "1,000", "950"},
    {"Accrued liabilities", "400", "380"},
    {"Long-term debt", "2,000", "2,100"},
    {"Total liabilities", "3,400", "3,430", true},
    {"Equity", "", ""},
    {"Retained earnings", "1,024", "560"},
    {"Total equity", "1,024", "560", true},
};

std::string statement_content() {
  std::string content = shown(kLabelX, 760, "Statement of Financial Position");
  float y = 720;
  content += right_aligned(kCurrentYear, y, "2024") + right_aligned(kPriorYear, y, "2023");
  for (const StatementRow& row : kRows) {
    y -= 14;
    content += shown(kLabelX, y, row.label);
    if (row.dollars)
      content += shown(kCurrentYear - kSignOffset, y, "$") + shown(kPriorYear - kSignOffset, y, "$");
    if (!row.current.empty()) content += right_aligned(kCurrentYear, y, row.current);
    if (!row.prior.empty()) content += right_aligned(kPriorYear, y, row.prior);
  }
  return content;
}

std::string statement_pdf() {
  std::string widths;
  for (int c = 32; c <= 126; ++c) widths += "500 ";
  return PdfWriter()
      .object(1, "<< /Type /Catalog /Pages 2 0 R >>")
      .object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
      .object(3,
              "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Resources << /Font << /F1 5 0 R >> >> "
              "/Contents 4 0 R >>")
      .stream(4, "", statement_content())
      .object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 /LastChar 126 /Widths [" +
                     widths + "] >>")
      .build("/Root 1 0 R");
}

TEST(FigureColumnStatementPdf, LoadsAsOneTable) {
  const std::string data = statement_pdf();
  const std::vector<std::uint8_t> bytes(data.begin(), data.end());
  auto result = extract_pdf(bytes, source::Source{}, "pdf-native", 1);
  ASSERT_TRUE(result.ok()) << result.error().display();
  const ir::Document& document = result.value();
  ASSERT_EQ(document.pages.size(), 1u);
  const auto& blocks = document.pages[0].blocks;

  std::vector<const ir::TableBlock*> tables;
  std::vector<std::string> texts;
  for (const ir::Block& block : blocks) {
    if (const auto* table = std::get_if<ir::TableBlock>(&block)) tables.push_back(table);
    if (const auto* text = std::get_if<ir::TextBlock>(&block)) texts.push_back(text->text);
  }
  ASSERT_EQ(tables.size(), 1u);
  EXPECT_EQ(texts, std::vector<std::string>{"Statement of Financial Position"});
  EXPECT_TRUE(std::holds_alternative<ir::TextBlock>(blocks.front()));  // the title comes first

  const ir::TableBlock& table = *tables.front();
  EXPECT_EQ(table.headers, (std::vector<std::string>{"", "2024", "2023"}));
  ASSERT_EQ(table.rows.size(), kRows.size());
  for (std::size_t i = 0; i < kRows.size(); ++i) {
    const StatementRow& row = kRows[i];
    const std::string sign = row.dollars ? "$" : "";
    const std::vector<std::string> expected = {row.label, row.current.empty() ? "" : sign + row.current,
                                               row.prior.empty() ? "" : sign + row.prior};
    EXPECT_EQ(table.rows[i], expected) << i;
  }
  EXPECT_EQ(table.cells.size(), 3 * (kRows.size() + 1));
  ASSERT_TRUE(table.confidence.has_value());
  EXPECT_FLOAT_EQ(table.confidence->score, 0.70f);
  ASSERT_TRUE(table.bbox.has_value());
  EXPECT_FLOAT_EQ(table.bbox->x, kLabelX);
  EXPECT_FLOAT_EQ(table.bbox->x + table.bbox->width, kPriorYear);
  ASSERT_EQ(table.source_anchors.size(), 1u);
  EXPECT_EQ(table.source_anchors[0].page_number, 1u);
  EXPECT_EQ(table.source_anchors[0].bbox, table.bbox);
}

}  // namespace
}  // namespace scrivex_core::pdf

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pdf/extract_pdf.hpp"
#include "core/pdf/interpreter.hpp"
#include "core/util/limits.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

using testing::PdfWriter;

// Runs, segments and images of one content stream with the given fonts.
ContentExtraction interpret(std::string_view content, const PageFontMap& fonts = {}) {
  const ObjectIndex index;
  const NamedRefs xobjects;
  ContentExtraction out;
  interpret_content_stream(content, "5 0 R", PageResources{1, fonts, xobjects, index}, out);
  return out;
}

ir::Page single_page(const std::string& page_entries,
                     const std::vector<std::pair<std::uint32_t, std::string>>& extra,
                     std::uint32_t page_number_in_file = 1) {
  PdfWriter writer;
  for (std::uint32_t i = 1; i < page_number_in_file; ++i) writer.object(100 + i, "<< /Type /Page >>");
  writer.object(1, "<< /Type /Page " + page_entries + " >>");
  for (const auto& [number, body] : extra) writer.object(number, body);
  const std::string data = writer.build();
  auto result = parse_pdf_pages(data, 1);
  EXPECT_TRUE(result.ok());
  return result ? result.value().pages.at(page_number_in_file - 1).page : ir::Page{};
}

TEST(PdfInterpreter, RunGeometryWithoutFontWidths) {
  const ContentExtraction out = interpret("BT /F1 12 Tf 72 700 Td (Hello) Tj ET");
  ASSERT_EQ(out.runs.size(), 1u);
  const TextRun& run = out.runs[0];
  EXPECT_EQ(run.text, "Hello");
  EXPECT_EQ(run.object_ids, std::vector<std::string>{"5 0 R"});
  EXPECT_EQ(run.font_name, "F1");
  EXPECT_FLOAT_EQ(run.font_size, 12);
  EXPECT_FLOAT_EQ(run.x, 72);
  EXPECT_FLOAT_EQ(run.baseline, 700);
  EXPECT_FLOAT_EQ(run.y, 697);
  EXPECT_FLOAT_EQ(run.height, 12);
  EXPECT_FLOAT_EQ(run.width, 25.8f);
  EXPECT_FLOAT_EQ(run.space_width, 3);
}

TEST(PdfInterpreter, MatricesAndTextState) {
  struct Case {
    std::string content;
    float x;
    float baseline;
  };
  const std::vector<Case> cases = {
      {"q 2 0 0 2 0 0 cm 1 0 0 1 10 10 cm BT (A) Tj ET Q", 20, 20},  // the second matrix inside the first
      {"BT 1 0 0 1 50 60 Tm (A) Tj ET", 50, 60},
      {"BT 14 TL 10 100 Td T* (A) Tj ET", 10, 86},
      {"BT 10 100 TD 0 -20 TD T* (A) Tj ET", 10, 60},  // TD sets the leading to 20
      {"BT /F1 10 Tf 10 100 Td 3 Ts (A) Tj ET", 10, 103},
      {"BT /F1 10 Tf 10 100 Td (A) ' ET", 10, 88},  // ' moves down by the 1.2 x 10 leading
      {"BT 10 100 Td 2 1 (A) \" ET", 10, 88},
      {"q 1 0 0 1 5 5 cm Q BT (A) Tj ET", 0, 0},
      {"Q Q BT (A) Tj ET", 0, 0},  // an unmatched Q is ignored
  };
  for (const Case& c : cases) {
    const ContentExtraction out = interpret(c.content);
    ASSERT_EQ(out.runs.size(), 1u) << c.content;
    EXPECT_FLOAT_EQ(out.runs[0].x, c.x) << c.content;
    EXPECT_FLOAT_EQ(out.runs[0].baseline, c.baseline) << c.content;
  }
}

TEST(PdfInterpreter, TextShowingRules) {
  struct Case {
    std::string content;
    std::vector<std::string> texts;
  };
  const std::vector<Case> cases = {
      {"BT [(A) -250 (B)] TJ ET", {"A B"}},
      {"BT [(A) -50 (B)] TJ ET", {"AB"}},
      {"BT [-900 (A) -300 -300 (B)] TJ ET", {" A B"}},
      {"BT /F1 12 Tf /F2 12 0 Tf (x) Tj ET", {"x"}},
      {"BT (  ) Tj ET", {}},
      {"BT (a) (b) Tj ET", {"a"}},        // Tj shows its first operand
      {"BT (a) 1.2.3 Tj (b) Tj ET", {}},  // a malformed number ends the stream, dropping pending operands
      {"BT (a) Tj (b) 1.2.3 Tj ET", {"a"}},
      {"BT (a) Tj " + std::string(limits::kMaxPdfArrayDepth + 1, '[') + " TJ (b) Tj ET", {"a"}},
  };
  for (const Case& c : cases) {
    const ContentExtraction out = interpret(c.content);
    std::vector<std::string> texts;
    for (const TextRun& run : out.runs) texts.push_back(run.text);
    EXPECT_EQ(texts, c.texts) << c.content;
  }
}

TEST(PdfInterpreter, BlankRunsStillAdvance) {
  const ContentExtraction out = interpret("BT 10 10 Td (   ) Tj (A) Tj ET");
  ASSERT_EQ(out.runs.size(), 1u);
  EXPECT_FLOAT_EQ(out.runs[0].x, 10 + 3 * 0.25f * 12);  // three spaces of 250/1000 em
}

TEST(PdfInterpreter, FontWidthsSpacingAndScaling) {
  auto font = std::make_shared<FontDecoder>();
  font->widths = {{U'A', 1000}, {U' ', 500}};
  font->bold = true;
  const PageFontMap fonts = {{"F1", font}};
  const ContentExtraction out = interpret("BT /F1 10 Tf 1 Tc 2 Tw 50 Tz (A A) Tj (A) Tj ET", fonts);
  ASSERT_EQ(out.runs.size(), 2u);
  // (10 + 5 + 10 + 3 x 1 + 1 x 2) x 0.5
  EXPECT_FLOAT_EQ(out.runs[0].width, 15);
  EXPECT_FLOAT_EQ(out.runs[1].x, 15);
  EXPECT_FLOAT_EQ(out.runs[0].space_width, 2.5f);
  EXPECT_TRUE(out.runs[0].bold);
}

TEST(PdfInterpreter, SaveNestingPastTheLimitStaysBalanced) {
  const std::size_t depth = limits::kMaxPdfGraphicsStateDepth + 10;
  std::string content;
  for (std::size_t i = 0; i < depth; ++i) content += "q ";
  content += "1 0 0 1 30 40 cm ";
  for (std::size_t i = 0; i < depth; ++i) content += "Q ";
  const ContentExtraction out = interpret(content + "BT (A) Tj ET");
  ASSERT_EQ(out.runs.size(), 1u);
  EXPECT_FLOAT_EQ(out.runs[0].x, 0);
}

TEST(PdfInterpreter, OperandsPastTheLimitAreDropped) {
  std::string content = "BT (A) ";
  for (std::size_t i = 0; i < limits::kMaxPdfOperandsPerOperation + 5; ++i) content += "1 ";
  const ContentExtraction out = interpret(content + "Tj ET");
  ASSERT_EQ(out.runs.size(), 1u);  // the first operand is still the string
  EXPECT_EQ(out.runs[0].text, "A");
}

TEST(PdfInterpreter, RulingSegments) {
  const ContentExtraction out = interpret(
      "10 10 m 100 10 l 0 0 5 5 re f 20 20 m 30 30 l S 1 1 m 2 2 l n 7 7 l S q 2 0 0 2 0 0 cm 1 1 m 2 1 l s "
      "Q");
  ASSERT_EQ(out.segments.size(), 7u);  // the filled path is stroked by the next S; n discards
  EXPECT_FLOAT_EQ(out.segments[0].x1, 100);
  EXPECT_FLOAT_EQ(out.segments[6].x0, 2);
  EXPECT_FLOAT_EQ(out.segments[6].x1, 4);
}

TEST(PdfPage, GeometryDefaults) {
  const ir::Page page = single_page("", {});
  EXPECT_EQ(page.width, 612.0f);
  EXPECT_EQ(page.height, 792.0f);
  EXPECT_EQ(page.bbox, (ir::BBox{0, 0, 612, 792}));
  EXPECT_FALSE(page.rotation.has_value());
  const ir::Page partial = single_page("/MediaBox [10 20 595]", {});
  EXPECT_EQ(partial.width, 585.0f);
  EXPECT_EQ(partial.height, 772.0f);
  EXPECT_EQ(partial.bbox, (ir::BBox{10, 20, 585, 772}));
}

TEST(PdfPage, RotationNormalisation) {
  const std::string content = testing::stream_body("", "BT /F1 12 Tf 72 700 Td (Hello) Tj ET");
  const ir::Page page = single_page("/Rotate 90 /MediaBox [0 0 612 792] /Contents 2 0 R", {{2, content}});
  EXPECT_EQ(page.width, 792.0f);
  EXPECT_EQ(page.height, 612.0f);
  EXPECT_EQ(page.rotation, 90);
  const auto& block = std::get<ir::TextBlock>(page.blocks.at(0));
  ASSERT_TRUE(block.bbox.has_value());
  // The run box (72, 697, 25.8, 12) turns into (697, 514.2, 12, 25.8).
  EXPECT_FLOAT_EQ(block.bbox->x, 697);
  EXPECT_NEAR(block.bbox->y, 514.2f, 1e-3);
  EXPECT_FLOAT_EQ(block.bbox->width, 12);
  EXPECT_NEAR(block.bbox->height, 25.8f, 1e-3);
  const ir::Page upside = single_page("/Rotate -180 /MediaBox [5 5 105 205] /Contents 2 0 R", {{2, content}});
  EXPECT_EQ(upside.bbox, (ir::BBox{0, 0, 100, 200}));
}

TEST(PdfPage, ContentWarnings) {
  const ir::Page page = single_page("/Contents [7 0 R 8 0 R 9 0 R 10 0 R]",
                                    {{8, "<< /Type /XObject >>"},
                                     {9, "<< /Filter /LZWDecode >>\nstream\nabc\nendstream"},
                                     {10, "<< /Filter /FlateDecode >>\nstream\nnot zlib\nendstream"}},
                                    3);
  ASSERT_EQ(page.warnings.size(), 4u);
  EXPECT_EQ(page.warnings[0].code, "pdf.missing_content");
  EXPECT_EQ(page.warnings[0].message, "page content stream is missing");
  EXPECT_EQ(page.warnings[1].code, "pdf.missing_content");
  EXPECT_EQ(page.warnings[2].code, "pdf.stream_decode");
  EXPECT_EQ(page.warnings[2].message, "PDF error: unsupported stream filter: LZWDecode");
  EXPECT_EQ(page.warnings[3].message.rfind("PDF error: FlateDecode failed: ", 0), 0u);
  ASSERT_TRUE(page.warnings[0].source_anchor.has_value());
  EXPECT_EQ(page.warnings[0].source_anchor->page_number, 3u);
  EXPECT_EQ(page.warnings[0].source_anchor->extraction_method, "native_pdf");
}

TEST(PdfPage, StreamsStartFromAFreshState) {
  const ir::Page page =
      single_page("/Contents [2 0 R 3 0 R] /Resources << /Font << /F1 4 0 R >> >>",
                  {{2, testing::stream_body("", "q 1 0 0 1 100 100 cm BT /F1 20 Tf (one) Tj ET")},
                   {3, testing::stream_body("", "BT 0 300 Td (two) Tj ET")},
                   {4, "<< /Type /Font /BaseFont /Helvetica-Oblique >>"}});
  // Lines come top down: the second stream's "two" (y = 300) reads first.
  ASSERT_EQ(page.blocks.size(), 2u);
  const auto& second = std::get<ir::TextBlock>(page.blocks[0]);
  EXPECT_EQ(second.text, "two");
  EXPECT_FLOAT_EQ(second.bbox->x, 0);
  EXPECT_FLOAT_EQ(second.lines.at(0).spans.at(0).size.value(), 12);
  EXPECT_FALSE(second.lines.at(0).spans.at(0).italic);
  EXPECT_EQ(second.source_anchors.at(0).pdf_object_ids, std::vector<std::string>{"3 0 R"});
}

TEST(PdfPage, ImagesAndFigureBlocks) {
  const std::string content =
      testing::stream_body("", "q 200 0 0 100 50 60 cm /Im0 Do Q /Im1 Do /Im2 Do /Fm0 Do");
  const ir::Page page = single_page(
      "/Contents 2 0 R /Resources << /XObject << /Im0 5 0 R /Im1 6 0 R "
      "/Im2 7 0 R /Fm0 8 0 R >> >>",
      {{2, content},
       {5, "<< /Type /XObject /Subtype /Image /Width 640 /Height -4 >>"},
       {6, "<< /Subtype/Image >>"},
       {7, "<< /Subtype\r\n\t/Image >>"},
       {8, "<< /Subtype /Form >>"}},
      3);
  ASSERT_EQ(page.images.size(), 3u);
  const ir::ImageObject& image = page.images[0];
  EXPECT_EQ(image.id, "image-3-Im0");
  EXPECT_EQ(image.object_id, "5 0 R");
  EXPECT_EQ(image.bbox, (ir::BBox{50, 60, 200, 100}));
  EXPECT_EQ(image.width, 640u);
  EXPECT_EQ(image.height, 0u);
  EXPECT_FALSE(page.images[1].width.has_value());
  ASSERT_EQ(page.assets.size(), 3u);
  EXPECT_EQ(page.assets[0].kind, "image");
  EXPECT_EQ(page.assets[0].bbox, image.bbox);
  ASSERT_EQ(page.blocks.size(), 3u);
  const auto& figure = std::get<ir::FigureBlock>(page.blocks[0]);
  EXPECT_EQ(figure.alt_text, "Image image-3-Im0");
  EXPECT_EQ(figure.image_ref, "image-3-Im0");
  EXPECT_FALSE(figure.caption.has_value());
  EXPECT_EQ(figure.source_anchors.at(0).pdf_object_ids, std::vector<std::string>{"5 0 R"});
  EXPECT_FLOAT_EQ(figure.confidence->score, 0.6f);
}

TEST(PdfPage, CompressedAndAscii85Content) {
  const std::string compressed = testing::zlib_compress("BT 10 10 Td (deflated) Tj ET");
  const ir::Page page =
      single_page("/Contents [2 0 R 3 0 R]",
                  {{2, testing::stream_body("/Filter /FlateDecode", compressed)},
                   // "BT (a85) Tj ET" in ASCII85
                   {3, testing::stream_body("/Filter /ASCII85Decode", "<~6<#'U@5p+n+B3(u78s~>")}});
  // Two lines 10 units apart, the second starting lowercase: one paragraph.
  ASSERT_EQ(page.blocks.size(), 1u);
  EXPECT_EQ(std::get<ir::TextBlock>(page.blocks[0]).text, "deflated a85");
}

TEST(PdfPage, ToUnicodeFontsDecodeShownText) {
  const std::string cmap =
      "begincmap\n1 beginbfchar\n<0001> <0048>\nendbfchar\n1 beginbfrange\n<0002> <0003> "
      "<0069>\nendbfrange\nendcmap";
  const ir::Page page =
      single_page("/Contents 2 0 R /Resources << /Font << /F1 4 0 R >> >>",
                  {{2, testing::stream_body("", "BT /F1 10 Tf <000100020003> Tj ET")},
                   {4, "<< /Type /Font /Subtype /Type0 /BaseFont /ABCDEF+Foo /ToUnicode 5 0 R >>"},
                   {5, testing::stream_body("/Filter /FlateDecode", testing::zlib_compress(cmap))}});
  ASSERT_EQ(page.blocks.size(), 1u);
  EXPECT_EQ(std::get<ir::TextBlock>(page.blocks[0]).text, "Hij");
}

}  // namespace
}  // namespace scrivex_core::pdf

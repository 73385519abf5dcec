#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/pdf/extract_pdf.hpp"
#include "core/pdf/scanner.hpp"
#include "core/util/limits.hpp"
#include "core/util/parallel_map.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

using testing::object_stream_body;
using testing::PdfWriter;
using testing::zlib_compress;

constexpr const char* kPageTree = "<< /Type /Pages /Kids [3 0 R] /Count 1 /MediaBox [0 0 612 792] >>";

std::string error_of(std::string_view data) {
  auto result = parse_pdf_pages(data, 1);
  return result ? "ok" : result.error().display();
}

ir::Document load(const std::string& data, std::size_t threads = 1) {
  const std::vector<std::uint8_t> bytes(data.begin(), data.end());
  auto result = extract_pdf(bytes, source::Source{}, "pdf-native", threads);
  EXPECT_TRUE(result.ok()) << (result ? "" : result.error().display());
  return result ? std::move(result).value() : ir::Document{};
}

std::string text_of(const ir::Page& page) {
  std::string text;
  for (const ir::Block& block : page.blocks) {
    if (const auto* t = std::get_if<ir::TextBlock>(&block)) text += t->text + "|";
  }
  return text;
}

TEST(PdfDocument, LoadErrors) {
  EXPECT_EQ(error_of("%PDF"), "PDF error: missing %PDF header");
  EXPECT_EQ(error_of("%PDX-1.4\n1 0 obj\n<< /Type /Page >>\nendobj\n"), "PDF error: missing %PDF header");
  EXPECT_EQ(error_of("%PDF-1.4\n 1 0 obj\n<< /Type /Page >>\nendobj\n"),
            "PDF error: no indirect objects found");
  EXPECT_EQ(error_of(PdfWriter().object(1, "<< /Type /Catalog >>").build()),
            "PDF error: no page objects found");
  EXPECT_EQ(error_of(PdfWriter().object(1, "<< /Type /Pages >>").build()),
            "PDF error: no page objects found");
}

TEST(PdfScanner, ObjectHeadersOnlyAtLineStarts) {
  const std::string data =
      "%PDF-1.4\n3  0\nobj << /A 1 >> endobj 4 0 obj << /B >> endobj\r5 0 obj<</C>>endobj\n 6 0 obj <<>> "
      "endobj\n";
  std::vector<std::uint32_t> numbers;
  for (const ObjectHandle& object : scan_objects(data)) numbers.push_back(object->number());
  EXPECT_EQ(numbers, (std::vector<std::uint32_t>{3, 5}));
}

TEST(PdfScanner, MissingEndobjEndsTheScan) {
  const std::string data = "%PDF-1.4\n1 0 obj\n<< /A >>\nendobj\n2 0 obj\n<< /B >>\n3 0 obj\n<< >>\nendobj\n";
  const auto objects = scan_objects(data);
  ASSERT_EQ(objects.size(), 2u);  // object 2 swallows object 3's header
  EXPECT_EQ(objects[1]->number(), 2u);
  EXPECT_EQ(scan_objects("%PDF-1.4\n1 0 obj\n<< /A >>\n").size(), 0u);
}

TEST(PdfDocument, LaterObjectWinsAndFileObjectsBeatObjectStreams) {
  const std::string content = "BT /F1 12 Tf 72 700 Td (first) Tj ET";
  const std::string data =
      PdfWriter()
          .object(2, kPageTree)
          .object(3, "<< /Type /Page /Parent 2 0 R /Contents 7 0 R >>")
          .stream(7, "", "BT (old) Tj ET")
          .stream(7, "", content)
          .object(9, object_stream_body({{7, "<< >>\nstream\nBT (packed) Tj ET\nendstream"},
                                         {10, "<< /Producer (x) /Title (Packed title) >>"}}))
          .build();
  const ir::Document document = load(data);
  ASSERT_EQ(document.pages.size(), 1u);
  EXPECT_EQ(text_of(document.pages[0]), "first|");
  EXPECT_EQ(document.metadata.title, "Packed title");
  ASSERT_EQ(document.warnings.size(), 1u);
  EXPECT_EQ(document.warnings[0].code, "pdf.object_stream");
  EXPECT_EQ(document.warnings[0].severity, "info");
  EXPECT_FALSE(document.warnings[0].source_anchor.has_value());
}

TEST(PdfDocument, PagesInsideObjectStreams) {
  const std::string data =
      PdfWriter()
          .object(9, object_stream_body({{2, kPageTree},
                                         {3, "<< /Type /Page /Parent 2 0 R /Contents 7 0 R >>"},
                                         {4, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 400] >>"}}))
          .stream(7, "/Filter /FlateDecode", zlib_compress("BT 10 10 Td (packed page) Tj ET"))
          .build();
  const ir::Document document = load(data);
  ASSERT_EQ(document.pages.size(), 2u);
  EXPECT_EQ(text_of(document.pages[0]), "packed page|");
  EXPECT_EQ(document.pages[1].width, 300.0f);
  EXPECT_EQ(document.pages[0].width, 612.0f);
}

TEST(PdfDocument, MalformedObjectStreamsAreSkipped) {
  const std::string page = "<< /Type /Page >>";
  const std::string bad_offsets =
      testing::stream_body("/Type /ObjStm /N 2 /First 8 /Filter /FlateDecode",
                           zlib_compress("5 9 6 2 << /Type /Page >>"));  // object 5 ends before it starts
  const std::string data =
      PdfWriter()
          .object(1, page)
          .object(8, bad_offsets)
          .object(9, testing::stream_body("/Type /ObjStm /N 1 /First 500", "5 0 <<>>"))
          .object(10, testing::stream_body("/Type /ObjStm /First 0", "5 0 <<>>"))
          .object(11, "<< /Type /ObjStm /N 1 /First 4 /Filter /LZWDecode >>\nstream\nx\nendstream")
          .build();
  EXPECT_EQ(load(data).pages.size(), 2u);  // the page and object 6 of stream 8
}

TEST(PdfDocument, Title) {
  struct Case {
    std::vector<std::string> bodies;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{"<< /Producer (x) /Title (Report) >>"}, "Report"},
      {{"<< /Title <FEFF0041> /Author (Bob) >>"}, "A"},
      {{"<< /Title<FEFF00480069>/Creator (c) >>"}, "Hi"},
      {{"<< /Title 12 0 R /Author (Bob) >>", "<< /Creator (c) /Title (Second) >>"}, "Second"},
      {{"<< /Title (No producer) >>"}, std::nullopt},
      {{"<< /Author (Bob) /Title () >>"}, ""},
      {{"<< /Author (x) /Title (Caf\\351) >>"}, "Caf\u00E9"},
  };
  for (const Case& c : cases) {
    PdfWriter writer;
    writer.object(1, "<< /Type /Page >>");
    std::uint32_t number = 20;
    for (const std::string& body : c.bodies) writer.object(number++, body);
    EXPECT_EQ(load(writer.build()).metadata.title, c.expected) << c.bodies.front();
  }
}

TEST(PdfDocument, InheritedEntriesAndPageOrder) {
  const std::string data =
      PdfWriter()
          .object(1,
                  "<< /Type /Pages /Kids [4 0 R 3 0 R] /Resources 5 0 R /MediaBox [0 0 500 600] /Rotate 0 >>")
          .object(2, "<< /Type /Pages /Parent 1 0 R /Kids [3 0 R] /MediaBox [0 0 400 450] >>")
          .object(3, "<< /Type /Page /Parent 2 0 R /Contents 6 0 R >>")
          .object(4, "<< /Type /Page /Parent 1 0 R /MediaBox [0 0 100 200] /Contents 6 0 R >>")
          .object(5, "<< /Font << /F1 7 0 R >> >>")
          .stream(6, "", "BT /F1 10 Tf 20 20 Td (x) Tj ET")
          .object(7, "<< /Type /Font /BaseFont /Helvetica-Bold >>")
          .build();
  const ir::Document document = load(data);
  ASSERT_EQ(document.pages.size(), 2u);
  EXPECT_EQ(document.pages[0].width, 400.0f);  // the nearer ancestor wins
  EXPECT_EQ(document.pages[0].height, 450.0f);
  EXPECT_EQ(document.pages[1].width, 100.0f);  // file order, not /Kids order
  const auto& block = std::get<ir::TextBlock>(document.pages[0].blocks.at(0));
  EXPECT_TRUE(block.lines.at(0).spans.at(0).bold);  // /Resources inherited from the grandparent
  EXPECT_EQ(document.pages[0].rotation, 0);
}

TEST(PdfDocument, ParentCyclesAreBounded) {
  const std::string data = PdfWriter()
                               .object(1, "<< /Type /Pages /Parent 1 0 R /MediaBox [0 0 10 20] >>")
                               .object(2, "<< /Type /Page /Parent 1 0 R >>")
                               .build();
  EXPECT_EQ(load(data).pages.at(0).width, 10.0f);
}

TEST(PdfDocument, InheritedTextIsBounded) {
  const std::string huge(limits::kMaxPdfInheritedTextBytes, ' ');
  const std::string data = PdfWriter()
                               .object(1, "<< /Type /Pages /MediaBox [0 0 10 20] /Padding (" + huge + ") >>")
                               .object(2, "<< /Type /Pages /Kids [3 0 R] /Parent 1 0 R >>")
                               .object(3, "<< /Type /Page /Parent 2 0 R >>")
                               .build();
  EXPECT_EQ(load(data).pages.at(0).width, 612.0f);  // the oversized ancestor is not appended
}

TEST(PdfDocument, EncryptionAndObjectStreamWarningsInOrder) {
  const std::string data = PdfWriter()
                               .object(1, "<< /Type /Page /Contents 2 0 R >>")
                               .object(2, "<< /Length 4 >>\nstream\n\x8a\x01\xff\x12\nendstream")
                               .object(3, "<< /Type /ObjStm /N 0 /First 0 >>\nstream\n\nendstream")
                               .build("/Encrypt 9 0 R");
  const ir::Document document = load(data);
  EXPECT_TRUE(document.metadata.encrypted);
  ASSERT_EQ(document.warnings.size(), 2u);
  EXPECT_EQ(document.warnings[0].code, "pdf.encrypted");
  EXPECT_EQ(document.warnings[0].message, "document declares encryption; extraction may be incomplete");
  EXPECT_EQ(document.warnings[1].code, "pdf.object_stream");
}

TEST(PdfDocument, Metadata) {
  const std::string data = PdfWriter()
                               .object(1, "<< /Type /Page /Contents [2 0 R 3 0 R] >>")
                               .stream(2, "", "BT 10 700 Td (one two) Tj ET")
                               .stream(3, "", "BT 10 600 Td (three) Tj ET")
                               .build();
  source::Source source;
  source.path = "/tmp/report.pdf";
  const std::vector<std::uint8_t> bytes(data.begin(), data.end());
  auto result = extract_pdf(bytes, source, "pdf-native", 1);
  ASSERT_TRUE(result.ok());
  const ir::Metadata& metadata = result.value().metadata;
  EXPECT_EQ(metadata.format, "pdf");
  EXPECT_EQ(metadata.engine, "pdf-native");
  EXPECT_EQ(metadata.source, "/tmp/report.pdf");
  EXPECT_EQ(metadata.pdf_version, "1.7");
  EXPECT_EQ(metadata.file_size_bytes, data.size());
  EXPECT_EQ(metadata.block_count, 2u);
  EXPECT_EQ(metadata.word_count, 3u);
  EXPECT_EQ(metadata.character_count, std::string("one two\nthree\n").size());
  EXPECT_FALSE(metadata.encrypted);
}

TEST(PdfDocument, PdfVersion) {
  const std::string body = "\n1 0 obj\n<< /Type /Page >>\nendobj\n";
  EXPECT_EQ(load("%PDF-1.7" + body).metadata.pdf_version, "1.7");
  EXPECT_EQ(load("%PDF-\r" + body).metadata.pdf_version, "");
  EXPECT_EQ(load("%PDF-\xFF" + body).metadata.pdf_version, std::nullopt);
}

// The pages are extracted on worker threads; the result must not depend on how many.
TEST(PdfDocument, OutputDoesNotDependOnThreadCount) {
  PdfWriter writer;
  writer.object(1, "<< /Type /Pages /Resources << /Font << /F1 2 0 R /F2 3 0 R >> >> >>");
  writer.object(2, "<< /Type /Font /BaseFont /Times-Italic >>");
  writer.object(3, "<< /Type /Font /BaseFont /Times-Bold /Encoding << /Differences [65 /alpha] >> >>");
  for (std::uint32_t i = 0; i < 40; ++i) {
    const std::uint32_t page = 10 + 2 * i;
    writer.object(page, "<< /Type /Page /Parent 1 0 R /Contents " + std::to_string(page + 1) + " 0 R >>");
    writer.stream(
        page + 1, "",
        "BT /F" + std::to_string(1 + i % 2) + " 11 Tf 50 700 Td (Page A " + std::to_string(i) + ") Tj ET");
  }
  const std::string data = writer.build();
  const ir::Document one = load(data, 1);
  ASSERT_EQ(one.pages.size(), 40u);
  EXPECT_EQ(text_of(one.pages[1]), "Page \u03B1 1|");
  EXPECT_EQ(load(data, 4), one);
  EXPECT_EQ(load(data, 0), one);
}

// The task pool under the page phase: results in input order, failures rethrown after the join.
TEST(PdfParallelMap, OrderAndFailures) {
  std::vector<int> items(100);
  for (int i = 0; i < 100; ++i) items[i] = i;
  for (std::size_t threads : {1u, 3u, 8u}) {
    const std::vector<int> squares = util::parallel_map(
        items, [](int i) { return i * i; }, threads);
    ASSERT_EQ(squares.size(), 100u);
    EXPECT_EQ(squares[99], 99 * 99);
    EXPECT_THROW(util::parallel_map(
                     items, [](int i) { return i == 50 ? throw std::runtime_error("x"), 0 : i; }, threads),
                 std::runtime_error);
  }
  EXPECT_TRUE(util::parallel_map(std::vector<int>{}, [](int i) { return i; }).empty());
}

}  // namespace
}  // namespace scrivex_core::pdf

#include "core/openxml/openxml_engine.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/openxml/office_readers.hpp"
#include "core/openxml/xml_scan.hpp"
#include "tests/core/zip_test_writer.hpp"

namespace scrivex_core::openxml {
namespace {

using testing_zip::make_zip;
using testing_zip::ZipTestEntry;

std::vector<std::string> texts(const std::vector<std::string_view>& views) {
  return std::vector<std::string>(views.begin(), views.end());
}

// The block texts of a one-page document.
std::vector<std::string> paragraphs_of(const ir::Document& document) {
  std::vector<std::string> out;
  for (const ir::Block& block : document.pages.at(0).blocks)
    out.push_back(std::get<ir::TextBlock>(block).text);
  return out;
}

Result<ir::Document> extract(const std::vector<ZipTestEntry>& entries, const std::string& label) {
  return OpenXmlEngine{}.extract(testing_zip::binary_source(make_zip(entries), label));
}

std::vector<std::string> extract_paragraphs(const std::vector<ZipTestEntry>& entries,
                                            const std::string& label) {
  const auto result = extract(entries, label);
  EXPECT_TRUE(result.ok()) << result.error().display();
  return result.ok() ? paragraphs_of(result.value()) : std::vector<std::string>{"<error>"};
}

TEST(XmlScan, TaggedRangesMatchNamesAsPrefixesWithoutNesting) {
  struct Case {
    std::string text, name;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"<w:t>a</w:t><w:t xml:space=\"preserve\"> b</w:t>", "w:t", {"a", " b"}},
      {"<w:tab/><w:t>x</w:t>", "w:t", {"<w:t>x"}},     // prefix match, self-closing not recognised
      {"<a><a>inner</a>tail</a>", "a", {"<a>inner"}},  // first closing tag ends the range
      {"<t>one</t><t>unclosed", "t", {"one"}},         // the scan keeps what it found
      {"<t attr='>'>x</t>", "t", {"'>x"}},             // the tag ends at the first '>'
      {"no tags", "t", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(texts(tagged_ranges(c.text, c.name)), c.expected) << c.text;
}

TEST(XmlScan, UnescapesThePredefinedEntitiesOnce) {
  EXPECT_EQ(xml_unescape("&amp;lt; &lt;b&gt; &quot;q&quot; &apos;a&apos; &#65; &nbsp; &amp"),
            "&lt; <b> \"q\" 'a' &#65; &nbsp; &amp");
}

TEST(OfficeReaders, SlideSortKeyReadsDigitsOfTheLastComponent) {
  EXPECT_EQ(slide_sort_key("ppt/slides/slide12.xml"), 12u);
  EXPECT_EQ(slide_sort_key("ppt/slides2/slide1.xml"), 1u);
  EXPECT_EQ(slide_sort_key("ppt/slides/slide.xml"), UINT64_MAX);
  EXPECT_EQ(slide_sort_key("ppt/slides/s99999999999999999999.xml"), UINT64_MAX);
}

TEST(OfficeReaders, CellTextFromValueOrSharedString) {
  const std::vector<std::string> shared = {"zero", "", "two", "three"};
  struct Case {
    std::string tag, content;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"<c r=\"A1\" t=\"s\">", "<v>3</v>", "three"},
      {"<c r='A1' t='s'>", "<v> +2 </v>", "two"},
      {"<c t=\"s\">", "<v>7</v>", std::nullopt},  // past the table
      {"<c t=\"s\">", "<v>1</v>", std::nullopt},  // empty shared string
      {"<c t=\"s\">", "<v>-1</v>", std::nullopt},
      {"<c t=\"s\">", "<v>+</v>", std::nullopt},
      {"<c t=\"s\">", "<v>99999999999999999999</v>", std::nullopt},
      {"<c r=\"B2\">", "<f>A1*2</f><v> 42 </v>", "42"},  // formula: cached value
      {"<c t=\"str\">", "<v>a &amp; b</v>", "a & b"},
      {"<c t=\"inlineStr\">", "<is><t>inline</t></is>", std::nullopt},
      {"<c>", "<v>  </v>", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(xlsx_cell_text(c.tag, c.content, shared), c.expected) << c.content;
}

TEST(OpenXmlEngine, ReadsDocxParagraphs) {
  const std::string body =
      "<w:document><w:body>"
      "<w:p><w:r><w:t>Hel</w:t></w:r><w:r><w:t>lo</w:t></w:r></w:p>"
      "<w:p><w:r><w:t>  spaced \n out </w:t></w:r></w:p>"
      "<w:p><w:r><w:t>&amp;lt;</w:t></w:r></w:p>"
      "<w:p></w:p>"
      "<w:p><m:oMath><t>fallback</t></m:oMath></w:p>"
      "</w:body></w:document>";
  EXPECT_EQ(extract_paragraphs({{"word/document.xml", body}}, "word"),
            (std::vector<std::string>{"Hello", "spaced out", "&lt;", "fallback"}));
  const auto missing = extract({{"word/other.xml", body}}, "word");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().display(), "archive error: DOCX missing word/document.xml");
}

TEST(OpenXmlEngine, ReadsSlidesInNumericOrder) {
  auto slide = [](std::string text) {
    return "<p:sld><a:p><a:r><a:t>" + text + "</a:t></a:r></a:p></p:sld>";
  };
  EXPECT_EQ(extract_paragraphs({{"ppt/slides/slide10.xml", slide("ten")},
                                {"ppt/slides/slide2.xml", slide("two")},
                                {"ppt/slides/_rels/slide1.xml.rels", "<a:p><a:t>rels</a:t></a:p>"},
                                {"ppt/slides/slide1.xml", slide("one")},
                                {"ppt/notesSlides/notesSlide1.xml", slide("notes")}},
                               "presentation"),
            (std::vector<std::string>{"one", "two", "ten"}));
  const auto missing = extract({{"ppt/presentation.xml", "<p/>"}}, "presentation");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().display(), "archive error: PPTX missing ppt/slides/*.xml");
}

TEST(OpenXmlEngine, ReadsSheetRowsInNameOrder) {
  const std::string shared =
      "<sst><si><t>Name</t></si><si><r><t>Ad</t></r><r><t>a</t></r></si><si/><si><t></t></si></sst>";
  auto sheet = [](std::string rows) { return "<worksheet><sheetData>" + rows + "</sheetData></worksheet>"; };
  EXPECT_EQ(extract_paragraphs(
                {{"xl/sharedStrings.xml", shared},
                 {"xl/worksheets/sheet2.xml", sheet("<row><c t=\"s\"><v>0</v></c></row>")},
                 {"xl/worksheets/sheet1.xml",
                  sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B1\" t=\"s\"><v>7</v></c>"
                        "<c r=\"C1\"><v>36</v></c></row><row r=\"2\"><c t=\"s\"><v>3</v></c></row>")},
                 {"xl/worksheets/sheet10.xml", sheet("<row><c><v>10</v></c></row>")}},
                "excel"),
            (std::vector<std::string>{"Ada 36", "10", "Name"}));
  EXPECT_EQ(extract_paragraphs({{"xl/workbook.xml", "<workbook/>"}}, "excel"), std::vector<std::string>{});
}

TEST(OpenXmlEngine, OpenDocumentTablesReplaceProse) {
  const std::string prose =
      "<office:text><text:p text:style-name=\"P1\">First <text:span>styled</text:span> &amp;amp; "
      "done</text:p>"
      "<text:p/><text:p>Second</text:p></office:text>";
  EXPECT_EQ(extract_paragraphs({{"content.xml", prose}}, "opendocument"),
            (std::vector<std::string>{"First styled & done", "Second"}));
  const std::string table =
      "<text:p>Outside</text:p><table:table>"
      "<table:table-row><table:table-cell><text:p>a</text:p><text:p>b</text:p></table:table-cell>"
      "<table:table-cell><text:p>c</text:p></table:table-cell></table:table-row>"
      "<table:table-row><table:table-cell></table:table-cell></table:table-row>"
      "<table:table-row><table:table-cell><text:p>d</text:p></table:table-cell></table:table-row></"
      "table:table>";
  EXPECT_EQ(extract_paragraphs({{"content.xml", prose + table}}, "opendocument"),
            (std::vector<std::string>{"a b c", "d"}));
  const auto missing = extract({{"styles.xml", prose}}, "opendocument");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().display(), "archive error: OpenDocument missing content.xml");
}

TEST(OpenXmlEngine, OtherLabelsGiveEmptyDocumentAndZipErrorsPassThrough) {
  const auto other = extract({{"word/document.xml", "<w:p><w:t>x</w:t></w:p>"}}, "archive");
  ASSERT_TRUE(other.ok());
  EXPECT_TRUE(other.value().pages.at(0).blocks.empty());
  const auto broken =
      OpenXmlEngine{}.extract(testing_zip::binary_source(testing_zip::bytes_of("PK"), "word"));
  ASSERT_FALSE(broken.ok());
  EXPECT_EQ(broken.error().display(), "archive error: missing ZIP directory");
}

struct RealDocument {
  std::string file, label;
  std::vector<std::string> expected;
};

// Files converted by LibreOffice from the texts in make_fixtures.sh.
TEST(OpenXmlEngine, ReadsLibreOfficeFiles) {
  const std::vector<std::string> letter = {"Alpha paragraph one.", "Beta & <gamma> paragraph two.",
                                           "Café ünïcode three."};
  // OpenDocument text is unescaped before the markup is stripped, so the
  // escaped "<gamma>" reads as a tag and disappears.
  std::vector<std::string> odt_letter = letter;
  odt_letter[1] = "Beta & paragraph two.";
  const std::vector<std::string> sheet = {"Name City Score", "Ada London 36", "Bob Paris & Lyon 7"};
  std::vector<std::string> deck;
  for (int i = 1; i <= 11; ++i) deck.push_back("Slide " + std::to_string(i) + " says hello");
  const std::vector<RealDocument> cases = {
      {"letter.docx", "word", letter},     {"letter.odt", "opendocument", odt_letter},
      {"sheet.xlsx", "excel", sheet},      {"sheet.ods", "opendocument", sheet},
      {"deck.pptx", "presentation", deck}, {"deck.odp", "opendocument", deck},
  };
  for (const RealDocument& c : cases) {
    const auto result = OpenXmlEngine{}.extract(
        testing_zip::binary_source(testing_zip::read_fixture("office/" + c.file), c.label, c.file));
    ASSERT_TRUE(result.ok()) << c.file << ": " << result.error().display();
    EXPECT_EQ(paragraphs_of(result.value()), c.expected) << c.file;
    EXPECT_EQ(result.value().metadata.engine, "openxml-native");
    EXPECT_EQ(result.value().metadata.format, c.label);
  }
}

}  // namespace
}  // namespace scrivex_core::openxml

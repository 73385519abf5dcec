// The layout stages on a PDF written by a real producer: LibreOffice renders
// a small document (a centred title, headings, a full-width paragraph and a
// two-column section) made in the set-up. Skips when soffice is absent.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/pipeline/load.hpp"
#include "core/util/child_process.hpp"

namespace scrivex_core {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "Layout Check Title";
constexpr const char* kIntroduction =
    "Opening words come first and they run across the whole width of the page so that the paragraph wraps "
    "onto a second line of text before it ends.";
// Lowercase after the first word, so that every wrapped line continues its
// paragraph. The producer shows each column line as one run, so the column
// rows alone would line up as the rows of a two-column table; a bold word
// gives one row a third run, as real prose has.
constexpr const char* kLeftColumnBefore = "Leftside words fill the first column with ";
constexpr const char* kLeftColumnBold = "plain";
constexpr const char* kLeftColumnAfter =
    " lowercase text that goes on for several lines so that the column holds a long paragraph of its own "
    "here.";
constexpr const char* kLeftColumn =
    "Leftside words fill the first column with plain lowercase text that goes on for several lines so that "
    "the column holds a long paragraph of its own here.";
constexpr const char* kRightColumn =
    "Rightside words fill the second column with more plain lowercase text that also goes on for several "
    "lines so that this column is as long as the other.";

// Body text at 11 points, headings at 16 and a title at 24; the second
// column paragraph starts with a column break. column_gap is an ODF length.
std::string flat_document(const std::string& column_gap) {
  return std::string(R"(<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.text">
 <office:styles>
  <style:style style:name="Standard" style:family="paragraph">
   <style:text-properties fo:font-size="11pt"/>
  </style:style>
  <style:style style:name="Title" style:family="paragraph">
   <style:paragraph-properties fo:text-align="center" fo:margin-bottom="0.2in"/>
   <style:text-properties fo:font-size="24pt" fo:font-weight="bold"/>
  </style:style>
  <style:style style:name="Heading_20_1" style:display-name="Heading 1" style:family="paragraph">
   <style:paragraph-properties fo:margin-top="0.2in" fo:margin-bottom="0.1in"/>
   <style:text-properties fo:font-size="16pt" fo:font-weight="bold"/>
  </style:style>
 </office:styles>
 <office:automatic-styles>
  <style:style style:name="Columns" style:family="section">
   <style:section-properties><style:columns fo:column-count="2" fo:column-gap=")" +
                     column_gap + R"("/></style:section-properties>
  </style:style>
  <style:style style:name="Strong" style:family="text">
   <style:text-properties fo:font-weight="bold"/>
  </style:style>
  <style:style style:name="Break" style:family="paragraph" style:parent-style-name="Standard">
   <style:paragraph-properties fo:break-before="column"/>
  </style:style>
 </office:automatic-styles>
 <office:body>
  <office:text>
   <text:p text:style-name="Title">)") +
         kTitle + R"(</text:p>
   <text:h text:style-name="Heading_20_1" text:outline-level="1">Introduction</text:h>
   <text:p text:style-name="Standard">)" +
         kIntroduction + R"(</text:p>
   <text:h text:style-name="Heading_20_1" text:outline-level="1">Two Columns</text:h>
   <text:section text:style-name="Columns" text:name="Cols">
    <text:p text:style-name="Standard">)" +
         kLeftColumnBefore + R"(<text:span text:style-name="Strong">)" + kLeftColumnBold + "</text:span>" +
         kLeftColumnAfter + R"(</text:p>
    <text:p text:style-name="Break">)" +
         kRightColumn + R"(</text:p>
   </text:section>
  </office:text>
 </office:body>
</office:document>
)";
}

// Two renderings: columns with a gutter wider than a column, and columns with
// an ordinary half-inch gutter.
class PdfLayoutRealProducer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = fs::temp_directory_path() / ("scrivex-layout-real-" + std::to_string(::getpid()));
    fs::create_directories(*dir_);
    std::ofstream(*dir_ / "wide.fodt", std::ios::binary) << flat_document("2.6in");
    std::ofstream(*dir_ / "narrow.fodt", std::ios::binary) << flat_document("0.5in");
    // A private profile, so parallel runs do not share LibreOffice's lock;
    // one start of the program converts both files.
    const auto converted =
        util::run_program("soffice", {"-env:UserInstallation=file://" + (*dir_ / "profile").string(),
                                      "--headless", "--convert-to", "pdf", "--outdir", dir_->string(),
                                      (*dir_ / "wide.fodt").string(), (*dir_ / "narrow.fodt").string()});
    if (!converted) {
      soffice_missing_ = true;
      return;
    }
    conversion_log_ = converted.value().standard_output + converted.value().standard_error;
  }

  static void TearDownTestSuite() {
    std::error_code ignored;
    if (dir_) fs::remove_all(*dir_, ignored);
    dir_.reset();
  }

  void SetUp() override {
    if (soffice_missing_) GTEST_SKIP() << "soffice is not installed";
  }

  // The single page of a converted file.
  static std::optional<ir::Page> page(const std::string& name) {
    auto loaded = pipeline::load_path((*dir_ / (name + ".pdf")).string());
    EXPECT_TRUE(loaded.ok()) << name << ": " << conversion_log_;
    if (!loaded) return std::nullopt;
    EXPECT_EQ(loaded.value().pages.size(), 1u) << name;
    if (loaded.value().pages.size() != 1) return std::nullopt;
    return std::move(loaded).value().pages[0];
  }

  // (kind, text) of the page's blocks in order; "other" for a non-text block.
  static std::vector<std::pair<std::string, std::string>> blocks(const ir::Page& page) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const ir::Block& block : page.blocks) {
      if (const auto* text = std::get_if<ir::TextBlock>(&block)) {
        out.emplace_back(text->kind, text->text);
      } else {
        out.emplace_back("other", "");
      }
    }
    return out;
  }

  static inline const std::vector<std::pair<std::string, std::string>> kExpected = {
      {"heading_1", kTitle},        {"heading_2", "Introduction"}, {"paragraph", kIntroduction},
      {"heading_2", "Two Columns"}, {"paragraph", kLeftColumn},    {"paragraph", kRightColumn},
  };

  static inline std::optional<fs::path> dir_;
  static inline std::string conversion_log_;
  static inline bool soffice_missing_ = false;
};

TEST_F(PdfLayoutRealProducer, ColumnsReadLeftThenRightWithHeadings) {
  const auto wide = page("wide");
  ASSERT_TRUE(wide.has_value());
  EXPECT_EQ(blocks(*wide), kExpected);
}

// An ordinary gutter: every full left-column line reaches past the point
// halfway between the two columns' left edges, yet the columns still read
// left then right.
TEST_F(PdfLayoutRealProducer, ColumnsWithAnOrdinaryGutter) {
  const auto narrow = page("narrow");
  ASSERT_TRUE(narrow.has_value());
  EXPECT_EQ(blocks(*narrow), kExpected);
}

TEST_F(PdfLayoutRealProducer, EveryBlockAnchoredToItsPage) {
  const auto wide = page("wide");
  ASSERT_TRUE(wide.has_value());
  for (const ir::Block& block : wide->blocks) {
    const auto* text = std::get_if<ir::TextBlock>(&block);
    ASSERT_NE(text, nullptr);
    ASSERT_FALSE(text->source_anchors.empty()) << text->text;
    EXPECT_EQ(text->lines.size(), text->source_anchors.size()) << text->text;
    for (const ir::SourceAnchor& source : text->source_anchors) {
      EXPECT_EQ(source.page_number, 1u);
      EXPECT_EQ(source.extraction_method, "native_pdf");
      EXPECT_FALSE(source.pdf_object_ids.empty());
    }
  }
}

}  // namespace
}  // namespace scrivex_core

#include "core/format/format.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace scrivex_core::format {
namespace {

// The extension used for detection: lower-cased, and looked through ".gz"
// only when the inner extension is a compressed text format.
TEST(EffectiveExtension, FollowsTheLastComponentAndTheGzipInnerList) {
  struct Case {
    std::string path;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"paper.TEX", "tex"},
      {"data.json.gz", "json"},
      {"bundle.tar.gz", "tar"},
      {"image.png.gz", "gz"},
      {"page.html.gz", "gz"},
      {"notes.gz", "gz"},
      {"NOTES.MD.GZ", "md"},
      {"archive.tgz", "tgz"},
      {"dir.v2/Makefile", std::nullopt},
      {"Makefile", std::nullopt},
      {".bashrc", std::nullopt},
      {"a.", ""},
      {"/srv/docs.d/report.PDF", "pdf"},
      {"dir/x.txt/", "txt"},
      {"a..gz", "gz"},
      {"x.\xFFtxt", std::nullopt},
      {"\xFF.txt.gz", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(effective_extension(c.path), c.expected) << c.path;
  }
}

TEST(DetectFormat, MapsEveryExtensionToItsLabel) {
  struct Case {
    std::string path;
    std::string label;
  };
  const std::vector<Case> cases = {
      {"report.PDF", "pdf"},       {"slides.pptx", "presentation"},
      {"old.ppt", "presentation"}, {"table.tsv", "csv"},
      {"records.ndjson", "json"},  {"article.nxml", "xml"},
      {"thesis.ltx", "text"},      {"notes.md.gz", "text"},
      {"x.json.gz", "json"},       {"x.csv.gz", "csv"},
      {"x.html.gz", "archive"},    {"a.markdown", "text"},
      {"a.text", "text"},          {"a.latex", "text"},
      {"book.xlsx", "excel"},      {"book.xls", "excel"},
      {"letter.docx", "word"},     {"letter.doc", "word"},
      {"a.odt", "opendocument"},   {"a.ods", "opendocument"},
      {"a.odp", "opendocument"},   {"a.zip", "archive"},
      {"a.tar", "archive"},        {"a.tgz", "archive"},
      {"page.htm", "html"},        {"scan.JPEG", "image"},
      {"scan.tif", "image"},       {"scan.webp", "image"},
      {"mail.eml", "email"},       {"mail.msg", "email"},
      {"corpus.jsonl", "json"},    {"a.tei", "xml"},
      {"a.tex.gz", "text"},        {"a.tar.gz", "archive"},
      {"a.jsonl.gz", "json"},      {"a.tei.gz", "xml"},
  };
  for (const Case& c : cases) {
    auto label = detect_format(c.path);
    ASSERT_TRUE(label.ok()) << c.path << ": " << label.error().display();
    EXPECT_EQ(label.value(), c.label) << c.path;
  }
}

TEST(DetectPath, LegacyFormatsAreRecognisedAsTheirOwnValues) {
  struct Case {
    std::string path;
    InputFormat format;
  };
  const std::vector<Case> cases = {{"a.xls", InputFormat::Xls},    {"a.doc", InputFormat::Doc},
                                   {"a.ppt", InputFormat::Ppt},    {"a.msg", InputFormat::Msg},
                                   {"a.xlsx", InputFormat::Xlsx},  {"a.md.gz", InputFormat::Text},
                                   {"a.gz", InputFormat::Archive}, {"a.eml", InputFormat::Eml}};
  for (const Case& c : cases) {
    auto format = detect_path(c.path);
    ASSERT_TRUE(format.ok()) << c.path;
    EXPECT_EQ(format.value(), c.format) << c.path;
  }
}

TEST(DetectFormat, UnknownOrMissingExtensionsNameThePath) {
  for (std::string path : {"README", "a.", ".profile", "x.docm", "notes.xyz", "dir/.gz", "x.pdf.bak"}) {
    auto label = detect_format(path);
    ASSERT_FALSE(label.ok()) << path;
    EXPECT_EQ(label.error().kind(), error::ErrorKind::UnsupportedFormat);
    EXPECT_EQ(label.error().display(), "unsupported or unknown document format for path: " + path);
  }
}

TEST(DetectFormat, InvalidUtf8InThePathIsDisplayedLossily) {
  auto label = detect_format("bad\xFF.xyz");
  ASSERT_FALSE(label.ok());
  EXPECT_EQ(label.error().display(), "unsupported or unknown document format for path: bad\xEF\xBF\xBD.xyz");
}

TEST(DetectFormat, NeverOpensTheFile) {
  auto label = detect_format("/no/such/directory/anywhere/report.pdf");
  ASSERT_TRUE(label.ok());
  EXPECT_EQ(label.value(), "pdf");
}

}  // namespace
}  // namespace scrivex_core::format

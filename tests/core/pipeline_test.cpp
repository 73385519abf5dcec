#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/engine/plain_text.hpp"
#include "core/ir/json_form.hpp"
#include "core/pipeline/dispatch.hpp"
#include "core/pipeline/load.hpp"
#include "core/scrivex.hpp"

namespace scrivex_core::pipeline {
namespace {

using format::InputFormat;

std::vector<std::uint8_t> gzip_member(std::string_view text) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY),
            Z_OK);
  std::vector<std::uint8_t> out(deflateBound(&stream, text.size()) + 32);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// A fresh directory per test, removed afterwards.
class PipelineFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("scrivex-pipeline-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  std::string write(const std::string& name, std::string_view content) {
    std::ofstream(path(name), std::ios::binary)
        .write(content.data(), static_cast<std::streamsize>(content.size()));
    return path(name);
  }
  std::string write(const std::string& name, const std::vector<std::uint8_t>& content) {
    return write(name, std::string_view(reinterpret_cast<const char*>(content.data()), content.size()));
  }

  std::filesystem::path dir_;
};

TEST_F(PipelineFiles, LoadsATextFile) {
  const std::string file = write("a.txt", "Hello\nworld\n\n  Second  \n");
  auto document = load_path(file);
  ASSERT_TRUE(document.ok()) << document.error().display();
  const ir::Metadata& metadata = document.value().metadata;
  EXPECT_EQ(metadata.format, "text");
  EXPECT_EQ(metadata.engine, "plain-text");
  EXPECT_EQ(metadata.source, file);
  EXPECT_EQ(metadata.file_size_bytes, 24u);
  EXPECT_EQ(metadata.character_count, 19u);
  EXPECT_EQ(metadata.block_count, 2u);
  ASSERT_EQ(document.value().pages.size(), 1u);
  EXPECT_EQ(std::get<ir::TextBlock>(document.value().pages[0].blocks[1]).text, "Second");
}

TEST_F(PipelineFiles, LoadsGzipTextWithTheCompressedSize) {
  const auto compressed = gzip_member("one\n\ntwo\n");
  const std::string file = write("notes.md.gz", compressed);
  auto document = load_path(file);
  ASSERT_TRUE(document.ok()) << document.error().display();
  EXPECT_EQ(document.value().metadata.format, "text");
  // ".md.gz" is not a Markdown ending, so the text is read as paragraphs.
  EXPECT_EQ(document.value().metadata.engine, "plain-text");
  EXPECT_EQ(document.value().metadata.file_size_bytes, compressed.size());
  EXPECT_EQ(document.value().metadata.block_count, 2u);
  EXPECT_EQ(document.value().metadata.source, file);
}

// The legacy binary formats are refused from the path alone: a missing file
// still says "not implemented" rather than reporting an I/O error.
TEST_F(PipelineFiles, LegacyFormatsAreRefusedWithoutOpeningTheFile) {
  struct Case {
    std::string name;
    std::string display;
  };
  const std::vector<Case> cases = {
      {"old.xls", "excel extraction is planned but not implemented yet"},
      {"old.doc", "word extraction is planned but not implemented yet"},
      {"OLD.DOC", "word extraction is planned but not implemented yet"},
      {"old.ppt", "presentation extraction is planned but not implemented yet"},
      {"old.msg", "email extraction is planned but not implemented yet"},
  };
  write("old.doc", "not really a word file");
  for (const Case& c : cases) {
    auto document = load_path(path(c.name));
    ASSERT_FALSE(document.ok()) << c.name;
    EXPECT_EQ(document.error().kind(), error::ErrorKind::NotImplemented) << c.name;
    EXPECT_EQ(document.error().display(), c.display) << c.name;
  }
}

TEST_F(PipelineFiles, ErrorsOfEachStageAreReturnedAsTheyAre) {
  write("bad.html", "\xFF\xFE");
  struct Case {
    std::string name;
    std::string display;
  };
  const std::vector<Case> cases = {
      {"missing.txt", "I/O error: No such file or directory (os error 2)"},
      {"missing.pdf", "I/O error: No such file or directory (os error 2)"},
      {"bad.html", "I/O error: stream did not contain valid UTF-8"},
      {"notes.xyz", "unsupported or unknown document format for path: " + path("notes.xyz")},
  };
  for (const Case& c : cases) {
    auto document = load_path(path(c.name));
    ASSERT_FALSE(document.ok()) << c.name;
    EXPECT_EQ(document.error().display(), c.display) << c.name;
  }
}

// Each format is read as text (refusing bytes that are not UTF-8) or as raw
// bytes (decoded lossily), and carries its label.
TEST_F(PipelineFiles, LoadSourceReadsEachFormatItsWay) {
  struct Case {
    InputFormat format;
    std::string label;
    bool text;
  };
  const std::vector<Case> cases = {
      {InputFormat::Text, "text", true},         {InputFormat::Html, "html", true},
      {InputFormat::Eml, "email", true},         {InputFormat::Json, "json", true},
      {InputFormat::Csv, "csv", true},           {InputFormat::Xml, "xml", true},
      {InputFormat::Pdf, "pdf", false},          {InputFormat::Xlsx, "excel", false},
      {InputFormat::Xls, "excel", false},        {InputFormat::Docx, "word", false},
      {InputFormat::Doc, "word", false},         {InputFormat::Pptx, "presentation", false},
      {InputFormat::Ppt, "presentation", false}, {InputFormat::OpenDocument, "opendocument", false},
      {InputFormat::Archive, "archive", false},  {InputFormat::Image, "image", false},
      {InputFormat::Msg, "email", false},
  };
  const std::string invalid = write("invalid.bin", "\xFF\xFE");
  const std::string valid = write("valid.bin", "plain");
  for (const Case& c : cases) {
    auto good = load_source(c.format, valid);
    ASSERT_TRUE(good.ok()) << c.label;
    EXPECT_EQ(good.value().format, c.label);
    EXPECT_EQ(good.value().text, "plain");
    EXPECT_EQ(good.value().path, valid);
    EXPECT_EQ(good.value().bytes, (std::vector<std::uint8_t>{'p', 'l', 'a', 'i', 'n'}));

    auto bad = load_source(c.format, invalid);
    EXPECT_EQ(bad.ok(), !c.text) << c.label;
    if (bad.ok()) {
      EXPECT_EQ(bad.value().text, "\xEF\xBF\xBD\xEF\xBF\xBD") << c.label;
    }
  }
}

TEST_F(PipelineFiles, LoadSourceInflatesGzipOnlyForTextFormats) {
  const auto compressed = gzip_member("{\"a\": 1}");
  auto json = load_source(InputFormat::Json, write("x.json.gz", compressed));
  ASSERT_TRUE(json.ok()) << json.error().display();
  EXPECT_EQ(json.value().text, "{\"a\": 1}");
  EXPECT_EQ(json.value().bytes, compressed);
  auto archive = load_source(InputFormat::Archive, write("x.tar.gz", compressed));
  ASSERT_TRUE(archive.ok());
  EXPECT_EQ(archive.value().bytes, compressed);
  EXPECT_NE(archive.value().text, "{\"a\": 1}");
}

// The legacy binary formats never reach an engine. Formats whose engine has
// not landed yet are refused the same way, naming their own label.
TEST(EngineExtract, LegacyFormatsAreNotImplemented) {
  struct Case {
    InputFormat format;
    std::string label;
  };
  const std::vector<Case> legacy = {{InputFormat::Xls, "excel"},
                                    {InputFormat::Doc, "word"},
                                    {InputFormat::Ppt, "presentation"},
                                    {InputFormat::Msg, "email"}};
  const std::vector<Case> others = {
      {InputFormat::Pdf, "pdf"},
      {InputFormat::Xlsx, "excel"},
      {InputFormat::Docx, "word"},
      {InputFormat::Pptx, "presentation"},
      {InputFormat::OpenDocument, "opendocument"},
      {InputFormat::Archive, "archive"},
      {InputFormat::Html, "html"},
      {InputFormat::Image, "image"},
      {InputFormat::Eml, "email"},
      {InputFormat::Json, "json"},
      {InputFormat::Csv, "csv"},
      {InputFormat::Xml, "xml"},
  };
  const source::Source source = source::Source::from_text("text");
  for (const Case& c : legacy) {
    auto document = engine_extract(c.format, source);
    ASSERT_FALSE(document.ok()) << c.label;
    EXPECT_EQ(document.error().kind(), error::ErrorKind::NotImplemented);
    EXPECT_EQ(document.error().display(), c.label + " extraction is planned but not implemented yet");
  }
  for (const Case& c : others) {
    auto document = engine_extract(c.format, source);
    if (!document.ok() && document.error().kind() == error::ErrorKind::NotImplemented) {
      EXPECT_EQ(document.error().display(), c.label + " extraction is planned but not implemented yet");
    }
  }
  auto text = engine_extract(InputFormat::Text, source);
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(text.value(), engine::PlainTextEngine{}.extract(source).value());
}

// One compact array, entries in input order, every key always written.
TEST_F(PipelineFiles, BatchReportsEachPathInOrder) {
  const std::string a = write("a.txt", "Hello\n");
  const std::string missing = path("missing.pdf");
  const std::string json = ir::batch_results_json(load_many({a, missing, "b.xyz"}));
  const std::string expected =
      "[{\"path\":\"" + a +
      "\",\"ok\":true,\"document\":{\"schema_version\":\"scrivex.ir.v2\",\"metadata\":{\"format\":\"text\","
      "\"engine\":\"plain-text\",\"source\":\"" +
      a +
      "\",\"title\":null,\"character_count\":5,\"word_count\":1,\"block_count\":1,\"file_size_bytes\":6,"
      "\"encrypted\":false},\"pages\":[{\"number\":1,\"blocks\":[{\"type\":\"text\",\"text\":\"Hello\","
      "\"kind\":\"paragraph\",\"source_anchors\":[{\"page_number\":1,\"extraction_method\":\"plain-text\"}],"
      "\"confidence\":{\"score\":0.9,\"calibrated\":false}}]}]},\"error\":null},"
      "{\"path\":\"" +
      missing +
      "\",\"ok\":false,\"document\":null,\"error\":\"I/O error: No such file or directory (os error 2)\"},"
      "{\"path\":\"b.xyz\",\"ok\":false,\"document\":null,"
      "\"error\":\"unsupported or unknown document format for path: b.xyz\"}]";
  EXPECT_EQ(json, expected);
}

TEST_F(PipelineFiles, BatchLoadsDuplicatesAgainAndReportsLegacyFormats) {
  const std::string a = write("a.txt", "x");
  const auto results = load_many({a, path("old.doc"), a});
  ASSERT_EQ(results.size(), 3u);
  EXPECT_TRUE(results[0].ok && results[2].ok);
  EXPECT_EQ(results[0].document, results[2].document);
  EXPECT_FALSE(results[1].ok);
  EXPECT_FALSE(results[1].document.has_value());
  EXPECT_EQ(results[1].error, "word extraction is planned but not implemented yet");
  EXPECT_EQ(ir::batch_results_json(load_many({})), "[]");
}

TEST_F(PipelineFiles, BatchPathsAreDisplayedLossily) {
  const auto results = load_many({"bad\xFF.xyz"});
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(results[0].path, "bad\xEF\xBF\xBD.xyz");
}

constexpr std::string_view kEmptyTextJson = R"({
  "schema_version": "scrivex.ir.v2",
  "metadata": {
    "format": "text",
    "engine": "plain-text",
    "source": null,
    "title": null,
    "character_count": 0,
    "word_count": 0,
    "block_count": 0,
    "encrypted": false
  },
  "pages": [
    {
      "number": 1,
      "blocks": []
    }
  ]
})";

TEST(Facade, TextFunctionsUseThePlainTextEngine) {
  auto json = text_to_json("");
  ASSERT_TRUE(json.ok()) << json.error().display();
  EXPECT_EQ(json.value(), kEmptyTextJson);

  auto markdown = text_to_markdown("Hello\nworld\n\nSecond");
  ASSERT_TRUE(markdown.ok());
  EXPECT_NE(markdown.value().find("Hello world\n\nSecond"), std::string::npos) << markdown.value();
  auto latex = text_to_latex("Body");
  ASSERT_TRUE(latex.ok());
  EXPECT_NE(latex.value().find("Body"), std::string::npos);
}

TEST(Facade, DetectFormat) {
  auto label = detect_format("report.PDF");
  ASSERT_TRUE(label.ok());
  EXPECT_EQ(label.value(), "pdf");
  auto unknown = detect_format("notes");
  ASSERT_FALSE(unknown.ok());
  EXPECT_EQ(unknown.error().display(), "unsupported or unknown document format for path: notes");
}

TEST_F(PipelineFiles, FacadeLoadPathJsonWithAndWithoutOptions) {
  const std::string file = write("a.txt", "Hello\n\nWorld\n");
  auto plain = load_path_json(file, std::nullopt);
  ASSERT_TRUE(plain.ok()) << plain.error().display();
  EXPECT_NE(plain.value().find("\n  \"metadata\": {\n"), std::string::npos);
  for (std::string_view options : {"{}", R"({"include_geometry": false, "suppress_headers_footers": true})",
                                   R"({"password": "x", "max_parallelism": 4, "include_assets": false})"}) {
    auto with_options = load_path_json(file, options);
    ASSERT_TRUE(with_options.ok()) << options << ": " << with_options.error().display();
    EXPECT_EQ(with_options.value(), plain.value()) << options;
  }
}

// Options are parsed before the path is looked at; the reader's message is
// passed on without the "JSON error: " prefix.
TEST_F(PipelineFiles, FacadeLoadPathJsonFailures) {
  auto bad_options = load_path_json(path("missing.txt"), "[");
  ASSERT_FALSE(bad_options.ok());
  EXPECT_TRUE(bad_options.error().display().starts_with("EOF while parsing"))
      << bad_options.error().display();
  EXPECT_TRUE(bad_options.error().display().ends_with("line 1 column 1")) << bad_options.error().display();

  struct Case {
    std::string path;
    std::string display;
  };
  const std::vector<Case> cases = {
      {"notes.xyz", "unsupported or unknown document format for path: notes.xyz"},
      {path("x.doc"), "word extraction is planned but not implemented yet"},
      {path("missing.txt"), "I/O error: No such file or directory (os error 2)"},
  };
  for (const Case& c : cases) {
    auto json = load_path_json(c.path, std::nullopt);
    ASSERT_FALSE(json.ok()) << c.path;
    EXPECT_EQ(json.error().display(), c.display);
  }
}

TEST_F(PipelineFiles, FacadeLoadManyJson) {
  auto empty = load_many_json({});
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty.value(), "[]");
  auto one = load_many_json({write("a.txt", "Hi")});
  ASSERT_TRUE(one.ok());
  EXPECT_TRUE(one.value().starts_with("[{\"path\":"));
  EXPECT_EQ(one.value().find('\n'), std::string::npos);
}

TEST(Facade, DocumentJsonRoundTrip) {
  auto smallest = document_json_to_json(
      R"({"metadata": {"format": "text", "engine": "plain-text", "character_count": 0, "word_count": 0,)"
      R"( "block_count": 0}, "pages": [{"number": 1, "blocks": []}]})");
  ASSERT_TRUE(smallest.ok()) << smallest.error().display();
  EXPECT_EQ(smallest.value(), kEmptyTextJson);

  auto missing = document_json_to_json("{}");
  ASSERT_FALSE(missing.ok());
  EXPECT_TRUE(missing.error().display().starts_with("missing field `metadata`")) << missing.error().display();
}

}  // namespace
}  // namespace scrivex_core::pipeline

// The OCR fallback, driven through small stand-in programs that the tests
// write, so every success and failure path runs without the real tools.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/pipeline/ocr_fallback.hpp"

namespace scrivex_core::pipeline {
namespace {

namespace fs = std::filesystem;

class OcrFallback : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("scrivex-ocr-test-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    pdf_ = (dir_ / "scan.pdf").string();
    std::ofstream(pdf_) << "%PDF-1.4\n";
    temp_ = dir_ / "pictures";
    ::setenv("SCRIVEX_OCR_TEMP_DIR", temp_.c_str(), 1);
    // A renderer that logs its arguments and writes the picture the last one names.
    set_renderer(write_program("render", "echo \"$@\" > '" + (dir_ / "render.args").string() +
                                             "'\nfor a; do last=$a; done\necho png > \"$last.png\"\n"));
    set_ocr(write_program("ocr", "test -f \"$1\" || { echo 'no picture' >&2; exit 1; }\n"
                                 "printf '  Hello   world \\n\\n  second line  \\n'\n"));
  }
  void TearDown() override {
    for (const char* name : {"SCRIVEX_OCR_TEMP_DIR", "SCRIVEX_PDF_RENDERER", "SCRIVEX_OCR_ENGINE",
                             "SCRIVEX_OCR_FALLBACK"}) {
      ::unsetenv(name);
    }
    fs::remove_all(dir_);
  }

  std::string write_program(const std::string& name, const std::string& body) {
    const fs::path path = dir_ / name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    ::chmod(path.c_str(), 0755);
    return path.string();
  }
  void set_renderer(const std::string& program) { ::setenv("SCRIVEX_PDF_RENDERER", program.c_str(), 1); }
  void set_ocr(const std::string& program) { ::setenv("SCRIVEX_OCR_ENGINE", program.c_str(), 1); }

  // One scanned page: an image, no text, a page box.
  ir::Document scanned_document() const {
    ir::Document document;
    document.metadata.format = "pdf";
    document.metadata.engine = "pdf-native";
    document.metadata.source = pdf_;
    ir::Page page;
    page.number = 3;
    page.bbox = ir::BBox{0, 0, 612, 792};
    page.images.push_back({"img-1", std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    page.blocks.emplace_back(ir::FigureBlock{});
    document.pages.push_back(page);
    document.metadata.block_count = 1;
    return document;
  }

  static const ir::Warning& only_warning(const ir::Document& document) {
    EXPECT_EQ(document.pages[0].warnings.size(), 1u);
    return document.pages[0].warnings.at(0);
  }

  fs::path dir_, temp_;
  std::string pdf_;
};

TEST_F(OcrFallback, InsertsCleanedTextFirstAndRefreshesCounts) {
  ir::Document document = scanned_document();
  apply_ocr_fallback(document);

  const ir::Page& page = document.pages[0];
  ASSERT_EQ(page.blocks.size(), 2u);
  const auto& block = std::get<ir::TextBlock>(page.blocks[0]);
  EXPECT_EQ(block.text, "Hello world\nsecond line");
  EXPECT_EQ(block.kind, "ocr_text");
  EXPECT_EQ(block.bbox, page.bbox);
  ASSERT_EQ(block.lines.size(), 1u);
  EXPECT_EQ(block.lines[0].text, block.text);
  ASSERT_EQ(block.lines[0].spans.size(), 1u);
  EXPECT_EQ(block.lines[0].spans[0].text, block.text);
  EXPECT_EQ(block.lines[0].spans[0].bbox, page.bbox);
  EXPECT_EQ(block.source_anchors, (std::vector<ir::SourceAnchor>{{3, {}, page.bbox, "ocr_fallback"}}));
  EXPECT_EQ(block.confidence, (ir::Confidence{0.55f, false}));
  EXPECT_FALSE(block.provenance);
  EXPECT_TRUE(page.warnings.empty());

  EXPECT_EQ(document.metadata.block_count, 2u);
  EXPECT_EQ(document.metadata.word_count, 4u);
  EXPECT_EQ(document.metadata.character_count, 23u);

  std::ifstream args(dir_ / "render.args");
  std::string line;
  std::getline(args, line);
  const std::string prefix_start = "-f 3 -l 3 -r 200 -png -singlefile " + pdf_ + " " + temp_.string() + "/page-" +
                                   std::to_string(::getpid()) + "-3-";
  EXPECT_EQ(line.rfind(prefix_start, 0), 0u) << line;
  EXPECT_TRUE(fs::is_empty(temp_)) << "the page picture is deleted";
}

ir::TextBlock text_block(std::string text) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = "paragraph";
  return block;
}

ir::TableBlock table_block(std::vector<std::string> headers, std::vector<std::vector<std::string>> rows) {
  ir::TableBlock block;
  block.headers = std::move(headers);
  block.rows = std::move(rows);
  return block;
}

TEST_F(OcrFallback, OnlyPagesWithImagesAndNoTextQualify) {
  ir::Document document = scanned_document();
  ir::Page blank_text = document.pages[0];
  blank_text.blocks.emplace_back(text_block(" \n\t"));
  ir::Page with_text = document.pages[0];
  with_text.blocks.emplace_back(text_block("words"));
  ir::Page with_table = document.pages[0];
  with_table.blocks.emplace_back(table_block({}, {{"x"}}));
  ir::Page blank_table = document.pages[0];
  blank_table.blocks.emplace_back(table_block({" "}, {{""}}));
  ir::Page no_images = document.pages[0];
  no_images.images.clear();
  document.pages = {blank_text, with_text, with_table, blank_table, no_images};

  apply_ocr_fallback(document);

  const std::vector<bool> expected{true, false, false, true, false};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const auto* first = std::get_if<ir::TextBlock>(&document.pages[i].blocks[0]);
    EXPECT_EQ(first && first->kind == "ocr_text", expected[i]) << "page " << i;
  }
}

TEST_F(OcrFallback, FailuresBecomePageWarnings) {
  struct Case {
    const char* name;
    std::string renderer_body;  // empty: keep the working renderer
    std::string ocr_body;       // empty: keep the working OCR program
    std::string expected;       // message; "{r}" and "{o}" stand for the programs
  };
  const std::vector<Case> cases{
      {"renderer fails", "echo '  bad page  ' >&2; exit 3\n", "", "PDF renderer {r} failed: bad page"},
      {"renderer writes nothing", "exit 0\n", "", "OCR engine {o} failed: no picture"},
      {"ocr fails", "", "echo 'tess \xff broke' >&2; exit 1\n", "OCR engine {o} failed: tess \xEF\xBF\xBD broke"},
  };
  for (const Case& c : cases) {
    SetUp();
    const std::string renderer = c.renderer_body.empty() ? std::getenv("SCRIVEX_PDF_RENDERER")
                                                         : write_program("render2", c.renderer_body);
    const std::string ocr = c.ocr_body.empty() ? std::getenv("SCRIVEX_OCR_ENGINE") : write_program("ocr2", c.ocr_body);
    set_renderer(renderer);
    set_ocr(ocr);
    ir::Document document = scanned_document();
    apply_ocr_fallback(document);

    std::string expected = c.expected;
    if (auto at = expected.find("{r}"); at != std::string::npos) expected.replace(at, 3, renderer);
    if (auto at = expected.find("{o}"); at != std::string::npos) expected.replace(at, 3, ocr);
    const ir::Warning& warning = only_warning(document);
    EXPECT_EQ(warning.code, "ocr.fallback") << c.name;
    EXPECT_EQ(warning.severity, "warning") << c.name;
    EXPECT_EQ(warning.message, expected) << c.name;
    EXPECT_EQ(warning.source_anchor, (ir::SourceAnchor{3, {}, ir::BBox{0, 0, 612, 792}, "ocr_fallback"}));
    EXPECT_EQ(document.pages[0].blocks.size(), 1u) << c.name;
    EXPECT_EQ(document.metadata.block_count, 1u) << c.name;
    EXPECT_TRUE(fs::is_empty(temp_)) << c.name;
  }
}

TEST_F(OcrFallback, ProgramsThatCannotStartAreNamedWithTheSystemError) {
  set_renderer((dir_ / "missing-renderer").string());
  ir::Document document = scanned_document();
  apply_ocr_fallback(document);
  EXPECT_EQ(only_warning(document).message, "could not run PDF renderer " + (dir_ / "missing-renderer").string() +
                                                ": No such file or directory (os error 2)");

  SetUp();
  set_ocr("");
  document = scanned_document();
  apply_ocr_fallback(document);
  EXPECT_EQ(only_warning(document).message, "could not run OCR engine : No such file or directory (os error 2)");
  EXPECT_TRUE(fs::is_empty(temp_)) << "the picture is deleted even when the OCR program never ran";
}

TEST_F(OcrFallback, TempDirThatCannotBeMadeIsAWarning) {
  const std::string blocker = (dir_ / "file").string();
  std::ofstream(blocker) << "x";
  ::setenv("SCRIVEX_OCR_TEMP_DIR", (blocker + "/sub").c_str(), 1);
  ir::Document document = scanned_document();
  apply_ocr_fallback(document);
  EXPECT_EQ(only_warning(document).message,
            "could not create OCR temp dir " + blocker + "/sub: Not a directory (os error 20)");
}

TEST_F(OcrFallback, BlankOcrOutputAddsNothing) {
  set_ocr(write_program("blank", "printf '  \\n \\t \\n'\n"));
  ir::Document document = scanned_document();
  const ir::Document before = document;
  apply_ocr_fallback(document);
  EXPECT_EQ(document, before);
}

TEST_F(OcrFallback, LeavesOtherInputsAlone) {
  set_renderer((dir_ / "missing-renderer").string());  // any run would leave a warning
  ir::Document not_pdf = scanned_document();
  not_pdf.metadata.format = "image";
  ir::Document no_path = scanned_document();
  no_path.metadata.source.reset();
  ir::Document gone = scanned_document();
  gone.metadata.source = (dir_ / "gone.pdf").string();
  for (ir::Document* document : {&not_pdf, &no_path, &gone}) {
    const ir::Document before = *document;
    apply_ocr_fallback(*document);
    EXPECT_EQ(*document, before);
  }
}

TEST(OcrFallbackSwitch, AcceptsOnlyTheFourWordsInAnyCase) {
  const std::vector<std::pair<const char*, bool>> cases{
      {"1", true},      {"true", true},  {"TRUE", true},  {"Yes", true},     {"on", true},
      {"0", false},     {"false", false}, {"", false},    {" 1", false},     {"enabled", false},
  };
  for (const auto& [value, on] : cases) {
    ::setenv("SCRIVEX_OCR_FALLBACK", value, 1);
    EXPECT_EQ(ocr_fallback_enabled(), on) << value;
  }
  ::unsetenv("SCRIVEX_OCR_FALLBACK");
  EXPECT_FALSE(ocr_fallback_enabled());
}

}  // namespace
}  // namespace scrivex_core::pipeline

// The markup engines on the outputs of real programs: tesseract's hOCR and
// ALTO of a rendered page, and pandoc's HTML and JATS of a Markdown text.
// The outputs are made in the set-up; tests skip when a program is missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/pipeline/load.hpp"

namespace scrivex_core {
namespace {

namespace fs = std::filesystem;

bool have_program(const std::string& name) {
  return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

bool run_quietly(const std::string& command) {
  return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

void write_file(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// A one-page PDF (612 by 200 points) showing two lines of Helvetica text;
// the cross-reference offsets are computed, not typed.
std::string two_line_pdf() {
  const std::string content =
      "BT /F1 28 Tf 40 130 Td (Hello scrivex world) Tj 0 -50 Td (Second line of text) Tj ET";
  const std::vector<std::string> objects = {
      "<< /Type /Catalog /Pages 2 0 R >>",
      "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
      "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 200] /Contents 4 0 R "
      "/Resources << /Font << /F1 5 0 R >> >> >>",
      "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream",
      "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>",
  };
  std::string pdf = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(pdf.size());
    pdf += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  const std::size_t xref = pdf.size();
  pdf += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    std::string number = std::to_string(offset);
    pdf += std::string(10 - number.size(), '0') + number + " 00000 n \n";
  }
  pdf += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
         std::to_string(xref) + "\n%%EOF\n";
  return pdf;
}

constexpr const char* kMarkdown =
    "---\ntitle: A Small Note\n---\n\n# Results\n\nHello *world* and **bold** text.\n\n"
    "- first item\n- second item\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n"
    "Last paragraph with a [link](http://example.com).\n";

class RealPrograms : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/scrivex-markup-XXXXXX";
    if (!mkdtemp(pattern)) return;
    dir_ = new fs::path(pattern);
    const fs::path& dir = *dir_;
    if (have_program("pdftoppm") && have_program("tesseract")) {
      write_file(dir / "page.pdf", two_line_pdf());
      ocr_ready_ = run_quietly("cd '" + dir.string() +
                               "' && pdftoppm -r 150 -png -singlefile page.pdf page"
                               " && tesseract page.png ocr -l eng hocr alto") &&
                   fs::exists(dir / "ocr.hocr") && fs::exists(dir / "ocr.xml");
      // The format is chosen by extension, and ".hocr" is not one of HTML's.
      if (ocr_ready_) fs::copy_file(dir / "ocr.hocr", dir / "ocr.html");
    }
    if (have_program("pandoc")) {
      write_file(dir / "note.md", kMarkdown);
      pandoc_ready_ =
          run_quietly("cd '" + dir.string() +
                      "' && pandoc -s note.md -o note.html && pandoc -s -t jats note.md -o note.xml");
    }
  }

  static void TearDownTestSuite() {
    if (!dir_) return;
    std::error_code ignored;
    fs::remove_all(*dir_, ignored);
    delete dir_;
    dir_ = nullptr;
  }

  static ir::Document load(const std::string& name) {
    auto result = pipeline::load_path((*dir_ / name).string());
    EXPECT_TRUE(result.ok()) << name;
    return std::move(result).value();
  }

  static std::vector<std::string> texts(const ir::Document& document) {
    std::vector<std::string> out;
    for (const ir::Block& block : document.pages.at(0).blocks)
      out.push_back(std::get<ir::TextBlock>(block).text);
    return out;
  }

  static inline fs::path* dir_ = nullptr;
  static inline bool ocr_ready_ = false;
  static inline bool pandoc_ready_ = false;
};

const std::vector<std::string> kOcrLines = {"Hello scrivex world", "Second line of text"};

TEST_F(RealPrograms, TesseractHocrGivesPositionedLines) {
  if (!ocr_ready_) GTEST_SKIP() << "pdftoppm or tesseract is missing";
  const ir::Document document = load("ocr.html");
  EXPECT_EQ(document.metadata.engine, "html-native");
  EXPECT_EQ(document.metadata.format, "html");
  EXPECT_EQ(texts(document), kOcrLines);
  // 612 by 200 points rendered at 150 dots per inch.
  const ir::Page& page = document.pages.at(0);
  EXPECT_EQ(page.width, 1275.0f);
  EXPECT_NEAR(page.height.value_or(0), 417.0f, 1.0f);
  for (const ir::Block& block : page.blocks) {
    const auto& line = std::get<ir::TextBlock>(block);
    EXPECT_EQ(line.kind, "ocr_line");
    ASSERT_TRUE(line.bbox);
    EXPECT_GT(line.bbox->width, 300.0f);
    EXPECT_LT(line.bbox->x + line.bbox->width, 1275.0f);
    ASSERT_EQ(line.lines.size(), 1u);
    EXPECT_EQ(line.lines[0].spans.size(), line.text == kOcrLines[0] ? 3u : 4u);
    EXPECT_GT(line.confidence->score, 0.5f);
    EXPECT_LE(line.confidence->score, 1.0f);
  }
  EXPECT_EQ(document.metadata.block_count, 2u);
  EXPECT_EQ(document.metadata.word_count, 7u);
}

// tesseract writes the same recognition as hOCR and as ALTO, so both
// readers must agree on texts, boxes and confidences.
TEST_F(RealPrograms, TesseractAltoAgreesWithItsHocr) {
  if (!ocr_ready_) GTEST_SKIP() << "pdftoppm or tesseract is missing";
  const ir::Document alto = load("ocr.xml");
  const ir::Document hocr = load("ocr.html");
  EXPECT_EQ(alto.metadata.engine, "xml-native");
  EXPECT_EQ(texts(alto), kOcrLines);
  EXPECT_EQ(alto.pages.at(0).width, hocr.pages.at(0).width);
  EXPECT_EQ(alto.pages.at(0).height, hocr.pages.at(0).height);
  ASSERT_EQ(alto.pages[0].blocks.size(), hocr.pages[0].blocks.size());
  for (std::size_t i = 0; i < alto.pages[0].blocks.size(); ++i) {
    const auto& from_alto = std::get<ir::TextBlock>(alto.pages[0].blocks[i]);
    const auto& from_hocr = std::get<ir::TextBlock>(hocr.pages[0].blocks[i]);
    EXPECT_EQ(from_alto.bbox, from_hocr.bbox) << i;
    EXPECT_NEAR(from_alto.confidence->score, from_hocr.confidence->score, 1e-4) << i;
    ASSERT_EQ(from_alto.lines.at(0).spans.size(), from_hocr.lines.at(0).spans.size());
    for (std::size_t j = 0; j < from_alto.lines[0].spans.size(); ++j) {
      EXPECT_EQ(from_alto.lines[0].spans[j], from_hocr.lines[0].spans[j]) << i << " " << j;
    }
    EXPECT_EQ(from_alto.source_anchors.at(0).extraction_method, "xml_native");
  }
}

TEST_F(RealPrograms, PandocHtmlBecomesParagraphs) {
  if (!pandoc_ready_) GTEST_SKIP() << "pandoc is missing";
  const ir::Document document = load("note.html");
  const std::vector<std::string> expected = {
      "A Small Note", "Results", "Hello world and bold text.", "first item", "second item",
      "a b",          "1 2",     "Last paragraph with a link."};
  EXPECT_EQ(texts(document), expected);
  EXPECT_FALSE(document.metadata.title);
  EXPECT_EQ(document.metadata.engine, "html-native");
  EXPECT_TRUE(document.metadata.file_size_bytes);
}

TEST_F(RealPrograms, PandocJatsArticleBecomesParagraphs) {
  if (!pandoc_ready_) GTEST_SKIP() << "pandoc is missing";
  const ir::Document document = load("note.xml");
  // Section titles are "title" elements, which are never shown.
  const std::vector<std::string> expected = {
      "A Small Note", "Hello world and bold text.", "first item", "second item", "a b",
      "1 2",          "Last paragraph with a link."};
  EXPECT_EQ(texts(document), expected);
  EXPECT_EQ(document.metadata.engine, "xml-native");
  EXPECT_EQ(std::get<ir::TextBlock>(document.pages[0].blocks[0]).kind, "paragraph");
}

}  // namespace
}  // namespace scrivex_core

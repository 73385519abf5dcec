// End to end with the real page renderer and OCR program: a page that is only
// a picture of text gets its words back. Skipped when the tools are missing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/pipeline/load.hpp"
#include "core/util/child_process.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pipeline {
namespace {

namespace fs = std::filesystem;
using pdf::testing::PdfWriter;

bool program_runs(const std::string& program, const std::string& argument) {
  auto result = util::run_program(program, {argument});
  return result.ok() && result.value().succeeded;
}

std::string read_bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream buffer;
  buffer << in.rdbuf();
  return buffer.str();
}

std::string page_pdf(std::string_view resources, std::string_view content, std::string extra_object = {}) {
  PdfWriter writer;
  writer.object(1, "<< /Type /Catalog /Pages 2 0 R >>")
      .object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>")
      .object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 400 100] /Resources << " + std::string(resources) +
                     " >> /Contents 4 0 R >>")
      .stream(4, "", content);
  if (!extra_object.empty()) writer.object(5, std::move(extra_object));
  return writer.build("/Root 1 0 R");
}

// A PDF whose one page is an RGB picture of the text, as a scanner would make it.
std::string scanned_pdf_of_text(const fs::path& dir, const std::string& text) {
  std::ofstream(dir / "text.pdf", std::ios::binary)
      << page_pdf("/Font << /F1 5 0 R >>", "BT /F1 30 Tf 15 40 Td (" + text + ") Tj ET",
                  "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  auto rendered = util::run_program(
      "pdftoppm", {"-r", "100", "-singlefile", (dir / "text.pdf").string(), (dir / "picture").string()});
  if (!rendered.ok() || !rendered.value().succeeded) return {};
  // The picture is a binary PPM: "P6", width, height, 255, then RGB bytes.
  std::istringstream ppm(read_bytes(dir / "picture.ppm"));
  std::string magic;
  int width = 0, height = 0, max_value = 0;
  ppm >> magic >> width >> height >> max_value;
  ppm.get();
  const std::string pixels((std::istreambuf_iterator<char>(ppm)), std::istreambuf_iterator<char>());
  const std::string image = pdf::testing::stream_body(
      "/Type /XObject /Subtype/Image /Width " + std::to_string(width) + " /Height " + std::to_string(height) +
          " /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
      pdf::testing::zlib_compress(pixels));
  return page_pdf("/XObject << /Im1 5 0 R >>", "q 400 0 0 100 0 0 cm /Im1 Do Q", image);
}

TEST(OcrFallbackRealPrograms, ScannedPageGetsItsTextBack) {
  if (!program_runs("pdftoppm", "-v") || !program_runs("tesseract", "--version")) {
    GTEST_SKIP() << "pdftoppm or tesseract is not installed";
  }
  const fs::path dir = fs::temp_directory_path() / ("scrivex-ocr-real-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string scan = scanned_pdf_of_text(dir, "Hello scanned world");
  ASSERT_FALSE(scan.empty());
  std::ofstream(dir / "scan.pdf", std::ios::binary) << scan;

  ::setenv("SCRIVEX_OCR_FALLBACK", "1", 1);
  ::setenv("SCRIVEX_OCR_TEMP_DIR", (dir / "pictures").c_str(), 1);
  auto loaded = load_path((dir / "scan.pdf").string());
  ::unsetenv("SCRIVEX_OCR_FALLBACK");
  ASSERT_TRUE(loaded.ok()) << loaded.error().display();

  const ir::Document& document = loaded.value();
  ASSERT_EQ(document.pages.size(), 1u);
  const ir::Page& page = document.pages[0];
  ASSERT_FALSE(page.blocks.empty());
  const auto* block = std::get_if<ir::TextBlock>(&page.blocks[0]);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->kind, "ocr_text");
  EXPECT_NE(block->text.find("Hello"), std::string::npos) << block->text;
  EXPECT_NE(block->text.find("world"), std::string::npos) << block->text;
  EXPECT_EQ(block->confidence, (ir::Confidence{0.55f, false}));
  EXPECT_TRUE(page.warnings.empty());
  EXPECT_EQ(document.metadata.block_count, page.blocks.size());
  EXPECT_GE(document.metadata.word_count, 3u);
  EXPECT_TRUE(fs::is_empty(dir / "pictures")) << "no page picture is left behind";
  fs::remove_all(dir);
}

}  // namespace
}  // namespace scrivex_core::pipeline

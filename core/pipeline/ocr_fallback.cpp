#include "core/pipeline/ocr_fallback.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "core/engine/text_builders.hpp"
#include "core/pipeline/extract_options.hpp"
#include "core/util/child_process.hpp"
#include "core/util/strings.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pipeline {
namespace {

constexpr float kOcrConfidence = 0.55f;
constexpr const char* kExtractionMethod = "ocr_fallback";
// The resolution the OCR program reads best at, in dots per inch.
constexpr const char* kRenderDpi = "200";

// The variable's value when it is set and valid UTF-8.
std::optional<std::string> environment_text(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || !util::is_valid_utf8(value)) return std::nullopt;
  return std::string(value);
}

std::filesystem::path default_temp_dir() {
  std::error_code error;
  std::filesystem::path base = std::filesystem::current_path(error);
  if (error) base = std::filesystem::temp_directory_path(error);
  return base / "target" / "scrivex-ocr";
}

bool page_qualifies(const ir::Page& page) {
  if (page.images.empty()) return false;
  for (const ir::Block& block : page.blocks) {
    if (std::holds_alternative<ir::FigureBlock>(block)) continue;
    if (!util::is_blank(engine::block_text(block))) return false;
  }
  return true;
}

std::uint64_t nanoseconds_since_epoch() {
  const auto since = std::chrono::system_clock::now().time_since_epoch();
  const auto count = std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
  return count < 0 ? 0 : static_cast<std::uint64_t>(count);
}

std::string trimmed_lossy(const std::string& bytes) {
  return std::string(util::trim(util::decode_utf8_lossy(bytes)));
}

// Each line's white space collapsed, empty lines dropped, lines joined by "\n".
std::string clean_ocr_output(const std::string& raw) {
  const std::string text = util::decode_utf8_lossy(raw);
  std::string out;
  for (std::string_view line : util::split_lines(text)) {
    const std::string collapsed = util::collapse_white_space(line);
    if (collapsed.empty()) continue;
    if (!out.empty()) out.push_back('\n');
    out.append(collapsed);
  }
  return out;
}

ir::SourceAnchor page_anchor(const ir::Page& page) {
  return {page.number, {}, page.bbox, kExtractionMethod};
}

ir::TextBlock ocr_block(const ir::Page& page, std::string text) {
  ir::TextBlock block;
  block.kind = "ocr_text";
  block.bbox = page.bbox;
  ir::Span span{text, page.bbox, std::nullopt, std::nullopt, false, false};
  block.lines.push_back({text, page.bbox, {std::move(span)}});
  block.source_anchors.push_back(page_anchor(page));
  block.confidence = ir::Confidence{kOcrConfidence, false};
  block.text = std::move(text);
  return block;
}

// Why a page got no OCR text; becomes the page warning's message.
struct OcrFailure {
  std::string message;
};

// Renders and reads one page: the OCR text, or the failure.
Result<std::string, OcrFailure> recognise_page(const OcrFallbackConfig& config, const std::string& pdf_path,
                                                std::uint64_t number) {
  std::error_code created;
  std::filesystem::create_directories(config.temp_dir, created);
  if (created) {
    return OcrFailure{"could not create OCR temp dir " + config.temp_dir.string() + ": " +
                      error::os_error_text(created.value())};
  }
  const std::string stem = "page-" + std::to_string(::getpid()) + "-" + std::to_string(number) + "-" +
                           std::to_string(nanoseconds_since_epoch());
  const std::string prefix = (config.temp_dir / stem).string();
  const std::string picture = prefix + ".png";
  const std::string page = std::to_string(number);

  auto rendered = util::run_program(
      config.renderer, {"-f", page, "-l", page, "-r", kRenderDpi, "-png", "-singlefile", pdf_path, prefix});
  if (!rendered.ok()) {
    return OcrFailure{"could not run PDF renderer " + config.renderer + ": " +
                      error::os_error_text(rendered.error())};
  }
  if (!rendered.value().succeeded) {
    std::error_code ignored;
    std::filesystem::remove(picture, ignored);  // a failing renderer may still have left a file
    return OcrFailure{"PDF renderer " + config.renderer + " failed: " +
                      trimmed_lossy(rendered.value().standard_error)};
  }
  auto read = util::run_program(config.ocr_engine, {picture, "stdout", "--psm", "6"});
  std::error_code ignored;
  std::filesystem::remove(picture, ignored);
  if (!read.ok()) {
    return OcrFailure{"could not run OCR engine " + config.ocr_engine + ": " + error::os_error_text(read.error())};
  }
  if (!read.value().succeeded) {
    return OcrFailure{"OCR engine " + config.ocr_engine + " failed: " + trimmed_lossy(read.value().standard_error)};
  }
  return clean_ocr_output(read.value().standard_output);
}

}  // namespace

OcrFallbackConfig OcrFallbackConfig::from_environment() {
  OcrFallbackConfig config;
  config.renderer = environment_text("SCRIVEX_PDF_RENDERER").value_or("pdftoppm");
  config.ocr_engine = environment_text("SCRIVEX_OCR_ENGINE").value_or("tesseract");
  const auto temp_dir = environment_text("SCRIVEX_OCR_TEMP_DIR");
  config.temp_dir = temp_dir ? std::filesystem::path(*temp_dir) : default_temp_dir();
  return config;
}

bool ocr_fallback_enabled() {
  const auto value = environment_text("SCRIVEX_OCR_FALLBACK");
  if (!value) return false;
  const std::string lowered = util::ascii_lowercase(*value);
  return lowered == "1" || lowered == "true" || lowered == "yes" || lowered == "on";
}

void apply_ocr_fallback(ir::Document& document) {
  if (document.metadata.format != "pdf" || !document.metadata.source) return;
  const std::string& pdf_path = *document.metadata.source;
  struct stat info {};
  if (::stat(pdf_path.c_str(), &info) != 0) return;
  const OcrFallbackConfig config = OcrFallbackConfig::from_environment();
  bool inserted = false;
  for (ir::Page& page : document.pages) {
    if (!page_qualifies(page)) continue;
    auto text = recognise_page(config, pdf_path, page.number);
    if (!text.ok()) {
      page.warnings.push_back({"ocr.fallback", "warning", std::move(text).error().message, page_anchor(page)});
      continue;
    }
    if (text.value().empty()) continue;
    page.blocks.insert(page.blocks.begin(), ocr_block(page, std::move(text).value()));
    inserted = true;
  }
  if (inserted) refresh_document_counts(document);
}

}  // namespace scrivex_core::pipeline

// Text for scanned PDF pages from an external page renderer and OCR program.
#pragma once

#include <filesystem>
#include <string>

#include "core/ir/document.hpp"

namespace scrivex_core::pipeline {

// The settings, read from the environment each time the fallback runs.
struct OcrFallbackConfig {
  std::string renderer;                 // SCRIVEX_PDF_RENDERER, default "pdftoppm"
  std::string ocr_engine;               // SCRIVEX_OCR_ENGINE, default "tesseract"
  std::filesystem::path temp_dir;       // SCRIVEX_OCR_TEMP_DIR, default ./target/scrivex-ocr

  static OcrFallbackConfig from_environment();
};

// SCRIVEX_OCR_FALLBACK is "1", "true", "yes" or "on" in any ASCII case.
bool ocr_fallback_enabled();

// For every page of a PDF loaded from a path that has images and no text,
// renders the page, reads it with the OCR program and puts the text first on
// the page as an "ocr_text" block; a failure becomes an "ocr.fallback" page
// warning. Anything other than a PDF with a path is left alone. Cannot fail.
void apply_ocr_fallback(ir::Document& document);

}  // namespace scrivex_core::pipeline

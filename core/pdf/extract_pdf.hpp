// The native PDF reader: file bytes to an IR document.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.hpp"
#include "core/ir/document.hpp"
#include "core/pdf/page.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::pdf {

struct PdfParseResult {
  std::vector<PageExtraction> pages;  // in page order
  std::vector<ir::Warning> warnings;  // document-level
  std::optional<std::string> title;
  bool encrypted = false;
};

// Scans the objects, reads the title, finds the pages, builds the font
// decoders and extracts every page, fonts and then pages on worker threads
// (threads 0: the hardware's; 1: all on the calling thread). The result does
// not depend on the number of threads. Fails only with "missing %PDF
// header", "no indirect objects found" or "no page objects found".
[[nodiscard]] Result<PdfParseResult> parse_pdf_pages(std::string_view data, std::size_t threads = 0);

// The IR document of a PDF file; engine_name goes into the metadata.
[[nodiscard]] Result<ir::Document> extract_pdf(std::span<const std::uint8_t> data,
                                               const source::Source& source, std::string_view engine_name,
                                               std::size_t threads = 0);

// The same for a loaded source: its raw bytes, or the bytes of its text when
// it has none.
[[nodiscard]] Result<ir::Document> extract_pdf(const source::Source& source, std::string_view engine_name);

}  // namespace scrivex_core::pdf

// One page: geometry and resources, content interpretation, rotation
// normalisation, the layout stages and the IR page.
#pragma once

#include <string>

#include "core/ir/document.hpp"
#include "core/pdf/font_decoder.hpp"
#include "core/pdf/object.hpp"
#include "core/pdf/scanner.hpp"

namespace scrivex_core::pdf {

struct PageExtraction {
  ir::Page page;
  std::string text;  // the non-empty block texts joined by line feeds
};

// Extracts one page. Never fails: missing or undecodable content streams
// become page warnings, and a page without content still has its geometry.
PageExtraction extract_page(const PageSeed& seed, const ObjectIndex& index, const FontDecoderMap& fonts);

}  // namespace scrivex_core::pdf

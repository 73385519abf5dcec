// Trimming a loaded document to the caller's extract options.
#pragma once

#include <optional>
#include <string>

#include "core/ir/document.hpp"

namespace scrivex_core::pipeline {

// In order: running headers and footers, geometry, assets. Cannot fail.
void apply_extract_options(ir::Document& document, const ir::ExtractOptions& options);

// "top:<signature>" or "bottom:<signature>" for a block in the top or bottom
// band of a page of height page_height, with digit runs folded to "#";
// absent for blocks elsewhere, without a box, or on pages without a height.
std::optional<std::string> header_footer_key(const ir::Block& block, std::optional<float> page_height);

// Recomputes block, character and word counts over all block texts, with no
// separators between blocks.
void refresh_document_counts(ir::Document& document);

}  // namespace scrivex_core::pipeline

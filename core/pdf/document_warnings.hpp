// Warnings and source anchors as the PDF reader writes them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/ir/document.hpp"

namespace scrivex_core::pdf {

inline constexpr const char* kExtractionMethod = "native_pdf";

// A warning; with_anchor adds a source anchor naming only the page.
ir::Warning warning(std::string code, std::string severity, std::string message, bool with_anchor,
                    std::uint64_t page_number);

// A source anchor of positioned PDF content.
ir::SourceAnchor anchor(std::uint64_t page_number, std::optional<ir::BBox> bbox,
                        std::vector<std::string> object_ids);

}  // namespace scrivex_core::pdf

#include "core/pdf/document_warnings.hpp"

#include <utility>

namespace scrivex_core::pdf {

ir::Warning warning(std::string code, std::string severity, std::string message, bool with_anchor,
                    std::uint64_t page_number) {
  ir::Warning result;
  result.code = std::move(code);
  result.severity = std::move(severity);
  result.message = std::move(message);
  if (with_anchor) result.source_anchor = anchor(page_number, std::nullopt, {});
  return result;
}

ir::SourceAnchor anchor(std::uint64_t page_number, std::optional<ir::BBox> bbox,
                        std::vector<std::string> object_ids) {
  ir::SourceAnchor result;
  result.page_number = page_number;
  result.pdf_object_ids = std::move(object_ids);
  result.bbox = bbox;
  result.extraction_method = kExtractionMethod;
  return result;
}

}  // namespace scrivex_core::pdf

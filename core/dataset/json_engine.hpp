// The engine for input labelled "json": JSON and JSON Lines annotation sets.
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::dataset {

// Reads the text as one JSON value, else as JSON Lines (line i's pages are
// numbered from i + 1), and turns each value into pages by its dataset shape
// (see json_pages.hpp). Engine "json-native". Fails with the JSON error of a
// failing line, or of the whole text when no line gives a page.
class JsonEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::dataset

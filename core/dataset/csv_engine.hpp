// The engine for input labelled "csv": comma- and tab-separated files.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dataset/dataset_common.hpp"
#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::csv {

using dataset::clean_text;

// One page of text blocks, engine "csv-native". A ".tsv" path is read as an
// OCR word table (one "ocr_line" block per line of words), else as a
// labelled region table ("feature", "bounding boxes", "text"), else as plain
// tab rows; any other input is read as plain comma rows ("row" blocks, a
// quadrilateral of eight leading numbers giving a box). Never fails.
class CsvEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

// Index of the first header equal to `name` once stripped of leading byte
// order marks, trimmed and ASCII-lower-cased; absent when none matches.
std::optional<std::size_t> header_index(const std::vector<std::string>& headers, std::string_view name);

}  // namespace scrivex_core::csv

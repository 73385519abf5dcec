// The IR's JSON form: fixed key order, omitted empties, tagged blocks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/util/json.hpp"

namespace scrivex_core::ir {

void write_document(util::json::Writer& writer, const Document& document);
// Indented for single documents, compact inside batch arrays.
std::string document_json(const Document& document, bool indented);
// The batch array, compact, documents inside it compact too.
std::string batch_results_json(const std::vector<BatchResult>& results);

// Reads IR JSON. Unknown keys are ignored, a key given twice is an error,
// records may also be arrays of their fields in declaration order.
Result<Document, util::json::JsonError> read_document(std::string_view text);
Result<ExtractOptions, util::json::JsonError> read_extract_options(std::string_view text);

}  // namespace scrivex_core::ir

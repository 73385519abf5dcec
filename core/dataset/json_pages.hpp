// JSON values to IR pages: shape recognition, the shape builders and the
// generic walk over text-bearing fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/dataset/json_values.hpp"

namespace scrivex_core::dataset {

// The unit of the generic walk; records with empty text are never kept.
struct TextRecord {
  std::string kind;
  std::string text;
};

// The pages of one JSON value: the first dataset shape that applies decides
// (layout detections, form, COCO, PubTabNet, words, cell grid), else the
// generic walk. Page numbers count from 1 within the value.
std::vector<ir::Page> pages_from_json_value(const Value& value);

// One page of the text records found in `value`.
ir::Page generic_page_from_value(const Value& value, std::uint64_t page_number);
void collect_generic_text_records(const Value& value, std::vector<TextRecord>& records);
void push_record(std::vector<TextRecord>& records, std::string_view kind, std::string_view text);
// "body", "content", "sections", "body_text", "full_text" and "paragraphs"
// are "paragraph"; any other key is its own kind.
std::string normalized_kind(std::string_view key);

// Shape builders; each gives nothing when its shape does not apply.
std::optional<ir::Page> layout_detection_page(const Value& element, std::uint64_t page_number);
std::optional<ir::Block> block_from_layout_detection(const Value& detection, std::uint64_t page_number);
std::optional<ir::Page> form_page(const Value& object);
std::vector<ir::Page> coco_pages(const Value& object);
// PubTabNet: an "html" object holding "structure"."tokens" and the cell list.
std::optional<ir::Page> pubtabnet_page(const Value& object);
std::optional<ir::Page> cell_grid_page(const Value& object);
std::optional<ir::Page> word_list_page(const Value& object);

// One table row of a PubTabNet annotation.
struct PubTabNetCell {
  std::string text;
  std::optional<ir::BBox> bbox;
};
using PubTabNetRow = std::vector<PubTabNetCell>;

// Rows from the structure tokens, each "<td"/"<th" taking the next cell of
// the list in order; rows left open at the end are dropped.
std::vector<PubTabNetRow> pubtabnet_rows(const Value& tokens, const Value& cells);
// A cell's text from its "tokens" (concatenated) or "text", markup removed
// and white space collapsed; "" for no value or a non-object.
std::string pubtabnet_cell_text(const Value* cell);

// The rows of the HTML table markup of a layout detection; rows without
// cells are dropped.
std::vector<std::vector<std::string>> html_table_rows(std::string_view html);

}  // namespace scrivex_core::dataset

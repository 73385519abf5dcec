// The generic fallback: the text-bearing fields of any JSON value.
#include <array>

#include "core/dataset/dataset_common.hpp"
#include "core/dataset/json_pages.hpp"
#include "core/textual/html_text.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

// Keys that hold a document's text, visited in this order.
constexpr std::array<std::string_view, 12> kPreferredKeys{"title",   "abstract", "body_text", "full_text",
                                                          "paragraphs", "sections", "content", "body",
                                                          "text",    "latex",    "html",      "caption"};
// Keys that hold identifiers, locations and bookkeeping rather than text;
// skipped when walking all members.
constexpr std::array<std::string_view, 13> kSkippedKeys{
    "id",       "pdf",       "url",       "path",     "image",      "source",       "anno_id",
    "pdf_path", "metadata",  "page_info", "attribute", "image_path", "category_type"};
constexpr std::array<std::string_view, 6> kParagraphKeys{"body",      "content",   "sections",
                                                         "body_text", "full_text", "paragraphs"};

template <std::size_t N>
bool contains(const std::array<std::string_view, N>& keys, std::string_view key) {
  for (std::string_view k : keys) {
    if (k == key) return true;
  }
  return false;
}

void visit_preferred_member(std::string_view key, const Value& value, std::vector<TextRecord>& records) {
  const std::string kind = normalized_kind(key);
  switch (value.type) {
    case Type::String:
      push_record(records, kind, key == "html" ? textual::html_to_text(value.string) : value.string);
      return;
    case Type::Array:
      for (const Value& element : value.array) {
        if (element.type == Type::String) push_record(records, kind, element.string);
        if (element.type == Type::Object) collect_generic_text_records(element, records);
      }
      return;
    case Type::Object: collect_generic_text_records(value, records); return;
    default: return;
  }
}

}  // namespace

std::string normalized_kind(std::string_view key) {
  return contains(kParagraphKeys, key) ? "paragraph" : std::string(key);
}

void push_record(std::vector<TextRecord>& records, std::string_view kind, std::string_view text) {
  std::string cleaned = clean_text(text);
  if (!cleaned.empty()) records.push_back(TextRecord{std::string(kind), std::move(cleaned)});
}

void collect_generic_text_records(const Value& value, std::vector<TextRecord>& records) {
  switch (value.type) {
    case Type::String: push_record(records, "text", value.string); return;
    case Type::Array:
      for (const Value& element : value.array) collect_generic_text_records(element, records);
      return;
    case Type::Object: {
      const std::size_t before = records.size();
      for (std::string_view key : kPreferredKeys) {
        if (const Value* found = value.find(key)) visit_preferred_member(key, *found, records);
      }
      if (records.size() != before) return;
      for (const util::json::Member* entry : value.sorted_members()) {
        if (!contains(kSkippedKeys, entry->key)) collect_generic_text_records(entry->value, records);
      }
      return;
    }
    default: return;
  }
}

ir::Page generic_page_from_value(const Value& value, std::uint64_t page_number) {
  std::vector<TextRecord> records;
  collect_generic_text_records(value, records);
  if (records.empty()) {
    if (value.type == Type::String) push_record(records, "value", value.string);
    if (value.type == Type::Number) push_record(records, "value", number_text(value));
    if (value.type == Type::Bool) push_record(records, "value", value.boolean ? "true" : "false");
  }
  ir::Page page;
  page.number = page_number;
  for (TextRecord& record : records) {
    page.blocks.push_back(json_text_block(std::move(record.kind), std::move(record.text), std::nullopt, page_number));
  }
  return page;
}

}  // namespace scrivex_core::dataset

// Which archive entries hold text, and how each kind becomes plain text.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/json.hpp"

namespace scrivex_core::archive {

// The lower-cased extension of the entry's last component, looking through
// one ".gz": "docs/Paper.HTML" gives "html", "notes.txt.gz" "txt",
// "data.gz" nothing. A trailing "/" is ignored.
std::optional<std::string> logical_extension(std::string_view name);

bool is_xml_entry(std::string_view name);   // xml, tei, nxml, html, htm
bool is_json_entry(std::string_view name);  // json, jsonl, ndjson
// The markup and JSON extensions, plus md, markdown, txt, text, tex, ltx,
// latex, csv and tsv.
bool is_supported_archive_text_entry(std::string_view name);

// ZIP entries are read JSON first (0), then markup (1), then the rest (2).
int entry_priority(std::string_view name);

// Markup through html_to_text; JSON (one value, else JSON Lines) through
// collect_json_text with one paragraph per collected text; anything else,
// and JSON that yields nothing, unchanged.
std::string archive_entry_text(std::string_view name, std::string_view text);

// Appends the strings of value, words joined by single spaces. Objects give
// their "title", "abstract", "body_text", "text" and "content" members, or,
// when those yield nothing, all members in key order. Numbers never count.
void collect_json_text(const util::json::Value& value, std::vector<std::string>& texts);

// The bytes as replacement-decoded text, unless they are empty or hold a
// zero byte (then they are binary, not a single text file).
std::optional<std::string> single_file_text_payload(std::span<const std::uint8_t> bytes);

}  // namespace scrivex_core::archive

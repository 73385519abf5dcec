// Line and field reading shared by the CSV layouts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"

namespace scrivex_core::csv::detail {

inline constexpr float kBlockConfidence = 0.9f;
inline constexpr std::string_view kExtractionMethod = "csv_native";

// Lines for header-driven layouts: blank lines skipped, only trailing white
// space removed (a leading tab still opens an empty first field).
std::vector<std::string_view> header_lines(std::string_view text);

// Lines for plain rows: split at every "\n", trimmed at both ends, empty ones skipped.
std::vector<std::string_view> row_lines(std::string_view text);

// Splits at every delimiter, keeping the pieces exactly as written.
std::vector<std::string_view> split_raw(std::string_view text, char delimiter);

// Splits at every delimiter (no quoting); each field is trimmed, then loses
// every leading and trailing '"'.
std::vector<std::string> split_fields(std::string_view line, char delimiter);

// An optional "+" and ASCII digits fitting 64 bits; nothing otherwise.
std::optional<std::uint64_t> parse_unsigned(std::string_view text);

// fields[from..] joined with `separator`.
std::string join_from(const std::vector<std::string>& fields, std::size_t from, std::string_view separator);

ir::SourceAnchor anchor(std::uint64_t page_number, std::optional<ir::BBox> bbox);

// The blocks of each layout; an empty list means the layout does not apply.
std::vector<ir::Block> word_table_blocks(std::string_view text);
std::vector<ir::Block> region_table_blocks(std::string_view text);
std::vector<ir::Block> plain_row_blocks(std::string_view text, char delimiter);

}  // namespace scrivex_core::csv::detail

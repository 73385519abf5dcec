// The operations the Python module exposes, one call each. Every one returns
// its text or a ScrivexError; nothing throws.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.hpp"

namespace scrivex_core {

inline constexpr const char* kVersion = "0.3.17";

// In-memory text through the plain text engine, written or rendered.
Result<std::string> text_to_json(std::string_view text);
Result<std::string> text_to_markdown(std::string_view text);
Result<std::string> text_to_latex(std::string_view text);

// The format label of a path, decided from its extension alone.
Result<std::string> detect_format(std::string_view path);

// Loads one file; options_json absent means the defaults. Indented JSON.
Result<std::string> load_path_json(std::string_view path, std::optional<std::string_view> options_json);

// Loads every path with default options; one compact JSON array.
Result<std::string> load_many_json(const std::vector<std::string>& paths);

// Reads an IR JSON text and writes it again, or renders it.
Result<std::string> document_json_to_json(std::string_view document_json);
Result<std::string> document_json_to_markdown(std::string_view document_json);
Result<std::string> document_json_to_latex(std::string_view document_json);

}  // namespace scrivex_core

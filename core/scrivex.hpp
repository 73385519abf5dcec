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

// The message Python raises as RuntimeError: a ScrivexError's display text,
// or a JSON reader's message as it is (options and IR JSON input).
struct ApiError {
  std::string message;
  const std::string& display() const { return message; }
};

using ApiResult = Result<std::string, ApiError>;

// In-memory text through the plain text engine, written or rendered.
ApiResult text_to_json(std::string_view text);
ApiResult text_to_markdown(std::string_view text);
ApiResult text_to_latex(std::string_view text);

// The format label of a path, decided from its extension alone.
ApiResult detect_format(std::string_view path);

// Loads one file; options_json absent means the defaults. Indented JSON.
ApiResult load_path_json(std::string_view path, std::optional<std::string_view> options_json);

// Loads every path with default options; one compact JSON array.
ApiResult load_many_json(const std::vector<std::string>& paths);

// Reads an IR JSON text and writes it again, or renders it.
ApiResult document_json_to_json(std::string_view document_json);
ApiResult document_json_to_markdown(std::string_view document_json);
ApiResult document_json_to_latex(std::string_view document_json);

}  // namespace scrivex_core

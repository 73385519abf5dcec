// The input of every engine: the file read the way its format needs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.hpp"

namespace scrivex_core::source {

struct Source {
  // UTF-8 content; for binary formats the bytes decoded lossily.
  std::string text;
  // Format label: "text", "pdf", "html", ...
  std::string format;
  // Raw bytes as read from disk (compressed bytes for a gzip text file);
  // absent for text passed in memory.
  std::optional<std::vector<std::uint8_t>> bytes;
  // The path as displayed; absent for text passed in memory.
  std::optional<std::string> path;

  static Source from_text(std::string_view text);
  static Result<Source> from_binary_path(const std::string& path, std::string label);
  static Result<Source> from_text_or_gzip_path(const std::string& path, std::string label);
};

// Reads the whole file; an operating-system failure is an Io error.
Result<std::vector<std::uint8_t>> read_file(const std::string& path);

}  // namespace scrivex_core::source

// gzip decoding through zlib, every member of a concatenated file in turn.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/error/error.hpp"

namespace scrivex_core::util {

struct GzipError {
  std::string message;  // "invalid gzip header", "corrupt gzip stream does not have a matching checksum", ...
};

// Decodes each gzip member one after the other and concatenates their
// output. Bytes after a member that do not start another member are ignored.
// Output beyond max_output bytes fails instead of exhausting memory.
Result<std::string, GzipError> gunzip(std::span<const std::uint8_t> data, std::uint64_t max_output);

}  // namespace scrivex_core::util

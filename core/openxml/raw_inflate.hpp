// Raw deflate (no zlib or gzip framing) through zlib, with an output cap.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/error/error.hpp"

namespace scrivex_core::openxml {

struct InflateError {
  // True when the output passed max_output; message is then empty.
  bool over_limit = false;
  // The decompressor's text, e.g. "invalid block type".
  std::string message;
};

// Decodes one raw deflate stream up to its final block. Data cut short is an
// error; bytes after the final block are ignored.
Result<std::string, InflateError> inflate_raw(std::span<const std::uint8_t> data, std::uint64_t max_output);

}  // namespace scrivex_core::openxml

// What every harness shares: turning fuzzer bytes into the loaded source an
// engine expects, and running one engine over it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/format/format.hpp"
#include "core/pipeline/dispatch.hpp"
#include "core/source/source.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_fuzz {

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The source a binary file of that format loads to: raw bytes, their lossy
// text, the format's label and a path whose ending the engines may read.
inline scrivex_core::source::Source binary_source(const std::uint8_t* data, std::size_t size,
                                                  scrivex_core::format::InputFormat format,
                                                  std::string path) {
  scrivex_core::source::Source source;
  source.text = scrivex_core::util::decode_utf8_lossy(as_text(data, size));
  source.format = std::string(scrivex_core::format::format_label(format));
  source.bytes.emplace(data, data + size);
  source.path = std::move(path);
  return source;
}

// Runs the format's engine on the bytes as a binary file; the result is
// dropped, only crashes, leaks and undefined behaviour matter.
inline void extract_binary(const std::uint8_t* data, std::size_t size, scrivex_core::format::InputFormat format,
                           std::string path) {
  const auto source = binary_source(data, size, format, std::move(path));
  (void)scrivex_core::pipeline::engine_extract(format, source);
}

// The same for a text format: the loader refuses bytes that are not UTF-8,
// so the engine never sees them.
inline void extract_text(const std::uint8_t* data, std::size_t size, scrivex_core::format::InputFormat format,
                         std::string path) {
  if (!scrivex_core::util::is_valid_utf8(as_text(data, size))) return;
  extract_binary(data, size, format, std::move(path));
}

}  // namespace scrivex_fuzz

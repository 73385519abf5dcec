// Markdown text: the plain text engine picks its reader by the path's ending.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_text(data, size, scrivex_core::format::InputFormat::Text, "fuzz.md");
  return 0;
}

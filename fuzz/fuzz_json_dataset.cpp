// JSON datasets (page layouts, forms, word lists) through the JSON engine.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_text(data, size, scrivex_core::format::InputFormat::Json, "fuzz.json");
  return 0;
}

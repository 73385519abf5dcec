// Tab-separated tables, including OCR word tables, through the CSV engine.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_text(data, size, scrivex_core::format::InputFormat::Csv, "fuzz.tsv");
  return 0;
}

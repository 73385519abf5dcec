// E-mail messages: headers, MIME parts and their transfer encodings.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_text(data, size, scrivex_core::format::InputFormat::Eml, "fuzz.eml");
  return 0;
}

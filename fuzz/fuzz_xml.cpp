// XML documents (ALTO, PAGE and the rest) through the XML engine.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_text(data, size, scrivex_core::format::InputFormat::Xml, "fuzz.xml");
  return 0;
}

// ZIP, TAR and gzip archives; a path without a known ending lets the magic bytes pick.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_binary(data, size, scrivex_core::format::InputFormat::Archive, "fuzz.archive");
  return 0;
}

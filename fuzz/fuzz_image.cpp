// Image headers: the image engine reads sizes from PNG, JPEG, GIF, BMP, TIFF and WebP.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  scrivex_fuzz::extract_binary(data, size, scrivex_core::format::InputFormat::Image, "fuzz.png");
  return 0;
}

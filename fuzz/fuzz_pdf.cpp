// Whole PDF files through the native reader, on the calling thread so a
// crash shows one stack and runs repeat exactly.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/pdf/extract_pdf.hpp"
#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto source = scrivex_fuzz::binary_source(data, size, scrivex_core::format::InputFormat::Pdf, "fuzz.pdf");
  constexpr std::size_t kSingleThread = 1;
  (void)scrivex_core::pdf::extract_pdf(std::span<const std::uint8_t>(data, size), source, "pdf-native",
                                       kSingleThread);
  return 0;
}

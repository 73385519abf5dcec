// The content-stream interpreter alone: the input is one decoded content
// stream, read on a page with no fonts, no XObjects and no other objects.
#include <cstddef>
#include <cstdint>

#include "core/pdf/interpreter.hpp"
#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace pdf = scrivex_core::pdf;
  const pdf::PageFontMap fonts;
  const pdf::NamedRefs xobjects;
  const pdf::ObjectIndex index;
  const pdf::PageResources page{1, fonts, xobjects, index};
  pdf::ContentExtraction out;
  pdf::interpret_content_stream(scrivex_fuzz::as_text(data, size), "1 0 R", page, out);
  return 0;
}

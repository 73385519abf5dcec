// IR JSON read back and written again, as Markdown and as LaTeX. A document
// that reads must also write: its JSON is read a second time and has to
// come out the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/scrivex.hpp"
#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto text = scrivex_fuzz::as_text(data, size);
  (void)scrivex_core::document_json_to_markdown(text);
  (void)scrivex_core::document_json_to_latex(text);
  const auto written = scrivex_core::document_json_to_json(text);
  if (!written.ok()) return 0;
  const auto rewritten = scrivex_core::document_json_to_json(written.value());
  if (!rewritten.ok() || rewritten.value() != written.value()) std::abort();
  return 0;
}

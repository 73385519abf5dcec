// The extract options JSON reader.
#include <cstddef>
#include <cstdint>

#include "core/ir/json_form.hpp"
#include "fuzz/fuzz_input.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)scrivex_core::ir::read_extract_options(scrivex_fuzz::as_text(data, size));
  return 0;
}

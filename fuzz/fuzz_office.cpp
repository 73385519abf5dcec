// The ZIP reader with each office reader: the same bytes as a Word, Excel,
// PowerPoint and OpenDocument file, so one input reaches every part reader.
#include <array>
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input.hpp"

namespace {

using scrivex_core::format::InputFormat;

struct OfficeKind {
  InputFormat format;
  const char* path;
};

constexpr std::array<OfficeKind, 4> kKinds{{
    {InputFormat::Docx, "fuzz.docx"},
    {InputFormat::Xlsx, "fuzz.xlsx"},
    {InputFormat::Pptx, "fuzz.pptx"},
    {InputFormat::OpenDocument, "fuzz.odt"},
}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (const OfficeKind& kind : kKinds) scrivex_fuzz::extract_binary(data, size, kind.format, kind.path);
  return 0;
}

// Character references of HTML and XML text ("&amp;", "&#65;", "&#x41;").
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace scrivex_core::textual::detail {

struct DecodedReference {
  std::string text;  // what the reference stands for
  std::size_t end;   // position just after its ";"
};

// Decodes the reference whose "&" is at text[amp]. Only the names lt, gt,
// amp, quot, apos and nbsp (case-sensitive) and numeric references to
// Unicode scalar values are known; &nbsp; gives an ordinary space. The ";"
// must be at most 16 bytes after the "&". Nothing for anything else, in
// which case the "&" is ordinary text.
std::optional<DecodedReference> decode_character_reference(std::string_view text, std::size_t amp);

}  // namespace scrivex_core::textual::detail

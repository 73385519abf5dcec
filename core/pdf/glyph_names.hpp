// Glyph names of /Differences arrays to Unicode text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scrivex_core::pdf {

// The text of a glyph name: the fixed table, then a one-character name as
// itself, then "uniXXXX..." and "uXXXX" to "uXXXXXX" forms; nothing otherwise.
std::optional<std::string> resolve_glyph_name(std::string_view name);

}  // namespace scrivex_core::pdf

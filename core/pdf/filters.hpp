// The two stream filters the reader implements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/error/error.hpp"

namespace scrivex_core::pdf {

// zlib-framed deflate data. Everything decoded is returned when the data
// ends early or its checksum is missing or wrong (stream data loses trailing
// CR/LF bytes, which can cut the checksum); only corrupt data or output past
// max_output fails, with "FlateDecode failed: ...".
[[nodiscard]] Result<std::string> inflate_flate(std::string_view data, std::uint64_t max_output);

// ASCII base-85 with "<~" and "~>" delimiters and the "z" shorthand.
[[nodiscard]] Result<std::string> decode_ascii85(std::string_view data);

}  // namespace scrivex_core::pdf

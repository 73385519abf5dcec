// Stream data of PDF objects: locating it by keywords and applying filters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/error/error.hpp"

namespace scrivex_core::pdf {

// The decoded data of a stream object body: nothing when the body has no
// "stream" keyword, a PDF error when the markers or a filter are broken.
// The data lies between "stream" and the first "endstream" with all leading
// and trailing CR/LF bytes removed; /Length is not read. Only FlateDecode and
// ASCII85Decode are applied; /DecodeParms is ignored.
[[nodiscard]] Result<std::optional<std::string>> decode_stream_object(std::string_view body);

// PDF hexadecimal text to bytes: white space is skipped, a non-hex character
// counts as 0 and an odd last digit is the high nibble ("48 6" gives "H`").
std::string decode_hex(std::string_view text);

}  // namespace scrivex_core::pdf

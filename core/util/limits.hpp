// Every bound the library puts on hostile input, in one place.
#pragma once

#include <cstddef>
#include <cstdint>

namespace scrivex_core::limits {

// JSON nesting deeper than this is an error, so a hostile "[[[[..." cannot
// exhaust the stack of the recursive reader.
inline constexpr std::size_t kMaxJsonDepth = 128;

// A gzip text source may not inflate past this; a small file that claims
// gigabytes is a decompression bomb, not a document.
inline constexpr std::uint64_t kMaxGzipOutputBytes = std::uint64_t{1} << 30;

// Row indices of table cells come from the input, so one cell at row 10^18
// would ask for that many empty rows in an HTML table. Empty rows past this
// many per table are not written; real tables never come near it.
inline constexpr std::uint64_t kMaxEmptyHtmlRows = 10000;

}  // namespace scrivex_core::limits

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

// Arrays in a PDF content stream nested deeper than this end the reading of
// the stream, so "[[[[..." cannot exhaust the stack of the token reader.
inline constexpr std::size_t kMaxPdfArrayDepth = 256;

// No single PDF stream may inflate past this (decompression bombs).
inline constexpr std::uint64_t kMaxPdfStreamOutputBytes = std::uint64_t{1} << 30;

// Object streams are expanded into objects only up to this many decoded
// bytes per file, so many small bombs cannot add up to exhaust memory.
inline constexpr std::uint64_t kMaxPdfObjectStreamTotalBytes = std::uint64_t{1} << 30;

// A page's dictionary text with its inherited ancestors stops growing past
// this; a huge /Pages node repeated for every page would otherwise multiply
// memory by the page count.
inline constexpr std::size_t kMaxPdfInheritedTextBytes = std::size_t{16} << 20;

// LaTeX commands nested deeper than this inside each other's braced
// arguments are stripped flat rather than cleaned recursively, so hostile
// "\a{\a{\a{..." neither exhausts the stack nor costs quadratic time.
inline constexpr std::size_t kMaxLatexInlineDepth = 32;

// No single ZIP entry or gzip archive stream may inflate past this: a small
// container that claims gigabytes is a decompression bomb, not a document.
inline constexpr std::uint64_t kMaxArchiveEntryOutputBytes = std::uint64_t{1} << 30;

// One ZIP read inflates at most this much in all, so many entries just under
// the entry limit cannot add up to exhaust memory.
inline constexpr std::uint64_t kMaxZipTotalOutputBytes = std::uint64_t{2} << 30;

// Operands kept for one content-stream operator, nested array items
// included; more are read and dropped, so a stream of bare numbers cannot
// grow a list without bound.
inline constexpr std::size_t kMaxPdfOperandsPerOperation = std::size_t{1} << 20;

// Per page, at most this many text runs, ruling segments (path segments
// included) and images are kept, and "q" nests at most this deep; a 1 GiB
// content stream of tiny operations would otherwise expand many times over.
inline constexpr std::size_t kMaxPdfRunsPerPage = std::size_t{1} << 20;
inline constexpr std::size_t kMaxPdfSegmentsPerPage = std::size_t{1} << 20;
inline constexpr std::size_t kMaxPdfImagesPerPage = std::size_t{1} << 16;
inline constexpr std::size_t kMaxPdfGraphicsStateDepth = 4096;

// A ToUnicode CMap maps at most this many codes (two-byte fonts need 65536);
// bfrange lines could otherwise make hundreds of entries per input byte.
inline constexpr std::size_t kMaxPdfCmapEntries = std::size_t{1} << 17;

}  // namespace scrivex_core::limits

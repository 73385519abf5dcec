// The ZIP container reader shared by the office and archive engines.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "core/error/error.hpp"
#include "core/util/limits.hpp"

namespace scrivex_core::openxml {

// Entry name to entry text. Names and contents are decoded as UTF-8 with
// U+FFFD for invalid sequences, so binary parts come out replacement-filled.
// Callers must not rely on the order.
using ZipFiles = std::map<std::string, std::string>;

// Decompression caps, in uncompressed bytes.
struct ZipLimits {
  std::uint64_t entry_bytes = limits::kMaxArchiveEntryOutputBytes;
  std::uint64_t total_bytes = limits::kMaxZipTotalOutputBytes;
};

// Reads every entry of the central directory (stored or deflated) from the
// whole file. A later entry replaces an earlier one of the same name. Any
// fault fails the whole read with an Archive error; CRC-32 values are not
// checked and ZIP64 is not read.
Result<ZipFiles> read_zip_files(std::span<const std::uint8_t> data, const ZipLimits& limits = {});

}  // namespace scrivex_core::openxml

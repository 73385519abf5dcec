// The TAR container: 512-byte headers, each followed by its zero-padded data.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/error/error.hpp"

namespace scrivex_core::archive {

// One regular file of a TAR archive. data views the archive bytes, which
// must outlive the entry.
struct TarEntry {
  std::string name;  // never empty; "prefix/name" when the header has a prefix
  std::span<const std::uint8_t> data;
};

// The regular files in archive order, up to the first all-zero header block.
// Directories, links and extended headers are skipped but their sizes still
// honoured. Fails with "TAR entry missing name", "invalid TAR octal field" or
// "truncated TAR entry data"; header checksums are not verified.
Result<std::vector<TarEntry>> read_tar_entries(std::span<const std::uint8_t> data);

// The bytes up to the first zero byte, decoded as UTF-8 with U+FFFD for
// invalid sequences, with white space trimmed at both ends.
std::string trim_nul_string(std::span<const std::uint8_t> bytes);

}  // namespace scrivex_core::archive

#include "core/archive/tar_reader.hpp"

#include <algorithm>
#include <optional>
#include <string_view>

#include "core/util/byte_view.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::archive {
namespace {

constexpr std::uint64_t kBlockBytes = 512;

// Header fields: offset and length within the 512-byte block.
constexpr std::size_t kNameOffset = 0;
constexpr std::size_t kNameBytes = 100;
constexpr std::size_t kSizeOffset = 124;
constexpr std::size_t kSizeBytes = 12;
constexpr std::size_t kTypeOffset = 156;
constexpr std::size_t kPrefixOffset = 345;
constexpr std::size_t kPrefixBytes = 155;

bool all_zero(std::span<const std::uint8_t> block) {
  return std::all_of(block.begin(), block.end(), [](std::uint8_t byte) { return byte == 0; });
}

// An unsigned octal number with an optional leading "+"; the empty text is 0.
std::optional<std::uint64_t> parse_octal(std::string_view text) {
  if (text.empty()) return 0;
  if (text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '7') return std::nullopt;
    if (value > (UINT64_MAX >> 3)) return std::nullopt;
    value = (value << 3) | static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

Result<std::string> entry_name(std::span<const std::uint8_t> header) {
  std::string name = trim_nul_string(header.subspan(kNameOffset, kNameBytes));
  const std::string prefix = trim_nul_string(header.subspan(kPrefixOffset, kPrefixBytes));
  if (!prefix.empty()) name = prefix + "/" + name;
  if (name.empty()) return ScrivexError::archive("TAR entry missing name");
  return name;
}

bool is_regular_file(std::uint8_t type_flag) {
  return type_flag == 0 || type_flag == '0';
}

}  // namespace

std::string trim_nul_string(std::span<const std::uint8_t> bytes) {
  const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
  const std::string_view raw(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<std::size_t>(nul - bytes.begin()));
  return std::string(util::trim(util::decode_utf8_lossy(raw)));
}

Result<std::vector<TarEntry>> read_tar_entries(std::span<const std::uint8_t> bytes) {
  const util::ByteView data(bytes);
  std::vector<TarEntry> entries;
  std::uint64_t offset = 0;
  while (const auto header = data.slice(offset, kBlockBytes)) {
    // One zero block ends the archive; whatever follows is ignored.
    if (all_zero(*header)) break;
    auto name = entry_name(*header);
    if (!name) return std::move(name).error();
    const std::optional<std::uint64_t> size =
        parse_octal(trim_nul_string(header->subspan(kSizeOffset, kSizeBytes)));
    if (!size) return ScrivexError::archive("invalid TAR octal field");
    const auto content = data.slice(offset + kBlockBytes, *size);
    if (!content) return ScrivexError::archive("truncated TAR entry data");
    if (is_regular_file((*header)[kTypeOffset]))
      entries.push_back(TarEntry{std::move(name).value(), *content});
    // The size is at most the bytes left, so the padded step cannot overflow.
    offset += kBlockBytes + (*size + kBlockBytes - 1) / kBlockBytes * kBlockBytes;
  }
  return entries;
}

}  // namespace scrivex_core::archive

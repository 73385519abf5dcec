#include "core/openxml/zip_reader.hpp"

#include <algorithm>
#include <vector>

#include "core/openxml/raw_inflate.hpp"
#include "core/util/byte_view.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::openxml {
namespace {

using util::ByteView;

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint64_t kEndRecordBytes = 22;
constexpr std::uint64_t kMaxCommentBytes = 65535;
constexpr std::uint64_t kCentralHeaderBytes = 46;
constexpr std::uint64_t kLocalHeaderBytes = 30;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflate = 8;

struct ZipEntry {
  std::string name;
  std::uint64_t compressed_size = 0;
  std::uint64_t local_header_offset = 0;
  std::uint16_t method = 0;
};

struct Directory {
  std::uint64_t entry_count = 0;
  std::uint64_t offset = 0;
};

ScrivexError zip_error(std::string message) {
  return ScrivexError::archive(std::move(message));
}
ScrivexError unexpected_end() {
  return zip_error("unexpected end of ZIP data");
}

std::string_view as_chars(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::string limit_text(std::uint64_t bytes) {
  constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
  if (bytes != 0 && bytes % kGiB == 0) return std::to_string(bytes / kGiB) + " GiB";
  return std::to_string(bytes) + " byte";
}

// The end record nearest the end of the file, looked for only where a
// record with the longest comment could start.
Result<Directory> find_directory(const ByteView& data) {
  const std::uint64_t n = data.size();
  const std::uint64_t last = n >= kEndRecordBytes ? n - kEndRecordBytes : 0;
  const std::uint64_t first =
      n >= kEndRecordBytes + kMaxCommentBytes ? n - kEndRecordBytes - kMaxCommentBytes : 0;
  for (std::uint64_t pos = last + 1; pos-- > first;) {
    if (data.u32le(pos) != kEndSignature) continue;
    if (!data.has(pos, kEndRecordBytes)) return zip_error("truncated ZIP directory");
    // End record: entries in total (10), directory size (12), directory offset (16).
    const std::uint64_t count = *data.u16le(pos + 10);
    const std::uint64_t size = *data.u32le(pos + 12);
    const std::uint64_t offset = *data.u32le(pos + 16);
    if (offset + size > n) return zip_error("ZIP directory exceeds file size");
    return Directory{count, offset};
  }
  return zip_error("missing ZIP directory");
}

Result<std::vector<ZipEntry>> read_central_headers(const ByteView& data, const Directory& directory) {
  std::vector<ZipEntry> entries;
  std::uint64_t pos = directory.offset;
  for (std::uint64_t i = 0; i < directory.entry_count; ++i) {
    if (!data.has(pos, kCentralHeaderBytes) || data.u32le(pos) != kCentralSignature) {
      return zip_error("malformed ZIP central header");
    }
    // Central header: method (10), compressed size (20), name length (28),
    // extra length (30), comment length (32), local header offset (42), name (46).
    const std::uint16_t name_length = *data.u16le(pos + 28);
    const std::uint16_t extra_length = *data.u16le(pos + 30);
    const std::uint16_t comment_length = *data.u16le(pos + 32);
    const auto name = data.slice(pos + kCentralHeaderBytes, name_length);
    if (!name) return zip_error("truncated ZIP entry name");
    entries.push_back(ZipEntry{util::decode_utf8_lossy(as_chars(*name)), *data.u32le(pos + 20),
                               *data.u32le(pos + 42), *data.u16le(pos + 10)});
    pos += kCentralHeaderBytes + name_length + extra_length + comment_length;
  }
  return entries;
}

Result<std::span<const std::uint8_t>> entry_data(const ByteView& data, const ZipEntry& entry) {
  const std::uint64_t header = entry.local_header_offset;
  if (!data.has(header, kLocalHeaderBytes) || data.u32le(header) != kLocalSignature) {
    return zip_error("malformed ZIP local header");
  }
  // Local header: name length (26), extra length (28); the data follows both.
  const auto name_length = data.u16le(header + 26);
  const auto extra_length = data.u16le(header + 28);
  if (!name_length || !extra_length) return unexpected_end();
  const std::uint64_t start = header + kLocalHeaderBytes + *name_length + *extra_length;
  const auto bytes = data.slice(start, entry.compressed_size);
  if (!bytes) return zip_error("truncated ZIP entry data");
  return *bytes;
}

// Tracks the bytes one read has produced against both caps.
class Budget {
 public:
  explicit Budget(const ZipLimits& limits) : limits_(limits) {}

  // The most the next entry may produce.
  std::uint64_t next_cap() const { return std::min(limits_.entry_bytes, total_left()); }

  // The error for an entry that went past next_cap().
  ScrivexError exceeded() const {
    if (total_left() < limits_.entry_bytes) {
      return zip_error("ZIP archive exceeds the " + limit_text(limits_.total_bytes) +
                       " total decompression limit");
    }
    return zip_error("ZIP entry exceeds the " + limit_text(limits_.entry_bytes) + " decompression limit");
  }

  void spend(std::uint64_t bytes) { used_ += bytes; }

 private:
  std::uint64_t total_left() const { return limits_.total_bytes - std::min(used_, limits_.total_bytes); }

  ZipLimits limits_;
  std::uint64_t used_ = 0;
};

Result<std::string> entry_bytes(const ZipEntry& entry, std::span<const std::uint8_t> stored, Budget& budget) {
  std::string bytes;
  if (entry.method == kMethodStored) {
    if (stored.size() > budget.next_cap()) return budget.exceeded();
    bytes.assign(as_chars(stored));
  } else if (entry.method == kMethodDeflate) {
    auto inflated = inflate_raw(stored, budget.next_cap());
    if (!inflated) {
      if (inflated.error().over_limit) return budget.exceeded();
      return zip_error("Deflate failed: " + inflated.error().message);
    }
    bytes = std::move(inflated).value();
  } else {
    return zip_error("unsupported ZIP compression method " + std::to_string(entry.method));
  }
  budget.spend(bytes.size());
  return bytes;
}

}  // namespace

Result<ZipFiles> read_zip_files(std::span<const std::uint8_t> bytes, const ZipLimits& limits) {
  const ByteView data(bytes);
  auto directory = find_directory(data);
  if (!directory) return std::move(directory).error();
  // Every central header is read before any entry data.
  auto entries = read_central_headers(data, directory.value());
  if (!entries) return std::move(entries).error();
  ZipFiles files;
  Budget budget(limits);
  for (const ZipEntry& entry : entries.value()) {
    auto stored = entry_data(data, entry);
    if (!stored) return std::move(stored).error();
    auto content = entry_bytes(entry, stored.value(), budget);
    if (!content) return std::move(content).error();
    files.insert_or_assign(entry.name, util::decode_utf8_lossy(content.value()));
  }
  return files;
}

}  // namespace scrivex_core::openxml

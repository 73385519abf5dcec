// Builds small ZIP files, raw deflate data and sources for the container tests.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/source/source.hpp"

namespace scrivex_core::testing_zip {

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytes_of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

inline void put_u16(Bytes& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value));
  out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void put_u32(Bytes& out, std::uint32_t value) {
  put_u16(out, value & 0xFFFF);
  put_u16(out, value >> 16);
}
inline void put_text(Bytes& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

// Raw deflate (no header, no checksum) of text.
inline Bytes raw_deflate(std::string_view text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&stream, text.size()) + 16);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

// One gzip member holding text.
inline Bytes gzip_member(std::string_view text) {
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  Bytes out(deflateBound(&stream, text.size()) + 32);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

struct ZipTestEntry {
  ZipTestEntry(std::string name, std::string content, std::uint16_t method = 8,
               std::optional<Bytes> data = {}, std::uint32_t crc_xor = 0)
      : name(std::move(name)),
        content(std::move(content)),
        method(method),
        data(std::move(data)),
        crc_xor(crc_xor) {}
  std::string name;
  std::string content;
  std::uint16_t method;       // 0 stored, 8 deflate; others are written stored
  std::optional<Bytes> data;  // the entry's data as written, when not derived from content
  std::uint32_t crc_xor;      // spoils the CRC-32 when not 0
};

// A ZIP file with the entries in order, the central directory and an end
// record carrying the comment.
inline Bytes make_zip(const std::vector<ZipTestEntry>& entries, std::string_view comment = "") {
  Bytes out;
  std::vector<std::uint32_t> offsets;
  std::vector<Bytes> datas;
  for (const ZipTestEntry& entry : entries) {
    Bytes data = entry.data          ? *entry.data
                 : entry.method == 8 ? raw_deflate(entry.content)
                                     : bytes_of(entry.content);
    offsets.push_back(static_cast<std::uint32_t>(out.size()));
    put_u32(out, 0x04034b50);
    put_u16(out, 20);  // version needed
    put_u16(out, 0);   // flags
    put_u16(out, entry.method);
    put_u32(out, 0);                                        // time and date
    put_u32(out, 0);                                        // CRC-32 (the central one counts)
    put_u32(out, static_cast<std::uint32_t>(data.size()));  // compressed size
    put_u32(out, static_cast<std::uint32_t>(entry.content.size()));
    put_u16(out, static_cast<std::uint32_t>(entry.name.size()));
    put_u16(out, 0);  // extra length
    put_text(out, entry.name);
    out.insert(out.end(), data.begin(), data.end());
    datas.push_back(std::move(data));
  }
  const std::uint32_t directory_offset = static_cast<std::uint32_t>(out.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ZipTestEntry& entry = entries[i];
    const std::uint32_t crc = crc32(0, reinterpret_cast<const Bytef*>(entry.content.data()),
                                    static_cast<uInt>(entry.content.size()));
    put_u32(out, 0x02014b50);
    put_u16(out, 20);  // version made by
    put_u16(out, 20);  // version needed
    put_u16(out, 0);   // flags
    put_u16(out, entry.method);
    put_u32(out, 0);  // time and date
    put_u32(out, crc ^ entry.crc_xor);
    put_u32(out, static_cast<std::uint32_t>(datas[i].size()));
    put_u32(out, static_cast<std::uint32_t>(entry.content.size()));
    put_u16(out, static_cast<std::uint32_t>(entry.name.size()));
    put_u16(out, 0);  // extra length
    put_u16(out, 0);  // comment length
    put_u16(out, 0);  // disk number
    put_u16(out, 0);  // internal attributes
    put_u32(out, 0);  // external attributes
    put_u32(out, offsets[i]);
    put_text(out, entry.name);
  }
  const std::uint32_t directory_size = static_cast<std::uint32_t>(out.size()) - directory_offset;
  put_u32(out, 0x06054b50);
  put_u16(out, 0);  // this disk
  put_u16(out, 0);  // directory disk
  put_u16(out, static_cast<std::uint32_t>(entries.size()));
  put_u16(out, static_cast<std::uint32_t>(entries.size()));
  put_u32(out, directory_size);
  put_u32(out, directory_offset);
  put_u16(out, static_cast<std::uint32_t>(comment.size()));
  put_text(out, comment);
  return out;
}

// A file of tests/core/data/containers.
inline Bytes read_fixture(const std::string& relative) {
  std::ifstream in(std::string(SCRIVEX_TEST_DATA_DIR) + "/containers/" + relative, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A source as from_binary_path makes it, without touching the disk.
inline source::Source binary_source(Bytes bytes, std::string format, std::optional<std::string> path = {}) {
  source::Source source;
  source.text.assign(bytes.begin(), bytes.end());
  source.format = std::move(format);
  source.bytes = std::move(bytes);
  source.path = std::move(path);
  return source;
}

}  // namespace scrivex_core::testing_zip

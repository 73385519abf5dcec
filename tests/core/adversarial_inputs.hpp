// Hostile inputs built in memory, shared by the resource-bound tests and the
// benchmark that times them: decompression bombs, claimed sizes and counts
// that the bytes do not back, and documents with very many parts.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/core/pdf_test_writer.hpp"
#include "tests/core/zip_test_writer.hpp"

namespace scrivex_core::adversarial {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// zlib framings of deflate data, as inflateInit2/deflateInit2 window bits.
enum class Framing : int { Zlib = 15, Raw = -15, Gzip = 16 + 15 };

// Deflate data that inflates to `zeros` zero bytes, made in 1 MiB steps so
// that building a gigabyte bomb needs only a megabyte of input.
inline Bytes deflated_zeros(std::uint64_t zeros, Framing framing) {
  constexpr std::size_t kStep = std::size_t{1} << 20;
  const std::vector<Bytef> chunk(kStep, 0);
  z_stream stream{};
  deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, static_cast<int>(framing), 9, Z_DEFAULT_STRATEGY);
  Bytes out;
  Bytef buffer[1 << 16];
  std::uint64_t left = zeros;
  int flush = Z_NO_FLUSH;
  do {
    const std::size_t take = left < kStep ? static_cast<std::size_t>(left) : kStep;
    left -= take;
    flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
    stream.next_in = const_cast<Bytef*>(chunk.data());
    stream.avail_in = static_cast<uInt>(take);
    do {
      stream.next_out = buffer;
      stream.avail_out = sizeof buffer;
      deflate(&stream, flush);
      out.insert(out.end(), buffer, buffer + (sizeof buffer - stream.avail_out));
    } while (stream.avail_out == 0);
  } while (flush != Z_FINISH);
  deflateEnd(&stream);
  return out;
}

inline std::string as_string(const Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// A ZIP holding one deflated entry of `zeros` zero bytes.
inline Bytes zip_bomb(std::uint64_t zeros, std::string name = "zeros.txt") {
  return testing_zip::make_zip({{std::move(name), "", 8, deflated_zeros(zeros, Framing::Raw)}});
}

// A ZIP of `entries` deflated entries of `zeros` zero bytes each, every one
// under the per-entry cap; together they pass the per-read cap.
inline Bytes zip_of_many_bombs(int entries, std::uint64_t zeros) {
  const Bytes data = deflated_zeros(zeros, Framing::Raw);
  std::vector<testing_zip::ZipTestEntry> list;
  for (int i = 0; i < entries; ++i) list.emplace_back("part" + std::to_string(i) + ".txt", "", 8, data);
  return testing_zip::make_zip(list);
}

// Only an end-of-central-directory record that claims `count` entries of a
// directory at offset 0 with size 0: 22 bytes in all.
inline Bytes zip_claiming_entries(std::uint16_t count) {
  Bytes out;
  testing_zip::put_u32(out, 0x06054b50);
  testing_zip::put_u16(out, 0);      // this disk
  testing_zip::put_u16(out, 0);      // directory disk
  testing_zip::put_u16(out, count);  // entries on this disk
  testing_zip::put_u16(out, count);  // entries in total
  testing_zip::put_u32(out, 0);      // directory size
  testing_zip::put_u32(out, 0);      // directory offset
  testing_zip::put_u16(out, 0);      // comment length
  return out;
}

// One TAR header block named `name` whose 12-byte size field holds `size_field`
// exactly (no terminator is added when it fills the field), then end blocks.
inline Bytes tar_with_size_field(std::string_view name, const std::string& size_field) {
  Bytes out(512 * 3, 0);
  std::memcpy(out.data(), name.data(), std::min<std::size_t>(name.size(), 100));
  std::memcpy(out.data() + 124, size_field.data(), std::min<std::size_t>(size_field.size(), 12));
  out[156] = '0';  // regular file
  return out;
}

// The 12-byte base-256 spelling of a size: a leading 0x80 flag, then the
// number big-endian in the other 11 bytes.
inline std::string base256_size(std::uint64_t size) {
  std::string field(12, '\0');
  field[0] = static_cast<char>(0x80);
  for (int i = 11; i >= 4; --i, size >>= 8) field[i] = static_cast<char>(size & 0xFF);
  return field;
}

// A PDF page whose only content stream is a FlateDecode bomb of `zeros` bytes.
inline std::string pdf_stream_bomb(std::uint64_t zeros) {
  pdf::testing::PdfWriter writer;
  writer.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  writer.object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  writer.object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R >>");
  writer.stream(4, "/Filter /FlateDecode", as_string(deflated_zeros(zeros, Framing::Zlib)));
  return writer.build("/Root 1 0 R");
}

// A page whose /Contents names one FlateDecode stream of `zeros` zero bytes
// `references` times: each reference is decoded and read again.
inline std::string pdf_repeated_contents(std::uint64_t zeros, std::size_t references) {
  std::string contents;
  for (std::size_t i = 0; i < references; ++i) contents += "4 0 R ";
  pdf::testing::PdfWriter writer;
  writer.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  writer.object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  writer.object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents [" + contents + "] >>");
  writer.stream(4, "/Filter /FlateDecode", as_string(deflated_zeros(zeros, Framing::Zlib)));
  return writer.build("/Root 1 0 R");
}

// One page whose content is `content`; font F1 is Helvetica.
inline std::string pdf_page(std::string_view content, std::string_view media_box = "0 0 612 792") {
  pdf::testing::PdfWriter writer;
  writer.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  writer.object(2, "<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
  writer.object(3, "<< /Type /Page /Parent 2 0 R /MediaBox [" + std::string(media_box) +
                       "] /Resources << /Font << /F1 5 0 R >> >> /Contents 4 0 R >>");
  writer.stream(4, "", content);
  writer.object(5, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  return writer.build("/Root 1 0 R");
}

// A word of lower-case letters that names n (a, b, ..., z, ba, bb, ...):
// text repair leaves such words alone, so they survive to the output.
inline std::string letters_word(std::size_t n) {
  std::string word;
  do {
    word.insert(word.begin(), static_cast<char>('a' + n % 26));
    n /= 26;
  } while (n > 0);
  return "w" + word;
}

// A page of `lines` lines with `runs_per_line` words each, every word shown
// by its own Tj (one text run each), 10-point type on 12-point lines, on a
// page large enough to hold them all.
inline std::string pdf_page_of_runs(std::size_t lines, std::size_t runs_per_line) {
  constexpr double kLeading = 12;
  const double height = static_cast<double>(lines) * kLeading + 72;
  std::string content =
      "BT /F1 10 Tf " + std::to_string(kLeading) + " TL 36 " + std::to_string(height - 36) + " Td\n";
  std::size_t word = 0;
  for (std::size_t line = 0; line < lines; ++line) {
    for (std::size_t run = 0; run < runs_per_line; ++run) content += "(" + letters_word(word++) + " ) Tj ";
    content += "T*\n";
  }
  content += "ET\n";
  const double width = 72 + static_cast<double>(runs_per_line) * 60;
  return pdf_page(content, "0 0 " + std::to_string(width) + " " + std::to_string(height));
}

// A document of `pages` one-line pages under one /Pages node whose /Kids
// lists them all: 2 * pages + 3 objects.
inline std::string pdf_of_pages(std::size_t pages) {
  pdf::testing::PdfWriter writer;
  std::string kids;
  for (std::size_t page = 0; page < pages; ++page) kids += std::to_string(10 + 2 * page) + " 0 R ";
  writer.object(1, "<< /Type /Catalog /Pages 2 0 R >>");
  writer.object(2, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages) +
                       " /MediaBox [0 0 612 792] /Resources << /Font << /F1 3 0 R >> >> >>");
  writer.object(3, "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  for (std::size_t page = 0; page < pages; ++page) {
    const auto number = static_cast<std::uint32_t>(10 + 2 * page);
    writer.object(number, "<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(number + 1) + " 0 R >>");
    writer.stream(number + 1, "", "BT /F1 12 Tf 72 700 Td (" + letters_word(page) + ") Tj ET");
  }
  return writer.build("/Root 1 0 R");
}

// JSON arrays nested `depth` deep.
inline std::string nested_json(std::size_t depth) {
  return std::string(depth, '[') + std::string(depth, ']');
}

}  // namespace scrivex_core::adversarial

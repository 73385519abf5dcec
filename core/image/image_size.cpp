#include "core/image/image_size.hpp"

#include "core/util/byte_view.hpp"

namespace scrivex_core::image {
namespace {

using util::ByteView;

// Shortest data each format needs before it is tried.
constexpr std::uint64_t kMinAny = 4;
constexpr std::uint64_t kMinPng = 24;
constexpr std::uint64_t kMinJpeg = 6;
constexpr std::uint64_t kMinGif = 10;
constexpr std::uint64_t kMinBmp = 26;
constexpr std::uint64_t kMinTiff = 8;
constexpr std::uint64_t kMinWebp = 30;

// TIFF tags and field types.
constexpr std::uint16_t kTagImageWidth = 256;
constexpr std::uint16_t kTagImageLength = 257;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::uint16_t kTypeLong = 4;
constexpr std::uint64_t kTiffEntryBytes = 12;

// WebP simple layouts store 14-bit dimensions.
constexpr std::uint32_t kWebpDimensionMask = 0x3FFF;
constexpr std::uint8_t kVp8lSignature = 0x2F;

std::optional<ImageSize> png_size(const ByteView& data) {
  // Signature, then the IHDR chunk: length (8), type (12), width (16), height (20).
  if (!data.matches(0, "\x89PNG\r\n\x1A\n") || !data.matches(12, "IHDR")) return std::nullopt;
  const auto width = data.u32be(16);
  const auto height = data.u32be(20);
  if (!width || !height) return std::nullopt;
  return ImageSize{*width, *height};
}

bool is_start_of_frame(std::uint8_t marker) {
  // C4 (Huffman table), C8 (reserved) and CC (arithmetic conditioning) share the range.
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the marker segments up to the first frame header.
std::optional<ImageSize> jpeg_size(const ByteView& data) {
  if (!data.matches(0, "\xFF\xD8")) return std::nullopt;
  const std::uint64_t n = data.size();
  std::uint64_t p = 2;
  while (p < n) {
    while (p < n && *data.u8(p) == 0xFF) ++p;
    if (p >= n) return std::nullopt;
    const std::uint64_t q = p;
    const std::uint8_t marker = *data.u8(q);
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end of image, start of scan
    const auto length = data.u16be(q + 1);                      // counts itself, not the marker
    if (!length || *length < 2 || q + 1 + *length > n) return std::nullopt;
    if (is_start_of_frame(marker) && q + 8 <= n) {
      // Segment: length (q+1), precision (q+3), height (q+4), width (q+6).
      return ImageSize{*data.u16be(q + 6), *data.u16be(q + 4)};
    }
    p = q + 1 + *length;
    if (p + 4 > n) return std::nullopt;
  }
  return std::nullopt;
}

std::optional<ImageSize> gif_size(const ByteView& data) {
  if (!data.matches(0, "GIF87a") && !data.matches(0, "GIF89a")) return std::nullopt;
  return ImageSize{*data.u16le(6), *data.u16le(8)};
}

std::uint32_t magnitude(std::uint32_t twos_complement) {
  // -2147483648 has the magnitude 2147483648, which still fits.
  return (twos_complement & 0x80000000u) ? 0u - twos_complement : twos_complement;
}

std::optional<ImageSize> bmp_size(const ByteView& data) {
  // BITMAPINFOHEADER: width (18) and height (22) as signed numbers; a
  // negative height marks a top-down picture.
  if (!data.matches(0, "BM")) return std::nullopt;
  return ImageSize{magnitude(*data.u32le(18)), magnitude(*data.u32le(22))};
}

// Reads the first image file directory for tags 256 and 257. Entries whose
// count is not 1 or whose type is neither SHORT nor LONG (bits per sample of
// an RGB picture, strip offsets, ...) are passed over.
std::optional<ImageSize> tiff_size(const ByteView& data) {
  bool big_endian = false;
  if (data.matches(0, "MM")) {
    big_endian = true;
  } else if (!data.matches(0, "II")) {
    return std::nullopt;
  }
  const auto u16 = [&](std::uint64_t at) { return big_endian ? data.u16be(at) : data.u16le(at); };
  const auto u32 = [&](std::uint64_t at) { return big_endian ? data.u32be(at) : data.u32le(at); };
  if (u16(2) != 42) return std::nullopt;
  const std::uint64_t directory = *u32(4);
  const auto entry_count = u16(directory);
  if (!entry_count || *entry_count == 0) return std::nullopt;
  std::optional<std::uint32_t> width;
  std::optional<std::uint32_t> height;
  for (std::uint64_t i = 0; i < *entry_count; ++i) {
    // Entry: tag (e), type (e+2), count (e+4), value (e+8).
    const std::uint64_t e = directory + 2 + kTiffEntryBytes * i;
    if (!data.has(e, kTiffEntryBytes)) return std::nullopt;
    const std::uint16_t type = *u16(e + 2);
    if (*u32(e + 4) != 1 || (type != kTypeShort && type != kTypeLong)) continue;
    const std::uint32_t value = type == kTypeShort ? *u16(e + 8) : *u32(e + 8);
    const std::uint16_t tag = *u16(e);
    if (tag == kTagImageWidth) width = value;
    if (tag == kTagImageLength) height = value;
  }
  if (!width || !height) return std::nullopt;
  return ImageSize{*width, *height};
}

std::optional<ImageSize> webp_size(const ByteView& data) {
  if (!data.matches(0, "RIFF") || !data.matches(8, "WEBP")) return std::nullopt;
  if (data.matches(12, "VP8X")) {
    // Extended header: flags (20), canvas width - 1 (24), canvas height - 1 (27), 24 bits each.
    const auto width = data.u24le(24);
    const auto height = data.u24le(27);
    if (!width || !height) return std::nullopt;
    return ImageSize{*width + 1, *height + 1};
  }
  if (data.matches(12, "VP8 ")) {
    // Lossy key frame: frame tag (20), start code (23), width (26), height (28);
    // the top two bits of each are the scale.
    if (!data.matches(23, "\x9D\x01\x2A")) return std::nullopt;
    const auto width = data.u16le(26);
    const auto height = data.u16le(28);
    if (!width || !height) return std::nullopt;
    return ImageSize{*width & kWebpDimensionMask, *height & kWebpDimensionMask};
  }
  if (data.matches(12, "VP8L")) {
    // Lossless: signature (20), then width - 1 and height - 1 packed as two
    // 14-bit fields, least significant bits first, from byte 21.
    if (data.u8(20) != kVp8lSignature) return std::nullopt;
    const auto bits = data.u32le(21);
    if (!bits) return std::nullopt;
    return ImageSize{(*bits & kWebpDimensionMask) + 1, ((*bits >> 14) & kWebpDimensionMask) + 1};
  }
  return std::nullopt;
}

}  // namespace

std::optional<ImageSize> read_image_size(std::span<const std::uint8_t> bytes) {
  const ByteView data(bytes);
  const std::uint64_t n = data.size();
  if (n < kMinAny) return std::nullopt;
  if (n >= kMinPng) {
    if (auto size = png_size(data)) return size;
  }
  if (n >= kMinJpeg) {
    if (auto size = jpeg_size(data)) return size;
  }
  if (n >= kMinGif) {
    if (auto size = gif_size(data)) return size;
  }
  if (n >= kMinBmp) {
    if (auto size = bmp_size(data)) return size;
  }
  if (n >= kMinTiff) {
    if (auto size = tiff_size(data)) return size;
  }
  if (n >= kMinWebp) {
    if (auto size = webp_size(data)) return size;
  }
  return std::nullopt;
}

}  // namespace scrivex_core::image

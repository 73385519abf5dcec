#include "core/image/image_engine.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/image/image_size.hpp"
#include "tests/core/zip_test_writer.hpp"

namespace scrivex_core::image {
namespace {

using testing_zip::Bytes;
using testing_zip::put_u16;
using testing_zip::put_u32;
using testing_zip::read_fixture;

Bytes hex(std::initializer_list<int> values) {
  Bytes out;
  for (int value : values) out.push_back(static_cast<std::uint8_t>(value));
  return out;
}

Bytes concat(std::vector<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes cut(Bytes data, std::size_t length) {
  data.resize(length);
  return data;
}

Bytes text(std::string_view s) {
  return testing_zip::bytes_of(s);
}

Bytes png_prefix(std::uint32_t width, std::uint32_t height) {
  Bytes out = concat({hex({0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}), text("IHDR")});
  for (std::uint32_t value : {width, height}) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
  return out;
}

// A JPEG segment: marker, big-endian length counting itself, payload.
Bytes segment(int marker, Bytes payload) {
  const std::size_t length = payload.size() + 2;
  return concat(
      {hex({0xFF, marker, static_cast<int>(length >> 8), static_cast<int>(length & 0xFF)}), payload});
}

Bytes frame_300_by_400() {
  return hex({8, 0x01, 0x2C, 0x01, 0x90, 3});
}  // precision, height, width, components

Bytes bmp(std::int32_t width, std::int32_t height) {
  Bytes out = text("BM");
  out.resize(18, 0);
  put_u32(out, static_cast<std::uint32_t>(width));
  put_u32(out, static_cast<std::uint32_t>(height));
  return out;
}

struct TiffEntry {
  std::uint16_t tag, type;
  std::uint32_t count, value;
};

// A little-endian TIFF whose first directory, at offset 8, holds the entries.
Bytes tiff_le(const std::vector<TiffEntry>& entries) {
  Bytes out = text("II");
  put_u16(out, 42);
  put_u32(out, 8);
  put_u16(out, static_cast<std::uint32_t>(entries.size()));
  for (const TiffEntry& entry : entries) {
    put_u16(out, entry.tag);
    put_u16(out, entry.type);
    put_u32(out, entry.count);
    put_u32(out, entry.value);
  }
  put_u32(out, 0);  // no next directory
  return out;
}

Bytes riff_webp(std::string_view chunk, Bytes payload) {
  Bytes out = text("RIFF");
  put_u32(out, 0);
  out.insert(out.end(), {'W', 'E', 'B', 'P'});
  out.insert(out.end(), chunk.begin(), chunk.end());
  put_u32(out, static_cast<std::uint32_t>(payload.size()));
  out.insert(out.end(), payload.begin(), payload.end());
  out.resize(std::max<std::size_t>(out.size(), 30), 0);
  return out;
}

struct SizeCase {
  std::string what;
  Bytes data;
  std::optional<ImageSize> expected;
};

// Header reading, format by format, including headers cut short or out of order.
TEST(ImageSize, ReadsEachFormatsHeader) {
  const std::vector<SizeCase> cases = {
      {"png prefix of 24 bytes", png_prefix(640, 480), ImageSize{640, 480}},
      {"png cut at 23 bytes", cut(png_prefix(640, 480), 23), std::nullopt},
      {"jpeg app0 then frame",
       concat({hex({0xFF, 0xD8}), segment(0xE0, text("JFIF\0")), segment(0xC0, frame_300_by_400())}),
       ImageSize{400, 300}},
      {"jpeg huffman table passed over",
       concat({hex({0xFF, 0xD8}), segment(0xC4, hex({0, 1, 2})), segment(0xC2, frame_300_by_400())}),
       ImageSize{400, 300}},
      {"jpeg fill bytes before a marker",
       concat({hex({0xFF, 0xD8, 0xFF, 0xFF}), segment(0xC1, frame_300_by_400())}), ImageSize{400, 300}},
      {"jpeg frame after start of scan",
       concat({hex({0xFF, 0xD8}), segment(0xDA, hex({1, 2, 3})), segment(0xC0, frame_300_by_400())}),
       std::nullopt},
      {"jpeg segment longer than the file", concat({hex({0xFF, 0xD8}), hex({0xFF, 0xE0, 0x10, 0x00, 1, 2})}),
       std::nullopt},
      {"jpeg segment length below 2", concat({hex({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x01, 0, 0})}),
       std::nullopt},
      {"gif89a", concat({text("GIF89a"), hex({0x0A, 0, 0x05, 0})}), ImageSize{10, 5}},
      {"gif87a", concat({text("GIF87a"), hex({0x01, 0x01, 0x02, 0})}), ImageSize{257, 2}},
      {"bmp bottom-up", bmp(320, -200), ImageSize{320, 200}},
      {"bmp most negative height", bmp(1, INT32_MIN), ImageSize{1, 2147483648u}},
      {"tiff short and long", tiff_le({{256, 3, 1, 120}, {257, 4, 1, 90}}), ImageSize{120, 90}},
      {"tiff rgb bits per sample passed over", tiff_le({{256, 3, 1, 120}, {257, 3, 1, 90}, {258, 3, 3, 8}}),
       ImageSize{120, 90}},
      {"tiff width of type rational passed over", tiff_le({{256, 5, 1, 120}, {257, 3, 1, 90}}), std::nullopt},
      {"tiff width with count 2 passed over", tiff_le({{256, 3, 2, 120}, {257, 3, 1, 90}}), std::nullopt},
      {"tiff without height", tiff_le({{256, 3, 1, 120}}), std::nullopt},
      {"tiff empty directory", tiff_le({}), std::nullopt},
      {"tiff directory past the end", concat({text("II"), hex({42, 0, 0xFF, 0xFF, 0xFF, 0x7F})}),
       std::nullopt},
      {"webp extended", riff_webp("VP8X", hex({0, 0, 0, 0, 0x7F, 0x02, 0, 0xDF, 0x01, 0})),
       ImageSize{640, 480}},
      {"webp simple lossy",
       riff_webp("VP8 ", hex({0x30, 0x01, 0x00, 0x9D, 0x01, 0x2A, 0x80, 0xC2, 0xE0, 0x01})),
       ImageSize{640, 480}},
      {"webp lossy without start code", riff_webp("VP8 ", hex({0, 0, 0, 0, 0, 0, 0x80, 0x02, 0xE0, 0x01})),
       std::nullopt},
      // 639 = 0x27F and 479 = 0x1DF packed as 14-bit fields: bits 0..13 and 14..27.
      {"webp lossless", riff_webp("VP8L", hex({0x2F, 0x7F, 0xC2, 0x77, 0x00})), ImageSize{640, 480}},
      {"webp lossless without signature", riff_webp("VP8L", hex({0x00, 0x7F, 0xC2, 0x77, 0x00})),
       std::nullopt},
      {"three bytes", hex({0x89, 'P', 'N'}), std::nullopt},
      {"unknown header", text("%PDF-1.7 not a picture at all"), std::nullopt},
  };
  for (const SizeCase& c : cases) {
    EXPECT_EQ(read_image_size(c.data), c.expected) << c.what;
  }
}

// Pictures written by ImageMagick, 40 by 30 pixels each.
TEST(ImageSize, ReadsImageMagickFiles) {
  for (const char* name :
       {"orange.png", "orange.jpg", "orange.gif", "orange.bmp", "orange_rgb.tif", "orange_msb.tif",
        "orange_lossy.webp", "orange_lossless.webp", "orange_alpha.webp"}) {
    const Bytes data = read_fixture(std::string("images/") + name);
    ASSERT_FALSE(data.empty()) << name;
    EXPECT_EQ(read_image_size(data), (ImageSize{40, 30})) << name;
  }
}

// Every prefix of every real picture is read without a fault; the size is
// either the right one or absent.
TEST(ImageSize, TruncatedFilesNeverReadOutOfBounds) {
  for (const char* name : {"orange.jpg", "orange_rgb.tif", "orange_msb.tif", "orange_lossless.webp"}) {
    const Bytes data = read_fixture(std::string("images/") + name);
    for (std::size_t length = 0; length <= data.size(); ++length) {
      const auto size = read_image_size(std::span<const std::uint8_t>(data.data(), length));
      if (size) {
        EXPECT_EQ(*size, (ImageSize{40, 30})) << name << " cut at " << length;
      }
    }
  }
}

TEST(ImageEngine, BuildsOnePagePictureDocument) {
  const Bytes data = png_prefix(640, 480);
  const auto result = ImageEngine{}.extract(testing_zip::binary_source(data, "image", "scans/page.png"));
  ASSERT_TRUE(result.ok());
  const ir::Document& document = result.value();
  const ir::BBox box{0, 0, 640, 480};
  EXPECT_EQ(document.metadata.engine, "image-native");
  EXPECT_EQ(document.metadata.format, "image");
  EXPECT_EQ(document.metadata.source, "scans/page.png");
  EXPECT_EQ(document.metadata.block_count, 1u);
  EXPECT_EQ(document.metadata.character_count, 0u);
  EXPECT_EQ(document.metadata.file_size_bytes, 24u);
  ASSERT_EQ(document.pages.size(), 1u);
  const ir::Page& page = document.pages[0];
  EXPECT_EQ(page.width, 640.0f);
  EXPECT_EQ(page.height, 480.0f);
  EXPECT_EQ(page.bbox, box);
  ASSERT_EQ(page.blocks.size(), 1u);
  const auto& figure = std::get<ir::FigureBlock>(page.blocks[0]);
  EXPECT_EQ(figure.alt_text, "page.png");
  EXPECT_EQ(figure.bbox, box);
  EXPECT_EQ(figure.image_ref, "image-1");
  ASSERT_EQ(figure.source_anchors.size(), 1u);
  EXPECT_EQ(figure.source_anchors[0], (ir::SourceAnchor{1, {}, box, "image_native"}));
  EXPECT_EQ(figure.confidence, (ir::Confidence{0.9f, false}));
  const ir::Asset asset{"image-1", "image", std::nullopt, box, 640, 480};
  EXPECT_EQ(page.images, (std::vector<ir::ImageObject>{{"image-1", std::nullopt, box, 640, 480}}));
  EXPECT_EQ(page.assets, std::vector<ir::Asset>{asset});
  EXPECT_EQ(document.assets, std::vector<ir::Asset>{asset});
}

TEST(ImageEngine, SourceWithoutPathOrBytesUsesText) {
  source::Source source = source::Source::from_text("GIF89a\x0A\x00\x05\x00");
  source.text = std::string("GIF89a\x0A\x00\x05\x00", 10);
  const auto result = ImageEngine{}.extract(source);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value().pages[0].width, 10.0f);
  EXPECT_EQ(std::get<ir::FigureBlock>(result.value().pages[0].blocks[0]).alt_text, std::nullopt);
  EXPECT_EQ(result.value().metadata.file_size_bytes, 10u);
}

TEST(ImageEngine, UnknownHeaderIsAnImageError) {
  const auto result = ImageEngine{}.extract(testing_zip::binary_source(text("abc"), "image", "x.png"));
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().display(), "image error: unsupported or malformed image header");
}

}  // namespace
}  // namespace scrivex_core::image

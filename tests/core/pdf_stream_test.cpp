#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/pdf/filters.hpp"
#include "core/pdf/stream_decode.hpp"
#include "pdf_test_writer.hpp"

namespace scrivex_core::pdf {
namespace {

using testing::stream_body;
using testing::zlib_compress;

std::string decoded_or_error(std::string_view body) {
  auto result = decode_stream_object(body);
  if (!result) return "error: " + result.error().display();
  if (!result.value()) return "no stream";
  return *result.value();
}

TEST(PdfStreamDecode, MarkersAndFilters) {
  struct Case {
    std::string body;
    std::string expected;
  };
  const std::string hello = zlib_compress("Hello");
  const std::vector<Case> cases = {
      {"<< /Length 3 >>\nstream\r\nabc\r\nendstream", "abc"},
      {"<< /Length 3 >>\nstream\n\n\r\nabc\n\r\n\nendstream", "abc"},
      {"<< /Filter /FlateDecode >>\nstream\n" + hello + "\nendstream", "Hello"},
      {"<< /Filter/Fl>>stream\n" + hello + "\nendstream", "Hello"},
      {"<< /Filter /FlateDecode >>\nstream\nabc\nendstream",
       "error: PDF error: FlateDecode failed: incorrect header check"},
      {"<< /Filter /ASCIIHexDecode >>\nstream\n41\nendstream",
       "error: PDF error: unsupported stream filter: ASCIIHexDecode"},
      {"<< /Filter 7 0 R >>\nstream\nraw\nendstream", "raw"},
      {"<< /Length 0 >> endstream", "error: PDF error: stream markers are malformed"},
      {"<< >> stream abc", "error: PDF error: stream is missing endstream marker"},
      {"<< /Type /Page >>", "no stream"},
  };
  for (const Case& c : cases) EXPECT_EQ(decoded_or_error(c.body), c.expected) << c.body;
}

TEST(PdfStreamDecode, Ascii85ThenFlate) {
  // "Hello" zlib-compressed, then written in ASCII85 by the encoder below.
  const std::string compressed = zlib_compress("Hello");
  std::string a85 = "<~";
  for (std::size_t i = 0; i < compressed.size(); i += 4) {
    std::uint32_t value = 0;
    const std::size_t n = std::min<std::size_t>(4, compressed.size() - i);
    for (std::size_t k = 0; k < 4; ++k) {
      value = value << 8 | (k < n ? static_cast<unsigned char>(compressed[i + k]) : 0);
    }
    char group[5];
    for (int k = 4; k >= 0; --k) {
      group[k] = static_cast<char>('!' + value % 85);
      value /= 85;
    }
    a85.append(group, n + 1);
  }
  a85 += "~>";
  EXPECT_EQ(decoded_or_error(stream_body("/Filter [/ASCII85Decode /FlateDecode]", a85)), "Hello");
  EXPECT_EQ(decoded_or_error(stream_body("/Filter [/A85 /Fl]", a85)), "Hello");
}

TEST(PdfStreamDecode, Ascii85) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"87cURD]j7BEbo7~>", "Hello world"},
      {"<~87cURD]j7BEbo7~>", "Hello world"},
      {"87cUR D]j7B\nEbo7", "Hello world"},
      {"z", std::string(4, '\0')},
      {"87cUR!", "error: PDF error: ASCII85Decode failed: dangling single digit"},
      {"s8W-\"", "error: PDF error: ASCII85Decode failed: invalid group"},
      {"8z", "error: PDF error: ASCII85Decode failed: invalid byte 0x7a"},
      {"87~x", "error: PDF error: ASCII85Decode failed: invalid byte 0x7e"},
      {"87\xFF", "error: PDF error: ASCII85Decode failed: invalid byte 0xff"},
  };
  for (const Case& c : cases) {
    auto result = decode_ascii85(c.input);
    EXPECT_EQ(result ? result.value() : "error: " + result.error().display(), c.expected) << c.input;
  }
}

// Trailing CR/LF bytes are cut from stream data, which can cut the end of
// the zlib checksum: the decoded data must survive that.
TEST(PdfStreamDecode, FlateKeepsOutputWhenTheChecksumIsCutOrWrong) {
  const std::string text = "BT /F1 12 Tf (checksum) Tj ET";
  const std::string compressed = zlib_compress(text);
  for (std::size_t cut = 1; cut <= 4; ++cut) {
    auto result = inflate_flate(std::string_view(compressed).substr(0, compressed.size() - cut), 1 << 20);
    ASSERT_TRUE(result.ok()) << cut;
    EXPECT_EQ(result.value(), text);
  }
  std::string wrong = compressed;
  wrong.back() = static_cast<char>(wrong.back() ^ 0x55);
  auto result = inflate_flate(wrong, 1 << 20);
  ASSERT_TRUE(result.ok());
  EXPECT_EQ(result.value(), text);
  // A stream cut in the middle gives its decoded prefix.
  const std::string long_text(5000, 'x');
  auto prefix = inflate_flate(std::string_view(zlib_compress(long_text)).substr(0, 8), 1 << 20);
  ASSERT_TRUE(prefix.ok());
  EXPECT_LT(prefix.value().size(), long_text.size());
}

TEST(PdfStreamDecode, FlateFailsOnCorruptDataAndPastTheCap) {
  auto corrupt = inflate_flate("\x78\x9c\xff\xff\xff\xff", 1 << 20);
  ASSERT_FALSE(corrupt.ok());
  EXPECT_EQ(corrupt.error().display().rfind("PDF error: FlateDecode failed: ", 0), 0u);
  const std::string bomb = zlib_compress(std::string(1 << 20, '\0'));
  auto capped = inflate_flate(bomb, 1000);
  ASSERT_FALSE(capped.ok());
  EXPECT_EQ(capped.error().display(),
            "PDF error: FlateDecode failed: output exceeds the 1000 byte decompression limit");
  auto exact = inflate_flate(zlib_compress(std::string(1000, 'a')), 1000);  // reaching the cap is fine
  ASSERT_TRUE(exact.ok());
  EXPECT_EQ(exact.value().size(), 1000u);
}

TEST(PdfStreamDecode, Hex) {
  EXPECT_EQ(decode_hex("48 65 6C6c 6"), "\x48\x65\x6c\x6c\x60");
  EXPECT_EQ(decode_hex("4G"), std::string("\x40", 1));
  EXPECT_EQ(decode_hex(""), "");
}

}  // namespace
}  // namespace scrivex_core::pdf

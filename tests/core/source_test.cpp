#include "core/source/source.hpp"

#include <gtest/gtest.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/gzip.hpp"

namespace scrivex_core::source {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytes_of(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// One complete gzip member holding text, as a gzip writer would produce it.
Bytes gzip_member(std::string_view text) {
  z_stream stream{};
  EXPECT_EQ(deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY),
            Z_OK);
  Bytes out(deflateBound(&stream, text.size()) + 32);
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

Bytes concat(std::vector<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

// A fresh directory per test, removed afterwards.
class SourceFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("scrivex-source-" + std::to_string(::getpid()) + "-" + info->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string write(const std::string& name, const Bytes& content) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
    return path;
  }
  std::string write(const std::string& name, std::string_view content) {
    return write(name, bytes_of(content));
  }

  std::filesystem::path dir_;
};

TEST(SourceFromText, HasTextLabelAndNoBytesOrPath) {
  const Source source = Source::from_text("Hello");
  EXPECT_EQ(source.text, "Hello");
  EXPECT_EQ(source.format, "text");
  EXPECT_FALSE(source.bytes.has_value());
  EXPECT_FALSE(source.path.has_value());
}

TEST_F(SourceFiles, TextFileKeepsItsContentAsTextAndBytes) {
  const std::string path = write("a.txt", "caf\xC3\xA9\r\nline\n");
  auto source = Source::from_text_or_gzip_path(path, "text");
  ASSERT_TRUE(source.ok()) << source.error().display();
  EXPECT_EQ(source.value().text, "caf\xC3\xA9\r\nline\n");
  EXPECT_EQ(source.value().bytes, bytes_of("caf\xC3\xA9\r\nline\n"));
  EXPECT_EQ(source.value().format, "text");
  EXPECT_EQ(source.value().path, path);
}

// Text formats refuse bytes that are not UTF-8; binary formats decode them lossily.
TEST_F(SourceFiles, InvalidUtf8IsRefusedForTextButDecodedLossilyForBinary) {
  const std::string text_path = write("bad.txt", "\xFF\xFE");
  auto text = Source::from_text_or_gzip_path(text_path, "text");
  ASSERT_FALSE(text.ok());
  EXPECT_EQ(text.error().kind(), error::ErrorKind::Io);
  EXPECT_EQ(text.error().display(), "I/O error: stream did not contain valid UTF-8");

  const std::string binary_path = write("bad.pdf", "\xFF\xFE");
  auto binary = Source::from_binary_path(binary_path, "pdf");
  ASSERT_TRUE(binary.ok()) << binary.error().display();
  EXPECT_EQ(binary.value().text, "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_EQ(binary.value().bytes, bytes_of("\xFF\xFE"));
  EXPECT_EQ(binary.value().format, "pdf");
  EXPECT_EQ(binary.value().path, binary_path);
}

TEST_F(SourceFiles, UnreadablePathsReportTheOperatingSystemError) {
  const std::string missing = (dir_ / "missing.txt").string();
  for (bool binary : {false, true}) {
    auto source =
        binary ? Source::from_binary_path(missing, "pdf") : Source::from_text_or_gzip_path(missing, "text");
    ASSERT_FALSE(source.ok());
    EXPECT_EQ(source.error().kind(), error::ErrorKind::Io);
    EXPECT_EQ(source.error().display(), "I/O error: No such file or directory (os error 2)");
  }
  auto directory = Source::from_binary_path(dir_.string(), "pdf");
  ASSERT_FALSE(directory.ok());
  EXPECT_EQ(directory.error().display(), "I/O error: Is a directory (os error 21)");
}

// The operating system sees a path only up to its first NUL byte; such a path
// must fail rather than read the file named by its prefix.
TEST_F(SourceFiles, PathWithNulByteDoesNotReadItsPrefix) {
  const std::string real = write("a.txt", "secret");
  const std::string path = real + std::string(1, '\0') + ".pdf";
  for (bool binary : {false, true}) {
    auto source =
        binary ? Source::from_binary_path(path, "pdf") : Source::from_text_or_gzip_path(path, "text");
    ASSERT_FALSE(source.ok());
    EXPECT_EQ(source.error().display(), "I/O error: file name contained an unexpected NUL byte");
  }
}

TEST_F(SourceFiles, EmptyFilesAreEmptySources) {
  auto text = Source::from_text_or_gzip_path(write("empty.txt", ""), "text");
  ASSERT_TRUE(text.ok());
  EXPECT_EQ(text.value().text, "");
  EXPECT_EQ(text.value().bytes, Bytes{});
  auto binary = Source::from_binary_path(write("empty.pdf", ""), "pdf");
  ASSERT_TRUE(binary.ok());
  EXPECT_EQ(binary.value().bytes, Bytes{});
}

// A gzip text source carries the inflated text but the compressed bytes, so
// file_size_bytes later reports the size on disk.
TEST_F(SourceFiles, GzipTextIsInflatedAndKeepsCompressedBytes) {
  const std::string body = "# Notes\n\nSome \xE2\x80\x9Cquoted\xE2\x80\x9D text.\n";
  const Bytes compressed = gzip_member(body);
  for (std::string name : {"notes.md.gz", "NOTES.MD.GZ", "data.json.Gz"}) {
    const std::string path = write(name, compressed);
    auto source = Source::from_text_or_gzip_path(path, "text");
    ASSERT_TRUE(source.ok()) << name << ": " << source.error().display();
    EXPECT_EQ(source.value().text, body) << name;
    EXPECT_EQ(source.value().bytes, compressed) << name;
    EXPECT_EQ(source.value().format, "text");
    EXPECT_EQ(source.value().path, path);
  }
}

TEST_F(SourceFiles, GzipFailuresAreIoErrorsWithTheDecoderMessage) {
  Bytes bad_crc = gzip_member("hello world");
  bad_crc[bad_crc.size() - 8] ^= 0xFF;  // first byte of the CRC-32 trailer
  Bytes bad_length = gzip_member("hello world");
  bad_length[bad_length.size() - 1] ^= 0x01;  // last byte of the ISIZE trailer
  Bytes bad_method = gzip_member("hello world");
  bad_method[2] = 7;  // compression method: only 8 (deflate) exists
  Bytes truncated = gzip_member("hello world");
  truncated.resize(truncated.size() - 4);

  struct Case {
    std::string name;
    Bytes content;
    std::string display;
  };
  const std::vector<Case> cases = {
      {"plain.json.gz", bytes_of("{\"not\": \"gzip\"}"), "I/O error: invalid gzip header"},
      {"empty.txt.gz", {}, "I/O error: invalid gzip header"},
      {"method.txt.gz", bad_method, "I/O error: invalid gzip header"},
      {"crc.txt.gz", bad_crc, "I/O error: corrupt gzip stream does not have a matching checksum"},
      {"length.txt.gz", bad_length, "I/O error: corrupt gzip stream does not have a matching checksum"},
      {"latin1.txt.gz", gzip_member("caf\xE9"), "I/O error: stream did not contain valid UTF-8"},
  };
  for (const Case& c : cases) {
    auto source = Source::from_text_or_gzip_path(write(c.name, c.content), "text");
    ASSERT_FALSE(source.ok()) << c.name;
    EXPECT_EQ(source.error().kind(), error::ErrorKind::Io) << c.name;
    EXPECT_EQ(source.error().display(), c.display) << c.name;
  }
  auto cut = Source::from_text_or_gzip_path(write("cut.txt.gz", truncated), "text");
  ASSERT_FALSE(cut.ok());
  EXPECT_EQ(cut.error().kind(), error::ErrorKind::Io);
}

// Every member of a concatenated file is decoded in turn; what follows the
// last member without starting another one is ignored.
TEST_F(SourceFiles, ConcatenatedGzipMembersAreAllDecoded) {
  const Bytes content =
      concat({gzip_member("first\n"), gzip_member(""), gzip_member("second\n"), bytes_of("junk")});
  auto source = Source::from_text_or_gzip_path(write("joined.txt.gz", content), "text");
  ASSERT_TRUE(source.ok()) << source.error().display();
  EXPECT_EQ(source.value().text, "first\nsecond\n");
  EXPECT_EQ(source.value().bytes, content);
}

TEST(Gunzip, MembersAndTrailingBytes) {
  struct Case {
    std::string name;
    Bytes data;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"one member", gzip_member("abc"), "abc"},
      {"empty member", gzip_member(""), ""},
      {"three members", concat({gzip_member("a"), gzip_member("b"), gzip_member("c")}), "abc"},
      {"trailing zeros", concat({gzip_member("abc"), Bytes(16, 0)}), "abc"},
      {"trailing lone magic byte", concat({gzip_member("abc"), Bytes{0x1F}}), "abc"},
  };
  for (const Case& c : cases) {
    auto out = util::gunzip(c.data, 1 << 20);
    ASSERT_TRUE(out.ok()) << c.name << ": " << out.error().message;
    EXPECT_EQ(out.value(), c.expected) << c.name;
  }
}

TEST(Gunzip, TruncatedSecondMemberFails) {
  const Bytes second = gzip_member("second");
  const Bytes data = concat({gzip_member("first"), Bytes(second.begin(), second.end() - 6)});
  EXPECT_FALSE(util::gunzip(data, 1 << 20).ok());
}

// The output cap counts the inflated bytes of all members together; reaching
// it exactly is allowed, one byte past it is not.
TEST(Gunzip, OutputPastTheLimitFails) {
  const std::string big(200 * 1024, 'x');
  struct Case {
    std::string name;
    Bytes data;
    std::uint64_t max_output;
    bool ok;
  };
  const std::vector<Case> cases = {
      {"exactly at the limit", gzip_member("abcdefghij"), 10, true},
      {"one byte past", gzip_member("abcdefghij"), 9, false},
      {"members add up", concat({gzip_member("abcdef"), gzip_member("ghijkl")}), 10, false},
      {"past the limit across chunks", gzip_member(big), 100 * 1024, false},
      {"large output within the limit", gzip_member(big), big.size(), true},
  };
  for (const Case& c : cases) {
    auto out = util::gunzip(c.data, c.max_output);
    EXPECT_EQ(out.ok(), c.ok) << c.name;
    if (!c.ok && !out.ok()) {
      EXPECT_EQ(out.error().message,
                "gzip stream exceeds the " + std::to_string(c.max_output) + " byte decompression limit")
          << c.name;
    }
  }
}

}  // namespace
}  // namespace scrivex_core::source

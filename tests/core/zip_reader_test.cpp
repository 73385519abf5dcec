#include "core/openxml/zip_reader.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/core/zip_test_writer.hpp"

namespace scrivex_core::openxml {
namespace {

using testing_zip::Bytes;
using testing_zip::make_zip;
using testing_zip::ZipTestEntry;

// Overwrites a little-endian field of `width` bytes.
void patch(Bytes& data, std::size_t offset, std::uint32_t value, int width) {
  for (int i = 0; i < width; ++i) data.at(offset + i) = static_cast<std::uint8_t>(value >> (8 * i));
}

std::size_t end_record_offset(const Bytes& zip) {
  return zip.size() - 22;
}

std::size_t first_central_header(const Bytes& zip) {
  const std::size_t end = end_record_offset(zip);
  return zip[end + 16] | zip[end + 17] << 8 | zip[end + 18] << 16 |
         static_cast<std::size_t>(zip[end + 19]) << 24;
}

std::string error_of(const Bytes& data, const ZipLimits& limits = {}) {
  const auto result = read_zip_files(data, limits);
  return result.ok() ? "no error" : result.error().display();
}

TEST(ZipReader, ReadsStoredAndDeflatedEntries) {
  const Bytes zip = make_zip({
      {"a.txt", "deflated text", 8},
      {"dir/", "", 0},
      {"empty.txt", "", 0},
      {"bad-crc.txt", "read anyway", 0, std::nullopt, 0xFFFF},
      {"binary.bin", std::string("\xFF\xFEok", 4), 8},
      {"a.txt", "later twin wins", 0},
  });
  const auto files = read_zip_files(zip);
  ASSERT_TRUE(files.ok()) << files.error().display();
  const ZipFiles expected = {
      {"a.txt", "later twin wins"},
      {"dir/", ""},
      {"empty.txt", ""},
      {"bad-crc.txt", "read anyway"},
      {"binary.bin", "\xEF\xBF\xBD\xEF\xBF\xBDok"},
  };
  EXPECT_EQ(files.value(), expected);
}

TEST(ZipReader, FindsEndRecordOnlyWithinTheLongestComment) {
  const Bytes commented = make_zip({{"a.txt", "x", 0}}, std::string(65535, 'c'));
  EXPECT_TRUE(read_zip_files(commented).ok());

  Bytes trailing = make_zip({{"a.txt", "x", 0}});
  trailing.insert(trailing.end(), 65536, 'j');
  EXPECT_EQ(error_of(trailing), "archive error: missing ZIP directory");
}

TEST(ZipReader, EmptyArchiveGivesEmptyMap) {
  const auto files = read_zip_files(make_zip({}));
  ASSERT_TRUE(files.ok());
  EXPECT_TRUE(files.value().empty());
}

struct BrokenZip {
  std::string what;
  Bytes data;
  std::string message;
};

// Damaged structures fail the whole read with the archive error naming the fault.
TEST(ZipReader, RejectsDamagedStructures) {
  const Bytes good = make_zip({{"a.txt", "alpha", 8}, {"b.txt", "beta", 0}});
  const std::size_t central = first_central_header(good);
  const std::size_t end = end_record_offset(good);
  auto patched = [&](std::size_t offset, std::uint32_t value, int width) {
    Bytes copy = good;
    patch(copy, offset, value, width);
    return copy;
  };
  Bytes cut = testing_zip::raw_deflate("alpha beta gamma delta epsilon");
  cut.resize(cut.size() / 2);
  const Bytes truncated_deflate = make_zip({{"a.txt", "alpha", 8, cut}});
  const std::vector<BrokenZip> cases = {
      {"empty file", {}, "missing ZIP directory"},
      {"no signature", testing_zip::bytes_of("just some text, no archive"), "missing ZIP directory"},
      {"signature at the very end", Bytes{'P', 'K', 5, 6}, "truncated ZIP directory"},
      {"directory offset past the end", patched(end + 16, 0xFFFFFF00u, 4), "ZIP directory exceeds file size"},
      {"more entries than headers", patched(end + 10, 3, 2), "malformed ZIP central header"},
      {"central signature wrong", patched(central, 0x12345678u, 4), "malformed ZIP central header"},
      {"name longer than the file", patched(central + 28, 0xFFFF, 2), "truncated ZIP entry name"},
      {"local header offset wrong", patched(central + 42, 1, 4), "malformed ZIP local header"},
      {"local header past the end", patched(central + 42, 0xFFFFFFF0u, 4), "malformed ZIP local header"},
      {"compressed size past the end", patched(central + 20, 0xFFFFFFF0u, 4), "truncated ZIP entry data"},
      {"bzip2 entry", make_zip({{"a.txt", "fine", 0}, {"b.bin", "x", 12}}),
       "unsupported ZIP compression method 12"},
      {"corrupt deflate", make_zip({{"a.txt", "alpha", 8, Bytes{0xFF, 0xFF, 0xFF}}}),
       "Deflate failed: invalid block type"},
      {"deflate cut short", truncated_deflate, "Deflate failed: unexpected end of deflate stream"},
  };
  for (const BrokenZip& c : cases) {
    EXPECT_EQ(error_of(c.data), "archive error: " + c.message) << c.what;
  }
}

// Decompression bombs: caps per entry and per read, checked while inflating.
TEST(ZipReader, StopsAtDecompressionLimits) {
  const ZipLimits small{4096, 8000};
  const Bytes bomb = make_zip({{"zeros.txt", std::string(100000, '\0'), 8}});
  EXPECT_LT(bomb.size(), 1000u);
  EXPECT_EQ(error_of(bomb, small), "archive error: ZIP entry exceeds the 4096 byte decompression limit");

  const Bytes stored = make_zip({{"zeros.txt", std::string(5000, 'z'), 0}});
  EXPECT_EQ(error_of(stored, small), "archive error: ZIP entry exceeds the 4096 byte decompression limit");

  const std::string part(3000, 'x');
  const Bytes many = make_zip({{"1.txt", part}, {"2.txt", part}, {"3.txt", part}});
  EXPECT_EQ(error_of(many, small),
            "archive error: ZIP archive exceeds the 8000 byte total decompression limit");
  EXPECT_TRUE(read_zip_files(make_zip({{"1.txt", part}, {"2.txt", part}}), small).ok());

  EXPECT_EQ(ZipLimits{}.entry_bytes, std::uint64_t{1} << 30);
  EXPECT_EQ(ZipLimits{}.total_bytes, std::uint64_t{2} << 30);
}

// Archives written by the zip command and by Python's zipfile.
TEST(ZipReader, ReadsRealArchives) {
  for (const char* name : {"archives/zip_command.zip", "archives/python_deflated.zip"}) {
    const auto files = read_zip_files(testing_zip::read_fixture(name));
    ASSERT_TRUE(files.ok()) << name << ": " << files.error().display();
    EXPECT_EQ(files.value().at("notes.txt"), "Plain words here.\n\nSecond plain paragraph.\n") << name;
    EXPECT_EQ(files.value().at("docs/page.html").substr(0, 12), "<html><body>") << name;
    EXPECT_EQ(files.value().at("logo.png").substr(0, 3), "\xEF\xBF\xBD") << name;
  }
}

// Every prefix and every single-byte change of a real archive either reads
// or fails cleanly.
TEST(ZipReader, DamagedRealArchiveNeverCrashes) {
  const Bytes zip = testing_zip::read_fixture("archives/python_deflated.zip");
  ASSERT_FALSE(zip.empty());
  for (std::size_t length = 0; length < zip.size(); ++length) {
    (void)read_zip_files(std::span<const std::uint8_t>(zip.data(), length));
  }
  for (std::size_t i = 0; i < zip.size(); ++i) {
    Bytes copy = zip;
    copy[i] ^= 0xA5;
    (void)read_zip_files(copy);
  }
}

}  // namespace
}  // namespace scrivex_core::openxml

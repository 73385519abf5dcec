// Resource bounds on hostile input, at full size through the real entry
// points: each case must end with its decided error or a bounded document.
// The same inputs are timed, with their peak memory, by bench/adversarial_bench.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "core/archive/tar_reader.hpp"
#include "core/openxml/zip_reader.hpp"
#include "core/pdf/extract_pdf.hpp"
#include "core/render/renderer.hpp"
#include "core/scrivex.hpp"
#include "core/util/limits.hpp"
#include "tests/core/adversarial_inputs.hpp"

namespace scrivex_core::adversarial {
namespace {

namespace fs = std::filesystem;

// A scratch folder for files the path loader reads, removed afterwards.
class AdversarialFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = fs::temp_directory_path() /
              ("scrivex-adversarial-" + std::to_string(::getpid()) + "-" + info->name());
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string write(const std::string& name, std::string_view data) const {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return path.string();
  }
  std::string write(const std::string& name, const Bytes& data) const { return write(name, as_string(data)); }

  // The error text of loading the file, or "" when it loads.
  std::string load_error(const std::string& name, const Bytes& data) const {
    auto result = load_path_json(write(name, data), std::nullopt);
    return result ? "" : result.error().display();
  }

 private:
  fs::path folder_;
};

// The words of letters in the Markdown of a document: what a reader sees,
// whether the layout put the text in paragraphs or in tables.
std::set<std::string> words_of(const ir::Document& document) {
  auto markdown = render::MarkdownRenderer().render(document);
  EXPECT_TRUE(markdown.ok());
  std::set<std::string> words;
  std::string word;
  for (char c : markdown ? markdown.value() : std::string()) {
    if (std::islower(static_cast<unsigned char>(c))) {
      word += c;
    } else if (!word.empty()) {
      words.insert(std::move(word));
      word.clear();
    }
  }
  if (!word.empty()) words.insert(word);
  return words;
}

ir::Document pdf_document(const std::string& data) {
  const Bytes bytes(data.begin(), data.end());
  auto document = pdf::extract_pdf(bytes, source::Source{}, "pdf-native");
  EXPECT_TRUE(document.ok()) << document.error().display();
  return document ? std::move(document).value() : ir::Document{};
}

// Decompression bombs: one byte past each cap is refused with the cap named;
// memory stays near the cap because output stops growing there. (The ZIP
// reader's per-read cap is hit with small caps in zip_reader_test; at full
// size, 2 GiB, it is timed by the benchmark.)
TEST_F(AdversarialFiles, DecompressionBombsAreRefusedAtTheirCaps) {
  ASSERT_EQ(limits::kMaxGzipOutputBytes, kGiB);
  ASSERT_EQ(limits::kMaxArchiveEntryOutputBytes, kGiB);
  const Bytes gzip = deflated_zeros(kGiB + 1, Framing::Gzip);
  struct Case {
    std::string name;
    Bytes data;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"bomb.txt.gz", gzip, "I/O error: gzip stream exceeds the 1 GiB decompression limit"},
      {"bomb.tar.gz", gzip,
       "archive error: gzip decode failed: gzip stream exceeds the 1 GiB decompression limit"},
      {"bomb.zip", zip_bomb(kGiB + 1), "archive error: ZIP entry exceeds the 1 GiB decompression limit"},
  };
  for (const Case& c : cases) {
    EXPECT_LT(c.data.size(), std::size_t{4} << 20) << c.name;
    EXPECT_EQ(load_error(c.name, c.data), c.error) << c.name;
  }
}

// A stream bomb costs the page its content, not the document.
TEST(AdversarialSizes, PdfStreamBombBecomesAPageWarning) {
  ASSERT_EQ(limits::kMaxPdfStreamOutputBytes, kGiB);
  const ir::Document document = pdf_document(pdf_stream_bomb(kGiB + 1));
  ASSERT_EQ(document.pages.size(), 1u);
  const std::vector<ir::Warning>& warnings = document.pages[0].warnings;
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].code, "pdf.stream_decode");
  EXPECT_EQ(warnings[0].message,
            "PDF error: FlateDecode failed: output exceeds the 1 GiB decompression limit");
}

// JSON nesting past the depth limit fails at the first bracket too deep,
// through every entry point that reads JSON, long before the end of the text.
TEST_F(AdversarialFiles, JsonNestingPastTheLimitFailsEverywhere) {
  ASSERT_EQ(limits::kMaxJsonDepth, 128u);
  const std::string deep = nested_json(100000);
  const std::string deep_objects = [] {
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "{\"a\":";
    return text + "1" + std::string(100000, '}');
  }();
  const std::string text_file = write("plain.txt", "text");
  struct Case {
    std::string what;
    std::function<ApiResult()> call;
    std::string error_end;
  };
  const std::vector<Case> cases = {
      {"dataset file", [&] { return load_path_json(write("deep.json", deep), std::nullopt); },
       "recursion limit exceeded at line 1 column 129"},
      {"dataset lines", [&] { return load_path_json(write("deep.jsonl", deep + "\n"), std::nullopt); },
       "recursion limit exceeded at line 1 column 129"},
      {"objects", [&] { return load_path_json(write("objects.json", deep_objects), std::nullopt); },
       "recursion limit exceeded at line 1 column " + std::to_string(128 * 5 + 1)},
      {"IR JSON", [&] { return document_json_to_json(deep); },
       "recursion limit exceeded at line 1 column 129"},
      {"IR JSON to Markdown", [&] { return document_json_to_markdown(deep_objects); },
       "recursion limit exceeded at line 1 column " + std::to_string(128 * 5 + 1)},
      {"options", [&] { return load_path_json(text_file, deep); },
       "recursion limit exceeded at line 1 column 129"},
  };
  for (const Case& c : cases) {
    const ApiResult result = c.call();
    ASSERT_FALSE(result.ok()) << c.what;
    const std::string& message = result.error().display();
    EXPECT_TRUE(message.ends_with(c.error_end)) << c.what << ": " << message;
  }
  // At the limit is fine.
  EXPECT_TRUE(load_path_json(write("at-limit.json", nested_json(128)), std::nullopt).ok());
}

// PDF arrays nested far past the token reader's limit, wherever the reader
// meets them, leave a bounded document; text before them on the page stays.
TEST(AdversarialSizes, DeepPdfArraysLeaveABoundedDocument) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  const std::string open_only(100000, '[');
  struct Case {
    std::string what;
    std::string pdf;
  };
  const std::vector<Case> cases = {
      {"content stream", pdf_page("BT /F1 12 Tf 72 700 Td (kept) Tj ET " + deep + " TJ")},
      {"content never closed", pdf_page("BT /F1 12 Tf 72 700 Td (kept) Tj ET " + open_only)},
      {"inside a text show", pdf_page("BT /F1 12 Tf 72 700 Td (kept) Tj " + deep + " TJ ET")},
      {"media box", pdf_page("BT /F1 12 Tf 72 700 Td (kept) Tj ET", deep)},
  };
  for (const Case& c : cases) {
    const ir::Document document = pdf_document(c.pdf);
    ASSERT_EQ(document.pages.size(), 1u) << c.what;
    EXPECT_TRUE(words_of(document).contains("kept")) << c.what;
  }
}

// A 22-byte end record that claims the most entries a ZIP can: the first
// missing central header ends the read.
TEST_F(AdversarialFiles, ZipClaimingEveryEntryInATinyFile) {
  const Bytes tiny = zip_claiming_entries(65535);
  ASSERT_EQ(tiny.size(), 22u);
  auto files = openxml::read_zip_files(tiny);
  ASSERT_FALSE(files.ok());
  EXPECT_EQ(files.error().display(), "archive error: malformed ZIP central header");
  EXPECT_EQ(load_error("claims.zip", tiny), "archive error: malformed ZIP central header");
  EXPECT_EQ(load_error("claims.xlsx", tiny), "archive error: malformed ZIP central header");
}

// TAR size fields far past the data: 2^63 in base-256 (which the reader
// does not take), and the largest octal the field can hold, with and
// without its terminator.
TEST_F(AdversarialFiles, TarSizeFieldsPastTheData) {
  struct Case {
    std::string what;
    std::string size_field;
    std::string error;
  };
  const std::vector<Case> cases = {
      {"2^63 base-256", base256_size(std::uint64_t{1} << 63), "archive error: invalid TAR octal field"},
      {"2^64-1 base-256", base256_size(~std::uint64_t{0}), "archive error: invalid TAR octal field"},
      {"11 octal digits", "77777777777", "archive error: truncated TAR entry data"},
      {"12 octal digits", "777777777777", "archive error: truncated TAR entry data"},
  };
  for (const Case& c : cases) {
    const Bytes tar = tar_with_size_field("huge.txt", c.size_field);
    auto entries = archive::read_tar_entries(tar);
    ASSERT_FALSE(entries.ok()) << c.what;
    EXPECT_EQ(entries.error().display(), c.error) << c.what;
    EXPECT_EQ(load_error("huge.tar", tar), c.error) << c.what;
    const Bytes gzipped = testing_zip::gzip_member(as_string(tar));
    EXPECT_EQ(load_error("huge.tgz", gzipped), c.error) << c.what;
  }
}

// 100,000 objects: 49,998 pages, each inheriting from one /Pages node whose
// /Kids lists them all.
TEST(AdversarialSizes, PdfWithAHundredThousandObjects) {
  constexpr std::size_t kPages = 49998;
  const ir::Document document = pdf_document(pdf_of_pages(kPages));
  ASSERT_EQ(document.pages.size(), kPages);
  const std::set<std::string> words = words_of(document);
  for (std::size_t page : {std::size_t{0}, kPages / 2, kPages - 1}) {
    EXPECT_TRUE(words.contains(letters_word(page))) << page;
  }
}

// One page of 50,000 text runs (250 lines of 200 words), and one of 20,000
// one-word lines: every word reaches the output.
TEST(AdversarialSizes, PdfPagesOfManyRunsAndManyLines) {
  struct Case {
    std::size_t lines;
    std::size_t runs_per_line;
  };
  for (const Case& c : {Case{250, 200}, Case{20000, 1}}) {
    const ir::Document document = pdf_document(pdf_page_of_runs(c.lines, c.runs_per_line));
    ASSERT_EQ(document.pages.size(), 1u);
    const std::set<std::string> words = words_of(document);
    std::size_t missing = 0;
    for (std::size_t word = 0; word < c.lines * c.runs_per_line; ++word) {
      missing += words.contains(letters_word(word)) ? 0 : 1;
    }
    EXPECT_EQ(missing, 0u) << c.lines << " lines of " << c.runs_per_line;
  }
}

}  // namespace
}  // namespace scrivex_core::adversarial

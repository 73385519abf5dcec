#include "core/archive/archive_engine.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/archive/entry_text.hpp"
#include "core/archive/tar_reader.hpp"
#include "tests/core/zip_test_writer.hpp"

namespace scrivex_core::archive {
namespace {

using testing_zip::Bytes;
using testing_zip::bytes_of;

struct TarHeader {
  TarHeader(std::string name, std::string size_field, char type = '0', std::string prefix = "")
      : name(std::move(name)), size_field(std::move(size_field)), type(type), prefix(std::move(prefix)) {}
  std::string name;
  std::string size_field;  // as written in the 12-byte field
  char type;
  std::string prefix;
};

// One 512-byte header block followed by the data padded to 512 bytes.
Bytes tar_member(const TarHeader& header, std::string_view data) {
  Bytes out(512, 0);
  std::memcpy(out.data(), header.name.data(), std::min<std::size_t>(header.name.size(), 100));
  std::memcpy(out.data() + 124, header.size_field.data(),
              std::min<std::size_t>(header.size_field.size(), 12));
  out[156] = static_cast<std::uint8_t>(header.type);
  std::memcpy(out.data() + 345, header.prefix.data(), std::min<std::size_t>(header.prefix.size(), 155));
  out.insert(out.end(), data.begin(), data.end());
  out.resize((out.size() + 511) / 512 * 512, 0);
  return out;
}

std::string octal(std::size_t size) {
  char field[12];
  std::snprintf(field, sizeof field, "%011o", static_cast<unsigned>(size));
  return field;
}

Bytes tar_file(std::string name, std::string_view data) {
  return tar_member({std::move(name), octal(data.size())}, data);
}

Bytes concat(std::vector<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes end_blocks() {
  return Bytes(1024, 0);
}

std::vector<std::string> paragraphs_of(const ir::Document& document) {
  std::vector<std::string> out;
  for (const ir::Block& block : document.pages.at(0).blocks)
    out.push_back(std::get<ir::TextBlock>(block).text);
  return out;
}

Result<ir::Document> extract(Bytes data, std::optional<std::string> path) {
  return ArchiveEngine{}.extract(testing_zip::binary_source(std::move(data), "archive", std::move(path)));
}

std::vector<std::string> extract_paragraphs(Bytes data, std::optional<std::string> path = {}) {
  const auto result = extract(std::move(data), std::move(path));
  EXPECT_TRUE(result.ok()) << result.error().display();
  return result.ok() ? paragraphs_of(result.value()) : std::vector<std::string>{"<error>"};
}

TEST(ArchiveEntries, LogicalExtensionAndClasses) {
  struct Case {
    std::string name;
    std::optional<std::string> extension;
    int priority;
    bool supported;
  };
  const std::vector<Case> cases = {
      {"docs/Paper.HTML", "html", 1, true},
      {"notes.txt.gz", "txt", 2, true},
      {"data.gz", std::nullopt, 2, false},
      {"a.tar.gz", "tar", 2, false},
      {"Data.JSON", "json", 0, true},
      {"docs/index.HTM", "htm", 1, true},
      {"x.txt/", "txt", 2, true},
      {".profile", std::nullopt, 2, false},
      {"README", std::nullopt, 2, false},
      {"paper.pdf", "pdf", 2, false},
      {"end.", "", 2, false},
      {"dir.d/file", std::nullopt, 2, false},
      {"x.ndjson", "ndjson", 0, true},
      {"t.tei", "tei", 1, true},
      {"s.TSV", "tsv", 2, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(logical_extension(c.name), c.extension) << c.name;
    EXPECT_EQ(entry_priority(c.name), c.priority) << c.name;
    EXPECT_EQ(is_supported_archive_text_entry(c.name), c.supported) << c.name;
  }
}

TEST(ArchiveEntries, EntryTextByKind) {
  struct Case {
    std::string name, text, expected;
  };
  const std::vector<Case> cases = {
      {"a.json", R"({"title": "A", "body_text": [{"text": "B   C"}]})", "A\n\nB C"},
      {"a.json", R"({"id": 7})", ""},
      {"a.json", R"({"meta": {"note": "x"}, "a": ["y", 3, null, true]})", "y\n\nx"},
      {"a.jsonl", "{\"text\": \"one\"}\r\n\n  {\"text\": \"two\"}\nnot json\n", "one\n\ntwo"},
      {"x.json", "plain prose, not json", "plain prose, not json"},
      {"p.xml", "<doc><p>x &amp; y</p></doc>", "x & y"},
      {"p.md", "# Title *kept*", "# Title *kept*"},
  };
  for (const Case& c : cases) EXPECT_EQ(archive_entry_text(c.name, c.text), c.expected) << c.text;
}

TEST(TarReader, ReadsHeadersFieldByField) {
  const Bytes data = concat({
      tar_member({"a.md", octal(3), '0', "docs"}, "abc"),
      tar_member({"dir/", octal(0), '5'}, ""),
      tar_member({"plus.txt", "+17"}, std::string(15, 'p')),
      tar_member({"blank.txt", ""}, ""),
      tar_member({"nul-type.txt", octal(1), '\0'}, "n"),
      tar_member({"link", octal(0), '2'}, ""),
      end_blocks(),
      tar_file("after-end.txt", "ignored"),
  });
  const auto entries = read_tar_entries(data);
  ASSERT_TRUE(entries.ok()) << entries.error().display();
  std::vector<std::pair<std::string, std::string>> got;
  for (const TarEntry& entry : entries.value()) {
    got.emplace_back(entry.name, std::string(entry.data.begin(), entry.data.end()));
  }
  EXPECT_EQ(got, (std::vector<std::pair<std::string, std::string>>{{"docs/a.md", "abc"},
                                                                   {"plus.txt", std::string(15, 'p')},
                                                                   {"blank.txt", ""},
                                                                   {"nul-type.txt", "n"}}));
  EXPECT_TRUE(read_tar_entries(tar_file("no-end.txt", "x")).ok());
  EXPECT_TRUE(read_tar_entries(Bytes(511, 'x')).value().empty());
}

TEST(TarReader, RejectsBadHeaders) {
  struct Case {
    std::string what;
    Bytes data;
    std::string message;
  };
  Bytes base256 = tar_member({"big.txt", ""}, "");
  base256[124] = 0x80;
  base256[135] = 0x01;
  const std::vector<Case> cases = {
      {"negative size", tar_member({"a.txt", "-1"}, ""), "invalid TAR octal field"},
      {"digit 9", tar_member({"a.txt", "9"}, ""), "invalid TAR octal field"},
      {"lone plus", tar_member({"a.txt", "+"}, ""), "invalid TAR octal field"},
      {"space inside", tar_member({"a.txt", "1 2"}, ""), "invalid TAR octal field"},
      {"base-256 size", base256, "invalid TAR octal field"},
      {"empty name checked before size", tar_member({"", "9"}, ""), "TAR entry missing name"},
      {"data past the end", tar_member({"a.txt", octal(2000)}, "short"), "truncated TAR entry data"},
      {"huge size", tar_member({"a.txt", "7777777777"}, ""), "truncated TAR entry data"},
  };
  for (const Case& c : cases) {
    const auto result = read_tar_entries(c.data);
    ASSERT_FALSE(result.ok()) << c.what;
    EXPECT_EQ(result.error().display(), "archive error: " + c.message) << c.what;
  }
}

TEST(ArchiveEngine, OrdersZipEntriesByKindThenName) {
  const Bytes zip = testing_zip::make_zip({
      {"m.txt", "Text para.\n\nSecond text para."},
      {"a.xml", "<doc><p>Markup</p></doc>"},
      {"z.json", R"({"text": "Json"})"},
      {"b.png", "binary"},
      {"sub/", ""},
  });
  EXPECT_EQ(extract_paragraphs(zip),
            (std::vector<std::string>{"Json", "Markup", "Text para.", "Second text para."}));
}

TEST(ArchiveEngine, KeepsTarOrderAndFallsBackToSingleText) {
  const Bytes tar =
      concat({tar_file("b.txt", "Bee"), tar_file("a.md", "Ay"), tar_file("c.pdf", "skip"), end_blocks()});
  EXPECT_EQ(extract_paragraphs(tar, "x.tar"), (std::vector<std::string>{"Bee", "Ay"}));

  // Not a TAR: a short text, and text whose header block does not parse.
  EXPECT_EQ(extract_paragraphs(bytes_of("Just prose.\n\nMore.")),
            (std::vector<std::string>{"Just prose.", "More."}));
  const std::string long_prose(600, 'w');
  EXPECT_EQ(extract_paragraphs(bytes_of(long_prose)), std::vector<std::string>{long_prose});

  const auto empty = extract({}, "empty.tar");
  ASSERT_TRUE(empty.ok());
  EXPECT_EQ(empty.value().pages.size(), 1u);
  EXPECT_TRUE(empty.value().pages[0].blocks.empty());
  EXPECT_EQ(empty.value().metadata.word_count, 0u);
  EXPECT_EQ(empty.value().metadata.engine, "archive-native");
}

TEST(ArchiveEngine, GzipDecodesEveryMemberThenReadsTar) {
  const Bytes two = concat({testing_zip::gzip_member("First.\n\n"), testing_zip::gzip_member("Second.\n")});
  EXPECT_EQ(extract_paragraphs(two, "notes.txt.gz"), (std::vector<std::string>{"First.", "Second."}));
  EXPECT_EQ(extract_paragraphs(testing_zip::gzip_member("<p>Kept <b>tags</b></p>"), "page.html.gz"),
            std::vector<std::string>{"<p>Kept <b>tags</b></p>"});
  const Bytes tgz = testing_zip::gzip_member([] {
    const Bytes tar = concat({tar_file("in.txt", "Inside."), end_blocks()});
    return std::string(tar.begin(), tar.end());
  }());
  EXPECT_EQ(extract_paragraphs(tgz, "x.tar"), std::vector<std::string>{"Inside."});
}

TEST(ArchiveEngine, ContainerErrors) {
  struct Case {
    std::string what;
    Bytes data;
    std::optional<std::string> path;
    std::string message;
  };
  const Bytes tar_with_bad_size = concat({tar_member({"a.txt", "9"}, "x"), end_blocks()});
  const std::vector<Case> cases = {
      {"tgz that is not gzip", bytes_of("plain"), "x.tgz",
       "archive error: gzip decode failed: invalid gzip header"},
      {"zip that is a tar", concat({tar_file("a.txt", "x"), end_blocks()}), "x.zip",
       "archive error: missing ZIP directory"},
      {"tar with bad size", tar_with_bad_size, "x.tar", "archive error: invalid TAR octal field"},
  };
  for (const Case& c : cases) {
    const auto result = extract(c.data, c.path);
    ASSERT_FALSE(result.ok()) << c.what;
    EXPECT_EQ(result.error().display(), c.message) << c.what;
  }
}

// Archives written by Python's zipfile, tarfile and gzip and by the tar and
// zip commands, all holding the same small tree (see make_fixtures.sh).
TEST(ArchiveEngine, ReadsRealArchives) {
  const std::vector<std::string> tree_in_tar_order = {"Plain words here.", "Second plain paragraph.",
                                                      "Markup & more", "Json title", "Json body"};
  std::vector<std::string> with_deep_leaf = tree_in_tar_order;
  with_deep_leaf.push_back("Deep leaf text.");
  const std::vector<std::string> tree_in_zip_order = {"Json title", "Json body", "Markup & more",
                                                      "Plain words here.", "Second plain paragraph."};
  struct Case {
    std::string file;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"zip_command.zip", tree_in_zip_order},
      {"python_deflated.zip", tree_in_zip_order},
      {"tar_command.tar.gz", tree_in_tar_order},
      {"python_ustar.tar", with_deep_leaf},  // the long path sits in the prefix field
      // GNU and pax keep long names in a separate record that is not read,
      // so the entry's own name field holds only the first 100 bytes.
      {"python_gnu.tar", tree_in_tar_order},
      {"python_pax.tar", tree_in_tar_order},
      {"two_members.txt.gz", {"First member.", "Second member."}},
  };
  for (const Case& c : cases) {
    const auto result = extract(testing_zip::read_fixture("archives/" + c.file), c.file);
    ASSERT_TRUE(result.ok()) << c.file << ": " << result.error().display();
    EXPECT_EQ(paragraphs_of(result.value()), c.expected) << c.file;
  }
}

}  // namespace
}  // namespace scrivex_core::archive

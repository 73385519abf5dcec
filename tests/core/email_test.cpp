// The e-mail engine: subject as title and first paragraph, body as paragraphs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/pipeline/load.hpp"
#include "core/textual/email_engine.hpp"

namespace scrivex_core::textual {
namespace {

struct EmailCase {
  std::string name;
  std::string message;
  std::optional<std::string> title;
  std::vector<std::string> paragraphs;
};

TEST(EmailEngine, SubjectAndBody) {
  const std::vector<EmailCase> cases = {
      {"folded subject, CRLF",
       "Subject: Hello\r\n  world\r\nFrom: a\r\n\r\nBody  text\r\n",
       "Hello world",
       {"Hello world", "Body text"}},
      {"repeated subjects add up",
       "SUBJECT: A\nX-Other: z\n continued\nsubject: B\n\nb",
       "A B",
       {"A B", "b"}},
      {"empty body", "Subject: Only\nTo: x\n\n \n", "Only", {"Only"}},
      {"no subject",
       "From: a\nTo: b\n\nFirst line\nsecond line\n\n\nNext",
       std::nullopt,
       {"First line second line", "Next"}},
      {"no blank line", "Subject: Alone", "Alone", {"Alone"}},
      {"no header at all", "just some words\nmore\n\nbody", std::nullopt, {"body"}},
      {"empty subject", "Subject:\n\nbody", "", {"body"}},
      {"lone CR line ends", "Subject: cr\r\rone\rtwo", "cr", {"cr", "one two"}},
      {"line without colon ends a header", "Subject: s\nbroken\n cont\n\nb", "s", {"s", "b"}},
      {"quoted-printable is left alone",
       "Subject: qp\n\nsoft=\nbreak=20here =C3=A9",
       "qp",
       {"qp", "soft= break=20here =C3=A9"}},
      {"HTML body is not converted", "Subject: h\n\n<p>Hi</p>", "h", {"h", "<p>Hi</p>"}},
  };
  for (const EmailCase& c : cases) {
    source::Source source = source::Source::from_text(c.message);
    source.format = "email";
    auto result = EmailEngine{}.extract(source);
    ASSERT_TRUE(result.ok()) << c.name;
    const ir::Document document = std::move(result).value();
    EXPECT_EQ(document.metadata.title, c.title) << c.name;
    std::vector<std::string> paragraphs;
    for (const ir::Block& block : document.pages.at(0).blocks) {
      const auto& text = std::get<ir::TextBlock>(block);
      EXPECT_EQ(text.kind, "paragraph");
      paragraphs.push_back(text.text);
    }
    EXPECT_EQ(paragraphs, c.paragraphs) << c.name;
    EXPECT_EQ(document.metadata.engine, "email-native") << c.name;
    EXPECT_EQ(document.metadata.format, "email") << c.name;
  }
}

TEST(EmailEngine, LoadsAnEmlFileFromDisk) {
  char pattern[] = "/tmp/scrivex-email-XXXXXX";
  ASSERT_TRUE(mkdtemp(pattern));
  const std::filesystem::path path = std::filesystem::path(pattern) / "note.eml";
  const std::string message = "From: a@example.org\r\nSubject: Minutes\r\n\r\nWe met.\r\n\r\nWe left.\r\n";
  std::ofstream(path, std::ios::binary) << message;
  auto result = pipeline::load_path(path.string());
  std::filesystem::remove_all(pattern);
  ASSERT_TRUE(result.ok());
  const ir::Document document = std::move(result).value();
  EXPECT_EQ(document.metadata.title, "Minutes");
  EXPECT_EQ(document.metadata.source, path.string());
  EXPECT_EQ(document.metadata.file_size_bytes, message.size());
  EXPECT_EQ(document.metadata.block_count, 3u);
  EXPECT_EQ(document.metadata.character_count, 26u);  // "Minutes\n\nWe met.\n\nWe left."
}

}  // namespace
}  // namespace scrivex_core::textual

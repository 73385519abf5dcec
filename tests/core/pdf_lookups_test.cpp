#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/pdf/content_parser.hpp"
#include "core/pdf/lookups.hpp"
#include "core/pdf/object.hpp"
#include "core/pdf/syntax.hpp"
#include "core/util/limits.hpp"

namespace scrivex_core::pdf {
namespace {

ObjectIndex index_of(std::vector<std::pair<std::uint32_t, std::string>> objects) {
  ObjectIndex index;
  for (auto& [number, body] : objects) index.insert(std::make_shared<PdfObject>(number, 0, std::move(body)));
  return index;
}

// Numbers after a key: white space and brackets are skipped, the first occurrence wins.
TEST(PdfLookups, NumberAfterKey) {
  struct Case {
    std::string text;
    std::string key;
    std::optional<float> expected;
  };
  const std::vector<Case> cases = {
      {"/Rotate -90", "/Rotate", -90.0f},
      {"/W [ 500", "/W", 500.0f},
      {"/N /Foo", "/N", std::nullopt},
      {"/Width 20 /W 7", "/W", std::nullopt},  // "/W" matches inside "/Width" first: "idth" is no number
      {"/Size 3.5", "/Missing", std::nullopt},
      {"/Count +4", "/Count", 4.0f},
      {"/Count 1.2.3", "/Count", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(parse_number_after(c.text, c.key), c.expected) << c.text;
  }
}

TEST(PdfLookups, NumberArrays) {
  EXPECT_EQ(parse_number_array_after("/MediaBox [0 0 612.5 792]", "/MediaBox"),
            (std::vector<float>{0, 0, 612.5f, 792}));
  EXPECT_EQ(parse_number_array_after("/MediaBox [0 x 595]", "/MediaBox"), (std::vector<float>{0, 595}));
  EXPECT_EQ(parse_number_array_after("/MediaBox []", "/MediaBox"), std::vector<float>{});
  EXPECT_EQ(parse_number_array_after("/MediaBox [0 0", "/MediaBox"), std::nullopt);
}

TEST(PdfLookups, References) {
  EXPECT_EQ(parse_refs("[3 0 R 4 0 R]"), (std::vector<std::uint32_t>{3, 4}));
  EXPECT_EQ(parse_refs("3 0 %c\nR"), std::vector<std::uint32_t>{});  // a comment splits the reference
  EXPECT_EQ(parse_refs("12  0\nR 5 0 obj 7 1 R"), (std::vector<std::uint32_t>{12, 7}));
  EXPECT_EQ(parse_refs_after_key("/Contents [5 0 R 6 0 R]", "/Contents"), (std::vector<std::uint32_t>{5, 6}));
  EXPECT_EQ(parse_refs_after_key("/Contents 5 0 R /Parent 2 0 R", "/Contents"),
            (std::vector<std::uint32_t>{5}));
  // An array that does not follow the key directly is not the key's.
  EXPECT_EQ(parse_refs_after_key("/Contents 5 0 R /Kids [6 0 R]", "/Contents"),
            (std::vector<std::uint32_t>{5}));
  EXPECT_EQ(parse_refs_after_key("/Type /Page", "/Contents"), std::vector<std::uint32_t>{});
  EXPECT_EQ(parse_direct_ref_after_key("/Parent 2 0 R", "/Parent"), 2u);
  EXPECT_EQ(parse_direct_ref_after_key("/Parent [2 0 R]", "/Parent"), std::nullopt);
  EXPECT_EQ(parse_direct_ref_after_key("/Parent 2 0 Q", "/Parent"), std::nullopt);
}

TEST(PdfLookups, ReferenceScanIsLinearOverLongDigitRuns) {
  const std::string digits(1 << 20, '7');
  EXPECT_TRUE(parse_refs(digits).empty());
  EXPECT_EQ(parse_refs(digits + " 0 R").size(), 1u);
}

TEST(PdfLookups, Names) {
  EXPECT_EQ(parse_name_after("/BaseFont /ABCDEF+Times-Roman/Encoding", "/BaseFont"), "ABCDEF+Times-Roman");
  EXPECT_EQ(parse_name_after("/BaseFont (x)", "/BaseFont"), std::nullopt);
  EXPECT_EQ(parse_name_after("/BaseFont /A#20B", "/BaseFont"), "A#20B");  // escapes are kept
  EXPECT_EQ(parse_named_refs("/F1 5 0 R /F2 << >> /F3 7 0 R"), (NamedRefs{{"F1", 5}, {"F3", 7}}));
  EXPECT_EQ(parse_named_refs("/F1 5 0 R /F1 9 0 R //F4 3 0 R"), (NamedRefs{{"F1", 9}}));
}

TEST(PdfLookups, ResourceResolution) {
  const ObjectIndex index =
      index_of({{10, "<< /Font << /F1 5 0 R >> /XObject 11 0 R >>"}, {11, "<< /Im0 12 0 R >>"}});
  const auto resources = resolve_resource_body("/Type /Page /Resources 10 0 R", index);
  ASSERT_TRUE(resources.has_value());
  EXPECT_EQ(resolve_named_resource_refs(*resources, "/Font", index), (NamedRefs{{"F1", 5}}));
  EXPECT_EQ(resolve_named_resource_refs(*resources, "/XObject", index), (NamedRefs{{"Im0", 12}}));
  EXPECT_EQ(resolve_resource_body("/Resources 99 0 R", index), std::nullopt);
  EXPECT_EQ(resolve_resource_body("/Resources << /Font 10 0 R >>", index), std::nullopt);
}

// Object bodies are decoded once; invalid UTF-8 becomes U+FFFD in the text only.
TEST(PdfObjectRecord, LossyTextIsKeptBesideTheBytes) {
  const PdfObject object(4, 0, std::string("(caf\xE9)"));
  EXPECT_EQ(object.body(), "(caf\xE9)");
  EXPECT_EQ(object.text(), "(caf\xEF\xBF\xBD)");
  const PdfObject plain(5, 0, "<< /Type /Page >>");
  EXPECT_EQ(plain.text().data(), plain.body().data());
}

TEST(PdfSyntax, WhiteSpaceInsensitiveSearch) {
  EXPECT_TRUE(contains_ignoring_white_space("<< /Type /Page >>", "/Type/Page"));
  EXPECT_TRUE(contains_ignoring_white_space("/Ty\npe\t/Pa ge", "/Type/Page"));
  EXPECT_TRUE(contains_ignoring_white_space("/Type\xC2\xA0/Pages", "/Type/Pages"));  // U+00A0 is white space
  EXPECT_FALSE(contains_ignoring_white_space("/Type/Pa\xC3\xA9ge", "/Type/Page"));
}

std::vector<ContentToken> tokens_of(std::string_view data) {
  std::vector<ContentToken> tokens;
  ContentParser parser(data);
  while (true) {
    ContentToken token = parser.next_operand_or_operator();
    if (token.kind == ContentToken::Kind::End) break;
    tokens.push_back(std::move(token));
  }
  return tokens;
}

TEST(PdfContentParser, LiteralStrings) {
  struct Case {
    std::string data;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"(a(b)c)", "a(b)c"}, {"(\\101)", "A"},           {"(\\0053)", "\0053"},
      {"(\\777)", "\xFF"},  {"(a\\\r\nb\\\nc)", "abc"}, {"(\\n\\t\\(\\q)", "\n\t(q"},
      {"(open", "open"},
  };
  for (const Case& c : cases) {
    const auto tokens = tokens_of(c.data);
    ASSERT_EQ(tokens.size(), 1u) << c.data;
    EXPECT_EQ(tokens[0].operand.kind, Operand::Kind::String) << c.data;
    EXPECT_EQ(tokens[0].operand.text, c.expected) << c.data;
  }
}

TEST(PdfContentParser, OperandsAndOperators) {
  const auto tokens = tokens_of("% comment\n/F1 12 Tf [(A) -250 <42> Tj] TJ <<");
  ASSERT_EQ(tokens.size(), 7u);
  EXPECT_EQ(tokens[0].operand.kind, Operand::Kind::Name);
  EXPECT_EQ(tokens[0].operand.text, "F1");
  EXPECT_EQ(tokens[1].operand.number, 12.0f);
  EXPECT_EQ(tokens[2].operator_text, "Tf");
  ASSERT_EQ(tokens[3].operand.items.size(), 3u);  // the operator inside the array is dropped
  EXPECT_EQ(tokens[3].operand.items[1].number, -250.0f);
  EXPECT_EQ(tokens[3].operand.items[2].kind, Operand::Kind::HexString);
  EXPECT_EQ(tokens[3].operand.items[2].text, "B");
  EXPECT_EQ(tokens[4].operator_text, "TJ");
  // "<<" is an empty operand, then a hex string running to the end.
  EXPECT_EQ(tokens[5].operand.kind, Operand::Kind::Empty);
  EXPECT_EQ(tokens[6].operand.kind, Operand::Kind::HexString);
}

TEST(PdfContentParser, MalformedNumberEndsTheStream) {
  EXPECT_EQ(tokens_of("1 0 0 1.2.3 0 0 cm BT").size(), 3u);
  EXPECT_EQ(tokens_of("q - Q").size(), 1u);
}

// Regression: deeply nested arrays used to recurse without bound.
TEST(PdfContentParser, DeepArraysEndTheStreamInsteadOfOverflowing) {
  const std::size_t limit = limits::kMaxPdfArrayDepth;
  const std::string ok = std::string(limit, '[') + std::string(limit, ']') + " TJ";
  EXPECT_EQ(tokens_of(ok).size(), 2u);
  const std::string deep = "BT " + std::string(limit + 1, '[') + std::string(limit + 1, ']') + " TJ";
  EXPECT_EQ(tokens_of(deep).size(), 1u);
  EXPECT_EQ(tokens_of(std::string(1 << 20, '[')).size(), 0u);
}

}  // namespace
}  // namespace scrivex_core::pdf

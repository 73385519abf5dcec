#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/util/json.hpp"
#include "core/util/limits.hpp"

namespace scrivex_core::util::json {
namespace {

using namespace std::string_literals;

std::string error_of(std::string_view text) {
  auto parsed = parse(text);
  if (parsed.ok()) return "<parsed>";
  return parsed.error().message;
}

Value parsed_or_fail(std::string_view text) {
  auto parsed = parse(text);
  EXPECT_TRUE(parsed.ok()) << text << ": " << parsed.error().message;
  return parsed.ok() ? parsed.value() : Value{};
}

std::string nested_arrays(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

std::string float_text(float value) {
  std::string out;
  append_float(out, value);
  return out;
}

std::string escaped(std::string_view text) {
  std::string out;
  append_escaped_string(out, text);
  return out;
}

// Every syntax error names the fault and ends with its line and column; the
// column counts the bytes of the line up to and including the faulty one.
TEST(JsonReader, SyntaxErrorsCarryMessageAndPosition) {
  struct Case {
    std::string input;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"", "EOF while parsing a value at line 1 column 0"},
      {"   ", "EOF while parsing a value at line 1 column 3"},
      {"-", "EOF while parsing a value at line 1 column 1"},
      {"t", "EOF while parsing a value at line 1 column 1"},
      {"nul", "EOF while parsing a value at line 1 column 3"},
      {"trux", "expected ident at line 1 column 4"},
      {"x", "expected value at line 1 column 1"},
      {"+1", "expected value at line 1 column 1"},
      {".5", "expected value at line 1 column 1"},
      {"]", "expected value at line 1 column 1"},
      {"1 2", "trailing characters at line 1 column 3"},
      {"{} x", "trailing characters at line 1 column 4"},
      {"[", "EOF while parsing a list at line 1 column 1"},
      {"[1", "EOF while parsing a list at line 1 column 2"},
      {"[1,", "EOF while parsing a value at line 1 column 3"},
      {"[1,]", "trailing comma at line 1 column 4"},
      {"[1 2]", "expected `,` or `]` at line 1 column 4"},
      {"{", "EOF while parsing an object at line 1 column 1"},
      {"{\"a\"", "EOF while parsing an object at line 1 column 4"},
      {"{\"a\":", "EOF while parsing a value at line 1 column 5"},
      {"{\"a\":1,", "EOF while parsing a value at line 1 column 7"},
      {"{\"a\":1,}", "trailing comma at line 1 column 8"},
      {"{\"a\" 1}", "expected `:` at line 1 column 6"},
      {"{\"a\":1 \"b\":2}", "expected `,` or `}` at line 1 column 8"},
      {"{1:2}", "key must be a string at line 1 column 2"},
      {"{\"a\":1,2:3}", "key must be a string at line 1 column 8"},
      {"01", "invalid number at line 1 column 2"},
      {"[-01]", "invalid number at line 1 column 4"},
      {"1.", "EOF while parsing a value at line 1 column 2"},
      {"1.x", "invalid number at line 1 column 3"},
      {"1e", "EOF while parsing a value at line 1 column 2"},
      {"1e+x", "invalid number at line 1 column 4"},
      {"-x", "invalid number at line 1 column 2"},
      {"1e400", "number out of range at line 1 column 5"},
      {"-1e400", "number out of range at line 1 column 6"},
      {"\"abc", "EOF while parsing a string at line 1 column 4"},
      {"\"a\\", "EOF while parsing a string at line 1 column 3"},
      {"\"a\\x\"", "invalid escape at line 1 column 4"},
      {"\"\\u12G4\"", "invalid escape at line 1 column 6"},
      {"\"\\uDC00\"", "lone leading surrogate in hex escape at line 1 column 7"},
      {"\"\\uD800\"", "unexpected end of hex escape at line 1 column 8"},
      {"\"\\uD800\\u0041\"", "lone leading surrogate in hex escape at line 1 column 13"},
      {"\"a\tb\"", "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"},
      {"\"a\0b\""s, "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"},
      {"\"\xff\"", "invalid unicode code point at line 1 column 2"},
      {"\x0c" "1", "expected value at line 1 column 1"},
      {"[\n  1,\n  x]", "expected value at line 3 column 3"},
      {"{\n\"a\": [1,\n]}", "trailing comma at line 3 column 1"},
  };
  for (const Case& c : cases) EXPECT_EQ(error_of(c.input), c.message) << "input: " << c.input;
}

// The reader recurses, so nesting is capped: 128 levels read, 129 fail.
TEST(JsonReader, NestingDepthIsCapped) {
  ASSERT_EQ(limits::kMaxJsonDepth, 128u);
  EXPECT_TRUE(parse(nested_arrays(128)).ok());
  EXPECT_EQ(error_of(nested_arrays(129)), "recursion limit exceeded at line 1 column 129");

  std::string objects;
  for (int i = 0; i < 128; ++i) objects += "{\"a\":";
  EXPECT_TRUE(parse(objects + "1" + std::string(128, '}')).ok());
  EXPECT_EQ(error_of(objects + "{}" + std::string(128, '}')),
            "recursion limit exceeded at line 1 column " + std::to_string(objects.size() + 1));
}

TEST(JsonReader, HostileDeepNestingFailsWithoutExhaustingTheStack) {
  EXPECT_EQ(error_of(std::string(100000, '[')), "recursion limit exceeded at line 1 column 129");
  EXPECT_EQ(error_of(nested_arrays(100000)), "recursion limit exceeded at line 1 column 129");
  EXPECT_EQ(error_of(std::string(100000, '{')), "key must be a string at line 1 column 2");
}

TEST(JsonReader, ReadsScalarsAndContainers) {
  const Value v = parsed_or_fail(" \t\r\n{\"a\": [true, false, null, \"s\"], \"b\": {}, \"c\": []} \n");
  ASSERT_EQ(v.type, Type::Object);
  ASSERT_EQ(v.object.size(), 3u);
  const Value& a = v.object[0].value;
  ASSERT_EQ(a.type, Type::Array);
  ASSERT_EQ(a.array.size(), 4u);
  EXPECT_EQ(a.array[0].type, Type::Bool);
  EXPECT_TRUE(a.array[0].boolean);
  EXPECT_FALSE(a.array[1].boolean);
  EXPECT_EQ(a.array[2].type, Type::Null);
  EXPECT_EQ(a.array[3].string, "s");
  EXPECT_EQ(v.object[1].value.type, Type::Object);
  EXPECT_TRUE(v.object[1].value.object.empty());
  EXPECT_TRUE(v.object[2].value.array.empty());
}

// Integers that fit 64 bits stay exact; the rest, and every fraction or
// exponent, is a double. A number too small for a double is zero, not an error.
TEST(JsonReader, NumbersKeepTheirKind) {
  struct Case {
    std::string input;
    NumberKind kind;
    double as_double;
  };
  const std::vector<Case> cases = {
      {"0", NumberKind::Unsigned, 0},
      {"18446744073709551615", NumberKind::Unsigned, 18446744073709551615.0},
      {"18446744073709551616", NumberKind::Float, 18446744073709551616.0},
      {"-1", NumberKind::Negative, -1},
      {"-9223372036854775808", NumberKind::Negative, -9223372036854775808.0},
      {"-9223372036854775809", NumberKind::Float, -9223372036854775809.0},
      {"1.5", NumberKind::Float, 1.5},
      {"1e2", NumberKind::Float, 100},
      {"2E-1", NumberKind::Float, 0.2},
      {"-0.0", NumberKind::Float, 0},
      {"1e-400", NumberKind::Float, 0},
      {"-1e-400", NumberKind::Float, 0},
      {"1000e-330", NumberKind::Float, 0},
      {"0.0000000000000000000000000000000000000001e-300", NumberKind::Float, 0},
      {"0.1000000000000000055511151231257827", NumberKind::Float, 0.1},
  };
  for (const Case& c : cases) {
    const Value v = parsed_or_fail(c.input);
    EXPECT_EQ(v.type, Type::Number) << c.input;
    EXPECT_EQ(v.number_kind, c.kind) << c.input;
    EXPECT_EQ(v.as_double(), c.as_double) << c.input;
  }
  EXPECT_EQ(parsed_or_fail("18446744073709551615").unsigned_value, std::numeric_limits<std::uint64_t>::max());
  EXPECT_EQ(parsed_or_fail("-9223372036854775808").signed_value, std::numeric_limits<std::int64_t>::min());
  EXPECT_TRUE(std::signbit(parsed_or_fail("-1e-400").as_double()));
  // Tiny mantissa, huge exponent: overflow, not underflow.
  EXPECT_EQ(error_of("0.0001e400"), "number out of range at line 1 column 10");
}

TEST(JsonReader, DecodesEscapesIncludingSurrogatePairs) {
  const Value v = parsed_or_fail(R"("\"\\\/\b\f\n\r\t\u0041\u00e9\u20AC\ud83d\ude00 raw é😀 \u0000")");
  EXPECT_EQ(v.string, "\"\\/\b\f\n\r\tA\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80 raw é😀 \0"s);
  // DEL and non-ASCII need no escape.
  EXPECT_EQ(parsed_or_fail("\"\x7f\"").string, "\x7f");
}

// Keys are unique for consumers: a later duplicate wins, iteration is in
// ascending byte order (so non-ASCII keys sort after every ASCII key).
TEST(JsonValue, FindAndSortedMembersLetTheLastDuplicateWin) {
  const Value v = parsed_or_fail(R"({"b": 1, "é": 2, "ab": 3, "a": 4, "b": 5, "Z": 6, "": 7, "~": 8, "b": 9})");
  ASSERT_NE(v.find("b"), nullptr);
  EXPECT_EQ(v.find("b")->unsigned_value, 9u);
  EXPECT_EQ(v.find("é")->unsigned_value, 2u);
  EXPECT_EQ(v.find("missing"), nullptr);
  EXPECT_EQ(v.object.size(), 9u);  // input order, duplicates kept

  const std::vector<const Member*> members = v.sorted_members();
  std::vector<std::string> keys;
  std::vector<std::uint64_t> values;
  for (const Member* m : members) {
    keys.push_back(m->key);
    values.push_back(m->value.unsigned_value);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"", "Z", "a", "ab", "b", "~", "é"}));
  EXPECT_EQ(values, (std::vector<std::uint64_t>{7, 6, 4, 3, 9, 8, 2}));

  EXPECT_EQ(parsed_or_fail("[1]").find("a"), nullptr);
  EXPECT_TRUE(parsed_or_fail("{}").sorted_members().empty());
}

TEST(JsonValue, DescribesUnexpectedValuesForTypeErrors) {
  struct Case {
    std::string input;
    std::string description;
  };
  const std::vector<Case> cases = {
      {"\"x\"", "string \"x\""},       {"\"a\\\"b\"", "string \"a\\\"b\""},
      {"5", "integer `5`"},            {"-5", "integer `-5`"},
      {"1.5", "floating point `1.5`"}, {"2.0", "floating point `2.0`"},
      {"true", "boolean `true`"},      {"false", "boolean `false`"},
      {"null", "null"},                {"[]", "sequence"},
      {"{}", "map"},
  };
  for (const Case& c : cases) EXPECT_EQ(describe_unexpected(parsed_or_fail(c.input)), c.description) << c.input;
}

// Only the quotation mark, the backslash and U+0000..U+001F are escaped; the
// control characters without a short form become \u00XX in lowercase hex.
TEST(JsonWriter, EscapesOnlyWhatJsonRequires) {
  EXPECT_EQ(escaped("\"\\/\x7f\x01\x1f\x1b\b\t\n\f\r\0 é😀"s),
            "\"\\\"\\\\/\x7f\\u0001\\u001f\\u001b\\b\\t\\n\\f\\r\\u0000 é😀\"");
  EXPECT_EQ(escaped(""), "\"\"");

  std::string every_ascii;
  for (int c = 0; c < 0x80; ++c) every_ascii.push_back(static_cast<char>(c));
  EXPECT_EQ(parsed_or_fail(escaped(every_ascii)).string, every_ascii);
}

TEST(JsonWriter, SpellsFloatsInShortestRoundTripForm) {
  struct Case {
    float value;
    std::string text;
  };
  const std::vector<Case> cases = {
      {0.55f, "0.55"},
      {12.0f, "12.0"},
      {595.32f, "595.32"},
      {842.0f, "842.0"},
      {0.123456789f, "0.12345679"},
      {0.1f, "0.1"},
      {1.0f / 3.0f, "0.33333334"},
      {0.0f, "0.0"},
      {-0.0f, "-0.0"},
      {-2.5f, "-2.5"},
      {16777216.0f, "16777216.0"},
      {std::numeric_limits<float>::quiet_NaN(), "null"},
      {std::numeric_limits<float>::infinity(), "null"},
      {-std::numeric_limits<float>::infinity(), "null"},
  };
  for (const Case& c : cases) EXPECT_EQ(float_text(c.value), c.text) << c.text;
}

// Whatever the notation, the spelling is valid JSON and reads back (as a
// double narrowed to 32 bits) to the very same float.
TEST(JsonWriter, FloatSpellingRoundTripsThroughTheReader) {
  std::vector<float> values = {std::numeric_limits<float>::max(),        std::numeric_limits<float>::lowest(),
                               std::numeric_limits<float>::min(),        std::numeric_limits<float>::denorm_min(),
                               std::numeric_limits<float>::epsilon(),    1e20f,
                               1e-7f,                                    123456789.0f,
                               std::nextafter(1.0f, 2.0f),               -3.4e-38f};
  for (std::uint32_t bits = 0; bits < 0x7f800000u; bits += 0x7fffu) {
    values.push_back(std::bit_cast<float>(bits));
    values.push_back(-std::bit_cast<float>(bits));
  }
  for (float value : values) {
    const std::string text = float_text(value);
    auto parsed = parse(text);
    ASSERT_TRUE(parsed.ok()) << text;
    ASSERT_EQ(parsed.value().type, Type::Number) << text;
    EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(parsed.value().as_double())),
              std::bit_cast<std::uint32_t>(value))
        << text;
  }
}

void write_sample(Writer& w) {
  w.begin_object();
  w.key("a");
  w.begin_array();
  w.unsigned_integer(1);
  w.begin_object();
  w.end_object();
  w.signed_integer(-2);
  w.end_array();
  w.key("b");
  w.begin_array();
  w.end_array();
  w.key("c");
  w.begin_object();
  w.key("d");
  w.null();
  w.key("e\n");
  w.boolean(true);
  w.end_object();
  w.key("f");
  w.float32(0.5f);
  w.key("g");
  w.float64(std::nan(""));
  w.key("h");
  w.string("x");
  w.end_object();
}

TEST(JsonWriter, IndentedLayoutUsesTwoSpacesAndColonSpace) {
  std::string out;
  Writer w(out, true);
  write_sample(w);
  EXPECT_EQ(out, R"({
  "a": [
    1,
    {},
    -2
  ],
  "b": [],
  "c": {
    "d": null,
    "e\n": true
  },
  "f": 0.5,
  "g": null,
  "h": "x"
})");
}

TEST(JsonWriter, CompactLayoutHasNoWhiteSpace) {
  std::string out;
  Writer w(out, false);
  write_sample(w);
  EXPECT_EQ(out, R"({"a":[1,{},-2],"b":[],"c":{"d":null,"e\n":true},"f":0.5,"g":null,"h":"x"})");
}

TEST(JsonWriter, TopLevelScalarsAndEmptyContainers) {
  struct Case {
    bool indented;
    void (*write)(Writer&);
    std::string text;
  };
  const std::vector<Case> cases = {
      {true, [](Writer& w) { w.string("a"); }, "\"a\""},
      {true, [](Writer& w) { w.unsigned_integer(18446744073709551615u); }, "18446744073709551615"},
      {false, [](Writer& w) { w.signed_integer(std::numeric_limits<std::int64_t>::min()); }, "-9223372036854775808"},
      {true, [](Writer& w) { w.begin_array(); w.end_array(); }, "[]"},
      {true, [](Writer& w) { w.begin_object(); w.end_object(); }, "{}"},
      {true, [](Writer& w) { w.begin_array(); w.begin_array(); w.end_array(); w.end_array(); }, "[\n  []\n]"},
  };
  for (const Case& c : cases) {
    std::string out;
    Writer w(out, c.indented);
    c.write(w);
    EXPECT_EQ(out, c.text);
  }
}

}  // namespace
}  // namespace scrivex_core::util::json

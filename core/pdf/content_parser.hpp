// The token reader of content streams, also used for the title, /Differences
// and /W arrays.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace scrivex_core::pdf {

struct Operand {
  enum class Kind { Number, Name, String, HexString, Array, Empty };
  Kind kind = Kind::Empty;
  float number = 0;
  std::string text;            // name text (lossy UTF-8, no slash) or string bytes
  std::vector<Operand> items;  // array elements

  bool is_number() const { return kind == Kind::Number; }
  bool is_name() const { return kind == Kind::Name; }
  bool is_string() const { return kind == Kind::String || kind == Kind::HexString; }
  bool is_array() const { return kind == Kind::Array; }
};

struct ContentToken {
  enum class Kind { Operand, Operator, End };
  Kind kind = Kind::End;
  Operand operand;  // for Kind::Operand
  // For Kind::Operator: its bytes, a view of the parser's data. Operators
  // are ASCII; other bytes are kept as they are and match no operator.
  std::string_view operator_text;
};

// Reads tokens from a byte buffer. Dictionaries are not parsed: "<<" gives
// an empty operand and then a hex string of the dictionary text. A malformed
// number ("-", "1.2.3") or arrays nested too deeply give the end, which stops
// the reading of the stream. Array items past a budget per operator are
// read and dropped.
class ContentParser {
 public:
  explicit ContentParser(std::string_view data, std::size_t position = 0) : data_(data), pos_(position) {}

  ContentToken next_operand_or_operator();
  std::size_t position() const { return pos_; }

 private:
  ContentToken next_token(std::size_t depth);
  void skip_white_space_and_comments();
  std::string read_literal_string();
  ContentToken read_array(std::size_t depth);

  std::string_view data_;
  std::size_t pos_;
  std::size_t kept_items_ = 0;  // array items kept since the last operator
};

}  // namespace scrivex_core::pdf

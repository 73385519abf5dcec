// The JSON reader and writer. Our own, because the IR's error texts, key
// order and float spelling are part of the contract.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.hpp"

namespace scrivex_core::util::json {

// A reader failure; message ends with "at line L column C".
struct JsonError {
  std::string message;
};

// Builds the error text for a fault at byte offset `offset` of `text`. The
// column counts the bytes consumed on the fault's line, so an error after the
// first character of a line is at column 1 and an empty text fails at column 0.
JsonError error_at(std::string_view text, std::size_t offset, std::string_view message);

enum class Type { Null, Bool, Number, String, Array, Object };

// Integers that fit are kept exactly; everything else is a double.
enum class NumberKind { Unsigned, Negative, Float };

struct Member;

struct Value {
  Type type = Type::Null;
  bool boolean = false;
  NumberKind number_kind = NumberKind::Unsigned;
  std::uint64_t unsigned_value = 0;
  std::int64_t signed_value = 0;
  double float_value = 0;
  std::string string;
  std::vector<Value> array;
  std::vector<Member> object;  // in input order, duplicates kept
  std::size_t end = 0;         // byte offset just past the value

  // The number as a double, whatever its kind.
  double as_double() const;
  // The last member with this key (a later duplicate wins), or null.
  const Value* find(std::string_view key) const;
  // Members with unique keys (the last of duplicates), ascending by key bytes.
  std::vector<const Member*> sorted_members() const;
};

struct Member {
  std::string key;
  std::size_t key_end = 0;  // byte offset just past the key
  Value value;
};

// Parses exactly one JSON value (RFC 8259) with surrounding white space.
Result<Value, JsonError> parse(std::string_view text);

// serde-style descriptions used in "invalid type" messages: `string "x"`,
// "integer `5`", "floating point `1.5`", "boolean `true`", "null", "map", "sequence".
std::string describe_unexpected(const Value& value);

// Shortest round-trip spelling, with ".0" on whole numbers written positionally.
void append_float(std::string& out, float value);
void append_double(std::string& out, double value);
void append_escaped_string(std::string& out, std::string_view text);

// Streams JSON text into a string, indented (two spaces, ": ") or compact.
class Writer {
 public:
  Writer(std::string& out, bool indented) : out_(out), indented_(indented) {}
  // A writer that goes on inside `depth` open containers whose innermost one
  // already has an element when `after_first`: elements written apart (on
  // another thread, say) come out exactly as this writer's own would.
  Writer(std::string& out, bool indented, std::size_t depth, bool after_first)
      : out_(out), indented_(indented), has_element_(depth, true) {
    if (depth > 0) has_element_.back() = after_first;
  }

  // Appends elements written by a nested writer to the innermost container.
  void elements(std::string_view json) {
    if (json.empty()) return;
    out_.append(json);
    has_element_.back() = true;
  }

  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }
  void key(std::string_view name);
  void string(std::string_view text);
  void boolean(bool value);
  void null();
  void unsigned_integer(std::uint64_t value);
  void signed_integer(std::int64_t value);
  // NaN and infinities are written as null.
  void float32(float value);
  void float64(double value);

 private:
  void open(char bracket);
  void close(char bracket);
  void before_value();
  void newline_and_indent(std::size_t depth);

  std::string& out_;
  bool indented_;
  // One entry per open container: whether it has an element yet.
  std::vector<bool> has_element_;
  bool after_key_ = false;
};

}  // namespace scrivex_core::util::json

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

#include "core/util/json.hpp"
#include "core/util/limits.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::util::json {
namespace {

// Whether a JSON number (grammar already checked) is below 1 in magnitude:
// its leading significant digit lies right of the decimal point once the
// exponent is applied. Tells underflow from overflow when from_chars fails.
bool magnitude_below_one(std::string_view spelling) {
  constexpr std::int64_t kExponentCap = 1'000'000;  // far past any double's range
  const std::size_t e = spelling.find_first_of("eE");
  std::string_view mantissa = spelling.substr(0, e);
  if (!mantissa.empty() && mantissa.front() == '-') mantissa.remove_prefix(1);
  const std::size_t dot = mantissa.find('.');
  const std::size_t integer_digits = dot == std::string_view::npos ? mantissa.size() : dot;
  const std::size_t lead = mantissa.find_first_not_of("0.");
  if (lead == std::string_view::npos) return true;
  std::int64_t exponent = lead < integer_digits ? static_cast<std::int64_t>(integer_digits - lead - 1)
                                                : -static_cast<std::int64_t>(lead - integer_digits);
  if (e != std::string_view::npos) {
    std::string_view power = spelling.substr(e + 1);
    const bool negative = !power.empty() && power.front() == '-';
    if (!power.empty() && (power.front() == '-' || power.front() == '+')) power.remove_prefix(1);
    std::int64_t magnitude = 0;
    for (char c : power) magnitude = std::min(kExponentCap, magnitude * 10 + (c - '0'));
    exponent += negative ? -magnitude : magnitude;
  }
  return exponent < 0;
}

// A recursive-descent reader over one text. Positions in errors are byte
// offsets "consumed so far", turned into line and column by error_at.
class Reader {
 public:
  explicit Reader(std::string_view text) : text_(text) {}

  Result<Value, JsonError> read_document() {
    Value value;
    skip_white_space();
    if (!read_value(value, 0)) return std::move(*error_);
    skip_white_space();
    if (pos_ < text_.size()) return fail_at(pos_ + 1, "trailing characters");
    return value;
  }

 private:
  bool at_end() const { return pos_ >= text_.size(); }
  char peek() const { return text_[pos_]; }

  void skip_white_space() {
    while (!at_end() && (peek() == ' ' || peek() == '\n' || peek() == '\t' || peek() == '\r')) ++pos_;
  }

  JsonError fail_at(std::size_t offset, std::string_view message) {
    error_ = error_at(text_, std::min(offset, text_.size()), message);
    return *error_;
  }
  bool fail(std::size_t offset, std::string_view message) {
    fail_at(offset, message);
    return false;
  }

  bool read_value(Value& value, std::size_t depth) {
    if (at_end()) return fail(pos_, "EOF while parsing a value");
    switch (peek()) {
      case 'n': return read_literal("null", value, Type::Null, false);
      case 't': return read_literal("true", value, Type::Bool, true);
      case 'f': return read_literal("false", value, Type::Bool, false);
      case '"':
        value.type = Type::String;
        ++pos_;
        if (!read_string_body(value.string)) return false;
        value.end = pos_;
        return true;
      case '[': return read_array(value, depth + 1);
      case '{': return read_object(value, depth + 1);
      default:
        if (peek() == '-' || (peek() >= '0' && peek() <= '9')) return read_number(value);
        return fail(pos_ + 1, "expected value");
    }
  }

  bool read_literal(std::string_view word, Value& value, Type type, bool truth) {
    for (char expected : word) {
      if (at_end()) return fail(pos_, "EOF while parsing a value");
      if (peek() != expected) return fail(pos_ + 1, "expected ident");
      ++pos_;
    }
    value.type = type;
    value.boolean = truth;
    value.end = pos_;
    return true;
  }

  bool read_number(Value& value) {
    const std::size_t start = pos_;
    const bool negative = peek() == '-';
    if (negative) ++pos_;
    if (at_end()) return fail(pos_, "EOF while parsing a value");
    if (peek() == '0') {
      ++pos_;
      // One leading zero only: "01" is not a JSON number.
      if (!at_end() && peek() >= '0' && peek() <= '9') return fail(pos_ + 1, "invalid number");
    } else if (peek() >= '1' && peek() <= '9') {
      while (!at_end() && peek() >= '0' && peek() <= '9') ++pos_;
    } else {
      return fail(pos_ + 1, "invalid number");
    }
    bool is_float = false;
    if (!at_end() && peek() == '.') {
      is_float = true;
      ++pos_;
      if (!skip_digits()) return false;
    }
    if (!at_end() && (peek() == 'e' || peek() == 'E')) {
      is_float = true;
      ++pos_;
      if (!at_end() && (peek() == '+' || peek() == '-')) ++pos_;
      if (!skip_digits()) return false;
    }
    value.type = Type::Number;
    value.end = pos_;
    return store_number(text_.substr(start, pos_ - start), negative, is_float, value);
  }

  bool skip_digits() {
    if (at_end()) return fail(pos_, "EOF while parsing a value");
    if (peek() < '0' || peek() > '9') return fail(pos_ + 1, "invalid number");
    while (!at_end() && peek() >= '0' && peek() <= '9') ++pos_;
    return true;
  }

  bool store_number(std::string_view spelling, bool negative, bool is_float, Value& value) {
    const char* first = spelling.data();
    const char* last = first + spelling.size();
    if (!is_float && !negative) {
      if (std::from_chars(first, last, value.unsigned_value).ec == std::errc{}) {
        value.number_kind = NumberKind::Unsigned;
        return true;
      }
    } else if (!is_float) {
      if (std::from_chars(first, last, value.signed_value).ec == std::errc{}) {
        value.number_kind = NumberKind::Negative;
        return true;
      }
    }
    // Integers too large for 64 bits become doubles, as they do in most readers.
    const auto parsed = std::from_chars(first, last, value.float_value);
    if (parsed.ec == std::errc::result_out_of_range && magnitude_below_one(spelling)) {
      // from_chars reports underflow as out of range; "1e-400" is valid JSON for zero.
      value.float_value = negative ? -0.0 : 0.0;
    } else if (parsed.ec != std::errc{} || !std::isfinite(value.float_value)) {
      return fail(pos_, "number out of range");
    }
    value.number_kind = NumberKind::Float;
    return true;
  }

  bool read_hex4(std::uint32_t& unit) {
    unit = 0;
    for (int i = 0; i < 4; ++i) {
      if (at_end()) return fail(pos_, "EOF while parsing a string");
      const char c = peek();
      std::uint32_t digit;
      if (c >= '0' && c <= '9') digit = static_cast<std::uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f') digit = static_cast<std::uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') digit = static_cast<std::uint32_t>(c - 'A' + 10);
      else return fail(pos_ + 1, "invalid escape");
      unit = unit * 16 + digit;
      ++pos_;
    }
    return true;
  }

  bool read_unicode_escape(std::string& out) {
    std::uint32_t unit;
    if (!read_hex4(unit)) return false;
    if (unit >= 0xDC00 && unit <= 0xDFFF) return fail(pos_, "lone leading surrogate in hex escape");
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (text_.substr(pos_, 2) != "\\u") {
        return fail(std::min(pos_ + 1, text_.size()), "unexpected end of hex escape");
      }
      pos_ += 2;
      std::uint32_t low;
      if (!read_hex4(low)) return false;
      if (low < 0xDC00 || low > 0xDFFF) return fail(pos_, "lone leading surrogate in hex escape");
      unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    append_utf8(out, static_cast<char32_t>(unit));
    return true;
  }

  bool read_escape(std::string& out) {
    if (at_end()) return fail(pos_, "EOF while parsing a string");
    const char c = peek();
    ++pos_;
    switch (c) {
      case '"': out.push_back('"'); return true;
      case '\\': out.push_back('\\'); return true;
      case '/': out.push_back('/'); return true;
      case 'b': out.push_back('\b'); return true;
      case 'f': out.push_back('\f'); return true;
      case 'n': out.push_back('\n'); return true;
      case 'r': out.push_back('\r'); return true;
      case 't': out.push_back('\t'); return true;
      case 'u': return read_unicode_escape(out);
      default: return fail(pos_, "invalid escape");
    }
  }

  // Reads after the opening quote, up to and including the closing quote.
  bool read_string_body(std::string& out) {
    while (true) {
      const std::size_t run_start = pos_;
      while (!at_end()) {
        const unsigned char c = static_cast<unsigned char>(peek());
        if (c == '"' || c == '\\' || c < 0x20) break;
        ++pos_;
      }
      const std::string_view run = text_.substr(run_start, pos_ - run_start);
      if (!is_valid_utf8(run)) return fail(pos_, "invalid unicode code point");
      out.append(run);
      if (at_end()) return fail(pos_, "EOF while parsing a string");
      const char c = peek();
      ++pos_;
      if (c == '"') return true;
      if (c != '\\') return fail(pos_, "control character (\\u0000-\\u001F) found while parsing a string");
      if (!read_escape(out)) return false;
    }
  }

  bool enter(std::size_t depth) {
    if (depth > limits::kMaxJsonDepth) return fail(pos_ + 1, "recursion limit exceeded");
    ++pos_;
    return true;
  }

  bool read_array(Value& value, std::size_t depth) {
    if (!enter(depth)) return false;
    value.type = Type::Array;
    skip_white_space();
    if (!at_end() && peek() == ']') return finish(value);
    while (true) {
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing a list");
      if (peek() == ']') return fail(pos_ + 1, "trailing comma");
      value.array.emplace_back();
      if (!read_value(value.array.back(), depth)) return false;
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing a list");
      if (peek() == ']') return finish(value);
      if (peek() != ',') return fail(pos_ + 1, "expected `,` or `]`");
      ++pos_;
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing a value");
    }
  }

  bool read_object(Value& value, std::size_t depth) {
    if (!enter(depth)) return false;
    value.type = Type::Object;
    skip_white_space();
    if (!at_end() && peek() == '}') return finish(value);
    while (true) {
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing an object");
      if (peek() == '}') return fail(pos_ + 1, "trailing comma");
      if (peek() != '"') return fail(pos_ + 1, "key must be a string");
      ++pos_;
      Member member;
      if (!read_string_body(member.key)) return false;
      member.key_end = pos_;
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing an object");
      if (peek() != ':') return fail(pos_ + 1, "expected `:`");
      ++pos_;
      skip_white_space();
      if (!read_value(member.value, depth)) return false;
      value.object.push_back(std::move(member));
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing an object");
      if (peek() == '}') return finish(value);
      if (peek() != ',') return fail(pos_ + 1, "expected `,` or `}`");
      ++pos_;
      skip_white_space();
      if (at_end()) return fail(pos_, "EOF while parsing a value");
    }
  }

  bool finish(Value& value) {
    ++pos_;
    value.end = pos_;
    return true;
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::optional<JsonError> error_;
};

}  // namespace

JsonError error_at(std::string_view text, std::size_t offset, std::string_view message) {
  offset = std::min(offset, text.size());
  const std::string_view consumed = text.substr(0, offset);
  const std::size_t line = 1 + static_cast<std::size_t>(std::count(consumed.begin(), consumed.end(), '\n'));
  const std::size_t last_newline = consumed.rfind('\n');
  const std::size_t column = last_newline == std::string_view::npos ? offset : offset - last_newline - 1;
  std::string out(message);
  out += " at line " + std::to_string(line) + " column " + std::to_string(column);
  return {std::move(out)};
}

Result<Value, JsonError> parse(std::string_view text) { return Reader(text).read_document(); }

double Value::as_double() const {
  switch (number_kind) {
    case NumberKind::Unsigned: return static_cast<double>(unsigned_value);
    case NumberKind::Negative: return static_cast<double>(signed_value);
    case NumberKind::Float: return float_value;
  }
  return float_value;
}

const Value* Value::find(std::string_view key) const {
  for (auto it = object.rbegin(); it != object.rend(); ++it) {
    if (it->key == key) return &it->value;
  }
  return nullptr;
}

std::vector<const Member*> Value::sorted_members() const {
  std::vector<const Member*> members;
  members.reserve(object.size());
  for (const Member& member : object) members.push_back(&member);
  // Stable sort by key keeps duplicates in input order, so the last of each run wins.
  std::stable_sort(members.begin(), members.end(),
                   [](const Member* a, const Member* b) { return a->key < b->key; });
  std::vector<const Member*> unique;
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i + 1 < members.size() && members[i + 1]->key == members[i]->key) continue;
    unique.push_back(members[i]);
  }
  return unique;
}

std::string describe_unexpected(const Value& value) {
  switch (value.type) {
    case Type::Null: return "null";
    case Type::Bool: return value.boolean ? "boolean `true`" : "boolean `false`";
    case Type::String: {
      std::string out = "string ";
      append_escaped_string(out, value.string);
      return out;
    }
    case Type::Array: return "sequence";
    case Type::Object: return "map";
    case Type::Number: break;
  }
  switch (value.number_kind) {
    case NumberKind::Unsigned: return "integer `" + std::to_string(value.unsigned_value) + "`";
    case NumberKind::Negative: return "integer `" + std::to_string(value.signed_value) + "`";
    case NumberKind::Float: break;
  }
  std::string out = "floating point `";
  append_double(out, value.float_value);
  return out + "`";
}

}  // namespace scrivex_core::util::json

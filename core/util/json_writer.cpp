#include <array>
#include <charconv>
#include <cmath>

#include "core/util/json.hpp"

namespace scrivex_core::util::json {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// A line break followed by the indentation of the deepest usual nesting.
constexpr std::size_t kMaxFastIndent = 96;
constexpr std::array<char, kMaxFastIndent + 1> kLineBreak = [] {
  std::array<char, kMaxFastIndent + 1> text{};
  text.fill(' ');
  text[0] = '\n';
  return text;
}();

bool needs_escape(unsigned char c) { return c < 0x20 || c == '"' || c == '\\'; }

// Turns to_chars' shortest form into the JSON spelling: "12" becomes "12.0",
// "1e+20" becomes "1e20" and "1e-07" becomes "1e-7".
void append_shortest(std::string& out, const char* first, const char* last) {
  const std::string_view text(first, static_cast<std::size_t>(last - first));
  const std::size_t exponent = text.find('e');
  if (exponent == std::string_view::npos) {
    out.append(text);
    if (text.find('.') == std::string_view::npos) out.append(".0");
    return;
  }
  out.append(text.substr(0, exponent + 1));
  std::string_view power = text.substr(exponent + 1);
  if (!power.empty() && power.front() == '+') power.remove_prefix(1);
  if (!power.empty() && power.front() == '-') {
    out.push_back('-');
    power.remove_prefix(1);
  }
  while (power.size() > 1 && power.front() == '0') power.remove_prefix(1);
  out.append(power);
}

template <class F>
void append_real(std::string& out, F value) {
  if (!std::isfinite(value)) {
    out.append("null");
    return;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  append_shortest(out, buffer, result.ptr);
}

}  // namespace

void append_float(std::string& out, float value) { append_real(out, value); }
void append_double(std::string& out, double value) { append_real(out, value); }

void append_escaped_string(std::string& out, std::string_view text) {
  out.push_back('"');
  std::size_t run_start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!needs_escape(c)) continue;
    out.append(text.substr(run_start, i - run_start));
    run_start = i + 1;
    switch (c) {
      case '"': out.append("\\\""); break;
      case '\\': out.append("\\\\"); break;
      case '\b': out.append("\\b"); break;
      case '\t': out.append("\\t"); break;
      case '\n': out.append("\\n"); break;
      case '\f': out.append("\\f"); break;
      case '\r': out.append("\\r"); break;
      default:
        out.append("\\u00");
        out.push_back(kHexDigits[c >> 4]);
        out.push_back(kHexDigits[c & 0xF]);
    }
  }
  out.append(text.substr(run_start));
  out.push_back('"');
}

void Writer::newline_and_indent(std::size_t depth) {
  const std::size_t width = depth * 2;
  if (width < kLineBreak.size()) {
    // The line break and the indentation in one append.
    out_.append(kLineBreak.data(), width + 1);
    return;
  }
  out_.push_back('\n');
  out_.append(width, ' ');
}

void Writer::before_value() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (has_element_.empty()) return;
  if (has_element_.back()) out_.push_back(',');
  has_element_.back() = true;
  if (indented_) newline_and_indent(has_element_.size());
}

void Writer::open(char bracket) {
  before_value();
  out_.push_back(bracket);
  has_element_.push_back(false);
}

void Writer::close(char bracket) {
  const bool had_element = has_element_.back();
  has_element_.pop_back();
  if (indented_ && had_element) newline_and_indent(has_element_.size());
  out_.push_back(bracket);
}

void Writer::key(std::string_view name) {
  before_value();
  append_escaped_string(out_, name);
  out_.append(indented_ ? ": " : ":");
  after_key_ = true;
}

void Writer::string(std::string_view text) {
  before_value();
  append_escaped_string(out_, text);
}

void Writer::boolean(bool value) {
  before_value();
  out_.append(value ? "true" : "false");
}

void Writer::null() {
  before_value();
  out_.append("null");
}

void Writer::unsigned_integer(std::uint64_t value) {
  before_value();
  char buffer[24];
  out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void Writer::signed_integer(std::int64_t value) {
  before_value();
  char buffer[24];
  out_.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void Writer::float32(float value) {
  before_value();
  append_float(out_, value);
}

void Writer::float64(double value) {
  before_value();
  append_double(out_, value);
}

}  // namespace scrivex_core::util::json

#include "core/pdf/content_parser.hpp"

#include <utility>

#include "core/pdf/stream_decode.hpp"
#include "core/pdf/syntax.hpp"
#include "core/util/limits.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr bool is_number_char(char c) {
  return is_digit(c) || c == '+' || c == '-' || c == '.';
}
constexpr bool is_octal(char c) {
  return c >= '0' && c <= '7';
}

ContentToken end_token() {
  return ContentToken{};
}

// Tokens are built in place and returned by value (no moves of the operand's
// string and vector on the way out).
ContentToken operand_token(Operand::Kind kind) {
  ContentToken token;
  token.kind = ContentToken::Kind::Operand;
  token.operand.kind = kind;
  return token;
}

ContentToken operand_token(Operand::Kind kind, std::string text) {
  ContentToken token = operand_token(kind);
  token.operand.text = std::move(text);
  return token;
}

}  // namespace

ContentToken ContentParser::next_operand_or_operator() {
  return next_token(0);
}

void ContentParser::skip_white_space_and_comments() {
  while (pos_ < data_.size()) {
    const char c = data_[pos_];
    if (is_pdf_white_space(c)) {
      ++pos_;
    } else if (c == '%') {
      while (pos_ < data_.size() && data_[pos_] != '\n' && data_[pos_] != '\r') ++pos_;
    } else {
      return;
    }
  }
}

ContentToken ContentParser::next_token(std::size_t depth) {
  skip_white_space_and_comments();
  if (pos_ >= data_.size()) return end_token();
  const char c = data_[pos_];
  if (c == '(') {
    ++pos_;
    return operand_token(Operand::Kind::String, read_literal_string());
  }
  if (is_number_char(c)) {
    const std::size_t start = pos_;
    while (pos_ < data_.size() && is_number_char(data_[pos_])) ++pos_;
    const auto value = parse_pdf_float(data_.substr(start, pos_ - start));
    if (!value) return end_token();
    ContentToken token = operand_token(Operand::Kind::Number);
    token.operand.number = *value;
    return token;
  }
  if (c == '/') {
    const std::size_t start = ++pos_;
    while (pos_ < data_.size() && !is_token_delimiter(data_[pos_])) ++pos_;
    return operand_token(Operand::Kind::Name, util::decode_utf8_lossy(data_.substr(start, pos_ - start)));
  }
  if (c == '<' && (pos_ + 1 >= data_.size() || data_[pos_ + 1] != '<')) {
    const std::size_t start = ++pos_;
    const std::size_t close = data_.find('>', start);
    const std::size_t stop = close == std::string_view::npos ? data_.size() : close;
    pos_ = close == std::string_view::npos ? data_.size() : close + 1;
    return operand_token(Operand::Kind::HexString, decode_hex(data_.substr(start, stop - start)));
  }
  if (c == '[') {
    ++pos_;
    return read_array(depth + 1);
  }
  const std::size_t start = pos_;
  while (pos_ < data_.size() && !is_token_delimiter(data_[pos_])) ++pos_;
  if (pos_ == start) {
    ++pos_;
    return operand_token(Operand::Kind::Empty);
  }
  kept_items_ = 0;
  ContentToken token;
  token.kind = ContentToken::Kind::Operator;
  token.operator_text = data_.substr(start, pos_ - start);
  return token;
}

ContentToken ContentParser::read_array(std::size_t depth) {
  if (depth > limits::kMaxPdfArrayDepth) return end_token();
  ContentToken array = operand_token(Operand::Kind::Array);
  std::vector<Operand>& items = array.operand.items;
  while (true) {
    skip_white_space_and_comments();
    if (pos_ >= data_.size()) break;  // an unclosed array ends with the data
    if (data_[pos_] == ']') {
      ++pos_;
      break;
    }
    ContentToken item = next_token(depth);
    if (item.kind == ContentToken::Kind::End) return item;
    if (item.kind == ContentToken::Kind::Operand && kept_items_ < limits::kMaxPdfOperandsPerOperation) {
      items.push_back(std::move(item.operand));
      ++kept_items_;
    }
  }
  return array;
}

std::string ContentParser::read_literal_string() {
  std::string out;
  std::size_t nesting = 1;
  while (pos_ < data_.size()) {
    const char c = data_[pos_++];
    if (c == '(') {
      ++nesting;
    } else if (c == ')') {
      if (--nesting == 0) return out;
    } else if (c == '\\') {
      if (pos_ >= data_.size()) break;
      const char e = data_[pos_++];
      switch (e) {
        case 'n':
          out.push_back('\n');
          break;
        case 'r':
          out.push_back('\r');
          break;
        case 't':
          out.push_back('\t');
          break;
        case 'b':
          out.push_back('\b');
          break;
        case 'f':
          out.push_back('\f');
          break;
        case '\n':
          break;  // a line continuation
        case '\r':
          if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
          break;
        default:
          if (is_octal(e)) {
            unsigned value = static_cast<unsigned>(e - '0');
            for (int digit = 1; digit < 3 && pos_ < data_.size() && is_octal(data_[pos_]); ++digit) {
              value = value * 8 + static_cast<unsigned>(data_[pos_++] - '0');
            }
            out.push_back(static_cast<char>(value > 255 ? 255 : value));
          } else {
            out.push_back(e);
          }
      }
      continue;
    }
    out.push_back(c);  // nested parentheses belong to the string
  }
  return out;  // unterminated: the string ends with the data
}

}  // namespace scrivex_core::pdf

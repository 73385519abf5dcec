#include "core/pdf/lookups.hpp"

#include "core/pdf/syntax.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr bool is_number_char(char c) {
  return is_digit(c) || c == '+' || c == '-' || c == '.';
}

constexpr bool ends_name(char c) {
  return c == '(' || c == ')' || c == '/' || c == '<' || c == '>' || c == '[' || c == ']';
}

// The text after the first occurrence of key, or nothing.
std::optional<std::string_view> after_key(std::string_view text, std::string_view key) {
  const std::size_t found = text.find(key);
  if (found == std::string_view::npos) return std::nullopt;
  return text.substr(found + key.size());
}

// A digit run as a 32-bit object number (the low 32 bits of its value).
std::uint32_t wrapping_u32(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint32_t>(c - '0');
  return value;
}

// Matches "N <ws> G <ws> R" at pos. On success returns N and sets pos after
// the "R"; on failure leaves pos at the end of the leading digit run.
std::optional<std::uint32_t> reference_at(std::string_view text, std::size_t& pos) {
  const std::size_t number_length = digit_run_length(text, pos);
  if (number_length == 0) return std::nullopt;
  const std::string_view number = text.substr(pos, number_length);
  std::size_t at = pos + number_length;
  pos = at;
  std::size_t ws = skip_pdf_white_space(text, at);
  if (ws == at) return std::nullopt;
  const std::size_t generation_length = digit_run_length(text, ws);
  if (generation_length == 0) return std::nullopt;
  at = ws + generation_length;
  ws = skip_pdf_white_space(text, at);
  if (ws == at || ws >= text.size() || text[ws] != 'R') return std::nullopt;
  pos = ws + 1;
  return wrapping_u32(number);
}

// The first reference anywhere in text.
std::optional<std::uint32_t> first_ref(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (!is_digit(text[pos])) {
      ++pos;
      continue;
    }
    // A failed match leaves pos past the digit run: every position inside
    // the run would fail the same way, so none is retried.
    if (auto number = reference_at(text, pos)) return number;
  }
  return std::nullopt;
}

bool is_all_unicode_white_space(std::string_view text) {
  bool all = true;
  util::for_each_char(text, [&](char32_t c) { all = all && util::is_white_space(c); });
  return all;
}

// Position of the first character that is not Unicode white space.
std::size_t skip_unicode_white_space(std::string_view text, std::size_t pos) {
  while (pos < text.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(text, pos);
    if (!util::is_white_space(decoded.value)) break;
    pos += decoded.length;
  }
  return pos;
}

}  // namespace

std::optional<std::pair<std::uint64_t, std::size_t>> parse_unsigned_at(std::string_view text,
                                                                       std::size_t pos) {
  if (pos > text.size()) return std::nullopt;
  const std::size_t length = digit_run_length(text, pos);
  const auto value = parse_u64(text.substr(pos, length));
  if (length == 0 || !value) return std::nullopt;
  return std::pair{*value, pos + length};
}

std::optional<float> parse_number_after(std::string_view text, std::string_view key) {
  const auto rest = after_key(text, key);
  if (!rest) return std::nullopt;
  std::size_t pos = 0;
  while (pos < rest->size() &&
         (is_pdf_white_space((*rest)[pos]) || (*rest)[pos] == '[' || (*rest)[pos] == ']')) {
    ++pos;
  }
  std::size_t end = pos;
  while (end < rest->size() && is_number_char((*rest)[end])) ++end;
  return parse_pdf_float(rest->substr(pos, end - pos));
}

std::optional<std::vector<float>> parse_number_array_after(std::string_view text, std::string_view key) {
  const auto rest = after_key(text, key);
  if (!rest) return std::nullopt;
  const std::size_t open = rest->find('[');
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = rest->find(']', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  std::vector<float> values;
  for (std::string_view token : util::split_whitespace(rest->substr(open + 1, close - open - 1))) {
    if (const auto value = parse_pdf_float(token)) values.push_back(*value);
  }
  return values;
}

std::vector<std::uint32_t> parse_refs(std::string_view text) {
  std::vector<std::uint32_t> refs;
  std::size_t pos = 0;
  while (pos < text.size()) {
    if (!is_digit(text[pos])) {
      ++pos;
      continue;
    }
    if (auto number = reference_at(text, pos)) refs.push_back(*number);
  }
  return refs;
}

std::vector<std::uint32_t> parse_refs_after_key(std::string_view text, std::string_view key) {
  const auto rest = after_key(text, key);
  if (!rest) return {};
  const std::size_t open = rest->find('[');
  if (open != std::string_view::npos && is_all_unicode_white_space(rest->substr(0, open))) {
    const std::size_t close = rest->find(']', open + 1);
    if (close != std::string_view::npos) return parse_refs(rest->substr(open + 1, close - open - 1));
  }
  if (const auto first = first_ref(*rest)) return {*first};
  return {};
}

std::optional<std::uint32_t> parse_direct_ref_after_key(std::string_view text, std::string_view key) {
  const auto rest = after_key(text, key);
  if (!rest) return std::nullopt;
  std::size_t pos = skip_pdf_white_space(*rest, 0);
  return reference_at(*rest, pos);
}

std::optional<std::string> parse_name_after(std::string_view text, std::string_view key) {
  const auto rest = after_key(text, key);
  if (!rest) return std::nullopt;
  const std::size_t slash = skip_unicode_white_space(*rest, 0);
  if (slash >= rest->size() || (*rest)[slash] != '/') return std::nullopt;
  std::size_t pos = slash + 1;
  while (pos < rest->size()) {
    if (ends_name((*rest)[pos])) break;
    const util::DecodedChar decoded = util::decode_utf8_at(*rest, pos);
    if (util::is_white_space(decoded.value)) break;
    pos += decoded.length;
  }
  if (pos == slash + 1) return std::nullopt;
  return std::string(rest->substr(slash + 1, pos - slash - 1));
}

NamedRefs parse_named_refs(std::string_view text) {
  NamedRefs refs;
  std::size_t pos = 0;
  while ((pos = text.find('/', pos)) != std::string_view::npos) {
    if (pos + 1 < text.size() && text[pos + 1] == '/') {
      pos += 2;
      continue;
    }
    const std::size_t start = ++pos;
    while (pos < text.size() && !is_token_delimiter(text[pos])) ++pos;
    if (pos == start) continue;
    std::size_t ref = skip_pdf_white_space(text, pos);
    if (const auto number = reference_at(text, ref)) {
      refs.insert_or_assign(std::string(text.substr(start, pos - start)), *number);
      pos = ref;
    }
  }
  return refs;
}

std::optional<std::string_view> resolve_resource_body(std::string_view page_text, const ObjectIndex& index) {
  const auto number = parse_direct_ref_after_key(page_text, "/Resources");
  if (!number) return std::nullopt;
  const PdfObject* object = index.find(*number);
  if (object == nullptr) return std::nullopt;
  return object->text();
}

NamedRefs resolve_named_resource_refs(std::string_view resource_text, std::string_view key,
                                      const ObjectIndex& index) {
  const auto rest = after_key(resource_text, key);
  if (!rest) return {};
  const std::size_t open = rest->find("<<");
  if (open != std::string_view::npos) {
    const std::size_t close = rest->find(">>", open + 2);
    if (close != std::string_view::npos) {
      NamedRefs inline_refs = parse_named_refs(rest->substr(open + 2, close - open - 2));
      if (!inline_refs.empty()) return inline_refs;
    }
  }
  if (const auto number = parse_direct_ref_after_key(resource_text, key)) {
    if (const PdfObject* object = index.find(*number)) return parse_named_refs(object->text());
  }
  return {};
}

}  // namespace scrivex_core::pdf

#include "core/ir/block_kind.hpp"

namespace scrivex_core::ir {
namespace {

constexpr std::string_view kHeadingPrefix = "heading_";

// Unsigned decimal digits only; absent when empty, not digits, or above limit.
std::optional<unsigned> parse_bounded_digits(std::string_view digits, unsigned limit) {
  if (digits.empty()) return std::nullopt;
  unsigned value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
    if (value > limit) return std::nullopt;
  }
  return value;
}

std::string_view heading_number_text(std::string_view kind) {
  std::string_view rest = kind.substr(kHeadingPrefix.size());
  if (!rest.empty() && rest.front() == '+') rest.remove_prefix(1);
  return rest;
}

}  // namespace

BlockKind BlockKind::parse(std::string_view kind) {
  using T = Type;
  if (kind.size() > kHeadingPrefix.size() && kind.starts_with(kHeadingPrefix)) {
    if (auto value = parse_bounded_digits(heading_number_text(kind), 255)) {
      unsigned level = *value == 0 ? 1 : (*value > 6 ? 6 : *value);
      return {T::Heading, static_cast<std::uint8_t>(level)};
    }
  }
  if (kind == "title" || kind == "heading") return {T::Heading, 1};
  if (kind == "list" || kind == "list_item") return {T::ListItem, 0};
  if (kind == "code") return {T::Code, 0};
  if (kind == "formula" || kind == "equation") return {T::Formula, 0};
  if (kind == "caption") return {T::Caption, 0};
  if (kind == "header" || kind == "page_header") return {T::PageHeader, 0};
  if (kind == "footer" || kind == "page_footer") return {T::PageFooter, 0};
  if (kind == "footnote") return {T::Footnote, 0};
  return {T::Paragraph, 0};
}

std::optional<int> rendered_heading_level(std::string_view kind) {
  if (!kind.starts_with(kHeadingPrefix)) return std::nullopt;
  auto value = parse_bounded_digits(heading_number_text(kind), 1000);
  if (!value || *value < 1 || *value > 6) return std::nullopt;
  return static_cast<int>(*value);
}

}  // namespace scrivex_core::ir

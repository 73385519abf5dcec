#include "core/textual/tag_scan.hpp"

#include <string>

#include "core/textual/words.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::textual {
namespace {

char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool is_ascii_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool starts_attribute_name(char c) {
  return is_ascii_letter(c) || c == ':' || c == '_';
}

bool continues_attribute_name(char c) {
  return starts_attribute_name(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool is_xml_space(char c) {
  return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

std::size_t skip_xml_space(std::string_view text, std::size_t pos) {
  while (pos < text.size() && is_xml_space(text[pos])) ++pos;
  return pos;
}

bool attribute_name_matches(std::string_view name, std::string_view wanted) {
  return ascii_iequals(name, wanted) || ascii_iequals(local_name(name), wanted);
}

}  // namespace

bool is_tag_delimiter(char c) {
  return is_xml_space(c) || c == '/' || c == '>';
}

bool ascii_iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
  }
  return true;
}

std::optional<std::size_t> find_tag_start(std::string_view lowered, std::string_view name, std::size_t from) {
  std::string needle;
  needle.reserve(name.size() + 1);
  needle.push_back('<');
  needle.append(name);
  std::size_t pos = from;
  while (pos <= lowered.size()) {
    const std::size_t found = lowered.find(needle, pos);
    if (found == std::string_view::npos) return std::nullopt;
    const std::size_t after = found + needle.size();
    if (after < lowered.size() && is_tag_delimiter(lowered[after])) return found;
    pos = after;
  }
  return std::nullopt;
}

std::optional<std::string_view> xml_attr_value(std::string_view tag, std::string_view name) {
  std::size_t pos = 0;
  while (pos < tag.size()) {
    if (!starts_attribute_name(tag[pos])) {
      ++pos;
      continue;
    }
    const std::size_t name_start = pos;
    while (pos < tag.size() && continues_attribute_name(tag[pos])) ++pos;
    const std::string_view attribute = tag.substr(name_start, pos - name_start);
    pos = skip_xml_space(tag, pos);
    if (pos >= tag.size() || tag[pos] != '=') continue;
    pos = skip_xml_space(tag, pos + 1);
    if (pos >= tag.size() || (tag[pos] != '"' && tag[pos] != '\'')) continue;
    const char quote = tag[pos];
    const std::size_t value_start = pos + 1;
    std::size_t value_end = tag.find(quote, value_start);
    if (value_end == std::string_view::npos) value_end = tag.size();
    if (attribute_name_matches(attribute, name)) return tag.substr(value_start, value_end - value_start);
    pos = value_end + 1;
  }
  return std::nullopt;
}

std::optional<std::string_view> opening_tag_name(std::string_view tag) {
  tag = util::trim(tag);
  if (tag.empty() || tag.front() != '<') return std::nullopt;
  tag = util::trim_start(tag.substr(1));
  if (tag.empty() || tag.front() == '!' || tag.front() == '/' || tag.front() == '?') return std::nullopt;
  std::string_view name = first_word(tag);
  while (!name.empty() && name.back() == '/') name.remove_suffix(1);
  while (!name.empty() && name.back() == '>') name.remove_suffix(1);
  if (name.empty()) return std::nullopt;
  return name;
}

std::string_view local_name(std::string_view name) {
  const std::size_t colon = name.rfind(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool is_self_closing(std::string_view tag) {
  tag = util::trim_end(tag);
  return tag.size() >= 2 && tag.substr(tag.size() - 2) == "/>";
}

}  // namespace scrivex_core::textual

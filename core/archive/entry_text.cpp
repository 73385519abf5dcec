#include "core/archive/entry_text.hpp"

#include <algorithm>
#include <array>

#include "core/textual/html_text.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::archive {
namespace {

constexpr std::array<std::string_view, 5> kXmlExtensions{"xml", "tei", "nxml", "html", "htm"};
constexpr std::array<std::string_view, 3> kJsonExtensions{"json", "jsonl", "ndjson"};
constexpr std::array<std::string_view, 9> kPlainExtensions{"md",  "markdown", "txt", "text", "tex",
                                                           "ltx", "latex",    "csv", "tsv"};
// Members that carry a document's text, visited before all others.
constexpr std::array<std::string_view, 5> kTextKeys{"title", "abstract", "body_text", "text", "content"};

// The raw extension of a file name: after its last ".", unless that dot is
// the first character; "a." has the empty extension.
std::optional<std::string_view> raw_extension(std::string_view file_name) {
  const std::size_t dot = file_name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return file_name.substr(dot + 1);
}

bool extension_in(std::string_view name, std::span<const std::string_view> set) {
  const std::optional<std::string> extension = logical_extension(name);
  return extension && std::find(set.begin(), set.end(), *extension) != set.end();
}

// Each non-blank line parsed on its own; lines that are not JSON are skipped.
std::vector<std::string> json_lines_texts(std::string_view text) {
  std::vector<std::string> texts;
  for (std::string_view line : util::split_lines(text)) {
    line = util::trim(line);
    if (line.empty()) continue;
    auto value = util::json::parse(line);
    if (value) collect_json_text(value.value(), texts);
  }
  return texts;
}

std::string json_entry_text(std::string_view text) {
  if (auto value = util::json::parse(text)) {
    std::vector<std::string> texts;
    collect_json_text(value.value(), texts);
    return util::join(texts, "\n\n");
  }
  const std::vector<std::string> texts = json_lines_texts(text);
  if (texts.empty()) return std::string(text);
  return util::join(texts, "\n\n");
}

}  // namespace

std::optional<std::string> logical_extension(std::string_view name) {
  while (!name.empty() && name.back() == '/') name.remove_suffix(1);
  const std::size_t slash = name.rfind('/');
  const std::string_view file_name = slash == std::string_view::npos ? name : name.substr(slash + 1);
  if (file_name == "." || file_name == "..") return std::nullopt;
  const std::optional<std::string_view> extension = raw_extension(file_name);
  if (!extension) return std::nullopt;
  std::string lowered = util::ascii_lowercase(*extension);
  if (lowered != "gz") return lowered;
  const std::string_view stem = file_name.substr(0, file_name.size() - extension->size() - 1);
  const std::optional<std::string_view> inner = raw_extension(stem);
  if (!inner) return std::nullopt;
  return util::ascii_lowercase(*inner);
}

bool is_xml_entry(std::string_view name) {
  return extension_in(name, kXmlExtensions);
}

bool is_json_entry(std::string_view name) {
  return extension_in(name, kJsonExtensions);
}

bool is_supported_archive_text_entry(std::string_view name) {
  return is_xml_entry(name) || is_json_entry(name) || extension_in(name, kPlainExtensions);
}

int entry_priority(std::string_view name) {
  if (is_json_entry(name)) return 0;
  if (is_xml_entry(name)) return 1;
  return 2;
}

std::string archive_entry_text(std::string_view name, std::string_view text) {
  if (is_xml_entry(name)) return textual::html_to_text(text);
  if (is_json_entry(name)) return json_entry_text(text);
  return std::string(text);
}

void collect_json_text(const util::json::Value& value, std::vector<std::string>& texts) {
  using util::json::Type;
  switch (value.type) {
    case Type::String: {
      std::string text = util::collapse_white_space(value.string);
      if (!text.empty()) texts.push_back(std::move(text));
      return;
    }
    case Type::Array:
      for (const util::json::Value& element : value.array) collect_json_text(element, texts);
      return;
    case Type::Object: {
      const std::size_t before = texts.size();
      for (std::string_view key : kTextKeys) {
        if (const util::json::Value* member = value.find(key)) collect_json_text(*member, texts);
      }
      if (texts.size() > before) return;
      for (const util::json::Member* member : value.sorted_members()) collect_json_text(member->value, texts);
      return;
    }
    default:
      return;  // null, booleans and numbers carry no prose
  }
}

std::optional<std::string> single_file_text_payload(std::span<const std::uint8_t> bytes) {
  if (bytes.empty() || std::find(bytes.begin(), bytes.end(), std::uint8_t{0}) != bytes.end())
    return std::nullopt;
  return util::decode_utf8_lossy({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

}  // namespace scrivex_core::archive

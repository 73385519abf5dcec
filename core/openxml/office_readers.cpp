#include "core/openxml/office_readers.hpp"

#include <algorithm>
#include <charconv>
#include <limits>

#include "core/openxml/xml_scan.hpp"
#include "core/textual/html_text.hpp"
#include "core/util/unicode.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::openxml {
namespace {

constexpr std::uint64_t kUnnumbered = std::numeric_limits<std::uint64_t>::max();

const std::string* find_part(const ZipFiles& parts, const std::string& name) {
  const auto it = parts.find(name);
  return it == parts.end() ? nullptr : &it->second;
}

bool starts_with(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}
bool ends_with(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// Names of parts inside folder with the ".xml" ending, in map order.
std::vector<std::string_view> xml_parts_under(const ZipFiles& parts, std::string_view folder) {
  std::vector<std::string_view> names;
  for (const auto& [name, text] : parts) {
    if (starts_with(name, folder) && ends_with(name, ".xml")) names.push_back(name);
  }
  return names;
}

// An unsigned decimal with an optional leading "+"; absent on anything else.
std::optional<std::uint64_t> parse_index(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

void append_if_text(std::vector<std::string>& paragraphs, std::string text) {
  if (!text.empty()) paragraphs.push_back(std::move(text));
}

std::vector<std::string> shared_strings_of(const ZipFiles& parts) {
  std::vector<std::string> table;
  const std::string* part = find_part(parts, "xl/sharedStrings.xml");
  if (part == nullptr) return table;
  // Empty entries stay so that indices keep pointing at the right string.
  for (std::string_view item : tagged_ranges(*part, "si"))
    table.push_back(run_list_text(tagged_ranges(item, "t")));
  return table;
}

std::optional<std::string> odf_paragraph_text(std::string_view slice) {
  std::string text = util::collapse_white_space(textual::html_to_text(xml_unescape(slice)));
  if (text.empty()) return std::nullopt;
  return text;
}

// The present texts of the elements named name inside text, joined by spaces.
template <class TextOf>
std::optional<std::string> joined_texts(std::string_view text, std::string_view name, TextOf text_of) {
  std::string joined;
  for (std::string_view slice : tagged_ranges(text, name)) {
    const std::optional<std::string> piece = text_of(slice);
    if (!piece) continue;
    if (!joined.empty()) joined.push_back(' ');
    joined += *piece;
  }
  if (joined.empty()) return std::nullopt;
  return joined;
}

std::optional<std::string> odf_cell_text(std::string_view cell) {
  return joined_texts(cell, "text:p", odf_paragraph_text);
}

std::optional<std::string> odf_row_text(std::string_view row) {
  return joined_texts(row, "table:table-cell", odf_cell_text);
}

}  // namespace

std::uint64_t slide_sort_key(std::string_view entry_name) {
  const std::size_t slash = entry_name.rfind('/');
  const std::string_view component =
      slash == std::string_view::npos ? entry_name : entry_name.substr(slash + 1);
  std::string digits;
  for (char c : component) {
    if (c >= '0' && c <= '9') digits.push_back(c);
  }
  return parse_index(digits).value_or(kUnnumbered);
}

std::optional<std::string> xlsx_cell_text(std::string_view opening_tag, std::string_view content,
                                          const std::vector<std::string>& shared_strings) {
  const std::vector<std::string_view> values = tagged_ranges(content, "v");
  if (values.empty()) return std::nullopt;
  const std::string value = xml_unescape(values.front());
  const std::string_view trimmed = util::trim(value);
  const bool shared = opening_tag.find("t=\"s\"") != std::string_view::npos ||
                      opening_tag.find("t='s'") != std::string_view::npos;
  if (!shared) {
    if (trimmed.empty()) return std::nullopt;
    return std::string(trimmed);
  }
  const std::optional<std::uint64_t> index = parse_index(trimmed);
  if (!index || *index >= shared_strings.size()) return std::nullopt;
  const std::string& text = shared_strings[static_cast<std::size_t>(*index)];
  if (text.empty()) return std::nullopt;
  return text;
}

Result<std::vector<std::string>> docx_paragraphs(const ZipFiles& parts) {
  const std::string* document = find_part(parts, "word/document.xml");
  if (document == nullptr) return ScrivexError::archive("DOCX missing word/document.xml");
  std::vector<std::string> paragraphs;
  for (std::string_view paragraph : tagged_ranges(*document, "w:p")) {
    std::string text = run_list_text(tagged_ranges(paragraph, "w:t"));
    if (text.empty()) text = run_list_text(tagged_ranges(paragraph, "t"));
    append_if_text(paragraphs, std::move(text));
  }
  return paragraphs;
}

Result<std::vector<std::string>> pptx_paragraphs(const ZipFiles& parts) {
  std::vector<std::string_view> slides = xml_parts_under(parts, "ppt/slides/");
  if (slides.empty()) return ScrivexError::archive("PPTX missing ppt/slides/*.xml");
  std::stable_sort(slides.begin(), slides.end(), [](std::string_view a, std::string_view b) {
    return slide_sort_key(a) < slide_sort_key(b);
  });
  std::vector<std::string> paragraphs;
  for (std::string_view slide : slides) {
    for (std::string_view paragraph : tagged_ranges(parts.at(std::string(slide)), "a:p")) {
      append_if_text(paragraphs, run_list_text(tagged_ranges(paragraph, "a:t")));
    }
  }
  return paragraphs;
}

std::vector<std::string> xlsx_paragraphs(const ZipFiles& parts) {
  const std::vector<std::string> shared_strings = shared_strings_of(parts);
  // Byte order of the names: "sheet10.xml" before "sheet2.xml".
  std::vector<std::string_view> sheets = xml_parts_under(parts, "xl/worksheets/");
  std::sort(sheets.begin(), sheets.end());
  std::vector<std::string> paragraphs;
  for (std::string_view sheet : sheets) {
    for (std::string_view row : tagged_ranges(parts.at(std::string(sheet)), "row")) {
      std::string line;
      for (const TaggedElement& cell : tagged_elements(row, "c")) {
        const std::optional<std::string> text = xlsx_cell_text(cell.tag, cell.content, shared_strings);
        if (!text) continue;
        if (!line.empty()) line.push_back(' ');
        line += *text;
      }
      append_if_text(paragraphs, std::move(line));
    }
  }
  return paragraphs;
}

Result<std::vector<std::string>> opendocument_paragraphs(const ZipFiles& parts) {
  const std::string* content = find_part(parts, "content.xml");
  if (content == nullptr) return ScrivexError::archive("OpenDocument missing content.xml");
  std::vector<std::string> rows;
  for (std::string_view row : tagged_ranges(*content, "table:table-row")) {
    if (auto text = odf_row_text(row)) rows.push_back(std::move(*text));
  }
  // A spreadsheet's cells are its text; prose outside tables is then ignored.
  if (!rows.empty()) return rows;
  std::vector<std::string> paragraphs;
  for (std::string_view paragraph : tagged_ranges(*content, "text:p")) {
    if (auto text = odf_paragraph_text(paragraph)) paragraphs.push_back(std::move(*text));
  }
  return paragraphs;
}

}  // namespace scrivex_core::openxml

#include "core/dataset/csv_fields.hpp"

#include <charconv>

#include "core/dataset/csv_engine.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::csv {
namespace detail {

std::vector<std::string_view> header_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  for (std::string_view line : util::split_lines(text)) {
    if (util::is_blank(line)) continue;
    lines.push_back(util::trim_end(line));
  }
  return lines;
}

std::vector<std::string_view> row_lines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = util::trim(text.substr(start, end - start));
    if (!line.empty()) lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::vector<std::string_view> split_raw(std::string_view text, char delimiter) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(delimiter, start);
    if (end == std::string_view::npos) {
      pieces.push_back(text.substr(start));
      return pieces;
    }
    pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

std::vector<std::string> split_fields(std::string_view line, char delimiter) {
  std::vector<std::string> fields;
  for (std::string_view piece : split_raw(line, delimiter)) {
    std::string_view field = util::trim(piece);
    while (!field.empty() && field.front() == '"') field.remove_prefix(1);
    while (!field.empty() && field.back() == '"') field.remove_suffix(1);
    fields.emplace_back(field);
  }
  return fields;
}

std::optional<std::uint64_t> parse_unsigned(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc{} || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::string join_from(const std::vector<std::string>& fields, std::size_t from, std::string_view separator) {
  std::string out;
  for (std::size_t i = from; i < fields.size(); ++i) {
    if (i > from) out += separator;
    out += fields[i];
  }
  return out;
}

ir::SourceAnchor anchor(std::uint64_t page_number, std::optional<ir::BBox> bbox) {
  return ir::SourceAnchor{page_number, {}, bbox, std::string(kExtractionMethod)};
}

}  // namespace detail

std::optional<std::size_t> header_index(const std::vector<std::string>& headers, std::string_view name) {
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  for (std::size_t i = 0; i < headers.size(); ++i) {
    std::string_view header = headers[i];
    while (header.starts_with(kByteOrderMark)) header.remove_prefix(kByteOrderMark.size());
    if (util::ascii_lowercase(util::trim(header)) == name) return i;
  }
  return std::nullopt;
}

}  // namespace scrivex_core::csv

#include "core/engine/markdown_reader.hpp"

#include "core/engine/text_builders.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::engine {
namespace {

constexpr float kMarkdownConfidence = 0.9f;
constexpr std::string_view kExtractionMethod = "markdown_native";
constexpr std::size_t kMaxHeadingLevel = 6;
constexpr std::size_t kMinTableColumns = 2;

std::vector<ir::SourceAnchor> fixed_anchors() {
  return {{1, {}, std::nullopt, std::string(kExtractionMethod)}};
}

std::string_view strip_all(std::string_view text, char mark) {
  while (!text.empty() && text.front() == mark) text.remove_prefix(1);
  while (!text.empty() && text.back() == mark) text.remove_suffix(1);
  return text;
}

std::vector<std::string_view> split_pipes(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t pipe = text.find('|', start);
    if (pipe == std::string_view::npos) break;
    parts.push_back(text.substr(start, pipe - start));
    start = pipe + 1;
  }
  parts.push_back(text.substr(start));
  return parts;
}

// Cells of a table line: outer pipes dropped, each cell cleaned, empty cells kept.
std::vector<std::string> table_row(std::string_view line) {
  std::vector<std::string> cells;
  for (std::string_view part : split_pipes(strip_all(util::trim(line), '|'))) {
    cells.push_back(clean_markdown_inline(part));
  }
  return cells;
}

// "|---|:--:|": at least two parts, each only dashes once spaces and colons go.
bool is_separator_line(std::string_view line) {
  const std::vector<std::string_view> parts = split_pipes(strip_all(util::trim(line), '|'));
  if (parts.size() < kMinTableColumns) return false;
  for (std::string_view part : parts) {
    const std::string_view dashes = strip_all(util::trim(part), ':');
    if (dashes.empty() || dashes.find_first_not_of('-') != std::string_view::npos) return false;
  }
  return true;
}

// The level of an ATX heading and its text, when the line is one.
std::optional<std::size_t> heading_level(std::string_view line, std::string_view& rest) {
  const std::size_t marks = std::min(line.find_first_not_of('#'), line.size());
  if (marks == 0 || marks > kMaxHeadingLevel) return std::nullopt;
  rest = util::trim(line.substr(marks));
  if (rest.empty()) return std::nullopt;
  return marks;
}

class MarkdownReader {
 public:
  explicit MarkdownReader(std::string_view text) : lines_(util::split_lines(text)) {}

  std::vector<ir::Block> read() {
    std::size_t i = 0;
    while (i < lines_.size()) i = read_at(i);
    flush_markdown_paragraph(blocks_, paragraph_);
    return std::move(blocks_);
  }

 private:
  // Reads the construct starting at line i; returns the next line to read.
  std::size_t read_at(std::size_t i) {
    const std::string_view line = util::trim(lines_[i]);
    if (line.empty()) {
      flush_markdown_paragraph(blocks_, paragraph_);
      return i + 1;
    }
    std::string_view heading_text;
    if (const auto level = heading_level(line, heading_text)) {
      flush_markdown_paragraph(blocks_, paragraph_);
      blocks_.emplace_back(
          markdown_text_block(clean_markdown_inline(heading_text), "heading_" + std::to_string(*level)));
      return i + 1;
    }
    if (i + 1 < lines_.size() && table_row(line).size() >= kMinTableColumns &&
        is_separator_line(lines_[i + 1])) {
      return read_table(i);
    }
    if (markdown_list_text(line)) return read_list(i);
    paragraph_.push_back(line);
    return i + 1;
  }

  std::size_t read_table(std::size_t header) {
    flush_markdown_paragraph(blocks_, paragraph_);
    ir::TableBlock table;
    table.headers = table_row(lines_[header]);
    std::size_t i = header + 2;
    for (; i < lines_.size(); ++i) {
      const std::string_view line = util::trim(lines_[i]);
      if (line.empty() || line.find('|') == std::string_view::npos) break;
      table.rows.push_back(table_row(line));
    }
    table.source_anchors = fixed_anchors();
    table.confidence = ir::Confidence{kMarkdownConfidence, false};
    blocks_.emplace_back(std::move(table));
    return i;
  }

  std::size_t read_list(std::size_t first) {
    flush_markdown_paragraph(blocks_, paragraph_);
    std::string items;
    std::size_t i = first;
    for (; i < lines_.size(); ++i) {
      const std::optional<std::string> item = markdown_list_text(util::trim(lines_[i]));
      if (!item) break;
      if (i != first) items.push_back('\n');
      items.append(*item);
    }
    blocks_.emplace_back(markdown_text_block(std::move(items), "list"));
    return i;
  }

  std::vector<std::string_view> lines_;
  std::vector<ir::Block> blocks_;
  std::vector<std::string_view> paragraph_;
};

}  // namespace

std::string clean_markdown_inline(std::string_view text) {
  std::string out;
  for (std::string_view word : util::split_whitespace(strip_all(util::trim(text), '`'))) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  }
  return out;
}

std::optional<std::string> markdown_list_text(std::string_view line) {
  if (line.size() >= 2 && (line.substr(0, 2) == "- " || line.substr(0, 2) == "* ")) {
    return clean_markdown_inline(line.substr(2));
  }
  const std::size_t dot = line.find('.');
  if (dot == std::string_view::npos || dot == 0 || dot + 1 >= line.size()) return std::nullopt;
  for (char c : line.substr(0, dot)) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (line[dot + 1] != ' ') return std::nullopt;
  return clean_markdown_inline(line.substr(dot + 2));
}

ir::TextBlock markdown_text_block(std::string text, std::string kind) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = std::move(kind);
  block.source_anchors = fixed_anchors();
  block.confidence = ir::Confidence{kMarkdownConfidence, false};
  return block;
}

void flush_markdown_paragraph(std::vector<ir::Block>& blocks, std::vector<std::string_view>& paragraph) {
  if (paragraph.empty()) return;
  std::string joined;
  for (std::size_t i = 0; i < paragraph.size(); ++i) {
    if (i) joined.push_back(' ');
    joined.append(paragraph[i]);
  }
  blocks.emplace_back(markdown_text_block(std::move(joined), "paragraph"));
  paragraph.clear();
}

std::string block_markdown_text(const ir::Block& block) {
  return block_text(block);
}

std::vector<ir::Block> read_markdown_blocks(std::string_view text) {
  return MarkdownReader(text).read();
}

}  // namespace scrivex_core::engine

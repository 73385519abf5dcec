#include "core/engine/latex_reader.hpp"

#include <algorithm>
#include <array>
#include <utility>

#include "core/util/unicode.hpp"

namespace scrivex_core::engine {
namespace {

constexpr float kLatexConfidence = 0.85f;
constexpr std::string_view kExtractionMethod = "latex_native";
constexpr std::string_view kRowBreak = "\\\\";
constexpr std::string_view kItem = "\\item";
// A rule's column range and trim ("(lr){2-3}") are looked for only this many
// bytes past the command name; real ones are a few characters.
constexpr std::size_t kMaxRuleArgumentBytes = 64;

// Commands whose lines carry no text of the document.
constexpr std::array<std::string_view, 13> kSkippedCommands{"end",
                                                            "date",
                                                            "input",
                                                            "label",
                                                            "author",
                                                            "include",
                                                            "maketitle",
                                                            "newcommand",
                                                            "usepackage",
                                                            "renewcommand",
                                                            "bibliography",
                                                            "documentclass",
                                                            "bibliographystyle"};

struct Sectioning {
  std::string_view command;
  int level;
};
constexpr std::array<Sectioning, 7> kSectioning{{{"part", 1},
                                                 {"chapter", 1},
                                                 {"section", 1},
                                                 {"subsection", 2},
                                                 {"subsubsection", 3},
                                                 {"paragraph", 4},
                                                 {"subparagraph", 5}}};

const std::vector<std::string_view> kAbstract{"abstract"};
const std::vector<std::string_view> kListEnvironments{"itemize", "enumerate"};
const std::vector<std::string_view> kTableEnvironments{"table",    "table*",    "tabular", "tabular*",
                                                       "tabularx", "longtable", "array"};
constexpr std::array<std::string_view, 5> kTabularBodies{"tabular", "tabular*", "tabularx", "longtable",
                                                         "array"};
constexpr std::array<std::string_view, 6> kRuleCommands{"\\hline",      "\\toprule",  "\\midrule",
                                                        "\\bottomrule", "\\cmidrule", "\\cline"};

std::vector<ir::SourceAnchor> fixed_anchors() {
  return {{1, {}, std::nullopt, std::string(kExtractionMethod)}};
}

bool is_ascii_letter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool starts_with(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::vector<std::string> begin_markers(const std::vector<std::string_view>& names) {
  std::vector<std::string> markers;
  for (std::string_view name : names) markers.push_back(latex_begin_marker(name));
  return markers;
}

bool contains_any(std::string_view line, const std::vector<std::string>& markers) {
  return std::any_of(markers.begin(), markers.end(),
                     [&](const std::string& marker) { return line.find(marker) != std::string_view::npos; });
}

// Each line up to its first unescaped "%", ended by "\n".
std::string remove_comments(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 1);
  for (std::string_view line : util::split_lines(text)) {
    bool escaped = false;
    std::size_t keep = line.size();
    for (std::size_t i = 0; i < line.size(); ++i) {
      if (escaped) {
        escaped = false;
      } else if (line[i] == '\\') {
        escaped = true;
      } else if (line[i] == '%') {
        keep = i;
        break;
      }
    }
    out.append(line.substr(0, keep));
    out.push_back('\n');
  }
  return out;
}

std::string_view document_body(std::string_view text) {
  constexpr std::string_view kBegin = "\\begin{document}";
  const std::size_t begin = text.find(kBegin);
  if (begin == std::string_view::npos) return text;
  const std::size_t start = begin + kBegin.size();
  const std::size_t end = text.find("\\end{document}", start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// The end of a rule command starting at pos. \cmidrule and \cline take their
// column range with them ("\cline{2-3}", "\cmidrule(lr){2-3}"), else the
// range would turn up as cell text.
std::size_t rule_end(std::string_view text, std::size_t pos, std::string_view rule) {
  std::size_t end = pos + rule.size();
  if (rule != "\\cmidrule" && rule != "\\cline") return end;
  // Bounded, so that many rules whose brackets never close stay linear.
  const std::string_view row = text.substr(0, std::min(text.size(), end + kMaxRuleArgumentBytes));
  end = skip_latex_optional_argument(row, skip_latex_space(row, end));
  std::size_t next = skip_latex_space(row, end);
  if (next < row.size() && row[next] == '(') {
    const std::size_t close = row.find(')', next);
    if (close != std::string_view::npos) end = close + 1;
    next = skip_latex_space(row, end);
  }
  if (const std::optional<LatexArgument> range = read_latex_braced_argument(row, next)) end = range->end;
  return end;
}

// One pass per rule command, so a row of many rules stays linear.
std::string remove_rules(std::string_view row) {
  std::string text(row);
  for (std::string_view rule : kRuleCommands) {
    if (text.find(rule) == std::string::npos) continue;
    std::string kept;
    std::size_t from = 0;
    std::size_t found = 0;
    while ((found = text.find(rule, from)) != std::string::npos) {
      kept.append(text, from, found - from);
      kept.push_back(' ');
      from = rule_end(text, found, rule);
    }
    kept.append(text, from);
    text = std::move(kept);
  }
  return text;
}

std::vector<std::string_view> split_cells(std::string_view row) {
  std::vector<std::string_view> cells;
  bool escaped = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < row.size(); ++i) {
    if (escaped) {
      escaped = false;
    } else if (row[i] == '\\') {
      escaped = true;
    } else if (row[i] == '&') {
      cells.push_back(row.substr(start, i - start));
      start = i + 1;
    }
  }
  cells.push_back(row.substr(start));
  return cells;
}

// The rows of a tabular body, split at "\\"; a last piece of white space only
// is the tail of the final "\\", not a row.
std::vector<std::vector<std::string>> table_rows(std::string_view body) {
  std::vector<std::vector<std::string>> rows;
  std::size_t start = 0;
  while (true) {
    const std::size_t brk = body.find(kRowBreak, start);
    const bool last = brk == std::string_view::npos;
    const std::string_view raw = body.substr(start, last ? std::string_view::npos : brk - start);
    if (!last || !util::is_blank(raw)) {
      if (auto cells = latex_table_row(raw)) rows.push_back(std::move(*cells));
    }
    if (last) return rows;
    start = brk + kRowBreak.size();
  }
}

class LatexReader {
 public:
  explicit LatexReader(std::string_view body) : lines_(util::split_lines(body)) {}

  std::vector<ir::Block> read(std::vector<ir::Block> blocks) {
    blocks_ = std::move(blocks);
    std::size_t i = 0;
    while (i < lines_.size()) i = read_at(i);
    flush_latex_paragraph(blocks_, paragraph_);
    return std::move(blocks_);
  }

 private:
  // Reads the construct starting at line i; returns the next line to read.
  std::size_t read_at(std::size_t i) {
    const std::string_view line = util::trim(lines_[i]);
    if (line.empty() || is_skipped_command(line)) {
      flush_latex_paragraph(blocks_, paragraph_);
      return i + 1;
    }
    if (read_heading(line)) return i + 1;
    if (contains_any(line, abstract_begins_)) return read_abstract(i);
    if (contains_any(line, list_begins_)) return read_list(i);
    if (contains_any(line, table_begins_)) return read_table(i);
    std::string text = clean_latex_inline(line);
    if (!text.empty()) paragraph_.push_back(std::move(text));
    return i + 1;
  }

  static bool is_skipped_command(std::string_view line) {
    if (line.front() != '\\') return false;
    const std::string_view name = latex_command_name(line, 1).name;
    return std::find(kSkippedCommands.begin(), kSkippedCommands.end(), name) != kSkippedCommands.end();
  }

  // A sectioning line with a non-empty title; text after the argument is dropped.
  bool read_heading(std::string_view line) {
    for (const Sectioning& section : kSectioning) {
      if (line.size() < 1 + section.command.size() || line.front() != '\\' ||
          !starts_with(line.substr(1), section.command)) {
        continue;
      }
      const std::optional<std::string_view> argument = latex_command_argument(line, section.command);
      if (!argument) continue;
      std::string title = clean_latex_inline(*argument);
      if (title.empty()) continue;
      flush_latex_paragraph(blocks_, paragraph_);
      blocks_.emplace_back(latex_text_block(std::move(title), "heading_" + std::to_string(section.level)));
      return true;
    }
    return false;
  }

  std::size_t read_abstract(std::size_t i) {
    flush_latex_paragraph(blocks_, paragraph_);
    const CollectedEnvironment collected = collect_latex_environment(lines_, i, kAbstract);
    if (const auto body = latex_environment_body(collected.text, "abstract")) {
      std::string text = clean_latex_inline(*body);
      if (!text.empty()) blocks_.emplace_back(latex_text_block(std::move(text), "abstract"));
    }
    return collected.next_index;
  }

  std::size_t read_list(std::size_t i) {
    flush_latex_paragraph(blocks_, paragraph_);
    const CollectedEnvironment collected = collect_latex_environment(lines_, i, kListEnvironments);
    std::optional<std::string_view> body = latex_environment_body(collected.text, "itemize");
    if (!body) body = latex_environment_body(collected.text, "enumerate");
    if (body) {
      std::string items = list_items(*body);
      if (!items.empty()) blocks_.emplace_back(latex_text_block(std::move(items), "list"));
    }
    return collected.next_index;
  }

  // The cleaned, non-empty items of a list body, one per line.
  static std::string list_items(std::string_view body) {
    std::string items;
    detail::OptionalArgumentSkipper brackets(body);
    std::size_t item = next_item(body, 0);
    while (item != std::string_view::npos) {
      const std::size_t start =
          skip_latex_space(body, brackets.skip(skip_latex_space(body, item + kItem.size())));
      const std::size_t next = next_item(body, start);
      std::string text =
          clean_latex_inline(body.substr(start, next == std::string_view::npos ? next : next - start));
      if (!text.empty()) {
        if (!items.empty()) items.push_back('\n');
        items.append(text);
      }
      item = next;
    }
    return items;
  }

  // The next "\item" at or after pos. "\itemsep" and other longer names are
  // not items: a list opening with "\setlength\itemsep{0pt}" would otherwise
  // gain an item "sep0pt".
  static std::size_t next_item(std::string_view body, std::size_t pos) {
    while ((pos = body.find(kItem, pos)) != std::string_view::npos) {
      const std::size_t after = pos + kItem.size();
      if (after >= body.size() || !is_ascii_letter(body[after])) return pos;
      pos = after;
    }
    return std::string_view::npos;
  }

  std::size_t read_table(std::size_t i) {
    flush_latex_paragraph(blocks_, paragraph_);
    const CollectedEnvironment collected = collect_latex_environment(lines_, i, kTableEnvironments);
    std::optional<std::string_view> body;
    for (std::string_view name : kTabularBodies) {
      if ((body = latex_environment_body(collected.text, name))) break;
    }
    if (!body) return collected.next_index;
    std::vector<std::vector<std::string>> rows = table_rows(*body);
    if (rows.empty()) return collected.next_index;
    ir::TableBlock table;
    if (rows.size() > 1) {
      table.headers = std::move(rows.front());
      rows.erase(rows.begin());
    }
    table.rows = std::move(rows);
    if (const auto caption = latex_command_argument(collected.text, "caption")) {
      table.caption = clean_latex_inline(*caption);
    }
    table.source_anchors = fixed_anchors();
    table.confidence = ir::Confidence{kLatexConfidence, false};
    blocks_.emplace_back(std::move(table));
    return collected.next_index;
  }

  std::vector<std::string_view> lines_;
  std::vector<ir::Block> blocks_;
  std::vector<std::string> paragraph_;
  const std::vector<std::string> abstract_begins_ = begin_markers(kAbstract);
  const std::vector<std::string> list_begins_ = begin_markers(kListEnvironments);
  const std::vector<std::string> table_begins_ = begin_markers(kTableEnvironments);
};

}  // namespace

CollectedEnvironment collect_latex_environment(const std::vector<std::string_view>& lines, std::size_t start,
                                               const std::vector<std::string_view>& names) {
  std::vector<std::string> end_markers;
  for (std::string_view name : names) end_markers.push_back(latex_end_marker(name));
  std::string text;
  for (std::size_t i = start; i < lines.size(); ++i) {
    text.append(lines[i]);
    text.push_back('\n');
    for (const std::string& marker : end_markers) {
      if (lines[i].find(marker) != std::string_view::npos) return {std::move(text), i + 1};
    }
  }
  return {std::move(text), std::max(start, lines.size())};
}

std::optional<std::vector<std::string>> latex_table_row(std::string_view row) {
  const std::string text = remove_rules(row);
  std::vector<std::string> cells;
  for (std::string_view piece : split_cells(text)) {
    std::string cell = clean_latex_inline(piece);
    if (!cell.empty()) cells.push_back(std::move(cell));
  }
  if (cells.empty()) return std::nullopt;
  return cells;
}

ir::TextBlock latex_text_block(std::string text, std::string kind) {
  ir::TextBlock block;
  block.text = std::move(text);
  block.kind = std::move(kind);
  block.source_anchors = fixed_anchors();
  block.confidence = ir::Confidence{kLatexConfidence, false};
  return block;
}

void flush_latex_paragraph(std::vector<ir::Block>& blocks, std::vector<std::string>& paragraph) {
  if (paragraph.empty()) return;
  std::string joined;
  for (std::size_t i = 0; i < paragraph.size(); ++i) {
    if (i) joined.push_back(' ');
    joined.append(paragraph[i]);
  }
  blocks.emplace_back(latex_text_block(std::move(joined), "paragraph"));
  paragraph.clear();
}

LatexReading read_latex(std::string_view text) {
  const std::string cleaned = remove_comments(text);
  LatexReading reading;
  std::vector<ir::Block> blocks;
  if (const auto title = latex_command_argument(cleaned, "title")) {
    reading.title = clean_latex_inline(*title);
    if (!reading.title->empty()) blocks.emplace_back(latex_text_block(*reading.title, "heading_1"));
  }
  reading.blocks = LatexReader(document_body(cleaned)).read(std::move(blocks));
  return reading;
}

}  // namespace scrivex_core::engine

// Markdown output: one part per block (page headers and footers give none),
// parts joined by a blank line. Metadata, pages, images, assets and warnings
// are not written.
#include <algorithm>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/ir/block_kind.hpp"
#include "core/render/markdown_text.hpp"
#include "core/render/renderer.hpp"
#include "core/util/unicode.hpp"
#include "core/render/span_emphasis.hpp"

namespace scrivex_core::render {
namespace {

bool is_page_furniture(std::string_view kind) {
  const auto type = ir::BlockKind::parse(kind).type;
  return type == ir::BlockKind::Type::PageHeader || type == ir::BlockKind::Type::PageFooter;
}

// "- item" per non-blank line; a line that already starts with a bullet still
// gets one of its own.
std::string render_list(std::string_view text) {
  std::string out;
  for (std::string_view line : util::split_lines(text)) {
    const std::string_view trimmed = util::trim(line);
    if (trimmed.empty()) continue;
    if (!out.empty()) out += '\n';
    out += "- " + sanitize_markdown_text(trimmed);
  }
  return out;
}

// The emphasis marker shared by every non-blank span ("***", "**", "*"), or
// "" when the spans differ or there are none.
std::string_view emphasis_marker(const std::vector<ir::Line>& lines) {
  const SpanEmphasis emphasis = shared_span_emphasis(lines);
  if (emphasis.bold && emphasis.italic) return "***";
  if (emphasis.bold) return "**";
  if (emphasis.italic) return "*";
  return "";
}

std::optional<std::string> render_text(const ir::TextBlock& block) {
  if (is_page_furniture(block.kind)) return std::nullopt;
  if (auto level = ir::rendered_heading_level(block.kind)) {
    return std::string(static_cast<std::size_t>(*level), '#') + ' ' + sanitize_markdown_text(block.text);
  }
  if (block.kind == "list") return render_list(block.text);
  std::string text = sanitize_markdown_text(block.text);
  if (text.empty()) return text;
  const std::string_view marker = emphasis_marker(block.lines);
  return std::string(marker) + text + std::string(marker);
}

bool has_spanning_cell(const std::vector<ir::TableCell>& cells) {
  for (const ir::TableCell& cell : cells) {
    if (cell.col_span >= 2 || cell.row_span >= 2) return true;
  }
  return false;
}

std::string render_pipe_table(const ir::TableBlock& table) {
  std::size_t columns = table.headers.size();
  for (const auto& row : table.rows) columns = std::max(columns, row.size());
  if (columns == 0) return "";
  std::string out = markdown_row(normalize_row(table.headers, columns));
  out += '\n' + markdown_row(std::vector<std::string>(columns, "---"));
  for (const auto& row : table.rows) out += '\n' + markdown_row(normalize_row(row, columns));
  return out;
}

// A given HTML rendering wins, then positioned cells when any of them spans,
// else a pipe table from headers and rows.
std::string render_table(const ir::TableBlock& table) {
  if (table.html && !util::is_blank(*table.html)) return std::string(util::trim(*table.html));
  if (has_spanning_cell(table.cells)) return html_table_from_cells(table.cells, table.caption).value_or("");
  return render_pipe_table(table);
}

std::string render_figure(const ir::FigureBlock& figure) {
  const std::string label_source = figure.alt_text    ? *figure.alt_text
                                   : figure.caption   ? *figure.caption
                                   : figure.image_ref ? *figure.image_ref
                                                      : std::string("image");
  std::string label;
  for (char c : sanitize_markdown_text(label_source)) {
    if (c != '[' && c != ']') label += c;
  }
  const std::string target = figure.image_ref ? *figure.image_ref : std::string("#image");
  std::string out = "![" + label + "](" + target + ")";
  if (figure.caption) {
    // The caption is written below the image unless it is the label's own text.
    std::string caption = sanitize_markdown_text(*figure.caption);
    if (!caption.empty() && caption != label_source) out += "\n\n" + caption;
  }
  return out;
}

std::optional<std::string> render_block(const ir::Block& block) {
  return std::visit(
      [](const auto& variant) -> std::optional<std::string> {
        using T = std::decay_t<decltype(variant)>;
        if constexpr (std::is_same_v<T, ir::TextBlock>)
          return render_text(variant);
        else if constexpr (std::is_same_v<T, ir::TableBlock>)
          return render_table(variant);
        else
          return render_figure(variant);
      },
      block);
}

}  // namespace

Result<std::string> MarkdownRenderer::render(const ir::Document& document) const {
  std::string out;
  bool first = true;
  for (const ir::Page& page : document.pages) {
    for (const ir::Block& block : page.blocks) {
      std::optional<std::string> part = render_block(block);
      if (!part) continue;
      if (!first) out += "\n\n";
      first = false;
      out += *part;
    }
  }
  return out;
}

}  // namespace scrivex_core::render

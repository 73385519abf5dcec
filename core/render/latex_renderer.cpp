// LaTeX output: an article with one paragraph, heading, list, table or figure
// placeholder per block. Unlike Markdown, page headers and footers are kept
// as paragraphs, and table captions, HTML and positioned cells are not used.
#include <algorithm>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/ir/block_kind.hpp"
#include "core/render/latex_text.hpp"
#include "core/render/renderer.hpp"
#include "core/util/unicode.hpp"
#include "core/render/span_emphasis.hpp"

namespace scrivex_core::render {
namespace {

constexpr std::string_view kPreamble =
    "\\documentclass{article}\n\\usepackage{longtable}\n\\begin{document}\n\n";
constexpr std::string_view kEnding = "\\end{document}\n";
// Tables with more body rows than this may break across pages.
constexpr std::size_t kMaxTabularRows = 24;

std::string_view sectioning_command(int level) {
  switch (level) {
    case 1:
      return "section";
    case 2:
      return "subsection";
    case 3:
      return "subsubsection";
    default:
      return "paragraph";
  }
}

// The itemize environment, or "" when every line is blank.
std::string render_list(std::string_view text) {
  std::string items;
  for (std::string_view line : util::split_lines(text)) {
    const std::string_view trimmed = util::trim(line);
    if (trimmed.empty()) continue;
    if (!items.empty()) items += '\n';
    items += "\\item " + escape_latex(trimmed);
  }
  if (items.empty()) return items;
  return "\\begin{itemize}\n" + items + "\n\\end{itemize}";
}

// Markers wrap the text when all non-blank spans share bold and/or italic;
// they are written even around empty text.
std::string render_paragraph(const ir::TextBlock& block) {
  const SpanEmphasis emphasis = shared_span_emphasis(block.lines);
  std::string text = escape_latex(block.text);
  if (emphasis.bold && emphasis.italic) return "\\textbf{\\textit{" + text + "}}";
  if (emphasis.bold) return "\\textbf{" + text + "}";
  if (emphasis.italic) return "\\textit{" + text + "}";
  return text;
}

std::string render_text(const ir::TextBlock& block) {
  if (auto level = ir::rendered_heading_level(block.kind)) {
    return "\\" + std::string(sectioning_command(*level)) + "{" + escape_latex(block.text) + "}";
  }
  if (block.kind == "list") {
    std::string list = render_list(block.text);
    if (!list.empty()) return list;
  }
  return render_paragraph(block);
}

// "r" for a column where at least half of the non-empty body cells are
// numeric, "l" otherwise; headers are not looked at.
std::string column_alignment(const std::vector<std::vector<std::string>>& rows, std::size_t columns) {
  std::string spec;
  for (std::size_t i = 0; i < columns; ++i) {
    std::size_t filled = 0, numeric = 0;
    for (const auto& row : rows) {
      if (i >= row.size()) continue;
      const std::string_view cell = util::trim(row[i]);
      if (cell.empty()) continue;
      ++filled;
      if (cell_is_numeric(cell)) ++numeric;
    }
    spec += filled > 0 && 2 * numeric >= filled ? 'r' : 'l';
  }
  return spec;
}

std::string render_table(const ir::TableBlock& table) {
  std::size_t columns = table.headers.size();
  for (const auto& row : table.rows) columns = std::max(columns, row.size());
  if (columns == 0) return "";
  const std::string environment = table.rows.size() > kMaxTabularRows ? "longtable" : "tabular";
  std::string out = "\\begin{" + environment + "}{" + column_alignment(table.rows, columns) + "}\n";
  if (!table.headers.empty()) out += latex_row(normalize_row(table.headers, columns)) + "\\hline\n";
  for (const auto& row : table.rows) out += latex_row(normalize_row(row, columns));
  out += "\\end{" + environment + "}";
  return out;
}

// The caption names a figure first here, then its alternative text.
std::string render_figure(const ir::FigureBlock& figure) {
  const std::string label = figure.caption     ? *figure.caption
                            : figure.alt_text  ? *figure.alt_text
                            : figure.image_ref ? *figure.image_ref
                                               : std::string("image");
  return "[Image: " + escape_latex(label) + "]";
}

std::string render_block(const ir::Block& block) {
  return std::visit(
      [](const auto& variant) -> std::string {
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

Result<std::string> LatexRenderer::render(const ir::Document& document) const {
  std::string out(kPreamble);
  for (const ir::Page& page : document.pages) {
    for (const ir::Block& block : page.blocks) out += render_block(block) + "\n\n";
  }
  out += kEnding;
  return out;
}

}  // namespace scrivex_core::render

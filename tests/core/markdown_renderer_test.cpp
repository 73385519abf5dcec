#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ir/document.hpp"
#include "core/render/markdown_text.hpp"
#include "core/render/renderer.hpp"

namespace scrivex_core::render {
namespace {

struct SpanSpec {
  std::string text;
  bool bold = false;
  bool italic = false;
};

ir::Span span_of(const SpanSpec& spec) {
  ir::Span span;
  span.text = spec.text;
  span.bold = spec.bold;
  span.italic = spec.italic;
  return span;
}

ir::TableBlock table_of(std::vector<std::string> headers, std::vector<std::vector<std::string>> rows) {
  ir::TableBlock table;
  table.headers = std::move(headers);
  table.rows = std::move(rows);
  return table;
}

ir::FigureBlock figure_of(std::optional<std::string> alt_text, std::optional<std::string> caption = {},
                          std::optional<std::string> image_ref = {}) {
  ir::FigureBlock figure;
  figure.alt_text = std::move(alt_text);
  figure.caption = std::move(caption);
  figure.image_ref = std::move(image_ref);
  return figure;
}

// Each span is put on a line of its own, so emphasis is judged across lines.
ir::TextBlock text_block(std::string kind, std::string text, std::vector<SpanSpec> spans = {}) {
  ir::TextBlock block;
  block.kind = std::move(kind);
  block.text = std::move(text);
  for (const SpanSpec& spec : spans) {
    ir::Line line;
    line.text = spec.text;
    line.spans.push_back(span_of(spec));
    block.lines.push_back(line);
  }
  return block;
}

ir::Document document_of(std::vector<std::vector<ir::Block>> pages) {
  ir::Document document;
  for (auto& blocks : pages) {
    ir::Page page;
    page.number = document.pages.size() + 1;
    page.blocks = std::move(blocks);
    document.pages.push_back(std::move(page));
  }
  return document;
}

std::string render_markdown(const ir::Document& document) {
  Result<std::string> result = MarkdownRenderer{}.render(document);
  EXPECT_TRUE(result.ok());
  return result.ok() ? result.value() : "";
}

std::string render_one(ir::Block block) {
  return render_markdown(document_of({{std::move(block)}}));
}

ir::TableCell cell(std::uint64_t row, std::uint64_t column, std::string text, std::uint64_t col_span = 1,
                   std::uint64_t row_span = 1, bool is_header = false) {
  ir::TableCell cell;
  cell.row = row;
  cell.column = column;
  cell.text = std::move(text);
  cell.is_header = is_header;
  cell.col_span = col_span;
  cell.row_span = row_span;
  return cell;
}

// Clean-up: controls deleted, white space collapsed per line, empty lines kept.
TEST(MarkdownText, SanitizeCollapsesWhiteSpaceAndDropsControls) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"  Intro \t text ", "Intro text"},
      {"", ""},
      {"a\n", "a"},
      {"\n", ""},
      {"a\r\n\r\n  b \r\n", "a\n\nb"},
      {"a\n \t \nb", "a\n\nb"},
      {"x\x01y\x7f z\x1f", "xy z"},
      {"a\u0085b", "ab"},  // a C1 control is deleted, not treated as a space
      {"a\rb", "a b"},     // a lone carriage return is white space
      {"a\u00a0\u2003b", "a b"},
      {"*_#`[<>]", "*_#`[<>]"},  // Markdown metacharacters are not escaped
  };
  for (const Case& c : cases) EXPECT_EQ(sanitize_markdown_text(c.input), c.expected) << c.input;
}

TEST(MarkdownText, RowsEscapePipesAndHtmlEscapesFourCharacters) {
  EXPECT_EQ(markdown_row({"", ""}), "|  |  |");
  EXPECT_EQ(markdown_row({" x|y ", "a\n\nb"}), "| x\\|y | a\n\nb |");
  EXPECT_EQ(html_escape("<b>&\"'"), "&lt;b&gt;&amp;&quot;'");
}

TEST(MarkdownText, NormalizeRowPadsOrCuts) {
  EXPECT_EQ(normalize_row({"a"}, 3), (std::vector<std::string>{"a", "", ""}));
  EXPECT_EQ(normalize_row({"a", "b", "c"}, 2), (std::vector<std::string>{"a", "b"}));
  EXPECT_TRUE(normalize_row({"a"}, 0).empty());
}

// Text blocks: headings, lists and paragraph emphasis.
TEST(MarkdownRenderer, TextBlocks) {
  struct Case {
    ir::TextBlock block;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {text_block("heading_2", "  Intro \t text "), "## Intro text"},
      {text_block("heading_+3", "T"), "### T"},
      {text_block("heading_6", "T"), "###### T"},
      {text_block("heading_0", "T"), "T"},
      {text_block("heading_7", "T"), "T"},
      {text_block("heading_x", "T"), "T"},
      {text_block("heading_-1", "T"), "T"},
      {text_block("title", "T"), "T"},
      {text_block("heading", "T"), "T"},
      {text_block("list", "a\n\n  b  \n"), "- a\n- b"},
      {text_block("list", "\xe2\x80\xa2 x\r\n-  y"), "- \xe2\x80\xa2 x\n- - y"},
      {text_block("list", " \n\t\n"), ""},
      {text_block("list_item", "a\nb"), "a\nb"},
      {text_block("paragraph", "  a  b ", {{"a", true}, {"b", true}}), "**a b**"},
      {text_block("caption", "a", {{"a", true, true}, {"b", true, true}}), "***a***"},
      {text_block("code", "a", {{"a", false, true}}), "*a*"},
      {text_block("paragraph", "a", {{"a", true}, {"b", false}}), "a"},
      {text_block("paragraph", "a", {{"a", true, true}, {"b", true}}), "**a**"},
      {text_block("paragraph", "a", {{"a", true}, {" \t", false}, {"", false}}), "**a**"},
      {text_block("paragraph", "a", {{" ", true}, {"", true}}), "a"},
      {text_block("paragraph", " ", {{"x", true}}), ""},
      {text_block("paragraph", "a\n\nb", {{"a", true}, {"b", true}}), "**a\n\nb**"},
      {text_block("equation", "x_1 * y"), "x_1 * y"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(render_one(c.block), c.expected) << c.block.kind << " / " << c.block.text;
  }
}

// Page headers and footers give no part; empty paragraphs give an empty part.
TEST(MarkdownRenderer, PartsAndPageFurniture) {
  EXPECT_EQ(render_markdown(ir::Document{}), "");
  EXPECT_EQ(render_markdown(document_of({{text_block("page_footer", "1")}, {text_block("header", "H")}})),
            "");
  EXPECT_EQ(render_markdown(document_of(
                {{text_block("paragraph", "a"), text_block("page_footer", "1"), text_block("footer", "2"),
                  text_block("page_header", "3"), text_block("paragraph", "")},
                 {},
                 {text_block("paragraph", "b")}})),
            "a\n\n\n\nb");
}

TEST(MarkdownRenderer, Tables) {
  struct Case {
    ir::TableBlock table;
    std::string expected;
  };
  ir::TableBlock spanning = table_of({"A"}, {{"1"}});
  spanning.cells = {cell(0, 0, "A", 1, 2)};
  ir::TableBlock html_wins = spanning;
  html_wins.html = "\n  <table>given</table> \n";
  ir::TableBlock blank_html = table_of({"A"}, {});
  blank_html.caption = "not written";
  blank_html.html = " \n";
  const std::vector<Case> cases = {
      {table_of({"A"}, {{"1", "2"}}), "| A |  |\n| --- | --- |\n| 1 | 2 |"},
      {table_of({}, {{"x|y"}, {}}), "|  |\n| --- |\n| x\\|y |\n|  |"},
      {table_of({"A", "B", "C"}, {{" p  q "}}), "| A | B | C |\n| --- | --- | --- |\n| p q |  |  |"},
      {table_of({}, {}), ""},
      {spanning, "<table>\n<tr><td rowspan=\"2\">A</td></tr>\n</table>"},
      {html_wins, "<table>given</table>"},
      {blank_html, "| A |\n| --- |"},
  };
  for (const Case& c : cases) EXPECT_EQ(render_one(c.table), c.expected);
}

TEST(MarkdownText, HtmlTableFromCells) {
  EXPECT_FALSE(html_table_from_cells({}, std::string("c")).has_value());
  // Buckets by row in input order, stable by column; row 1 has no cell.
  const std::vector<ir::TableCell> cells = {
      cell(2, 1, "second"),     cell(0, 1, " H2 ", 1, 1, true),
      cell(2, 0, "<b>&", 2, 3), cell(0, 0, "H1", 1, 1, true),
      cell(2, 1, "third"),
  };
  EXPECT_EQ(html_table_from_cells(cells, std::string("  \"Q\" & A ")),
            "<table>\n<caption>&quot;Q&quot; &amp; A</caption>\n"
            "<tr><th>H1</th><th>H2</th></tr>\n"
            "<tr></tr>\n"
            "<tr><td colspan=\"2\" rowspan=\"3\">&lt;b&gt;&amp;</td><td>second</td><td>third</td></tr>\n"
            "</table>");
  EXPECT_EQ(html_table_from_cells({cell(0, 0, "x")}, std::string(" ")),
            "<table>\n<tr><td>x</td></tr>\n</table>");
}

// A row index taken from input must not make the output grow with it.
TEST(MarkdownText, HugeRowIndexDoesNotExplodeOutput) {
  const auto html = html_table_from_cells({cell(std::uint64_t{1} << 62, 0, "x", 2)}, std::nullopt);
  ASSERT_TRUE(html.has_value());
  EXPECT_LT(html->size(), std::size_t{1} << 20);
  EXPECT_TRUE(html->ends_with("<tr><td colspan=\"2\">x</td></tr>\n</table>"));
}

TEST(MarkdownRenderer, Figures) {
  struct Case {
    ir::FigureBlock figure;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {figure_of("Fig [1]"), "![Fig 1](#image)"},
      {figure_of({}, "Plot"), "![Plot](#image)"},
      {figure_of("a", "b"), "![a](#image)\n\nb"},
      {figure_of("", " c  d "), "![](#image)\n\nc d"},
      {figure_of("a", " \n"), "![a](#image)"},
      // The caption is compared with the label source before clean-up.
      {figure_of({}, " Plot "), "![Plot](#image)\n\nPlot"},
      {figure_of({}, {}, "img 1"), "![img 1](img 1)"},
      {figure_of("x", {}, "p1/im0"), "![x](p1/im0)"},
      {figure_of({}), "![image](#image)"},
  };
  for (const Case& c : cases) EXPECT_EQ(render_one(c.figure), c.expected);
}

}  // namespace
}  // namespace scrivex_core::render

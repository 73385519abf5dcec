#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/ir/document.hpp"
#include "core/render/latex_text.hpp"
#include "core/render/renderer.hpp"

namespace scrivex_core::render {
namespace {

constexpr std::string_view kPreamble =
    "\\documentclass{article}\n\\usepackage{longtable}\n\\begin{document}\n\n";
constexpr std::string_view kEnding = "\\end{document}\n";

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

ir::TextBlock text_block(std::string kind, std::string text, std::vector<SpanSpec> spans = {}) {
  ir::TextBlock block;
  block.kind = std::move(kind);
  block.text = std::move(text);
  ir::Line line;
  for (const SpanSpec& spec : spans) {
    line.spans.push_back(span_of(spec));
  }
  if (!spans.empty()) block.lines.push_back(line);
  return block;
}

std::string render_latex(const ir::Document& document) {
  Result<std::string> result = LatexRenderer{}.render(document);
  EXPECT_TRUE(result.ok());
  return result.ok() ? result.value() : "";
}

// The block's part: the text between the preamble and the "\n\n" before the ending.
std::string render_one(ir::Block block) {
  ir::Document document;
  document.pages.emplace_back().blocks.push_back(std::move(block));
  const std::string out = render_latex(document);
  const std::size_t tail = 2 + kEnding.size();
  if (!out.starts_with(kPreamble) || !out.ends_with(std::string("\n\n") + std::string(kEnding)) ||
      out.size() < kPreamble.size() + tail) {
    ADD_FAILURE() << "bad frame: " << out;
    return out;
  }
  return out.substr(kPreamble.size(), out.size() - kPreamble.size() - tail);
}

ir::TableBlock numbered_rows(std::size_t count) {
  ir::TableBlock table;
  for (std::size_t i = 0; i < count; ++i) table.rows.push_back({std::to_string(i)});
  return table;
}

TEST(LatexText, EscapeLatexGivesAscii) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"50% of $x", "50\\% of \\$x"},
      {"#&_{}", "\\#\\&\\_\\{\\}"},
      {"\\^~", "\\textbackslash{}\\textasciicircum{}\\textasciitilde{}"},
      {"a\nb\r\n", "a\nb \n"},
      {"na\xc3\xafve caf\xc3\xa9", "na?ve caf?"},
      {"\xce\xb1", "?"},
      {"\xff", "?"},  // invalid UTF-8
      {"\xc2\xa0\xc2\xb1\xc3\x97\xc3\xb7", " +/-x/"},
      {"\xe2\x80\x93\xe2\x88\x92\xe2\x80\x94", "-----"},
      {"\xe2\x80\x98\xe2\x80\x99\xe2\x80\x9a\xe2\x80\x9c\xe2\x80\x9d\xe2\x80\x9e", "'''\"\"\""},
      {"\xe2\x80\xa2\xe2\x80\xa6\xe2\x89\xa0\xe2\x89\xa4\xe2\x89\xa5", "*...!=<=>="},
      {"a\tb\x0b"
       "c\x0c"
       "d\xc2\x85"
       "e",
       "a b c d e"},
      {"a\x01\x1f\x7f\xc2\x9f"
       "b",
       "ab"},
      {"<>|\"'@", "<>|\"'@"},
  };
  for (const Case& c : cases) EXPECT_EQ(escape_latex(c.input), c.expected) << c.input;
}

TEST(LatexText, CellIsNumeric) {
  struct Case {
    std::string input;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"2", true},
      {"$1,234.50", true},
      {"(12)", true},
      {"5 %", true},
      {"+3", true},
      {"1\xe2\x80\x93"
       "2",
       true},
      {"", false},
      {"-", false},
      {"\xe2\x80\x94", false},
      {"1e5", false},
      {"1\xc2\xa0"
       "000",
       false},
      {"12a", false},
  };
  for (const Case& c : cases) EXPECT_EQ(cell_is_numeric(c.input), c.expected) << c.input;
}

TEST(LatexText, Row) {
  EXPECT_EQ(latex_row({"a_b", "", "c"}), "a\\_b &  & c \\\\\n");
}

TEST(LatexRenderer, DocumentFrame) {
  EXPECT_EQ(render_latex(ir::Document{}),
            "\\documentclass{article}\n\\usepackage{longtable}\n\\begin{document}\n\n\\end{document}\n");
  ir::Document document;
  document.pages.emplace_back().blocks = {text_block("paragraph", "50% of $x"), text_block("paragraph", "")};
  document.pages.emplace_back().blocks = {text_block("paragraph", "b")};
  EXPECT_EQ(render_latex(document),
            std::string(kPreamble) + "50\\% of \\$x\n\n\n\nb\n\n" + std::string(kEnding));
}

TEST(LatexRenderer, TextBlocks) {
  struct Case {
    ir::TextBlock block;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {text_block("heading_1", "A & B"), "\\section{A \\& B}"},
      {text_block("heading_2", "Results"), "\\subsection{Results}"},
      {text_block("heading_+3", "x"), "\\subsubsection{x}"},
      {text_block("heading_4", "x"), "\\paragraph{x}"},
      {text_block("heading_6", "x"), "\\paragraph{x}"},
      {text_block("heading_7", "x"), "x"},
      {text_block("title", "x"), "x"},
      {text_block("page_footer", "Page 1"), "Page 1"},
      {text_block("list", "a\r\n\n  b_1  \n"), "\\begin{itemize}\n\\item a\n\\item b\\_1\n\\end{itemize}"},
      {text_block("list", "\n  \n"), "\n  \n"},
      {text_block("list", "\n  \n", {{"x", true}}), "\\textbf{\n  \n}"},
      {text_block("list_item", "a"), "a"},
      {text_block("paragraph", "a", {{"a", true}, {" ", false}}), "\\textbf{a}"},
      {text_block("paragraph", "a", {{"a", false, true}}), "\\textit{a}"},
      {text_block("paragraph", "a", {{"a", true, true}, {"b", true, true}}), "\\textbf{\\textit{a}}"},
      {text_block("paragraph", "a", {{"a", true}, {"b", false, true}}), "a"},
      {text_block("paragraph", "a", {{"", true}, {" ", true}}), "a"},
      {text_block("paragraph", "", {{"x", true}}), "\\textbf{}"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(render_one(c.block), c.expected) << c.block.kind << " / " << c.block.text;
}

TEST(LatexRenderer, Tables) {
  struct Case {
    ir::TableBlock table;
    std::string expected;
  };
  // Caption, HTML and positioned cells play no part.
  ir::TableBlock ignored_extras = table_of({"A"}, {});
  ignored_extras.caption = "cap";
  ignored_extras.html = "<table></table>";
  ignored_extras.cells.emplace_back().col_span = 2;
  const std::vector<Case> cases = {
      {table_of({"Item", "Cost"}, {{"Pen", "$1.50"}, {"Ink", "2"}}),
       "\\begin{tabular}{lr}\nItem & Cost \\\\\n\\hline\nPen & \\$1.50 \\\\\nInk & 2 \\\\\n\\end{tabular}"},
      // One numeric cell of two is enough; one of three is not; an empty column is left.
      // Cells are trimmed only for the alignment test, not in the output.
      {table_of({}, {{" 1 ", "1", ""}, {"x", "x", " "}}),
       "\\begin{tabular}{rrl}\n 1  & 1 &  \\\\\nx & x &   \\\\\n\\end{tabular}"},
      {table_of({}, {{"1"}, {"x"}, {"y"}}), "\\begin{tabular}{l}\n1 \\\\\nx \\\\\ny \\\\\n\\end{tabular}"},
      // Headers wider than the rows pad them; a longer row pads the headers.
      {table_of({"A", "B"}, {{"1"}}), "\\begin{tabular}{rl}\nA & B \\\\\n\\hline\n1 &  \\\\\n\\end{tabular}"},
      {table_of({"A"}, {{"1", "2"}}), "\\begin{tabular}{rr}\nA &  \\\\\n\\hline\n1 & 2 \\\\\n\\end{tabular}"},
      {ignored_extras, "\\begin{tabular}{l}\nA \\\\\n\\hline\n\\end{tabular}"},
      {table_of({}, {{}, {}}), ""},
      {table_of({}, {}), ""},
  };
  for (const Case& c : cases) EXPECT_EQ(render_one(c.table), c.expected);
}

TEST(LatexRenderer, LongTablesPastTwentyFourRows) {
  const std::string tabular = render_one(numbered_rows(24));
  EXPECT_TRUE(tabular.starts_with("\\begin{tabular}{r}\n")) << tabular;
  EXPECT_TRUE(tabular.ends_with("23 \\\\\n\\end{tabular}"));
  ir::TableBlock long_table = numbered_rows(25);
  long_table.headers = {"N"};  // the header row is not counted
  const std::string longtable = render_one(long_table);
  EXPECT_TRUE(longtable.starts_with("\\begin{longtable}{r}\nN \\\\\n\\hline\n0 \\\\\n")) << longtable;
  EXPECT_TRUE(longtable.ends_with("24 \\\\\n\\end{longtable}"));
}

TEST(LatexRenderer, Figures) {
  struct Case {
    ir::FigureBlock figure;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {figure_of("a", "b"), "[Image: b]"},    {figure_of("a_1"), "[Image: a\\_1]"},
      {figure_of("", {}, "im"), "[Image: ]"}, {figure_of({}, {}, "p1_im0"), "[Image: p1\\_im0]"},
      {figure_of({}), "[Image: image]"},
  };
  for (const Case& c : cases) EXPECT_EQ(render_one(c.figure), c.expected);
}

}  // namespace
}  // namespace scrivex_core::render

#include "core/engine/latex_reader.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/engine/latex_syntax.hpp"
#include "core/pipeline/load.hpp"
#include "core/util/limits.hpp"

namespace scrivex_core::engine {
namespace {

// Beside this file, so that the fixtures are found from any build folder.
const std::string kFixtures = std::string(SCRIVEX_TEST_DATA_DIR) + "/text_inputs";

// "kind|text" for text blocks, "table|h1,h2|r1c1,r1c2;r2c1|caption" for tables.
std::string describe(const ir::Block& block) {
  if (const auto* text = std::get_if<ir::TextBlock>(&block)) return text->kind + "|" + text->text;
  const auto* table = std::get_if<ir::TableBlock>(&block);
  if (!table) return "figure";
  auto join = [](const std::vector<std::string>& cells) {
    std::string out;
    for (std::size_t i = 0; i < cells.size(); ++i) out += (i ? "," : "") + cells[i];
    return out;
  };
  std::string out = "table|" + join(table->headers) + "|";
  for (std::size_t i = 0; i < table->rows.size(); ++i) out += (i ? ";" : "") + join(table->rows[i]);
  if (table->caption) out += "|" + *table->caption;
  return out;
}

std::vector<std::string> describe_all(const std::vector<ir::Block>& blocks) {
  std::vector<std::string> out;
  for (const ir::Block& block : blocks) out.push_back(describe(block));
  return out;
}

// Argument reading
TEST(LatexSyntax, ReadsCommandNamesAndArguments) {
  EXPECT_EQ(latex_command_name("\\section{x}", 1).name, "section");
  EXPECT_EQ(latex_command_name("\\section{x}", 1).end, 8u);
  EXPECT_EQ(latex_command_name("\\\\", 1).name, "\\");
  EXPECT_EQ(latex_command_name("\\", 1).name, "");
  EXPECT_EQ(latex_command_name("\\\xC3\xA9t\xC3\xA9", 1).name, "\xC3\xA9");  // a character, not a byte

  struct BracedCase {
    std::string text;
    std::size_t pos;
    std::optional<std::string> content;
    std::size_t end;
  };
  const std::vector<BracedCase> braced{
      {"{a{b}c}d", 0, "a{b}c", 7}, {"x{a\\}b}", 1, "a\\}b", 7}, {"{a\\\\}b", 0, "a\\\\", 5},
      {"{open", 0, {}, 0},         {"a{b}", 0, {}, 0},          {"", 0, {}, 0},
  };
  for (const BracedCase& c : braced) {
    const auto argument = read_latex_braced_argument(c.text, c.pos);
    ASSERT_EQ(argument.has_value(), c.content.has_value()) << c.text;
    if (argument) {
      EXPECT_EQ(argument->content, *c.content) << c.text;
      EXPECT_EQ(argument->end, c.end) << c.text;
    }
  }

  EXPECT_EQ(skip_latex_optional_argument("[a]b", 0), 3u);
  EXPECT_EQ(skip_latex_optional_argument("[a\\]b]c", 0), 6u);
  EXPECT_EQ(skip_latex_optional_argument("[open", 0), 1u);
  EXPECT_EQ(skip_latex_optional_argument("b", 0), 0u);
}

TEST(LatexSyntax, FindsCommandArgumentsAndEnvironmentBodies) {
  struct Case {
    std::string text;
    std::string name;
    std::optional<std::string> argument;
  };
  const std::vector<Case> commands{
      {"\\titlepage \\title{T}", "title", "T"},
      {"\\title*[short] \n {Long}", "title", "Long"},
      {"\\title without \\title{Later}", "title", "Later"},
      {"\\title{never closed", "title", {}},
      {"no command", "title", {}},
      {"\\caption{A \\emph{b}}", "caption", "A \\emph{b}"},
  };
  for (const Case& c : commands) EXPECT_EQ(latex_command_argument(c.text, c.name), c.argument) << c.text;

  const std::vector<Case> environments{
      {"\\begin{tabular}{|l|r|} a & b \\end{tabular}", "tabular", "a & b "},
      {"\\begin{tabularx}{\\linewidth}{lX}\n[x]{y} z\\end{tabularx}", "tabularx", "z"},
      {"\\begin{itemize} \\item a", "itemize", "\\item a"},
      {"\\begin{itemize*} x \\end{itemize*}", "itemize", {}},
  };
  for (const Case& c : environments) EXPECT_EQ(latex_environment_body(c.text, c.name), c.argument) << c.text;
}

// Inline cleaning
TEST(LatexInline, StripsMarkup) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const std::vector<Case> cases{
      {"50\\% of \\cite{x} cases", "50% of cases"},
      {"\\href{target}{Link} text", "Link text"},
      {"\\href{target} x", "x"},
      {"\\multicolumn{2}{c}{Total}", "Total"},
      {"\\multirow{2}{*}{Both} rows", "Both rows"},
      {"\\textbf{bold} and \\emph{it}", "bold and it"},
      {"\\begin{figure}", "figure"},
      {"see~\\ref{a}, \\pageref{b} \\label{c}\\citep[p.~3]{d}\\citet{e}", "see ,"},
      {"\\# \\$ \\& \\_ \\{ \\} \\[ \\]", "# $ & _ { } [ ]"},
      {"line\\\\next", "line next"},
      {"ends with \\", "ends with"},
      {"\\TeX{} and \\LaTeX{}, \\LaTeX", "TeX and LaTeX, LaTeX"},
      {"a\\quad b\\qquad c\\enspace d\\thinspace e", "a b c d e"},
      {"\\noindent Text \\ldots", "Text"},
      {"$x^2$ and {braces} ~ tilde", "x^2 and braces tilde"},
      {"\\section[short]{Long}", "Long"},
      {"\\'{e}t\\'e", "ete"},
      {"\\textbf{never closed", "never closed"},
      {"caf\xC3\xA9 \\\xC3\xA9", "caf\xC3\xA9"},
  };
  for (const Case& c : cases) EXPECT_EQ(clean_latex_inline(c.input), c.expected) << c.input;
}

TEST(LatexInline, DeepNestingIsBounded) {
  // Past the nesting bound the text is still kept, stripped flat.
  std::string nested;
  for (int i = 0; i < 20000; ++i) nested += "\\emph{";
  nested += "core";
  for (int i = 0; i < 20000; ++i) nested += "}";
  EXPECT_EQ(clean_latex_inline(nested), "core");

  std::string shallow_enough;
  for (std::size_t i = 0; i + 1 < limits::kMaxLatexInlineDepth; ++i) shallow_enough += "\\cite{";
  EXPECT_EQ(clean_latex_inline(shallow_enough + "k" + std::string(limits::kMaxLatexInlineDepth - 1, '}')),
            "");

  // Unclosed braces everywhere: each is dropped, the words kept.
  std::string unclosed;
  for (int i = 0; i < 20000; ++i) unclosed += "\\a{w ";
  EXPECT_EQ(clean_latex_inline(unclosed).size(), 2u * 20000 - 1);
}

TEST(LatexReader, UnclosedArgumentsKeepTheirText) {
  // Each "[" and "{" below is never closed; the words around them survive.
  std::string items = "\\begin{itemize}\n";
  std::string rules;
  std::string brackets;
  for (int i = 0; i < 20000; ++i) {
    items += "\\item[w ";
    rules += "\\cmidrule(\\cline{w ";
    brackets += "\\a[w ";
  }
  const LatexReading list = read_latex(items);
  ASSERT_EQ(list.blocks.size(), 1u);
  EXPECT_EQ(std::get<ir::TextBlock>(list.blocks[0]).text.size(), 2u * 20000 - 1);
  const auto row = latex_table_row(rules);
  ASSERT_TRUE(row.has_value());
  EXPECT_EQ(row->size(), 1u);
  EXPECT_EQ(clean_latex_inline(brackets).size(), 2u * 20000 - 1);
}

// Table rows
TEST(LatexTable, SplitsRowsIntoCells) {
  struct Case {
    std::string row;
    std::optional<std::vector<std::string>> cells;
  };
  const std::vector<Case> cases{
      {"a & b ", std::vector<std::string>{"a", "b"}},
      {"a & & c", std::vector<std::string>{"a", "c"}},
      {"\\hline 1 & 2", std::vector<std::string>{"1", "2"}},
      {"Fish \\& chips & 3", std::vector<std::string>{"Fish & chips", "3"}},
      {"\\toprule\\midrule \\bottomrule", {}},
      {"\\cline{2-3} c & d", std::vector<std::string>{"c", "d"}},
      {"\\cmidrule(lr){1-2} e & f", std::vector<std::string>{"e", "f"}},
      {"  ", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(latex_table_row(c.row), c.cells) << c.row;
}

TEST(LatexReader, CollectsUpToTheFirstEndMarker) {
  const std::vector<std::string_view> lines{
      "intro", "\\begin{itemize}", "\\item a", "\\begin{enumerate}", "\\end{enumerate}", "\\end{itemize}"};
  const CollectedEnvironment inner = collect_latex_environment(lines, 1, {"itemize", "enumerate"});
  EXPECT_EQ(inner.text, "\\begin{itemize}\n\\item a\n\\begin{enumerate}\n\\end{enumerate}\n");
  EXPECT_EQ(inner.next_index, 5u);
  EXPECT_EQ(collect_latex_environment(lines, 0, {"table"}).next_index, lines.size());
}

// Reading whole texts
TEST(LatexReader, ReadsTitleHeadingsListsTablesAndParagraphs) {
  struct Case {
    std::string text;
    std::vector<std::string> blocks;
  };
  const std::vector<Case> cases{
      {"\\documentclass{article}\n\\title{A \\emph{Study}}\n\\begin{document}\n\\section{Intro} % first\n"
       "Some $x^2$ text\\\\\nmore~text.\n\\end{document}\nafter the end",
       {"heading_1|A Study", "heading_1|Intro", "paragraph|Some x^2 text more text."}},
      {"\\subsection*{Results}", {"heading_2|Results"}},
      {"\\subsubsection{a}\n\\paragraph{b}\n\\subparagraph{c}\n\\chapter{d}\n\\part{e}",
       {"heading_3|a", "heading_4|b", "heading_5|c", "heading_1|d", "heading_1|e"}},
      {"\\section{}\nx", {"paragraph|x"}},
      {"\\section{Head} lost tail", {"heading_1|Head"}},
      {"\\partial x", {"paragraph|x"}},
      {"\\begin{abstract}\nWe  study\n\\textbf{this}.\n\\end{abstract}\nNext",
       {"abstract|We study this.", "paragraph|Next"}},
      {"\\begin{itemize}\n\\setlength\\itemsep{0pt}\n\\item[a)] One\n\\item\n Two\n\\item "
       "\\label{x}\n\\end{itemize}",
       {"list|One\nTwo"}},
      {"\\begin{enumerate}\n\\item A\n\\end{enumerate}", {"list|A"}},
      {"\\begin{itemize}\n\\item A\n\\begin{itemize}\n\\item B\n\\end{itemize}\n\\item "
       "Apples\n\\end{itemize}",
       {"list|A itemize\nB", "paragraph|Apples"}},
      {"\\item Apples", {"paragraph|Apples"}},
      {"\\begin{tabular}{ll}\na & b \\\\ \\hline 1 & 2 \\\\\n\\end{tabular}", {"table|a,b|1,2"}},
      {"\\begin{tabular}{l}\nonly \\\\ \n\\end{tabular}", {"table||only"}},
      {"\\begin{table}\n\\caption{Cap}\n\\begin{tabular}{l}\nh \\\\ r\n\\end{tabular}\n\\end{table}",
       {"table|h|r|Cap"}},
      {"\\begin{table}\n\\begin{tabular}{l}\nh \\\\ r\n\\end{tabular}\n\\caption{Late}\n\\end{table}",
       {"table|h|r", "paragraph|Late"}},
      {"\\begin{table}\n\\caption{}\n\\begin{tabular}{l}\nh\n\\end{tabular}", {"table||h|"}},
      {"\\begin{table}\n\\caption{No body}\n\\end{table}\nafter", {"paragraph|after"}},
      {"\\begin{figure}\n\\includegraphics{x.png}\n\\end{figure}", {"paragraph|figure x.png"}},
      {"\\usepackage{x}\nBody line", {"paragraph|Body line"}},
      {"100\\% sure % a comment\n\\%", {"paragraph|100% sure %"}},
      {"\\maketitle\n\\date{x}\n\\author{y}", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(describe_all(read_latex(c.text).blocks), c.blocks) << c.text;
}

TEST(LatexReader, TitleAndFixedFields) {
  LatexReading empty_title = read_latex("\\title{\\label{x}}\n\\begin{document}\nBody\n\\end{document}");
  EXPECT_EQ(empty_title.title, "");
  EXPECT_EQ(describe_all(empty_title.blocks), std::vector<std::string>{"paragraph|Body"});
  EXPECT_FALSE(read_latex("Body").title.has_value());

  const LatexReading reading =
      read_latex("\\title{T}\n\\begin{document}\n\\begin{tabular}{l}\na\n\\end{tabular}");
  ASSERT_EQ(reading.blocks.size(), 2u);
  const std::vector<ir::SourceAnchor> anchors{{1, {}, std::nullopt, "latex_native"}};
  const auto& heading = std::get<ir::TextBlock>(reading.blocks[0]);
  EXPECT_EQ(heading.source_anchors, anchors);
  EXPECT_EQ(heading.confidence, (ir::Confidence{0.85f, false}));
  const auto& table = std::get<ir::TableBlock>(reading.blocks[1]);
  EXPECT_EQ(table.source_anchors, anchors);
  EXPECT_EQ(table.confidence, (ir::Confidence{0.85f, false}));
  EXPECT_FALSE(table.caption.has_value());
}

// What authors and pandoc write
TEST(LatexReader, ReadsAnArticle) {
  auto document = pipeline::load_path(kFixtures + "/article.tex");
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(document.value().metadata.engine, "latex-native");
  EXPECT_EQ(document.value().metadata.title, "Nesting Success of Alcedo atthis on Urban Rivers");
  const std::vector<std::string> expected{
      "heading_1|Nesting Success of Alcedo atthis on Urban Rivers",
      "abstract|We monitored 42 kingfisher nests along three urban rivers. Nearly 60% fledged at least one "
      "chick, a rate close to that of rural sites .",
      "heading_1|Introduction",
      "paragraph|Kingfishers nest in vertical banks of soft earth. Urban rivers offer few such banks, see "
      "Section .",
      "heading_1|Methods",
      "paragraph|Nests were visited weekly. At each visit we recorded:",
      "list|the number of eggs or chicks;\nsigns of predation;\nwater level at the bank.",
      "paragraph|The season ran in three phases:",
      "list|Site survey (March).\nNest checks (April--July).",
      "heading_2|Sites",
      "table|River,Nests,Fledged|Brent,15,9;Wandle,18,11;Lea,9,5;Total,42,25|Nests and fledging by river",
      "heading_1|Discussion",
      "paragraph|Fledging rates match those of rural rivers .",
  };
  EXPECT_EQ(describe_all(document.value().pages[0].blocks), expected);
  EXPECT_EQ(document.value().metadata.block_count, expected.size());
}

TEST(LatexReader, ReadsPandocOutput) {
  auto document = pipeline::load_path(kFixtures + "/pandoc_notes.tex");
  ASSERT_TRUE(document.ok());
  EXPECT_EQ(document.value().metadata.title, "Field Notes on River Birds");
  // pandoc wraps each heading in "\hypertarget{id}{%", whose id line reads
  // as a paragraph of its own.
  const std::vector<std::string> expected{
      "heading_1|Field Notes on River Birds",
      "paragraph|survey-method",
      "heading_1|Survey Method",
      "paragraph|We walked the north bank twice a week and counted every bird we saw, using the regional "
      "guide for names.",
      "paragraph|equipment",
      "heading_2|Equipment",
      "list|Binoculars (8x42)\nA waterproof notebook",
      "list|Arrive at dawn.\nCount for 30 minutes.",
      "paragraph|results",
      "heading_1|Results",
      "table|Species,Count|Heron,12;Kingfisher,3",
      "paragraph|Herons were most common; about 80% of sightings came before 9 am.",
  };
  EXPECT_EQ(describe_all(document.value().pages[0].blocks), expected);
}

}  // namespace
}  // namespace scrivex_core::engine

// Markup to text and the tag scanners shared by the markup engines.
#include "core/textual/html_text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/textual/tag_scan.hpp"

namespace scrivex_core::textual {
namespace {

struct TextCase {
  std::string input;
  std::string expected;
};

void expect_html_to_text(const std::vector<TextCase>& cases) {
  for (const TextCase& c : cases) EXPECT_EQ(html_to_text(c.input), c.expected) << "input: " << c.input;
}

// White space before an inline tag is kept: a tag that breaks no paragraph
// must not swallow the pending space, or neighbouring words glue together.
TEST(HtmlToText, InlineTagsKeepWhiteSpaceAroundThem) {
  expect_html_to_text({
      {"<p>Hello <b>world</b></p>", "Hello world"},
      {"Hello<b> world</b>", "Hello world"},
      {"a<b>b</b>", "ab"},
      {"<table><tr><td>a</td> <td>b</td></tr></table>", "a b"},
      {"<td>a</td>\n<td>b</td>", "a b"},
      {"x <!-- note --> y", "x y"},
      {"one <span>two</span> <i>three</i>.", "one two three."},
  });
}

TEST(HtmlToText, ParagraphBreaks) {
  expect_html_to_text({
      {"<p>a</p><p>b</p>", "a\n\nb"},
      {"A<br>B", "A\n\nB"},
      {"A<br/>B<BR />C", "A\n\nB\n\nC"},
      {"<div>x </div>  <div> y</div>", "x\n\ny"},
      {"<ul><li>one</li><li>two</li></ul>", "one\n\ntwo"},
      {"<sec><title>T</title><p>Body</p></sec>", "Body"},
      {"<article-title>On Things</article-title><abstract>Short.</abstract>", "On Things\n\nShort."},
      {"<p>keep\nlines</p>", "keep lines"},
  });
}

TEST(HtmlToText, InvisibleElementsAreDropped) {
  expect_html_to_text({
      {"<SCRIPT>x</SCRIPT>y", "y"},
      {"<script>x", ""},
      {"<script>x</script >y", ""},
      {"<head><title>T</title></head><body>B</body>", "B"},
      {"<header>H</header><scripts>S</scripts>", "H\n\nS"},
      {"a<style type='text/css'>p{}</style>b<script src=x></script>c", "abc"},
      {"<title>one</title>mid<title>two</title>end", "midend"},
  });
}

TEST(HtmlToText, CharacterReferences) {
  expect_html_to_text({
      {"a &lt;b&gt; &amp;amp; &#x41;&#66; &nbsp;&nbsp;c", "a <b> &amp; AB c"},
      {"&unknown;", "&unknown;"},
      {"&#xD800;", "&#xD800;"},
      {"&#x110000;", "&#x110000;"},
      {"&#+65;", "A"},
      {"&#-65;", "&#-65;"},
      {"&#4294967296;", "&#4294967296;"},
      {"&LT;", "&LT;"},
      {"&quot;q&quot; &apos;", "\"q\" '"},
      {"&#x20AC;&#X20ac;", "\xE2\x82\xAC\xE2\x82\xAC"},
      {"fish & chips", "fish & chips"},
      // The ";" must lie within 16 bytes of the "&".
      {"&#00000000000065;", "A"},
      {"&#000000000000065;", "&#000000000000065;"},
  });
}

TEST(HtmlToText, MalformedAndEmptyInput) {
  expect_html_to_text({
      {"a < b", "a < b"},
      {"x <y", "x <y"},
      {"  <p> </p> <!-- c --> \n\t", ""},
      {"", ""},
      {"<>x</>", "x"},
      {"caf\xC3\xA9 \xE2\x80\x83 bar", "caf\xC3\xA9 bar"},
      {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
  });
}

TEST(NormalizeTextLines, WhiteSpaceAndBlankLines) {
  const std::vector<TextCase> cases = {
      {"\n\n  a   b \r\n\n\n\n c\n\n", "a b\n\nc"},
      {"a\nb", "a\nb"},
      {" \t \n ", ""},
      {"x\r\n\r\ny", "x\n\ny"},
  };
  for (const TextCase& c : cases) EXPECT_EQ(normalize_text_lines(c.input), c.expected) << c.input;
}

TEST(TagScan, FindTagStartNeedsADelimiter) {
  EXPECT_EQ(find_tag_start("<header><head>", "head"), 8u);
  EXPECT_EQ(find_tag_start("<p\tclass=x>", "p"), 0u);
  EXPECT_EQ(find_tag_start("<br/>", "br"), 0u);
  EXPECT_FALSE(find_tag_start("<head", "head"));
  EXPECT_FALSE(find_tag_start("<scripts>", "script"));
  EXPECT_EQ(find_tag_start("<p>a<p>b", "p", 1), 4u);
}

TEST(TagScan, AttributeValues) {
  struct Case {
    std::string tag;
    std::string name;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"<span class='ocr_line' title=\"bbox 1 2 3 4\">", "title", "bbox 1 2 3 4"},
      {"<span CLASS = \"a b\">", "class", "a b"},
      {"<w:p x:class='c'>", "class", "c"},
      {"<a title='x=\"1\" class=\"no\"' class='yes'>", "class", "yes"},
      {"<a href=x class='y'>", "class", "y"},
      {"<a href=class>", "class", std::nullopt},
      {"<a class='open>", "class", "open>"},
      {"<a data-class='x'>", "class", std::nullopt},
      {"<a>", "a", std::nullopt},
      {"<e v=''>", "v", ""},
  };
  for (const Case& c : cases) {
    const auto value = xml_attr_value(c.tag, c.name);
    EXPECT_EQ(value ? std::optional<std::string>(*value) : std::nullopt, c.expected) << c.tag;
  }
}

TEST(TagScan, OpeningTagNames) {
  struct Case {
    std::string tag;
    std::optional<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"<span class=\"x\">", "span"},
      {"<br />", "br"},
      {"<br/>", "br/"},
      {" < pc:Page a='1'>", "pc:Page"},
      {"<p>", "p"},
      {"</p>", std::nullopt},
      {"<!-- c -->", std::nullopt},
      {"<?xml version='1.0'?>", std::nullopt},
      {"p>", std::nullopt},
      {"<>", std::nullopt},
  };
  for (const Case& c : cases) {
    const auto name = opening_tag_name(c.tag);
    EXPECT_EQ(name ? std::optional<std::string>(*name) : std::nullopt, c.expected) << c.tag;
  }
}

}  // namespace
}  // namespace scrivex_core::textual

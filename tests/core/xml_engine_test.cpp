// The XML engine: PAGE XML, ALTO, object annotations and generic XML.
#include "core/textual/xml_engine.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/textual/alto.hpp"
#include "core/textual/page_xml.hpp"
#include "core/textual/xml_scan.hpp"

namespace scrivex_core::textual {
namespace {

ir::Document extract_xml(std::string text) {
  source::Source source = source::Source::from_text(text);
  source.format = "xml";
  auto result = XmlEngine{}.extract(source);
  EXPECT_TRUE(result.ok());
  return std::move(result).value();
}

const ir::TextBlock& text_block(const ir::Document& document, std::size_t index) {
  return std::get<ir::TextBlock>(document.pages.at(0).blocks.at(index));
}

std::vector<std::string> block_texts(const ir::Document& document) {
  std::vector<std::string> texts;
  for (const ir::Block& block : document.pages.at(0).blocks)
    texts.push_back(std::get<ir::TextBlock>(block).text);
  return texts;
}

std::string page_xml(std::string_view page_attributes, std::string_view lines) {
  return "<?xml version='1.0'?><PcGts xmlns='http://schema.primaresearch.org/PAGE'><Metadata/>"
         "<Page imageFilename='p.png' " +
         std::string(page_attributes) + "><TextRegion id='r1'><Coords points='0,0 500,0 500,300'/>" +
         std::string(lines) + "</TextRegion></Page></PcGts>";
}

std::string page_word(std::string_view points, std::string_view text, std::string_view conf) {
  return "<Word><Coords points='" + std::string(points) + "'/><TextEquiv conf='" + std::string(conf) +
         "'><Unicode>" + std::string(text) + "</Unicode></TextEquiv></Word>";
}

TEST(XmlScan, ElementsAndRanges) {
  const std::string text =
      "<a><pc:Word id='1'>x<pc:Word>y</pc:Word>z</pc:Word><Word/><word>w</word><Word>open";
  const auto words = xml_elements_by_local_name(text, "word");
  ASSERT_EQ(words.size(), 2u);
  // Nesting is not counted: the first closing tag of the name ends the element.
  EXPECT_EQ(words[0].content, "x<pc:Word>y");
  EXPECT_EQ(words[0].outer, "<pc:Word id='1'>x<pc:Word>y</pc:Word>");
  EXPECT_EQ(words[1].content, "w");
  // "<Word/>" names "Word/", so only four opening tags match.
  EXPECT_EQ(xml_start_tags_by_local_name(text, "Word").size(), 4u);

  const std::string ranges_text = "<Width>1</Width><widths>2</widths><width a='1'>3</width><width>4";
  const auto ranges = tag_ranges(ranges_text, "width");
  // The name matches as a prefix, and "</widths>" does not close it.
  ASSERT_EQ(ranges.size(), 2u);
  EXPECT_EQ(ranges[1], "2</widths><width a='1'>3");
  EXPECT_EQ(tag_text("<name> <b>dog</b> &amp; cat </name>", "name"), "dog & cat");
  EXPECT_EQ(tag_text("<name></name>", "name"), "");
  EXPECT_FALSE(tag_text("<name>dog", "name"));
}

TEST(PageXml, CoordsPoints) {
  struct Case {
    std::string content;
    std::optional<ir::BBox> expected;
  };
  const std::vector<Case> cases = {
      {"<Coords points='10,20 30,20 30,40 10,40'/>", ir::BBox{10, 20, 20, 20}},
      {"<Coords points='10,20 x,5'/>", std::nullopt},
      {"<Coords points='junk 7,8 3,9.5'/>", ir::BBox{3, 8, 4, 1.5f}},
      {"<Coords points='1 2 3'/>", std::nullopt},
      {"<Coords/>", std::nullopt},
      {"<pc:Coords points='1,1 2,2'/><Coords points='0,0 9,9'/>", ir::BBox{1, 1, 1, 1}},
  };
  for (const Case& c : cases) EXPECT_EQ(page_xml_bbox_from_content(c.content), c.expected) << c.content;
}

TEST(PageXml, LineTextFromItsOwnTextEquiv) {
  const auto document =
      extract_xml(page_xml("imageWidth='1000' imageHeight='800'",
                           "<TextLine id='l1'><Coords points='10,10 100,10 100,30 10,30'/>" +
                               page_word("10,10 40,30", "a", "0.5") + page_word("50,10 100,30", "b", "0.7") +
                               "<TextEquiv><Unicode>a b</Unicode></TextEquiv></TextLine>"));
  const ir::TextBlock& line = text_block(document, 0);
  EXPECT_EQ(line.text, "a b");
  EXPECT_EQ(line.kind, "ocr_line");
  EXPECT_EQ(line.bbox, (ir::BBox{10, 10, 90, 20}));
  ASSERT_EQ(line.lines.size(), 1u);
  ASSERT_EQ(line.lines[0].spans.size(), 2u);
  EXPECT_EQ(line.lines[0].spans[0].bbox, (ir::BBox{10, 10, 30, 20}));
  EXPECT_FLOAT_EQ(line.confidence->score, 0.6f);
  EXPECT_EQ(line.source_anchors.at(0).extraction_method, "xml_native");
  EXPECT_EQ(document.pages[0].width, 1000.0f);
  EXPECT_EQ(document.pages[0].height, 800.0f);
  EXPECT_EQ(document.pages[0].bbox, (ir::BBox{0, 0, 1000, 800}));
  EXPECT_EQ(document.metadata.engine, "xml-native");
  EXPECT_EQ(document.metadata.format, "xml");
}

// A line without its own TextEquiv or Coords must not take the last word's
// text or the first word's box for its own.
TEST(PageXml, LineWithoutOwnTextOrCoordsUsesAllItsWords) {
  const auto document = extract_xml(page_xml("imageWidth='1000' imageHeight='800'",
                                             "<TextLine id='l1'>" + page_word("10,10 40,30", "first", "0.9") +
                                                 page_word("50,5 100,35", "second", "x") + "</TextLine>"));
  const ir::TextBlock& line = text_block(document, 0);
  EXPECT_EQ(line.text, "first second");
  EXPECT_EQ(line.bbox, (ir::BBox{10, 5, 90, 30}));
  EXPECT_EQ(line.lines.at(0).spans.size(), 2u);
  // The unreadable conf of the second word leaves only the first one's.
  EXPECT_FLOAT_EQ(line.confidence->score, 0.9f);
}

TEST(PageXml, LinesWithoutWords) {
  const auto document = extract_xml(page_xml(
      "imageWidth='x' width='50' image_height='60'",
      "<TextLine><TextEquiv conf='0.75'><Unicode>Hello</Unicode></TextEquiv></TextLine>"
      "<TextLine><Coords points='1,1 2,2'/><TextEquiv><Unicode> </Unicode></TextEquiv></TextLine>"
      "<TextLine><Coords points='5,5 9,7'/><TextEquiv conf='high'><Unicode>A &amp; B</Unicode></TextEquiv>"
      "</TextLine>"));
  ASSERT_EQ(document.pages[0].blocks.size(), 2u);
  const ir::TextBlock& hello = text_block(document, 0);
  EXPECT_FLOAT_EQ(hello.confidence->score, 0.75f);
  EXPECT_FALSE(hello.bbox);
  EXPECT_TRUE(hello.lines.empty());
  EXPECT_EQ(text_block(document, 1).text, "A & B");
  EXPECT_FLOAT_EQ(text_block(document, 1).confidence->score, 0.9f);
  // An unreadable attribute lets the next name be tried.
  EXPECT_EQ(document.pages[0].width, 50.0f);
  EXPECT_EQ(document.pages[0].height, 60.0f);
}

TEST(Alto, StringTags) {
  const auto word =
      alto_word_from_tag("<String CONTENT='A&amp;B' HPOS='1' VPOS='2' WIDTH='3' HEIGHT='4' WC='0.8'/>");
  ASSERT_TRUE(word);
  EXPECT_EQ(word->text, "A&B");
  EXPECT_EQ(word->bbox, (ir::BBox{1, 2, 3, 4}));
  EXPECT_EQ(word->confidence, 0.8f);

  const auto partial =
      alto_word_from_tag("<String CONTENT=' x  y ' HPOS='1' VPOS='2' WIDTH='w' HEIGHT='4' WC='95'/>");
  ASSERT_TRUE(partial);
  EXPECT_EQ(partial->text, "x y");
  EXPECT_FALSE(partial->bbox);
  EXPECT_EQ(partial->confidence, 95.0f);  // used as written, never scaled

  EXPECT_FALSE(alto_word_from_tag("<String CONTENT='  ' HPOS='1'/>"));
  EXPECT_FALSE(alto_word_from_tag("<SP WIDTH='3'/>"));
}

std::string alto(std::string_view page_attributes, std::string_view content) {
  return "<alto><Layout><Page ID='p1' " + std::string(page_attributes) + "><PrintSpace>" +
         std::string(content) + "</PrintSpace></Page></Layout></alto>";
}

TEST(Alto, LinesWithAndWithoutTheirOwnBox) {
  const auto document = extract_xml(
      alto("WIDTH='600' HEIGHT='400'",
           "<TextBlock><TextLine HPOS='10' VPOS='20' WIDTH='200' HEIGHT='30'>"
           "<String CONTENT='Hello' HPOS='10' VPOS='20' WIDTH='80' HEIGHT='30' WC='0.9'/><SP/>"
           "<String CONTENT='world' HPOS='100' VPOS='22' WIDTH='110' HEIGHT='28' WC='0.7'/></TextLine>"
           "<TextLine><String CONTENT='a' HPOS='5' VPOS='60' WIDTH='10' HEIGHT='10'/>"
           "<String CONTENT='b' HPOS='30' VPOS='55' WIDTH='10' HEIGHT='20'/></TextLine>"
           "<TextLine HPOS='0'></TextLine></TextBlock>"));
  EXPECT_EQ(block_texts(document), (std::vector<std::string>{"Hello world", "a b"}));
  const ir::TextBlock& hello = text_block(document, 0);
  EXPECT_EQ(hello.bbox, (ir::BBox{10, 20, 200, 30}));
  EXPECT_FLOAT_EQ(hello.confidence->score, 0.8f);
  EXPECT_EQ(hello.lines.at(0).spans.at(1).bbox, (ir::BBox{100, 22, 110, 28}));
  EXPECT_EQ(text_block(document, 1).bbox, (ir::BBox{5, 55, 35, 20}));
  EXPECT_FLOAT_EQ(text_block(document, 1).confidence->score, 0.9f);
  EXPECT_EQ(document.pages[0].width, 600.0f);
  EXPECT_EQ(document.metadata.character_count, 15u);  // "Hello world\na b"
}

TEST(Alto, StringsOutsideLinesBecomeWordBlocks) {
  const auto document = extract_xml(alto("WIDTH='600'",
                                         "<TextLine></TextLine>"
                                         "<String CONTENT='one' HPOS='1' VPOS='2' WIDTH='30' HEIGHT='40'/>"
                                         "<String CONTENT='two' WC='0.5'/>"));
  ASSERT_EQ(block_texts(document), (std::vector<std::string>{"one", "two"}));
  EXPECT_EQ(text_block(document, 0).kind, "ocr_word");
  EXPECT_EQ(text_block(document, 0).source_anchors.at(0).extraction_method, "xml_native");
  EXPECT_FLOAT_EQ(text_block(document, 1).confidence->score, 0.5f);
  // The height comes from the extent of the boxes, which also gives the page box.
  EXPECT_EQ(document.pages[0].width, 600.0f);
  EXPECT_EQ(document.pages[0].height, 42.0f);
  EXPECT_EQ(document.pages[0].bbox, (ir::BBox{0, 0, 31, 42}));
}

TEST(Alto, OnlyTheFirstPageIsRead) {
  const auto document = extract_xml(alto("", "<TextLine><String CONTENT='first'/></TextLine>") +
                                    alto("", "<TextLine><String CONTENT='second'/></TextLine>"));
  EXPECT_EQ(block_texts(document), (std::vector<std::string>{"first"}));
  EXPECT_FALSE(document.pages[0].width);
  EXPECT_FALSE(document.pages[0].bbox);
}

TEST(XmlEngine, PageLikeFileWithoutPageMarkersIsReadAsAlto) {
  const auto document = extract_xml(
      "<doc><Page WIDTH='10' HEIGHT='20'><TextLine><String CONTENT='alto'/></TextLine></Page></doc>");
  EXPECT_EQ(block_texts(document), (std::vector<std::string>{"alto"}));
  EXPECT_EQ(document.pages[0].height, 20.0f);
}

TEST(XmlEngine, ObjectAnnotations) {
  const auto document = extract_xml(
      "<annotation><folder>f</folder><size><width>640</width><height>480</height></size>"
      "<object><name>dog</name><bndbox><xmin>10</xmin><ymin>20</ymin><xmax>110</xmax><ymax>220</ymax></"
      "bndbox>"
      "</object><object><name>cat</name><bndbox><xmin>a</xmin><ymin>1</ymin><xmax>2</xmax><ymax>3</ymax>"
      "</bndbox></object><object><name></name><xmin>50</xmin><ymin>60</ymin><xmax>5</xmax><ymax>6</ymax>"
      "</object></annotation>");
  ASSERT_EQ(document.pages[0].blocks.size(), 2u);
  const ir::TextBlock& dog = text_block(document, 0);
  EXPECT_EQ(dog.text, "dog");
  EXPECT_EQ(dog.kind, "dog");
  EXPECT_EQ(dog.bbox, (ir::BBox{10, 20, 100, 200}));
  EXPECT_FLOAT_EQ(dog.confidence->score, 0.9f);
  EXPECT_EQ(text_block(document, 1).text, "");
  EXPECT_EQ(text_block(document, 1).bbox, (ir::BBox{5, 6, 45, 54}));
  EXPECT_EQ(document.pages[0].width, 640.0f);
  EXPECT_EQ(document.pages[0].height, 480.0f);
  EXPECT_EQ(document.pages[0].bbox, (ir::BBox{0, 0, 640, 480}));
  EXPECT_EQ(document.metadata.character_count, 4u);  // "dog\n"
  EXPECT_EQ(document.metadata.block_count, 2u);
}

TEST(XmlEngine, OtherXmlBecomesParagraphs) {
  const auto rss = extract_xml(
      "<?xml version='1.0'?><rss><channel><title>Feed</title><item><description>First &amp; best"
      "</description></item><item><description>Second</description></item></channel></rss>");
  EXPECT_EQ(block_texts(rss), (std::vector<std::string>{"First & best", "Second"}));
  EXPECT_EQ(text_block(rss, 0).kind, "paragraph");
  EXPECT_EQ(rss.metadata.engine, "xml-native");
  EXPECT_FALSE(rss.pages[0].width);

  // A page-size file without readable objects is no annotation file.
  const auto sizes = extract_xml("<size><width>640</width><height>480</height></size><object>x</object>");
  EXPECT_EQ(block_texts(sizes), (std::vector<std::string>{"640480x"}));

  // Line ends are white space to markup, so plain text stays one paragraph.
  EXPECT_EQ(block_texts(extract_xml("not xml at all\n\nsecond")),
            (std::vector<std::string>{"not xml at all second"}));
}

}  // namespace
}  // namespace scrivex_core::textual

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "core/error/error.hpp"
#include "core/ir/block_kind.hpp"
#include "core/ir/document.hpp"
#include "core/ir/json_form.hpp"
#include "core/render/renderer.hpp"
#include "core/scrivex.hpp"
#include "core/source/source.hpp"

// Records are built with designated initializers that leave the other fields
// at their defaults on purpose, which GCC 12 reports under -Wextra.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace scrivex_core::ir {
namespace {

constexpr const char* kSmallestDocument =
    R"({"metadata": {"format": "text", "engine": "x", "character_count": 0, "word_count": 0, "block_count": 0}, "pages": []})";

std::string read_error(std::string_view text) {
  auto document = read_document(text);
  if (document.ok()) return "<read>";
  return document.error().message;
}

bool all_digits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The reader's message with its " at line L column C" suffix checked and cut off.
std::string read_error_message(std::string_view text) {
  const std::string message = read_error(text);
  if (message == "<read>") return message;
  const std::size_t at = message.rfind(" at line ");
  const std::size_t column = message.rfind(" column ");
  if (at == std::string::npos || column == std::string::npos || column < at ||
      !all_digits(std::string_view(message).substr(at + 9, column - at - 9)) ||
      !all_digits(std::string_view(message).substr(column + 8))) {
    return "<no position> " + message;
  }
  return message.substr(0, at);
}

Document read_or_fail(std::string_view text) {
  auto document = read_document(text);
  EXPECT_TRUE(document.ok()) << document.error().message << "\nin: " << text;
  return document.ok() ? document.value() : Document{};
}

std::string indented(const Document& document) {
  auto rendered = render::JsonRenderer{}.render(document);
  EXPECT_TRUE(rendered.ok());
  return rendered.ok() ? rendered.value() : std::string();
}

std::string compact(const Document& document) { return document_json(document, false); }

// A valid document with the given metadata members after "format" and "engine".
std::string with_metadata(std::string_view members) {
  return R"({"metadata": {"format": "text", "engine": "x", )" + std::string(members) + R"(}, "pages": []})";
}

// A valid document whose one page has the given members after "number" and "blocks".
std::string with_page(std::string_view members) {
  return R"({"metadata": {"format": "text", "engine": "x", "character_count": 0, "word_count": 0, )"
         R"("block_count": 0}, "pages": [{"number": 1, "blocks": [])" +
         std::string(members.empty() ? "" : ", ") + std::string(members) + "}]}";
}

// A valid document whose one page holds the given blocks.
std::string with_blocks(std::string_view blocks) {
  return R"({"metadata": {"format": "text", "engine": "x", "character_count": 0, "word_count": 0, )"
         R"("block_count": 0}, "pages": [{"number": 1, "blocks": [)" +
         std::string(blocks) + "]}]}";
}

const Block& only_block(const Document& document) {
  static const Block kNone{};
  if (document.pages.size() != 1 || document.pages[0].blocks.size() != 1) {
    ADD_FAILURE() << "expected exactly one block";
    return kNone;
  }
  return document.pages[0].blocks[0];
}

// ---------------------------------------------------------------------------
// Layouts, byte for byte.

TEST(IrJsonLayout, SmallestDocumentGainsItsDefaults) {
  EXPECT_EQ(indented(read_or_fail(kSmallestDocument)), R"({
  "schema_version": "scrivex.ir.v2",
  "metadata": {
    "format": "text",
    "engine": "x",
    "source": null,
    "title": null,
    "character_count": 0,
    "word_count": 0,
    "block_count": 0,
    "encrypted": false
  },
  "pages": []
})");
}

// Covers the omission rules: a page without blocks keeps "blocks": [] and has
// no "images"; a span writes "italic" but not a false "bold"; a cell writes
// "row_span" but not a col_span of 1; "calibrated": false is written; a table
// without html writes "caption": null and no "html"; a bare figure writes
// null alt text and caption and no "image_ref"; headers may be empty and rows
// ragged.
Document small_document() {
  Document doc;
  doc.metadata.format = "text";
  doc.metadata.engine = "plain-text";
  doc.metadata.source = "notes.txt";
  doc.metadata.character_count = 3;
  doc.metadata.word_count = 5;
  doc.metadata.block_count = 3;
  doc.metadata.file_size_bytes = 42;

  TextBlock text{.text = "Hello\tworld", .kind = "paragraph"};
  text.lines.push_back(Line{.text = "Hello", .spans = {Span{.text = "Hello", .italic = true}}});
  text.confidence = Confidence{.score = 0.55f, .calibrated = false};
  TableBlock table{.rows = {{"a", "b"}, {"c"}}};
  table.cells.push_back(TableCell{.row = 0, .column = 0, .text = "a", .row_span = 2});

  doc.pages.push_back(Page{.number = 1, .width = 595.32f, .height = 842.0f, .route = Route::Scanned,
                           .blocks = {text, table, FigureBlock{}}});
  doc.pages.push_back(Page{.number = 2});
  return doc;
}

constexpr const char* kSmallIndented = R"json({
  "schema_version": "scrivex.ir.v2",
  "metadata": {
    "format": "text",
    "engine": "plain-text",
    "source": "notes.txt",
    "title": null,
    "character_count": 3,
    "word_count": 5,
    "block_count": 3,
    "file_size_bytes": 42,
    "encrypted": false
  },
  "pages": [
    {
      "number": 1,
      "width": 595.32,
      "height": 842.0,
      "route": "scanned",
      "blocks": [
        {
          "type": "text",
          "text": "Hello\tworld",
          "kind": "paragraph",
          "lines": [
            {
              "text": "Hello",
              "spans": [
                {
                  "text": "Hello",
                  "italic": true
                }
              ]
            }
          ],
          "confidence": {
            "score": 0.55,
            "calibrated": false
          }
        },
        {
          "type": "table",
          "headers": [],
          "rows": [
            [
              "a",
              "b"
            ],
            [
              "c"
            ]
          ],
          "caption": null,
          "cells": [
            {
              "row": 0,
              "column": 0,
              "text": "a",
              "is_header": false,
              "row_span": 2
            }
          ]
        },
        {
          "type": "figure",
          "alt_text": null,
          "caption": null
        }
      ]
    },
    {
      "number": 2,
      "blocks": []
    }
  ]
})json";

constexpr const char* kSmallCompact =
    R"json({"schema_version":"scrivex.ir.v2","metadata":{"format":"text","engine":"plain-text",)json"
    R"json("source":"notes.txt","title":null,"character_count":3,"word_count":5,"block_count":3,)json"
    R"json("file_size_bytes":42,"encrypted":false},"pages":[{"number":1,"width":595.32,"height":842.0,)json"
    R"json("route":"scanned","blocks":[{"type":"text","text":"Hello\tworld","kind":"paragraph",)json"
    R"json("lines":[{"text":"Hello","spans":[{"text":"Hello","italic":true}]}],)json"
    R"json("confidence":{"score":0.55,"calibrated":false}},{"type":"table","headers":[],)json"
    R"json("rows":[["a","b"],["c"]],"caption":null,"cells":[{"row":0,"column":0,"text":"a",)json"
    R"json("is_header":false,"row_span":2}]},{"type":"figure","alt_text":null,"caption":null}]},)json"
    R"json({"number":2,"blocks":[]}]})json";

TEST(IrJsonLayout, IndentedFormIsByteExact) {
  EXPECT_EQ(indented(small_document()), kSmallIndented);
  EXPECT_EQ(document_json(small_document(), true), kSmallIndented);
  EXPECT_EQ(read_or_fail(kSmallIndented), small_document());
}

TEST(IrJsonLayout, CompactFormIsByteExact) {
  EXPECT_EQ(compact(small_document()), kSmallCompact);
  EXPECT_EQ(read_or_fail(kSmallCompact), small_document());
}

TEST(IrJsonLayout, BatchArrayIsCompactWithAllFourKeys) {
  auto minimal = read_or_fail(kSmallestDocument);
  const std::vector<BatchResult> results = {
      {.path = "a.txt", .ok = true, .document = minimal},
      {.path = "missing.txt", .ok = false, .error = "I/O error: No such file or directory (os error 2)"},
  };
  EXPECT_EQ(batch_results_json(results),
            R"([{"path":"a.txt","ok":true,"document":{"schema_version":"scrivex.ir.v2","metadata":)"
            R"({"format":"text","engine":"x","source":null,"title":null,"character_count":0,"word_count":0,)"
            R"("block_count":0,"encrypted":false},"pages":[]},"error":null},)"
            R"({"path":"missing.txt","ok":false,"document":null,)"
            R"json("error":"I/O error: No such file or directory (os error 2)"}])json");
  EXPECT_EQ(batch_results_json({}), "[]");
}

// ---------------------------------------------------------------------------
// Round trips.

BBox box(float x, float y, float width, float height) { return BBox{x, y, width, height}; }

// Every record kind with every optional present, plus bare variants.
Document rich_document() {
  const SourceAnchor pdf_anchor{.page_number = 2,
                                .pdf_object_ids = {"12 0 R", "13 0 R"},
                                .bbox = box(1.5f, 2.25f, 0.1f, 1e-7f),
                                .extraction_method = "native_pdf"};
  const SourceAnchor plain_anchor{.page_number = 1, .extraction_method = "plain-text"};
  const Span styled{.text = "Bold\u00e9 \"q\"",
                    .bbox = box(-0.0f, std::numeric_limits<float>::denorm_min(), 3.4028235e38f, 1e20f),
                    .font = "Helvetica-Bold",
                    .size = 11.5f,
                    .bold = true,
                    .italic = true};
  TextBlock text{.text = "Line one\nLine two \\ \x01",
                 .kind = "heading_2",
                 .bbox = box(72.0f, 700.123f, 468.5f, 14.0f),
                 .lines = {Line{.text = "Line one", .bbox = box(1, 2, 3, 4), .spans = {styled, Span{.text = "x"}}},
                           Line{.text = "Line two"}},
                 .source_anchors = {pdf_anchor, plain_anchor},
                 .confidence = Confidence{.score = 0.82f, .calibrated = true},
                 .provenance = Provenance{.text_source = TextSource::Ocr, .detector = "tess", .confidence = 0.875f}};
  TableBlock table{.headers = {"H1", "H2"},
                   .rows = {{"a"}, {"b", "c", "d"}, {}},
                   .caption = "Table 1",
                   .bbox = box(10, 20, 30, 40),
                   .cells = {TableCell{.row = 0, .column = 0, .text = "H1", .bbox = box(1, 1, 1, 1),
                                       .is_header = true, .col_span = 2, .row_span = 1},
                             TableCell{.row = 18446744073709551615u, .column = 1, .text = "v", .row_span = 3}},
                   .html = "<table><tr><td>a</td></tr></table>",
                   .source_anchors = {pdf_anchor},
                   .confidence = Confidence{.score = 0.7f},
                   .provenance = Provenance{.text_source = TextSource::Heuristic}};
  FigureBlock figure{.alt_text = "alt",
                     .caption = "Figure 1",
                     .bbox = box(0, 0, 100, 50),
                     .image_ref = "img-1",
                     .source_anchors = {plain_anchor},
                     .confidence = Confidence{.score = 0.6f},
                     .provenance = Provenance{.text_source = TextSource::Vlm, .detector = "layout"}};
  const ImageObject image{.id = "img-1", .object_id = "7 0 R", .bbox = box(5, 6, 7, 8),
                          .width = 4294967295u, .height = 0u};
  const Asset asset{.id = "asset-1", .kind = "image", .object_id = "8 0 R", .bbox = box(1, 2, 3, 4),
                    .width = 640u, .height = 480u};
  const Warning warning{.code = "pdf.stream_decode", .severity = "warning", .message = "bad \"stream\"\n",
                        .source_anchor = pdf_anchor};
  const Warning info{.code = "ocr.fallback", .severity = "info", .message = "ocr used"};

  Document doc;
  doc.metadata = Metadata{.format = "pdf",
                          .engine = "pdf-native",
                          .source = "dir/a \"b\".pdf",
                          .title = "Title \u00e9\U0001F600",
                          .character_count = 123,
                          .word_count = 45,
                          .block_count = 3,
                          .file_size_bytes = 18446744073709551615u,
                          .pdf_version = "1.7",
                          .encrypted = true};
  doc.pages.push_back(Page{.number = 1,
                           .width = 612.0f,
                           .height = 791.99994f,
                           .rotation = -90,
                           .route = Route::Hybrid,
                           .bbox = box(0, 0, 612, 792),
                           .blocks = {text, table, figure},
                           .images = {image, ImageObject{.id = "img-2"}},
                           .assets = {asset, Asset{.id = "a2", .kind = "font"}},
                           .warnings = {warning, info}});
  doc.pages.push_back(Page{.number = 2, .rotation = std::numeric_limits<std::int32_t>::min(),
                           .route = Route::BornDigital,
                           .blocks = {TextBlock{.text = "", .kind = ""},
                                      TextBlock{.text = "t", .kind = "k",
                                                .provenance = Provenance{.text_source = TextSource::TextLayer}}}});
  doc.pages.push_back(Page{.number = 18446744073709551615u,
                           .rotation = std::numeric_limits<std::int32_t>::max(),
                           .route = Route::Scanned});
  doc.assets = {asset};
  doc.warnings = {info, warning};
  return doc;
}

TEST(IrJsonRoundTrip, RichDocumentSurvivesWriteReadWrite) {
  const Document doc = rich_document();
  for (bool indent : {true, false}) {
    const std::string first = document_json(doc, indent);
    const Document read = read_or_fail(first);
    EXPECT_EQ(read, doc) << "indented: " << indent;
    EXPECT_EQ(document_json(read, indent), first);
  }
  // The layouts are two spellings of one value.
  EXPECT_EQ(read_or_fail(compact(doc)), read_or_fail(indented(doc)));
}

TEST(IrJsonRoundTrip, FloatsAreRewrittenAtThirtyTwoBitPrecision) {
  const Document doc = read_or_fail(with_page(R"("width": 0.123456789, "height": 1e2, "bbox": [1, 2.5, -3, 1e-400])"));
  const std::string out = compact(doc);
  EXPECT_NE(out.find(R"("width":0.12345679,"height":100.0,"bbox":{"x":1.0,"y":2.5,"width":-3.0,"height":0.0})"),
            std::string::npos)
      << out;
}

TEST(IrJsonRoundTrip, NonFiniteFloatsAreWrittenAsNull) {
  Document doc = read_or_fail(kSmallestDocument);
  doc.pages.push_back(Page{.number = 1, .width = std::numeric_limits<float>::quiet_NaN(),
                           .height = std::numeric_limits<float>::infinity()});
  const std::string out = compact(doc);
  EXPECT_NE(out.find(R"({"number":1,"width":null,"height":null,"blocks":[]})"), std::string::npos) << out;
  const Document back = read_or_fail(out);
  ASSERT_EQ(back.pages.size(), 1u);
  EXPECT_FALSE(back.pages[0].width.has_value());
  EXPECT_FALSE(back.pages[0].height.has_value());

  // A number past the 32-bit range narrows to infinity, written as null.
  const Document huge = read_or_fail(with_page(R"("width": 1e300, "height": -1e300)"));
  EXPECT_NE(compact(huge).find(R"("width":null,"height":null)"), std::string::npos) << compact(huge);

  // A required coordinate written as null cannot be read back.
  doc.pages[0].bbox = box(std::nanf(""), 0, 0, 0);
  const std::string with_nan_box = compact(doc);
  EXPECT_NE(with_nan_box.find(R"("bbox":{"x":null,"y":0.0,)"), std::string::npos) << with_nan_box;
  EXPECT_EQ(read_error_message(with_nan_box), "invalid type: null, expected f32");
}

TEST(IrJsonRoundTrip, NormalisesKeyOrderAndSuppliesTheSchemaVersion) {
  const std::string messy =
      R"({"pages": [{"blocks": [{"kind": "k", "text": "t", "type": "text", "lines": []}], "number": 1,)"
      R"( "images": []}], "metadata": {"block_count": 1, "word_count": 1, "character_count": 1,)"
      R"( "encrypted": false, "engine": "e", "format": "f", "source": null}, "assets": [], "warnings": []})";
  EXPECT_EQ(compact(read_or_fail(messy)),
            R"({"schema_version":"scrivex.ir.v2","metadata":{"format":"f","engine":"e","source":null,)"
            R"("title":null,"character_count":1,"word_count":1,"block_count":1,"encrypted":false},)"
            R"("pages":[{"number":1,"blocks":[{"type":"text","text":"t","kind":"k"}]}]})");
  // A version given on input is kept as given.
  EXPECT_EQ(read_or_fail(R"({"schema_version": "other", "metadata": {"format": "text", "engine": "x",)"
                         R"( "character_count": 0, "word_count": 0, "block_count": 0}, "pages": []})")
                .schema_version,
            "other");
}

// ---------------------------------------------------------------------------
// Reading: defaults, unknown keys, array-form records.

TEST(IrJsonRead, MissingOptionalKeysTakeTheirDefaults) {
  const Document doc = read_or_fail(with_blocks(
      R"({"type": "table", "headers": [], "rows": [], "cells": [{"row": 1, "column": 2, "text": "c"}]},)"
      R"({"type": "text", "text": "t", "kind": "k", "lines": [{"text": "l", "spans": [{"text": "s"}]}],)"
      R"( "confidence": {"score": 0.5}, "source_anchors": [{"page_number": 3, "extraction_method": "m"}]})"));
  EXPECT_EQ(doc.schema_version, "scrivex.ir.v2");
  EXPECT_FALSE(doc.metadata.encrypted);
  ASSERT_EQ(doc.pages.size(), 1u);
  ASSERT_EQ(doc.pages[0].blocks.size(), 2u);
  const auto& table = std::get<TableBlock>(doc.pages[0].blocks[0]);
  EXPECT_EQ(table.cells.at(0), (TableCell{.row = 1, .column = 2, .text = "c", .is_header = false,
                                          .col_span = 1, .row_span = 1}));
  EXPECT_FALSE(table.caption.has_value());
  const auto& text = std::get<TextBlock>(doc.pages[0].blocks[1]);
  EXPECT_EQ(text.lines.at(0).spans.at(0), Span{.text = "s"});
  EXPECT_EQ(text.confidence, (Confidence{.score = 0.5f, .calibrated = false}));
  EXPECT_EQ(text.source_anchors.at(0), (SourceAnchor{.page_number = 3, .extraction_method = "m"}));
}

// Builds one document that uses every record, with `extra` placed at the
// start of each object.
std::string every_record(std::string_view extra) {
  const std::string e(extra);
  const std::string anchor = R"({)" + e + R"("page_number": 1, "extraction_method": "m"})";
  const std::string bbox = R"({)" + e + R"("x": 1, "y": 2, "width": 3, "height": 4})";
  return R"({)" + e + R"("metadata": {)" + e +
         R"("format": "pdf", "engine": "e", "character_count": 1, "word_count": 2, "block_count": 3},)"
         R"( "pages": [{)" + e + R"("number": 1, "bbox": )" + bbox + R"(, "blocks": [)"
         R"({)" + e + R"("type": "text", "text": "t", "kind": "k", "lines": [{)" + e +
         R"("text": "l", "spans": [{)" + e + R"("text": "s", "bbox": )" + bbox + R"(}]}],)"
         R"( "source_anchors": [)" + anchor + R"(], "confidence": {)" + e + R"("score": 0.5},)"
         R"( "provenance": {)" + e + R"("text_source": "ocr"}},)"
         R"({)" + e + R"("type": "table", "headers": [], "rows": [], "cells": [{)" + e +
         R"("row": 0, "column": 0, "text": "c"}]},)"
         R"({)" + e + R"("type": "figure"}],)"
         R"( "images": [{)" + e + R"("id": "i"}], "assets": [{)" + e + R"("id": "a", "kind": "k"}],)"
         R"( "warnings": [{)" + e + R"("code": "c", "severity": "s", "message": "m", "source_anchor": )" +
         anchor + R"(}]}], "assets": [{)" + e + R"("id": "a", "kind": "k"}], "warnings": []})";
}

TEST(IrJsonRead, UnknownKeysAreIgnoredAtEveryLevel) {
  const Document clean = read_or_fail(every_record(""));
  ASSERT_EQ(clean.pages.size(), 1u);
  ASSERT_EQ(clean.pages[0].blocks.size(), 3u);
  const std::vector<std::string> extras = {
      R"("zz": 1, )",
      R"("zz": {"type": "nope", "pages": [1, {"x": null}]}, )",
      // Unknown keys may even repeat.
      R"("zz": 1, "zz": "again", )",
  };
  for (const std::string& extra : extras) EXPECT_EQ(read_or_fail(every_record(extra)), clean) << extra;
}

TEST(IrJsonRead, RecordsMayBeArraysOfTheirFields) {
  const Document doc = read_or_fail(R"json(["v1", ["text", "x", null, "T", 1, 2, 3],
    [[7, 100, null, 90, "scanned", [0, 0, 10, 20],
      [["text", "hi", "paragraph", [1, 2, 3, 4], [["l", null, [["s", null, "F", 9, true]]]],
        [[1, ["o"], null, "m"]], [0.5, true], ["ocr", "d", 0.25]],
       ["table", ["h"], [["a", "b"]], null, null, [[0, 1, "a", null, true, 2]]],
       ["figure", "alt"]],
      [["img", null, null, 5, 6]],
      [["as", "image"]],
      [["c", "s", "m", [2, [], null, "x"]]]]]])json");

  Document expected;
  expected.schema_version = "v1";
  expected.metadata = Metadata{.format = "text", .engine = "x", .title = "T",
                               .character_count = 1, .word_count = 2, .block_count = 3};
  TextBlock text{.text = "hi",
                 .kind = "paragraph",
                 .bbox = box(1, 2, 3, 4),
                 .lines = {Line{.text = "l", .spans = {Span{.text = "s", .font = "F", .size = 9.0f, .bold = true}}}},
                 .source_anchors = {SourceAnchor{.page_number = 1, .pdf_object_ids = {"o"}, .extraction_method = "m"}},
                 .confidence = Confidence{.score = 0.5f, .calibrated = true},
                 .provenance = Provenance{.text_source = TextSource::Ocr, .detector = "d", .confidence = 0.25f}};
  TableBlock table{.headers = {"h"},
                   .rows = {{"a", "b"}},
                   .cells = {TableCell{.row = 0, .column = 1, .text = "a", .is_header = true, .col_span = 2}}};
  expected.pages.push_back(
      Page{.number = 7,
           .width = 100.0f,
           .rotation = 90,
           .route = Route::Scanned,
           .bbox = box(0, 0, 10, 20),
           .blocks = {text, table, FigureBlock{.alt_text = "alt"}},
           .images = {ImageObject{.id = "img", .width = 5u, .height = 6u}},
           .assets = {Asset{.id = "as", .kind = "image"}},
           .warnings = {Warning{.code = "c", .severity = "s", .message = "m",
                                .source_anchor = SourceAnchor{.page_number = 2, .extraction_method = "x"}}}});
  EXPECT_EQ(doc, expected);
  // The array form is read, never written.
  EXPECT_EQ(compact(doc).front(), '{');
}

TEST(IrJsonRead, ArrayFormRecordsMustHaveTheirRequiredFields) {
  struct Case {
    std::string json;
    std::string message;
  };
  const std::vector<Case> cases = {
      {with_page(R"("bbox": [1, 2, 3])"), "invalid length 3, expected struct BBox with 4 elements"},
      {with_page(R"("bbox": [])"), "invalid length 0, expected struct BBox with 4 elements"},
      {with_blocks(R"(["text", "t"])"), "invalid length 1, expected struct TextBlock with 7 elements"},
      {"[]", "invalid length 0, expected struct Document with 5 elements"},
  };
  for (const Case& c : cases) EXPECT_EQ(read_error_message(c.json), c.message) << c.json;
  EXPECT_EQ(read_error_message(with_page(R"("bbox": [1, 2, 3, 4, 5])")).rfind("invalid length 5", 0), 0u);
}

// ---------------------------------------------------------------------------
// Reading: refusals.

TEST(IrJsonRead, MissingRequiredFieldsAreNamed) {
  struct Case {
    std::string json;
    std::string field;
  };
  const std::string counts = R"("character_count": 0, "word_count": 0, "block_count": 0)";
  const std::vector<Case> cases = {
      {R"({"pages": []})", "metadata"},
      {R"({"metadata": {"format": "text", "engine": "x", "character_count": 0, "word_count": 0, "block_count": 0}})",
       "pages"},
      {R"({"metadata": {"engine": "x", )" + counts + R"(}, "pages": []})", "format"},
      {with_metadata(R"("word_count": 0, "block_count": 0)"), "character_count"},
      {with_metadata(R"("character_count": 0, "block_count": 0)"), "word_count"},
      {with_metadata(R"("character_count": 0, "word_count": 0)"), "block_count"},
      {R"({"metadata": {"format": "text", )" + counts + R"(}, "pages": []})", "engine"},
      {R"({"metadata": {"format": "text", "engine": "x", )" + counts + R"(}, "pages": [{"blocks": []}]})",
       "number"},
      {R"({"metadata": {"format": "text", "engine": "x", )" + counts + R"(}, "pages": [{"number": 1}]})",
       "blocks"},
      {with_page(R"("bbox": {"x": 1, "y": 2, "width": 3})"), "height"},
      {with_page(R"("images": [{"object_id": "o"}])"), "id"},
      {with_page(R"("assets": [{"id": "a"}])"), "kind"},
      {with_page(R"("warnings": [{"code": "c", "severity": "s"}])"), "message"},
      {with_page(R"("warnings": [{"code": "c", "severity": "s", "message": "m", "source_anchor": {"page_number": 1}}])"),
       "extraction_method"},
      {with_page(R"("warnings": [{"code": "c", "severity": "s", "message": "m", "source_anchor": {"extraction_method": "m"}}])"),
       "page_number"},
      {with_blocks(R"({"type": "text", "kind": "k"})"), "text"},
      {with_blocks(R"({"type": "text", "text": "t"})"), "kind"},
      {with_blocks(R"({"type": "table", "rows": []})"), "headers"},
      {with_blocks(R"({"type": "table", "headers": []})"), "rows"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [], "cells": [{"column": 0, "text": "c"}]})"), "row"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [], "cells": [{"row": 0, "text": "c"}]})"), "column"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [], "cells": [{"row": 0, "column": 0}]})"), "text"},
      {with_blocks(R"({"type": "text", "text": "t", "kind": "k", "lines": [{"spans": []}]})"), "text"},
      {with_blocks(R"({"type": "text", "text": "t", "kind": "k", "lines": [{"text": "l", "spans": [{}]}]})"), "text"},
      {with_blocks(R"({"type": "figure", "confidence": {"calibrated": true}})"), "score"},
      {with_blocks(R"({"type": "figure", "provenance": {"detector": "d"}})"), "text_source"},
      {with_blocks(R"({"text": "t", "kind": "k"})"), "type"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read_error_message(c.json), "missing field `" + c.field + "`") << c.json;
  }
}

TEST(IrJsonRead, DuplicateFieldsAreNamed) {
  struct Case {
    std::string json;
    std::string field;
  };
  const std::vector<Case> cases = {
      {R"({"metadata": {"format": "text", "engine": "x", "character_count": 0, "word_count": 0, "block_count": 0},)"
       R"( "pages": [], "pages": []})",
       "pages"},
      {with_metadata(R"("format": "again", "character_count": 0, "word_count": 0, "block_count": 0)"), "format"},
      {with_page(R"("bbox": {"x": 1, "x": 1, "y": 2, "width": 3, "height": 4})"), "x"},
      {with_blocks(R"({"type": "text", "text": "a", "kind": "k", "text": "b"})"), "text"},
      {with_blocks(R"({"type": "text", "text": "a", "kind": "k", "type": "text"})"), "type"},
      {with_blocks(R"({"type": "figure", "caption": null, "caption": "c"})"), "caption"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(read_error_message(c.json), "duplicate field `" + c.field + "`") << c.json;
  }
}

// Integers must be JSON integers within the field's range; floats, strings and
// out-of-range values are refused with the field's type named.
TEST(IrJsonRead, IntegerFieldsCheckTheirRange) {
  struct Case {
    std::string json;
    std::string message;  // "<read>" when accepted
  };
  const auto count = [](std::string_view value) {
    return with_metadata(R"("character_count": )" + std::string(value) + R"(, "word_count": 0, "block_count": 0)");
  };
  const auto rotation = [](std::string_view value) { return with_page(R"("rotation": )" + std::string(value)); };
  const auto image_width = [](std::string_view value) {
    return with_page(R"("images": [{"id": "i", "width": )" + std::string(value) + "}]");
  };
  const auto col_span = [](std::string_view value) {
    return with_blocks(R"({"type": "table", "headers": [], "rows": [], "cells": [{"row": 0, "column": 0,)"
                       R"( "text": "c", "col_span": )" + std::string(value) + "}]}");
  };
  const std::vector<Case> cases = {
      {count("0"), "<read>"},
      {count("18446744073709551615"), "<read>"},
      {count("18446744073709551616"), "invalid type: floating point `18446744073709551616.0`, expected u64"},
      {count("-1"), "invalid value: integer `-1`, expected u64"},
      {count("1.5"), "invalid type: floating point `1.5`, expected u64"},
      {count("1e2"), "invalid type: floating point `100.0`, expected u64"},
      {count("\"5\""), "invalid type: string \"5\", expected u64"},
      {count("true"), "invalid type: boolean `true`, expected u64"},
      {col_span("0"), "<read>"},
      {col_span("-3"), "invalid value: integer `-3`, expected u64"},
      {image_width("4294967295"), "<read>"},
      {image_width("4294967296"), "invalid value: integer `4294967296`, expected u32"},
      {image_width("-1"), "invalid value: integer `-1`, expected u32"},
      {image_width("2.0"), "invalid type: floating point `2.0`, expected u32"},
      {rotation("-2147483648"), "<read>"},
      {rotation("2147483647"), "<read>"},
      {rotation("2147483648"), "invalid value: integer `2147483648`, expected i32"},
      {rotation("-2147483649"), "invalid value: integer `-2147483649`, expected i32"},
      {rotation("90.5"), "invalid type: floating point `90.5`, expected i32"},
      {rotation("\"90\""), "invalid type: string \"90\", expected i32"},
  };
  for (const Case& c : cases) EXPECT_EQ(read_error_message(c.json), c.message) << c.json;

  const Document extremes = read_or_fail(with_page(R"("rotation": -2147483648, "images": [{"id": "i", "width": 4294967295}])"));
  EXPECT_EQ(extremes.pages.at(0).rotation, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(extremes.pages.at(0).images.at(0).width, std::numeric_limits<std::uint32_t>::max());
}

// null means "absent" for optional fields and is a type error everywhere else,
// lists included.
TEST(IrJsonRead, NullIsAcceptedOnlyForOptionalFields) {
  struct Case {
    std::string json;
    std::string message;  // "<read>" when accepted
  };
  const std::string counts = R"("character_count": 0, "word_count": 0, "block_count": 0)";
  const std::vector<Case> cases = {
      {with_metadata(R"("source": null, "title": null, "file_size_bytes": null, "pdf_version": null, )" + counts),
       "<read>"},
      {with_page(R"("width": null, "height": null, "rotation": null, "route": null, "bbox": null)"), "<read>"},
      {with_page(R"("images": [{"id": "i", "object_id": null, "bbox": null, "width": null, "height": null}])"),
       "<read>"},
      {with_page(R"("warnings": [{"code": "c", "severity": "s", "message": "m", "source_anchor": null}])"), "<read>"},
      {with_blocks(R"({"type": "text", "text": "t", "kind": "k", "bbox": null, "confidence": null,)"
                   R"( "provenance": {"text_source": "vlm", "detector": null, "confidence": null},)"
                   R"( "lines": [{"text": "l", "bbox": null, "spans": [{"text": "s", "font": null, "size": null}]}]})"),
       "<read>"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [], "caption": null, "html": null})"), "<read>"},
      {with_blocks(R"({"type": "figure", "alt_text": null, "caption": null, "image_ref": null})"), "<read>"},
      {R"({"metadata": {"format": null, "engine": "x", )" + counts + R"(}, "pages": []})",
       "invalid type: null, expected a string"},
      {with_metadata(counts + R"(, "encrypted": null)"), "invalid type: null, expected a boolean"},
      {with_metadata(R"("character_count": null, "word_count": 0, "block_count": 0)"),
       "invalid type: null, expected u64"},
      {R"({"metadata": {"format": "text", "engine": "x", )" + counts + R"(}, "pages": null})",
       "invalid type: null, expected a sequence"},
      {R"({"metadata": null, "pages": []})", "invalid type: null, expected struct Metadata"},
      {R"({"schema_version": null, "metadata": {"format": "text", "engine": "x", )" + counts + R"(}, "pages": []})",
       "invalid type: null, expected a string"},
      {with_page(R"("images": null)"), "invalid type: null, expected a sequence"},
      {with_page(R"("bbox": {"x": null, "y": 0, "width": 0, "height": 0})"), "invalid type: null, expected f32"},
      {with_blocks("null"), "invalid type: null, expected internally tagged enum Block"},
      {with_blocks(R"({"type": "text", "text": null, "kind": "k"})"), "invalid type: null, expected a string"},
      {with_blocks(R"({"type": "text", "text": "t", "kind": "k", "lines": null})"),
       "invalid type: null, expected a sequence"},
      {with_blocks(R"({"type": "table", "headers": [null], "rows": []})"), "invalid type: null, expected a string"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [null]})"), "invalid type: null, expected a sequence"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [], "cells": [{"row": 0, "column": 0,)"
                   R"( "text": "c", "is_header": null}]})"),
       "invalid type: null, expected a boolean"},
      {with_blocks(R"({"type": "table", "headers": [], "rows": [], "cells": [{"row": 0, "column": 0,)"
                   R"( "text": "c", "row_span": null}]})"),
       "invalid type: null, expected u64"},
      {with_blocks(R"({"type": "text", "text": "t", "kind": "k", "lines": [{"text": "l", "spans": [{"text": "s",)"
                   R"( "bold": null}]}]})"),
       "invalid type: null, expected a boolean"},
      {with_blocks(R"({"type": "figure", "confidence": {"score": null}})"), "invalid type: null, expected f32"},
      {with_blocks(R"({"type": "figure", "confidence": {"score": 1, "calibrated": null}})"),
       "invalid type: null, expected a boolean"},
      {with_blocks(R"({"type": "figure", "source_anchors": [{"page_number": 1, "pdf_object_ids": null,)"
                   R"( "extraction_method": "m"}]})"),
       "invalid type: null, expected a sequence"},
      {with_blocks(R"({"type": "figure", "provenance": {"text_source": null}})"),
       "invalid type: null, expected variant identifier"},
  };
  for (const Case& c : cases) EXPECT_EQ(read_error_message(c.json), c.message) << c.json;
}

TEST(IrJsonRead, WrongJsonTypesNameWhatWasExpected) {
  struct Case {
    std::string json;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"5", "invalid type: integer `5`, expected struct Document"},
      {"\"doc\"", "invalid type: string \"doc\", expected struct Document"},
      {with_page(R"("width": "wide")"), "invalid type: string \"wide\", expected f32"},
      {with_page(R"("bbox": true)"), "invalid type: boolean `true`, expected struct BBox"},
      {with_page(R"("images": {})"), "invalid type: map, expected a sequence"},
      {with_page(R"("images": [[]])"), "invalid length 0, expected struct ImageObject with 5 elements"},
      {with_blocks(R"({"type": "text", "text": ["t"], "kind": "k"})"), "invalid type: sequence, expected a string"},
      {with_blocks(R"({"type": "text", "text": "t", "kind": "k", "lines": [{"text": "l", "spans": [{"text": "s",)"
                   R"( "italic": 1}]}]})"),
       "invalid type: integer `1`, expected a boolean"},
  };
  for (const Case& c : cases) EXPECT_EQ(read_error_message(c.json), c.message) << c.json;
}

TEST(IrJsonRead, EnumerationsAcceptExactlyTheirSpellings) {
  const std::vector<std::pair<std::string, Route>> routes = {
      {"born_digital", Route::BornDigital}, {"scanned", Route::Scanned}, {"hybrid", Route::Hybrid}};
  for (const auto& [name, route] : routes) {
    EXPECT_EQ(read_or_fail(with_page(R"("route": ")" + name + "\"")).pages.at(0).route, route) << name;
  }
  const std::vector<std::pair<std::string, TextSource>> sources = {{"text_layer", TextSource::TextLayer},
                                                                   {"ocr", TextSource::Ocr},
                                                                   {"vlm", TextSource::Vlm},
                                                                   {"heuristic", TextSource::Heuristic}};
  for (const auto& [name, source] : sources) {
    const Document doc = read_or_fail(with_blocks(R"({"type": "figure", "provenance": {"text_source": ")" + name + "\"}}"));
    EXPECT_EQ(std::get<FigureBlock>(only_block(doc)).provenance->text_source, source) << name;
  }
  EXPECT_EQ(read_error_message(with_page(R"("route": "Scanned")")),
            "unknown variant `Scanned`, expected one of `born_digital`, `scanned`, `hybrid`");
  EXPECT_EQ(read_error_message(with_blocks(R"({"type": "figure", "provenance": {"text_source": "OCR"}})")),
            "unknown variant `OCR`, expected one of `text_layer`, `ocr`, `vlm`, `heuristic`");
  EXPECT_EQ(read_error_message(with_page(R"("route": 1)")), "invalid type: integer `1`, expected variant identifier");
}

TEST(IrJsonRead, TextAfterTheDocumentIsRefused) {
  EXPECT_EQ(read_error(std::string(kSmallestDocument) + " \n x"), "trailing characters at line 2 column 2");
  EXPECT_TRUE(read_document(std::string(kSmallestDocument) + " \n\t").ok());
}

// Errors point at the fault: after a wrong value, after a repeated key, at the
// end of an object that lacks a key; lines count from 1.
TEST(IrJsonRead, ErrorsEndWithLineAndColumn) {
  EXPECT_EQ(read_error("{}"), "missing field `metadata` at line 1 column 2");
  EXPECT_EQ(read_error(R"({"pages": [], "pages": []})"), "duplicate field `pages` at line 1 column 21");
  EXPECT_EQ(read_error(R"({"metadata": "x", "pages": []})"),
            "invalid type: string \"x\", expected struct Metadata at line 1 column 16");
  EXPECT_EQ(read_error("{\n  \"metadata\": {\n    \"format\": \"text\"\n  },\n  \"pages\": []\n}"),
            "missing field `engine` at line 4 column 3");
  EXPECT_EQ(read_error("{\"metadata\": {\n\"format\": 1}}"),
            "invalid type: integer `1`, expected a string at line 2 column 11");
  EXPECT_EQ(read_error(""), "EOF while parsing a value at line 1 column 0");
}

// ---------------------------------------------------------------------------
// The block union.

TEST(IrJsonBlocks, TagMayAppearAnywhereInTheObject) {
  EXPECT_EQ(only_block(read_or_fail(with_blocks(R"({"text": "t", "kind": "k", "type": "text"})"))),
            Block(TextBlock{.text = "t", .kind = "k"}));
  EXPECT_EQ(only_block(read_or_fail(with_blocks(R"({"headers": ["h"], "type": "table", "rows": [["r"]]})"))),
            Block(TableBlock{.headers = {"h"}, .rows = {{"r"}}}));
  EXPECT_EQ(only_block(read_or_fail(with_blocks(R"({"type": "figure"})"))), Block(FigureBlock{}));
  // Keys of another variant are simply unknown keys here.
  EXPECT_EQ(only_block(read_or_fail(with_blocks(R"({"text": "t", "type": "figure", "headers": 5})"))),
            Block(FigureBlock{}));
  // Array form: the tag first, then the variant's fields.
  EXPECT_EQ(only_block(read_or_fail(with_blocks(R"(["text", "t", "k"])"))), Block(TextBlock{.text = "t", .kind = "k"}));
  EXPECT_EQ(only_block(read_or_fail(with_blocks(R"(["figure"])"))), Block(FigureBlock{}));
}

TEST(IrJsonBlocks, BadTagsAreRefused) {
  struct Case {
    std::string block;
    std::string message;
  };
  const std::string expected_tags = ", expected one of `text`, `table`, `figure`";
  const std::vector<Case> cases = {
      {R"({"type": "paragraph", "text": "t", "kind": "k"})", "unknown variant `paragraph`" + expected_tags},
      {R"({"type": "", "text": "t", "kind": "k"})", "unknown variant ``" + expected_tags},
      {R"({"type": "Text", "text": "t", "kind": "k"})", "unknown variant `Text`" + expected_tags},
      {R"(["paragraph", "t", "k"])", "unknown variant `paragraph`" + expected_tags},
      {R"({"text": "t", "kind": "k"})", "missing field `type`"},
      {"{}", "missing field `type`"},
      {"[]", "missing field `type`"},
      {R"({"type": 1})", "invalid type: integer `1`, expected variant identifier"},
      {R"({"type": null})", "invalid type: null, expected variant identifier"},
      {R"({"type": "text", "type": "text", "text": "t", "kind": "k"})", "duplicate field `type`"},
      {R"("text")", "invalid type: string \"text\", expected internally tagged enum Block"},
      {"5", "invalid type: integer `5`, expected internally tagged enum Block"},
      {"true", "invalid type: boolean `true`, expected internally tagged enum Block"},
      {"null", "invalid type: null, expected internally tagged enum Block"},
  };
  for (const Case& c : cases) EXPECT_EQ(read_error_message(with_blocks(c.block)), c.message) << c.block;
}

// ---------------------------------------------------------------------------
// Extract options: every key optional.

TEST(IrJsonOptions, ReadsKeysWithDefaults) {
  auto defaults = read_extract_options("{}");
  ASSERT_TRUE(defaults.ok());
  EXPECT_FALSE(defaults.value().password.has_value());
  EXPECT_TRUE(defaults.value().include_geometry);
  EXPECT_TRUE(defaults.value().include_assets);
  EXPECT_FALSE(defaults.value().max_parallelism.has_value());
  EXPECT_FALSE(defaults.value().suppress_headers_footers);

  auto all = read_extract_options(R"({"password": "pw", "include_geometry": false, "include_assets": false,)"
                                  R"( "max_parallelism": 4, "suppress_headers_footers": true, "other": [1]})");
  ASSERT_TRUE(all.ok());
  EXPECT_EQ(all.value().password, "pw");
  EXPECT_FALSE(all.value().include_geometry);
  EXPECT_FALSE(all.value().include_assets);
  EXPECT_EQ(all.value().max_parallelism, 4u);
  EXPECT_TRUE(all.value().suppress_headers_footers);

  EXPECT_TRUE(read_extract_options(R"({"password": null, "max_parallelism": null})").ok());

  struct Case {
    std::string json;
    std::string message;
  };
  const std::vector<Case> refused = {
      {R"({"include_geometry": null})", "invalid type: null, expected a boolean at line 1 column 25"},
      {R"({"max_parallelism": -1})", "invalid value: integer `-1`, expected u64 at line 1 column 22"},
      {R"({"max_parallelism": 1.5})", "invalid type: floating point `1.5`, expected u64 at line 1 column 23"},
      {R"({"password": 1})", "invalid type: integer `1`, expected a string at line 1 column 14"},
      {R"({"include_assets": true, "include_assets": false})",
       "duplicate field `include_assets` at line 1 column 41"},
      {"null", "invalid type: null, expected struct ExtractOptions at line 1 column 4"},
      {"{", "EOF while parsing an object at line 1 column 1"},
  };
  for (const Case& c : refused) {
    auto options = read_extract_options(c.json);
    ASSERT_FALSE(options.ok()) << c.json;
    EXPECT_EQ(options.error().message, c.message);
  }
}

// The module's document calls pass the reader's message on unchanged.
TEST(IrJsonRead, ApiPassesReaderMessagesUnchanged) {
  auto result = document_json_to_json("{\"pages\": []}");
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().message, "missing field `metadata` at line 1 column 13");
  auto ok = document_json_to_json(kSmallIndented);
  ASSERT_TRUE(ok.ok()) << ok.error().message;
  EXPECT_EQ(ok.value(), kSmallIndented);
}

// ---------------------------------------------------------------------------
// Block kinds.

TEST(BlockKindParse, ClassifiesLabels) {
  using T = BlockKind::Type;
  struct Case {
    std::string label;
    BlockKind kind;
  };
  const BlockKind paragraph{T::Paragraph, 0};
  const auto heading = [](std::uint8_t level) { return BlockKind{T::Heading, level}; };
  const std::vector<Case> cases = {
      {"heading_3", heading(3)},
      {"heading_+3", heading(3)},
      {"heading_0", heading(1)},
      {"heading_1", heading(1)},
      {"heading_6", heading(6)},
      {"heading_9", heading(6)},
      {"heading_007", heading(6)},
      {"heading_200", heading(6)},
      {"heading_255", heading(6)},
      {"heading_0000000000000000000002", heading(2)},
      {"heading_256", paragraph},
      {"heading_99999999999999999999", paragraph},
      {"heading_x", paragraph},
      {"heading_-1", paragraph},
      {"heading_++3", paragraph},
      {"heading_3 ", paragraph},
      {"heading_", paragraph},
      {"heading_+", paragraph},
      {"heading_-", paragraph},
      {"Heading_2", paragraph},
      {"title", heading(1)},
      {"heading", heading(1)},
      {"list", {T::ListItem, 0}},
      {"list_item", {T::ListItem, 0}},
      {"code", {T::Code, 0}},
      {"formula", {T::Formula, 0}},
      {"equation", {T::Formula, 0}},
      {"caption", {T::Caption, 0}},
      {"header", {T::PageHeader, 0}},
      {"page_header", {T::PageHeader, 0}},
      {"footer", {T::PageFooter, 0}},
      {"page_footer", {T::PageFooter, 0}},
      {"footnote", {T::Footnote, 0}},
      {"Title", paragraph},
      {"paragraph", paragraph},
      {"", paragraph},
  };
  for (const Case& c : cases) {
    const BlockKind got = BlockKind::parse(c.label);
    EXPECT_EQ(got.type, c.kind.type) << c.label;
    EXPECT_EQ(got.level, c.kind.level) << c.label;
  }
}

// ---------------------------------------------------------------------------
// Error display.

TEST(ScrivexErrorDisplay, EveryVariantHasItsTemplate) {
  struct Case {
    ScrivexError error;
    std::string text;
  };
  const std::vector<Case> cases = {
      {ScrivexError::not_implemented("excel"), "excel extraction is planned but not implemented yet"},
      {ScrivexError::unsupported_format("notes"), "unsupported or unknown document format for path: notes"},
      {ScrivexError::io("invalid gzip header"), "I/O error: invalid gzip header"},
      {ScrivexError::json("EOF while parsing a value at line 1 column 0"),
       "JSON error: EOF while parsing a value at line 1 column 0"},
      {ScrivexError::pdf(""), "PDF error: "},
      {ScrivexError::image("unsupported or malformed image header"),
       "image error: unsupported or malformed image header"},
      {ScrivexError::archive("x"), "archive error: x"},
      {ScrivexError::unsupported_format(""), "unsupported or unknown document format for path: "},
  };
  for (const Case& c : cases) EXPECT_EQ(c.error.display(), c.text);
}

TEST(ScrivexErrorDisplay, IoErrorsFromReadingFiles) {
  auto missing = source::read_file("/nonexistent-scrivex-dir/missing.txt");
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().kind(), error::ErrorKind::Io);
  EXPECT_EQ(missing.error().display(), "I/O error: No such file or directory (os error 2)");

  const std::string path = ::testing::TempDir() + "/scrivex_ir_json_invalid_utf8.txt";
  {
    std::ofstream out(path, std::ios::binary);
    out << "ok \xff\xfe bytes";
  }
  auto invalid = source::Source::from_text_or_gzip_path(path, "text");
  std::remove(path.c_str());
  ASSERT_FALSE(invalid.ok());
  EXPECT_EQ(invalid.error().display(), "I/O error: stream did not contain valid UTF-8");
}

}  // namespace
}  // namespace scrivex_core::ir

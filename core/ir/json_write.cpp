#include "core/ir/json_form.hpp"

#include <algorithm>

#include "core/util/parallel_map.hpp"

namespace scrivex_core::ir {
namespace {

using util::json::Writer;

void write_bbox(Writer& w, const BBox& box) {
  w.begin_object();
  w.key("x");
  w.float32(box.x);
  w.key("y");
  w.float32(box.y);
  w.key("width");
  w.float32(box.width);
  w.key("height");
  w.float32(box.height);
  w.end_object();
}

void write_optional_bbox(Writer& w, const std::optional<BBox>& box) {
  if (!box) return;
  w.key("bbox");
  write_bbox(w, *box);
}

void write_nullable_string(Writer& w, std::string_view key, const std::optional<std::string>& text) {
  w.key(key);
  if (text) {
    w.string(*text);
  } else {
    w.null();
  }
}

void write_optional_string(Writer& w, std::string_view key, const std::optional<std::string>& text) {
  if (!text) return;
  w.key(key);
  w.string(*text);
}

void write_optional_u32(Writer& w, std::string_view key, const std::optional<std::uint32_t>& value) {
  if (!value) return;
  w.key(key);
  w.unsigned_integer(*value);
}

// Writes key and array only when the list has elements.
template <class T, class Fn>
void write_list(Writer& w, std::string_view key, const std::vector<T>& items, Fn&& write_item) {
  if (items.empty()) return;
  w.key(key);
  w.begin_array();
  for (const T& item : items) write_item(w, item);
  w.end_array();
}

void write_strings(Writer& w, const std::vector<std::string>& texts) {
  w.begin_array();
  for (const std::string& text : texts) w.string(text);
  w.end_array();
}

void write_anchor(Writer& w, const SourceAnchor& anchor) {
  w.begin_object();
  w.key("page_number");
  w.unsigned_integer(anchor.page_number);
  if (!anchor.pdf_object_ids.empty()) {
    w.key("pdf_object_ids");
    write_strings(w, anchor.pdf_object_ids);
  }
  write_optional_bbox(w, anchor.bbox);
  w.key("extraction_method");
  w.string(anchor.extraction_method);
  w.end_object();
}

const char* text_source_name(TextSource source) {
  switch (source) {
    case TextSource::TextLayer: return "text_layer";
    case TextSource::Ocr: return "ocr";
    case TextSource::Vlm: return "vlm";
    case TextSource::Heuristic: return "heuristic";
  }
  return "text_layer";
}

const char* route_name(Route route) {
  switch (route) {
    case Route::BornDigital: return "born_digital";
    case Route::Scanned: return "scanned";
    case Route::Hybrid: return "hybrid";
  }
  return "born_digital";
}

// The three keys every block variant ends with.
void write_block_tail(Writer& w, const std::vector<SourceAnchor>& anchors,
                      const std::optional<Confidence>& confidence,
                      const std::optional<Provenance>& provenance) {
  write_list(w, "source_anchors", anchors, write_anchor);
  if (confidence) {
    w.key("confidence");
    w.begin_object();
    w.key("score");
    w.float32(confidence->score);
    w.key("calibrated");
    w.boolean(confidence->calibrated);
    w.end_object();
  }
  if (provenance) {
    w.key("provenance");
    w.begin_object();
    w.key("text_source");
    w.string(text_source_name(provenance->text_source));
    write_optional_string(w, "detector", provenance->detector);
    if (provenance->confidence) {
      w.key("confidence");
      w.float32(*provenance->confidence);
    }
    w.end_object();
  }
}

void write_span(Writer& w, const Span& span) {
  w.begin_object();
  w.key("text");
  w.string(span.text);
  write_optional_bbox(w, span.bbox);
  write_optional_string(w, "font", span.font);
  if (span.size) {
    w.key("size");
    w.float32(*span.size);
  }
  if (span.bold) {
    w.key("bold");
    w.boolean(true);
  }
  if (span.italic) {
    w.key("italic");
    w.boolean(true);
  }
  w.end_object();
}

void write_line(Writer& w, const Line& line) {
  w.begin_object();
  w.key("text");
  w.string(line.text);
  write_optional_bbox(w, line.bbox);
  write_list(w, "spans", line.spans, write_span);
  w.end_object();
}

void write_cell(Writer& w, const TableCell& cell) {
  w.begin_object();
  w.key("row");
  w.unsigned_integer(cell.row);
  w.key("column");
  w.unsigned_integer(cell.column);
  w.key("text");
  w.string(cell.text);
  write_optional_bbox(w, cell.bbox);
  w.key("is_header");
  w.boolean(cell.is_header);
  if (cell.col_span != 1) {
    w.key("col_span");
    w.unsigned_integer(cell.col_span);
  }
  if (cell.row_span != 1) {
    w.key("row_span");
    w.unsigned_integer(cell.row_span);
  }
  w.end_object();
}

void write_text_block(Writer& w, const TextBlock& block) {
  w.key("text");
  w.string(block.text);
  w.key("kind");
  w.string(block.kind);
  write_optional_bbox(w, block.bbox);
  write_list(w, "lines", block.lines, write_line);
  write_block_tail(w, block.source_anchors, block.confidence, block.provenance);
}

void write_table_block(Writer& w, const TableBlock& block) {
  w.key("headers");
  write_strings(w, block.headers);
  w.key("rows");
  w.begin_array();
  for (const auto& row : block.rows) write_strings(w, row);
  w.end_array();
  write_nullable_string(w, "caption", block.caption);
  write_optional_bbox(w, block.bbox);
  write_list(w, "cells", block.cells, write_cell);
  write_optional_string(w, "html", block.html);
  write_block_tail(w, block.source_anchors, block.confidence, block.provenance);
}

void write_figure_block(Writer& w, const FigureBlock& block) {
  write_nullable_string(w, "alt_text", block.alt_text);
  write_nullable_string(w, "caption", block.caption);
  write_optional_bbox(w, block.bbox);
  write_optional_string(w, "image_ref", block.image_ref);
  write_block_tail(w, block.source_anchors, block.confidence, block.provenance);
}

void write_block(Writer& w, const Block& block) {
  w.begin_object();
  w.key("type");
  if (const auto* text = std::get_if<TextBlock>(&block)) {
    w.string("text");
    write_text_block(w, *text);
  } else if (const auto* table = std::get_if<TableBlock>(&block)) {
    w.string("table");
    write_table_block(w, *table);
  } else {
    w.string("figure");
    write_figure_block(w, std::get<FigureBlock>(block));
  }
  w.end_object();
}

void write_image(Writer& w, const ImageObject& image) {
  w.begin_object();
  w.key("id");
  w.string(image.id);
  write_optional_string(w, "object_id", image.object_id);
  write_optional_bbox(w, image.bbox);
  write_optional_u32(w, "width", image.width);
  write_optional_u32(w, "height", image.height);
  w.end_object();
}

void write_asset(Writer& w, const Asset& asset) {
  w.begin_object();
  w.key("id");
  w.string(asset.id);
  w.key("kind");
  w.string(asset.kind);
  write_optional_string(w, "object_id", asset.object_id);
  write_optional_bbox(w, asset.bbox);
  write_optional_u32(w, "width", asset.width);
  write_optional_u32(w, "height", asset.height);
  w.end_object();
}

void write_warning(Writer& w, const Warning& warning) {
  w.begin_object();
  w.key("code");
  w.string(warning.code);
  w.key("severity");
  w.string(warning.severity);
  w.key("message");
  w.string(warning.message);
  if (warning.source_anchor) {
    w.key("source_anchor");
    write_anchor(w, *warning.source_anchor);
  }
  w.end_object();
}

void write_optional_float(Writer& w, std::string_view key, const std::optional<float>& value) {
  if (!value) return;
  w.key(key);
  w.float32(*value);
}

void write_page(Writer& w, const Page& page) {
  w.begin_object();
  w.key("number");
  w.unsigned_integer(page.number);
  write_optional_float(w, "width", page.width);
  write_optional_float(w, "height", page.height);
  if (page.rotation) {
    w.key("rotation");
    w.signed_integer(*page.rotation);
  }
  if (page.route) {
    w.key("route");
    w.string(route_name(*page.route));
  }
  write_optional_bbox(w, page.bbox);
  w.key("blocks");
  w.begin_array();
  for (const Block& block : page.blocks) write_block(w, block);
  w.end_array();
  write_list(w, "images", page.images, write_image);
  write_list(w, "assets", page.assets, write_asset);
  write_list(w, "warnings", page.warnings, write_warning);
  w.end_object();
}

void write_metadata(Writer& w, const Metadata& m) {
  w.begin_object();
  w.key("format");
  w.string(m.format);
  w.key("engine");
  w.string(m.engine);
  write_nullable_string(w, "source", m.source);
  write_nullable_string(w, "title", m.title);
  w.key("character_count");
  w.unsigned_integer(m.character_count);
  w.key("word_count");
  w.unsigned_integer(m.word_count);
  w.key("block_count");
  w.unsigned_integer(m.block_count);
  if (m.file_size_bytes) {
    w.key("file_size_bytes");
    w.unsigned_integer(*m.file_size_bytes);
  }
  write_optional_string(w, "pdf_version", m.pdf_version);
  w.key("encrypted");
  w.boolean(m.encrypted);
  w.end_object();
}

// Bytes of indented JSON, generous: structure costs per element (with their
// indentation at the usual depth) plus the texts, which are rarely escaped.
constexpr std::size_t kDocumentBytes = 1024;
constexpr std::size_t kPageBytes = 640;
constexpr std::size_t kBlockBytes = 1200;
constexpr std::size_t kLineBytes = 420;
constexpr std::size_t kSpanBytes = 520;
constexpr std::size_t kCellBytes = 480;
constexpr std::size_t kAnchorBytes = 480;
constexpr std::size_t kItemBytes = 640;  // an image, asset or warning

std::size_t anchors_size(const std::vector<SourceAnchor>& anchors) {
  std::size_t bytes = 0;
  for (const SourceAnchor& anchor : anchors) bytes += kAnchorBytes + 64 * anchor.pdf_object_ids.size();
  return bytes;
}

std::size_t block_size(const Block& block) {
  std::size_t bytes = kBlockBytes;
  if (const auto* text = std::get_if<TextBlock>(&block)) {
    bytes += text->text.size() + anchors_size(text->source_anchors);
    for (const Line& line : text->lines) {
      bytes += kLineBytes + line.text.size();
      for (const Span& span : line.spans) bytes += kSpanBytes + span.text.size();
    }
  } else if (const auto* table = std::get_if<TableBlock>(&block)) {
    bytes += anchors_size(table->source_anchors) + (table->html ? table->html->size() : 0);
    for (const std::string& header : table->headers) bytes += 64 + header.size();
    for (const auto& row : table->rows) {
      for (const std::string& cell : row) bytes += 64 + cell.size();
    }
    for (const TableCell& cell : table->cells) bytes += kCellBytes + cell.text.size();
  } else {
    bytes += anchors_size(std::get<FigureBlock>(block).source_anchors) + 256;
  }
  return bytes;
}

std::size_t page_size_estimate(const Page& page) {
  std::size_t bytes =
      kPageBytes + kItemBytes * (page.images.size() + page.assets.size() + page.warnings.size());
  for (const Block& block : page.blocks) bytes += block_size(block);
  return bytes;
}

std::size_t indented_size_estimate(const Document& document) {
  std::size_t bytes = kDocumentBytes + kItemBytes * (document.assets.size() + document.warnings.size());
  for (const Page& page : document.pages) bytes += page_size_estimate(page);
  return bytes;
}

}  // namespace

namespace {

template <class WritePages>
void write_document_with(Writer& w, const Document& document, WritePages&& write_pages) {
  w.begin_object();
  w.key("schema_version");
  w.string(document.schema_version);
  w.key("metadata");
  write_metadata(w, document.metadata);
  w.key("pages");
  w.begin_array();
  write_pages();
  w.end_array();
  write_list(w, "assets", document.assets, write_asset);
  write_list(w, "warnings", document.warnings, write_warning);
  w.end_object();
}

// Pages are written this many at a time, in parallel, then spliced in order;
// a bounded batch keeps the copies from doubling the memory of the output.
constexpr std::size_t kPagesPerBatch = 8;
// The depth of a page: inside the document object and its "pages" array.
constexpr std::size_t kPageDepth = 2;

void write_pages_in_parallel(Writer& w, const std::vector<Page>& pages, bool indented) {
  std::vector<std::size_t> batch;
  for (std::size_t first = 0; first < pages.size(); first += kPagesPerBatch) {
    batch.clear();
    for (std::size_t i = first; i < std::min(pages.size(), first + kPagesPerBatch); ++i) batch.push_back(i);
    std::vector<std::string> parts = util::parallel_map(batch, [&](std::size_t i) {
      std::string part;
      part.reserve(page_size_estimate(pages[i]));
      Writer page_writer(part, indented, kPageDepth, i > 0);
      write_page(page_writer, pages[i]);
      return part;
    });
    for (const std::string& part : parts) w.elements(part);
  }
}

}  // namespace

void write_document(Writer& w, const Document& document) {
  write_document_with(w, document, [&] {
    for (const Page& page : document.pages) write_page(w, page);
  });
}

std::string document_json(const Document& document, bool indented) {
  std::string out;
  // Reserving is cheap where it overshoots (untouched pages cost nothing) and
  // saves the copies and page faults of growing a large buffer step by step.
  out.reserve(indented ? indented_size_estimate(document) : 4096);
  Writer writer(out, indented);
  write_document_with(writer, document,
                      [&] { write_pages_in_parallel(writer, document.pages, indented); });
  return out;
}

std::string batch_results_json(const std::vector<BatchResult>& results) {
  std::string out;
  Writer w(out, false);
  w.begin_array();
  for (const BatchResult& result : results) {
    w.begin_object();
    w.key("path");
    w.string(result.path);
    w.key("ok");
    w.boolean(result.ok);
    w.key("document");
    if (result.document) {
      write_document(w, *result.document);
    } else {
      w.null();
    }
    write_nullable_string(w, "error", result.error);
    w.end_object();
  }
  w.end_array();
  return out;
}

}  // namespace scrivex_core::ir

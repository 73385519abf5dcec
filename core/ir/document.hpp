// The document model every engine builds and every renderer reads: a plain
// tree of value records with no back references. Field order is the order
// of the JSON keys.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace scrivex_core::ir {

inline constexpr const char* kSchemaVersion = "scrivex.ir.v2";

struct BBox {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
  bool operator==(const BBox&) const = default;
};

struct SourceAnchor {
  std::uint64_t page_number = 1;
  std::vector<std::string> pdf_object_ids;
  std::optional<BBox> bbox;
  std::string extraction_method;
  bool operator==(const SourceAnchor&) const = default;
};

struct Confidence {
  float score = 0;
  bool calibrated = false;
  bool operator==(const Confidence&) const = default;
};

enum class TextSource { TextLayer, Ocr, Vlm, Heuristic };
enum class Route { BornDigital, Scanned, Hybrid };

struct Provenance {
  TextSource text_source = TextSource::TextLayer;
  std::optional<std::string> detector;
  std::optional<float> confidence;
  bool operator==(const Provenance&) const = default;
};

struct Span {
  std::string text;
  std::optional<BBox> bbox;
  std::optional<std::string> font;
  std::optional<float> size;
  bool bold = false;
  bool italic = false;
  bool operator==(const Span&) const = default;
};

struct Line {
  std::string text;
  std::optional<BBox> bbox;
  std::vector<Span> spans;
  bool operator==(const Line&) const = default;
};

struct TableCell {
  std::uint64_t row = 0;
  std::uint64_t column = 0;
  std::string text;
  std::optional<BBox> bbox;
  bool is_header = false;
  std::uint64_t col_span = 1;
  std::uint64_t row_span = 1;
  bool operator==(const TableCell&) const = default;
};

struct TextBlock {
  std::string text;
  std::string kind;
  std::optional<BBox> bbox;
  std::vector<Line> lines;
  std::vector<SourceAnchor> source_anchors;
  std::optional<Confidence> confidence;
  std::optional<Provenance> provenance;
  bool operator==(const TextBlock&) const = default;
};

struct TableBlock {
  std::vector<std::string> headers;
  std::vector<std::vector<std::string>> rows;
  std::optional<std::string> caption;
  std::optional<BBox> bbox;
  std::vector<TableCell> cells;
  std::optional<std::string> html;
  std::vector<SourceAnchor> source_anchors;
  std::optional<Confidence> confidence;
  std::optional<Provenance> provenance;
  bool operator==(const TableBlock&) const = default;
};

struct FigureBlock {
  std::optional<std::string> alt_text;
  std::optional<std::string> caption;
  std::optional<BBox> bbox;
  std::optional<std::string> image_ref;
  std::vector<SourceAnchor> source_anchors;
  std::optional<Confidence> confidence;
  std::optional<Provenance> provenance;
  bool operator==(const FigureBlock&) const = default;
};

// Tagged "text", "table" and "figure" in JSON, in this order.
using Block = std::variant<TextBlock, TableBlock, FigureBlock>;

struct ImageObject {
  std::string id;
  std::optional<std::string> object_id;
  std::optional<BBox> bbox;
  std::optional<std::uint32_t> width;
  std::optional<std::uint32_t> height;
  bool operator==(const ImageObject&) const = default;
};

struct Asset {
  std::string id;
  std::string kind;
  std::optional<std::string> object_id;
  std::optional<BBox> bbox;
  std::optional<std::uint32_t> width;
  std::optional<std::uint32_t> height;
  bool operator==(const Asset&) const = default;
};

struct Warning {
  std::string code;
  std::string severity;
  std::string message;
  std::optional<SourceAnchor> source_anchor;
  bool operator==(const Warning&) const = default;
};

struct Page {
  std::uint64_t number = 1;
  std::optional<float> width;
  std::optional<float> height;
  std::optional<std::int32_t> rotation;
  std::optional<Route> route;
  std::optional<BBox> bbox;
  std::vector<Block> blocks;
  std::vector<ImageObject> images;
  std::vector<Asset> assets;
  std::vector<Warning> warnings;
  bool operator==(const Page&) const = default;
};

struct Metadata {
  std::string format;
  std::string engine;
  std::optional<std::string> source;
  std::optional<std::string> title;
  std::uint64_t character_count = 0;
  std::uint64_t word_count = 0;
  std::uint64_t block_count = 0;
  std::optional<std::uint64_t> file_size_bytes;
  std::optional<std::string> pdf_version;
  bool encrypted = false;
  bool operator==(const Metadata&) const = default;
};

struct Document {
  std::string schema_version = kSchemaVersion;
  Metadata metadata;
  std::vector<Page> pages;
  std::vector<Asset> assets;
  std::vector<Warning> warnings;
  bool operator==(const Document&) const = default;
};

// One entry of a batch load: exactly one of document and error is present.
struct BatchResult {
  std::string path;
  bool ok = false;
  std::optional<Document> document;
  std::optional<std::string> error;
};

struct ExtractOptions {
  std::optional<std::string> password;  // accepted and ignored
  bool include_geometry = true;
  bool include_assets = true;
  std::optional<std::uint64_t> max_parallelism;  // accepted and ignored
  bool suppress_headers_footers = false;
};

}  // namespace scrivex_core::ir

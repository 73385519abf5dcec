// Reading IR JSON into records, with errors worded the way typed JSON readers
// word them ("missing field `metadata`", "invalid type: string \"x\", expected u64").
#include <array>
#include <limits>
#include <optional>
#include <span>

#include "core/ir/json_form.hpp"

namespace scrivex_core::ir {
namespace {

using util::json::JsonError;
using util::json::Member;
using util::json::NumberKind;
using util::json::Type;
using util::json::Value;

struct FieldSpec {
  std::string_view name;
  bool required;
};

class IrReader {
 public:
  explicit IrReader(std::string_view text) : text_(text) {}

  JsonError take_error() { return std::move(*error_); }

  bool fail(std::size_t offset, const std::string& message) {
    if (!error_) error_ = util::json::error_at(text_, offset, message);
    return false;
  }
  bool invalid_type(const Value& v, std::string_view expected) {
    return fail(v.end, "invalid type: " + util::json::describe_unexpected(v) + ", expected " +
                           std::string(expected));
  }

  // Reads a record given as an object (keys in any order, unknown keys
  // ignored) or as an array of its fields in declaration order. read_field
  // gets the field's index and value; fields not given keep their defaults.
  template <class Fn>
  bool read_record(const Value& v, std::string_view record, std::span<const FieldSpec> fields,
                   Fn&& read_field, std::string_view skip_key = {}) {
    if (v.type == Type::Array) return read_record_array(v, record, fields, read_field, 0);
    if (v.type != Type::Object) return invalid_type(v, "struct " + std::string(record));
    std::vector<bool> seen(fields.size(), false);
    for (const Member& member : v.object) {
      if (!skip_key.empty() && member.key == skip_key) continue;
      std::size_t index = 0;
      while (index < fields.size() && fields[index].name != member.key) ++index;
      if (index == fields.size()) continue;
      if (seen[index]) return fail(member.key_end, "duplicate field `" + member.key + "`");
      seen[index] = true;
      if (!read_field(index, member.value)) return false;
    }
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (fields[i].required && !seen[i]) {
        return fail(v.end, "missing field `" + std::string(fields[i].name) + "`");
      }
    }
    return true;
  }

  template <class Fn>
  bool read_record_array(const Value& v, std::string_view record, std::span<const FieldSpec> fields,
                         Fn&& read_field, std::size_t first) {
    const std::size_t given = v.array.size() - first;
    const auto length_error = [&] {
      return fail(v.end, "invalid length " + std::to_string(given) + ", expected struct " +
                             std::string(record) + " with " + std::to_string(fields.size()) + " elements");
    };
    if (given > fields.size()) return length_error();
    for (std::size_t i = 0; i < fields.size(); ++i) {
      if (i >= given) {
        if (fields[i].required) return length_error();
        continue;
      }
      if (!read_field(i, v.array[first + i])) return false;
    }
    return true;
  }

  bool read(const Value& v, std::string& out) {
    if (v.type != Type::String) return invalid_type(v, "a string");
    out = v.string;
    return true;
  }
  bool read(const Value& v, bool& out) {
    if (v.type != Type::Bool) return invalid_type(v, "a boolean");
    out = v.boolean;
    return true;
  }
  bool read(const Value& v, std::uint64_t& out) { return read_integer(v, out, "u64"); }
  bool read(const Value& v, std::uint32_t& out) { return read_integer(v, out, "u32"); }
  bool read(const Value& v, std::int32_t& out) { return read_integer(v, out, "i32"); }

  // Any JSON number, read as a double and narrowed to 32 bits.
  bool read(const Value& v, float& out) {
    if (v.type != Type::Number) return invalid_type(v, "f32");
    out = static_cast<float>(v.as_double());
    return true;
  }

  template <class T>
  bool read(const Value& v, std::optional<T>& out) {
    if (v.type == Type::Null) {
      out.reset();
      return true;
    }
    T inner{};
    if (!read(v, inner)) return false;
    out = std::move(inner);
    return true;
  }

  template <class T>
  bool read(const Value& v, std::vector<T>& out) {
    if (v.type != Type::Array) return invalid_type(v, "a sequence");
    out.clear();
    out.reserve(v.array.size());
    for (const Value& item : v.array) {
      out.emplace_back();
      if (!read(item, out.back())) return false;
    }
    return true;
  }

  bool read(const Value& v, BBox& out);
  bool read(const Value& v, SourceAnchor& out);
  bool read(const Value& v, Confidence& out);
  bool read(const Value& v, Provenance& out);
  bool read(const Value& v, Span& out);
  bool read(const Value& v, Line& out);
  bool read(const Value& v, TableCell& out);
  bool read(const Value& v, Block& out);
  bool read(const Value& v, ImageObject& out);
  bool read(const Value& v, Asset& out);
  bool read(const Value& v, Warning& out);
  bool read(const Value& v, Page& out);
  bool read(const Value& v, Metadata& out);
  bool read(const Value& v, Document& out);
  bool read(const Value& v, ExtractOptions& out);
  bool read(const Value& v, Route& out);
  bool read(const Value& v, TextSource& out);

 private:
  template <class T>
  bool read_integer(const Value& v, T& out, std::string_view name) {
    if (v.type != Type::Number || v.number_kind == NumberKind::Float) return invalid_type(v, name);
    using Limits = std::numeric_limits<T>;
    const bool fits = v.number_kind == NumberKind::Unsigned
                          ? v.unsigned_value <= static_cast<std::uint64_t>(Limits::max())
                          : v.signed_value >= static_cast<std::int64_t>(Limits::min());
    if (!fits) {
      return fail(v.end, "invalid value: " + util::json::describe_unexpected(v) + ", expected " +
                             std::string(name));
    }
    out = v.number_kind == NumberKind::Unsigned ? static_cast<T>(v.unsigned_value)
                                                : static_cast<T>(v.signed_value);
    return true;
  }

  template <std::size_t N>
  bool read_variant_name(const Value& v, const std::array<std::string_view, N>& names, std::size_t& index) {
    if (v.type != Type::String) return invalid_type(v, "variant identifier");
    for (index = 0; index < N; ++index) {
      if (names[index] == v.string) return true;
    }
    std::string expected;
    for (std::size_t i = 0; i < N; ++i) expected += (i ? ", `" : "`") + std::string(names[i]) + "`";
    return fail(v.end, "unknown variant `" + v.string + "`, expected one of " + expected);
  }

  bool read_block_body(const Value& v, std::size_t tag, Block& out, std::size_t first_element);

  std::string_view text_;
  std::optional<JsonError> error_;
};

constexpr std::array<FieldSpec, 4> kBBoxFields{{{"x", true}, {"y", true}, {"width", true}, {"height", true}}};

bool IrReader::read(const Value& v, BBox& out) {
  float* slots[] = {&out.x, &out.y, &out.width, &out.height};
  return read_record(v, "BBox", kBBoxFields, [&](std::size_t i, const Value& f) { return read(f, *slots[i]); });
}

constexpr std::array<FieldSpec, 4> kAnchorFields{
    {{"page_number", true}, {"pdf_object_ids", false}, {"bbox", false}, {"extraction_method", true}}};

bool IrReader::read(const Value& v, SourceAnchor& out) {
  return read_record(v, "SourceAnchor", kAnchorFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.page_number);
      case 1: return read(f, out.pdf_object_ids);
      case 2: return read(f, out.bbox);
      default: return read(f, out.extraction_method);
    }
  });
}

constexpr std::array<FieldSpec, 2> kConfidenceFields{{{"score", true}, {"calibrated", false}}};

bool IrReader::read(const Value& v, Confidence& out) {
  return read_record(v, "Confidence", kConfidenceFields, [&](std::size_t i, const Value& f) {
    return i == 0 ? read(f, out.score) : read(f, out.calibrated);
  });
}

constexpr std::array<std::string_view, 4> kTextSourceNames{"text_layer", "ocr", "vlm", "heuristic"};
constexpr std::array<std::string_view, 3> kRouteNames{"born_digital", "scanned", "hybrid"};

bool IrReader::read(const Value& v, TextSource& out) {
  std::size_t index = 0;
  if (!read_variant_name(v, kTextSourceNames, index)) return false;
  out = static_cast<TextSource>(index);
  return true;
}

bool IrReader::read(const Value& v, Route& out) {
  std::size_t index = 0;
  if (!read_variant_name(v, kRouteNames, index)) return false;
  out = static_cast<Route>(index);
  return true;
}

constexpr std::array<FieldSpec, 3> kProvenanceFields{
    {{"text_source", true}, {"detector", false}, {"confidence", false}}};

bool IrReader::read(const Value& v, Provenance& out) {
  return read_record(v, "Provenance", kProvenanceFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.text_source);
      case 1: return read(f, out.detector);
      default: return read(f, out.confidence);
    }
  });
}

constexpr std::array<FieldSpec, 6> kSpanFields{{{"text", true},
                                                {"bbox", false},
                                                {"font", false},
                                                {"size", false},
                                                {"bold", false},
                                                {"italic", false}}};

bool IrReader::read(const Value& v, Span& out) {
  return read_record(v, "Span", kSpanFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.text);
      case 1: return read(f, out.bbox);
      case 2: return read(f, out.font);
      case 3: return read(f, out.size);
      case 4: return read(f, out.bold);
      default: return read(f, out.italic);
    }
  });
}

constexpr std::array<FieldSpec, 3> kLineFields{{{"text", true}, {"bbox", false}, {"spans", false}}};

bool IrReader::read(const Value& v, Line& out) {
  return read_record(v, "Line", kLineFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.text);
      case 1: return read(f, out.bbox);
      default: return read(f, out.spans);
    }
  });
}

constexpr std::array<FieldSpec, 7> kCellFields{{{"row", true},
                                                {"column", true},
                                                {"text", true},
                                                {"bbox", false},
                                                {"is_header", false},
                                                {"col_span", false},
                                                {"row_span", false}}};

bool IrReader::read(const Value& v, TableCell& out) {
  return read_record(v, "TableCell", kCellFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.row);
      case 1: return read(f, out.column);
      case 2: return read(f, out.text);
      case 3: return read(f, out.bbox);
      case 4: return read(f, out.is_header);
      case 5: return read(f, out.col_span);
      default: return read(f, out.row_span);
    }
  });
}

constexpr std::array<FieldSpec, 5> kImageFields{
    {{"id", true}, {"object_id", false}, {"bbox", false}, {"width", false}, {"height", false}}};

bool IrReader::read(const Value& v, ImageObject& out) {
  return read_record(v, "ImageObject", kImageFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.id);
      case 1: return read(f, out.object_id);
      case 2: return read(f, out.bbox);
      case 3: return read(f, out.width);
      default: return read(f, out.height);
    }
  });
}

constexpr std::array<FieldSpec, 6> kAssetFields{{{"id", true},
                                                 {"kind", true},
                                                 {"object_id", false},
                                                 {"bbox", false},
                                                 {"width", false},
                                                 {"height", false}}};

bool IrReader::read(const Value& v, Asset& out) {
  return read_record(v, "Asset", kAssetFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.id);
      case 1: return read(f, out.kind);
      case 2: return read(f, out.object_id);
      case 3: return read(f, out.bbox);
      case 4: return read(f, out.width);
      default: return read(f, out.height);
    }
  });
}

constexpr std::array<FieldSpec, 4> kWarningFields{
    {{"code", true}, {"severity", true}, {"message", true}, {"source_anchor", false}}};

bool IrReader::read(const Value& v, Warning& out) {
  return read_record(v, "Warning", kWarningFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.code);
      case 1: return read(f, out.severity);
      case 2: return read(f, out.message);
      default: return read(f, out.source_anchor);
    }
  });
}

constexpr std::array<std::string_view, 3> kBlockTags{"text", "table", "figure"};

constexpr std::array<FieldSpec, 7> kTextBlockFields{{{"text", true},
                                                     {"kind", true},
                                                     {"bbox", false},
                                                     {"lines", false},
                                                     {"source_anchors", false},
                                                     {"confidence", false},
                                                     {"provenance", false}}};
constexpr std::array<FieldSpec, 9> kTableBlockFields{{{"headers", true},
                                                      {"rows", true},
                                                      {"caption", false},
                                                      {"bbox", false},
                                                      {"cells", false},
                                                      {"html", false},
                                                      {"source_anchors", false},
                                                      {"confidence", false},
                                                      {"provenance", false}}};
constexpr std::array<FieldSpec, 7> kFigureBlockFields{{{"alt_text", false},
                                                       {"caption", false},
                                                       {"bbox", false},
                                                       {"image_ref", false},
                                                       {"source_anchors", false},
                                                       {"confidence", false},
                                                       {"provenance", false}}};

bool IrReader::read(const Value& v, Block& out) {
  std::size_t tag = 0;
  if (v.type == Type::Array) {
    if (v.array.empty()) return fail(v.end, "missing field `type`");
    if (!read_variant_name(v.array.front(), kBlockTags, tag)) return false;
    return read_block_body(v, tag, out, 1);
  }
  if (v.type != Type::Object) return invalid_type(v, "internally tagged enum Block");
  const Member* tag_member = nullptr;
  for (const Member& member : v.object) {
    if (member.key != "type") continue;
    if (tag_member) return fail(member.key_end, "duplicate field `type`");
    tag_member = &member;
  }
  if (!tag_member) return fail(v.end, "missing field `type`");
  if (!read_variant_name(tag_member->value, kBlockTags, tag)) return false;
  return read_block_body(v, tag, out, 0);
}

// Reads the variant's own fields; for the array form they start at first_element.
bool IrReader::read_block_body(const Value& v, std::size_t tag, Block& out, std::size_t first_element) {
  const auto read_fields = [&](std::string_view name, std::span<const FieldSpec> fields, auto&& read_field) {
    if (v.type == Type::Array) return read_record_array(v, name, fields, read_field, first_element);
    return read_record(v, name, fields, read_field, "type");
  };
  if (tag == 0) {
    TextBlock& b = out.emplace<TextBlock>();
    return read_fields("TextBlock", kTextBlockFields, [&](std::size_t i, const Value& f) {
      switch (i) {
        case 0: return read(f, b.text);
        case 1: return read(f, b.kind);
        case 2: return read(f, b.bbox);
        case 3: return read(f, b.lines);
        case 4: return read(f, b.source_anchors);
        case 5: return read(f, b.confidence);
        default: return read(f, b.provenance);
      }
    });
  }
  if (tag == 1) {
    TableBlock& b = out.emplace<TableBlock>();
    return read_fields("TableBlock", kTableBlockFields, [&](std::size_t i, const Value& f) {
      switch (i) {
        case 0: return read(f, b.headers);
        case 1: return read(f, b.rows);
        case 2: return read(f, b.caption);
        case 3: return read(f, b.bbox);
        case 4: return read(f, b.cells);
        case 5: return read(f, b.html);
        case 6: return read(f, b.source_anchors);
        case 7: return read(f, b.confidence);
        default: return read(f, b.provenance);
      }
    });
  }
  FigureBlock& b = out.emplace<FigureBlock>();
  return read_fields("FigureBlock", kFigureBlockFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, b.alt_text);
      case 1: return read(f, b.caption);
      case 2: return read(f, b.bbox);
      case 3: return read(f, b.image_ref);
      case 4: return read(f, b.source_anchors);
      case 5: return read(f, b.confidence);
      default: return read(f, b.provenance);
    }
  });
}

constexpr std::array<FieldSpec, 10> kPageFields{{{"number", true},
                                                 {"width", false},
                                                 {"height", false},
                                                 {"rotation", false},
                                                 {"route", false},
                                                 {"bbox", false},
                                                 {"blocks", true},
                                                 {"images", false},
                                                 {"assets", false},
                                                 {"warnings", false}}};

bool IrReader::read(const Value& v, Page& out) {
  return read_record(v, "Page", kPageFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.number);
      case 1: return read(f, out.width);
      case 2: return read(f, out.height);
      case 3: return read(f, out.rotation);
      case 4: return read(f, out.route);
      case 5: return read(f, out.bbox);
      case 6: return read(f, out.blocks);
      case 7: return read(f, out.images);
      case 8: return read(f, out.assets);
      default: return read(f, out.warnings);
    }
  });
}

constexpr std::array<FieldSpec, 10> kMetadataFields{{{"format", true},
                                                     {"engine", true},
                                                     {"source", false},
                                                     {"title", false},
                                                     {"character_count", true},
                                                     {"word_count", true},
                                                     {"block_count", true},
                                                     {"file_size_bytes", false},
                                                     {"pdf_version", false},
                                                     {"encrypted", false}}};

bool IrReader::read(const Value& v, Metadata& out) {
  return read_record(v, "Metadata", kMetadataFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.format);
      case 1: return read(f, out.engine);
      case 2: return read(f, out.source);
      case 3: return read(f, out.title);
      case 4: return read(f, out.character_count);
      case 5: return read(f, out.word_count);
      case 6: return read(f, out.block_count);
      case 7: return read(f, out.file_size_bytes);
      case 8: return read(f, out.pdf_version);
      default: return read(f, out.encrypted);
    }
  });
}

constexpr std::array<FieldSpec, 5> kDocumentFields{
    {{"schema_version", false}, {"metadata", true}, {"pages", true}, {"assets", false}, {"warnings", false}}};

bool IrReader::read(const Value& v, Document& out) {
  return read_record(v, "Document", kDocumentFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.schema_version);
      case 1: return read(f, out.metadata);
      case 2: return read(f, out.pages);
      case 3: return read(f, out.assets);
      default: return read(f, out.warnings);
    }
  });
}

constexpr std::array<FieldSpec, 5> kOptionsFields{{{"password", false},
                                                   {"include_geometry", false},
                                                   {"include_assets", false},
                                                   {"max_parallelism", false},
                                                   {"suppress_headers_footers", false}}};

bool IrReader::read(const Value& v, ExtractOptions& out) {
  return read_record(v, "ExtractOptions", kOptionsFields, [&](std::size_t i, const Value& f) {
    switch (i) {
      case 0: return read(f, out.password);
      case 1: return read(f, out.include_geometry);
      case 2: return read(f, out.include_assets);
      case 3: return read(f, out.max_parallelism);
      default: return read(f, out.suppress_headers_footers);
    }
  });
}

template <class T>
Result<T, JsonError> read_typed(std::string_view text) {
  auto parsed = util::json::parse(text);
  if (!parsed.ok()) return std::move(parsed).error();
  IrReader reader(text);
  T out{};
  if (!reader.read(parsed.value(), out)) return reader.take_error();
  return out;
}

}  // namespace

Result<Document, JsonError> read_document(std::string_view text) { return read_typed<Document>(text); }

Result<ExtractOptions, JsonError> read_extract_options(std::string_view text) {
  return read_typed<ExtractOptions>(text);
}

}  // namespace scrivex_core::ir

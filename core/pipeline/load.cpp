#include "core/pipeline/load.hpp"

#include "core/format/format.hpp"
#include "core/pipeline/dispatch.hpp"
#include "core/pipeline/extract_options.hpp"
#include "core/pipeline/ocr_fallback.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pipeline {
namespace {

using format::InputFormat;

bool is_legacy_binary(InputFormat format) {
  return format == InputFormat::Xls || format == InputFormat::Doc || format == InputFormat::Ppt ||
         format == InputFormat::Msg;
}

}  // namespace

Result<ir::Document> load_path_with_options(const std::string& path, const ir::ExtractOptions& options) {
  auto format = format::detect_path(path);
  if (!format.ok()) return std::move(format).error();
  // Refused before the file is opened: a missing .doc still says "not implemented".
  if (is_legacy_binary(format.value())) {
    return ScrivexError::not_implemented(std::string(format::format_label(format.value())));
  }
  auto source = load_source(format.value(), path);
  if (!source.ok()) return std::move(source).error();
  auto document = engine_extract(format.value(), source.value());
  if (!document.ok()) return document;
  // Read from the environment at this moment, so a caller may switch it per load.
  if (ocr_fallback_enabled()) apply_ocr_fallback(document.value());
  apply_extract_options(document.value(), options);
  return document;
}

Result<ir::Document> load_path(const std::string& path) { return load_path_with_options(path, {}); }

std::vector<ir::BatchResult> load_many(const std::vector<std::string>& paths) {
  std::vector<ir::BatchResult> results;
  results.reserve(paths.size());
  for (const std::string& path : paths) {
    ir::BatchResult result;
    result.path = util::decode_utf8_lossy(path);
    auto document = load_path(path);
    result.ok = document.ok();
    if (document.ok()) {
      result.document = std::move(document).value();
    } else {
      result.error = document.error().display();
    }
    results.push_back(std::move(result));
  }
  return results;
}

}  // namespace scrivex_core::pipeline

#include "core/format/format.hpp"

#include <array>
#include <utility>

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::format {
namespace {

// The one table from extension to format.
constexpr std::array<std::pair<std::string_view, InputFormat>, 41> kExtensions{{
    {"md", InputFormat::Text},        {"markdown", InputFormat::Text},   {"txt", InputFormat::Text},
    {"text", InputFormat::Text},      {"tex", InputFormat::Text},        {"ltx", InputFormat::Text},
    {"latex", InputFormat::Text},     {"pdf", InputFormat::Pdf},         {"xlsx", InputFormat::Xlsx},
    {"xls", InputFormat::Xls},        {"docx", InputFormat::Docx},       {"doc", InputFormat::Doc},
    {"pptx", InputFormat::Pptx},      {"ppt", InputFormat::Ppt},         {"odt", InputFormat::OpenDocument},
    {"ods", InputFormat::OpenDocument}, {"odp", InputFormat::OpenDocument}, {"zip", InputFormat::Archive},
    {"tar", InputFormat::Archive},    {"tgz", InputFormat::Archive},     {"gz", InputFormat::Archive},
    {"html", InputFormat::Html},      {"htm", InputFormat::Html},        {"png", InputFormat::Image},
    {"jpg", InputFormat::Image},      {"jpeg", InputFormat::Image},      {"gif", InputFormat::Image},
    {"bmp", InputFormat::Image},      {"tif", InputFormat::Image},       {"tiff", InputFormat::Image},
    {"webp", InputFormat::Image},     {"eml", InputFormat::Eml},         {"json", InputFormat::Json},
    {"jsonl", InputFormat::Json},     {"ndjson", InputFormat::Json},     {"csv", InputFormat::Csv},
    {"tsv", InputFormat::Csv},        {"xml", InputFormat::Xml},         {"tei", InputFormat::Xml},
    {"nxml", InputFormat::Xml},       {"msg", InputFormat::Msg},
}};

// Inner extensions that make "x.<inner>.gz" a compressed text source rather than an archive.
constexpr std::array<std::string_view, 16> kGzipTextInner{"md",   "txt",  "csv",   "tsv",  "xml",   "tei",
                                                          "tex",  "ltx",  "tar",   "text", "json",  "nxml",
                                                          "jsonl", "latex", "ndjson", "markdown"};

// The extension of a file name: after its last ".", unless that dot is the first character.
std::optional<std::string_view> raw_extension(std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return std::nullopt;
  return name.substr(dot + 1);
}

std::optional<std::string> lowered_extension(std::string_view name) {
  auto extension = raw_extension(name);
  if (!extension || !util::is_valid_utf8(*extension)) return std::nullopt;
  return util::ascii_lowercase(*extension);
}

}  // namespace

std::string_view file_name(std::string_view path) {
  // Trailing separators do not start an empty component ("dir/x.txt/" names x.txt).
  while (path.size() > 1 && path.back() == '/') path.remove_suffix(1);
  const std::size_t slash = path.rfind('/');
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  if (name == "." || name == "..") return {};
  return name;
}

std::string_view format_label(InputFormat format) {
  switch (format) {
    case InputFormat::Text: return "text";
    case InputFormat::Pdf: return "pdf";
    case InputFormat::Xlsx:
    case InputFormat::Xls: return "excel";
    case InputFormat::Docx:
    case InputFormat::Doc: return "word";
    case InputFormat::Pptx:
    case InputFormat::Ppt: return "presentation";
    case InputFormat::OpenDocument: return "opendocument";
    case InputFormat::Archive: return "archive";
    case InputFormat::Html: return "html";
    case InputFormat::Image: return "image";
    case InputFormat::Eml:
    case InputFormat::Msg: return "email";
    case InputFormat::Json: return "json";
    case InputFormat::Csv: return "csv";
    case InputFormat::Xml: return "xml";
  }
  return "text";
}

std::optional<std::string> effective_extension(std::string_view path) {
  const std::string_view name = file_name(path);
  auto extension = lowered_extension(name);
  if (!extension || *extension != "gz") return extension;
  const std::string_view stem = name.substr(0, name.size() - 3);
  if (!util::is_valid_utf8(stem)) return std::nullopt;
  auto inner = lowered_extension(stem);
  for (std::string_view candidate : kGzipTextInner) {
    if (inner && *inner == candidate) return inner;
  }
  return std::string("gz");
}

Result<InputFormat> detect_path(std::string_view path) {
  if (auto extension = effective_extension(path)) {
    for (const auto& [name, format] : kExtensions) {
      if (name == *extension) return format;
    }
  }
  return ScrivexError::unsupported_format(util::decode_utf8_lossy(path));
}

Result<std::string> detect_format(std::string_view path) {
  auto format = detect_path(path);
  if (!format.ok()) return std::move(format).error();
  return std::string(format_label(format.value()));
}

}  // namespace scrivex_core::format

#include "core/pdf/extract_pdf.hpp"

#include <algorithm>
#include <set>

#include "core/pdf/document_warnings.hpp"
#include "core/pdf/lookups.hpp"
#include "core/pdf/scanner.hpp"
#include "core/util/parallel_map.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr std::string_view kHeader = "%PDF-";

void add_document_warnings(std::string_view data, PdfParseResult& result) {
  if (data.find("/Encrypt") != std::string_view::npos) {
    result.encrypted = true;
    result.warnings.push_back(warning(
        "pdf.encrypted", "warning", "document declares encryption; extraction may be incomplete", false, 0));
  }
  if (data.find("/ObjStm") != std::string_view::npos) {
    result.warnings.push_back(warning(
        "pdf.object_stream", "info", "object streams detected and expanded by the native scanner", false, 0));
  }
}

// The font object numbers named by any page, ascending and distinct.
std::vector<std::uint32_t> font_numbers(const std::vector<PageSeed>& pages, const ObjectIndex& index) {
  std::set<std::uint32_t> numbers;
  for (const PageSeed& seed : pages) {
    const std::string text = seed.dictionary_text();
    const std::string_view resources = resolve_resource_body(text, index).value_or(text);
    for (const auto& [name, number] : resolve_named_resource_refs(resources, "/Font", index))
      numbers.insert(number);
  }
  return {numbers.begin(), numbers.end()};
}

FontDecoderMap build_font_decoders(const std::vector<std::uint32_t>& numbers, const ObjectIndex& index,
                                   std::size_t threads) {
  std::vector<std::uint32_t> present;
  for (std::uint32_t number : numbers) {
    if (index.find(number) != nullptr) present.push_back(number);
  }
  std::vector<FontDecoderHandle> decoders = util::parallel_map(
      present,
      [&](std::uint32_t number) {
        return std::make_shared<const FontDecoder>(font_decoder(*index.find(number), index));
      },
      threads);
  FontDecoderMap map;
  for (std::size_t i = 0; i < present.size(); ++i) map.emplace(present[i], std::move(decoders[i]));
  return map;
}

std::optional<std::string> pdf_version(std::string_view data) {
  const std::size_t end = data.find_first_of("\r\n");
  const std::string_view line = data.substr(0, end);
  if (!util::is_valid_utf8(line) || line.substr(0, kHeader.size()) != kHeader) return std::nullopt;
  return std::string(line.substr(kHeader.size()));
}

}  // namespace

Result<PdfParseResult> parse_pdf_pages(std::string_view data, std::size_t threads) {
  if (data.size() < kHeader.size() || data.substr(0, kHeader.size()) != kHeader) {
    return ScrivexError::pdf("missing %PDF header");
  }
  std::vector<ObjectHandle> objects = scan_objects(data);
  std::vector<ObjectHandle> expanded = expand_object_streams(objects);
  objects.insert(objects.end(), std::make_move_iterator(expanded.begin()),
                 std::make_move_iterator(expanded.end()));
  if (objects.empty()) return ScrivexError::pdf("no indirect objects found");

  PdfParseResult result;
  result.title = find_title(objects);
  ObjectIndex index;
  for (const ObjectHandle& object : objects) index.insert(object);
  const std::vector<PageSeed> pages = find_pages(objects, index);
  if (pages.empty()) return ScrivexError::pdf("no page objects found");
  add_document_warnings(data, result);

  const FontDecoderMap fonts = build_font_decoders(font_numbers(pages, index), index, threads);
  result.pages = util::parallel_map(
      pages, [&](const PageSeed& seed) { return extract_page(seed, index, fonts); }, threads);
  return result;
}

Result<ir::Document> extract_pdf(std::span<const std::uint8_t> data, const source::Source& source,
                                 std::string_view engine_name, std::size_t threads) {
  const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
  Result<PdfParseResult> parsed = parse_pdf_pages(bytes, threads);
  if (!parsed) return std::move(parsed).error();
  PdfParseResult& result = parsed.value();

  ir::Document document;
  std::string text;
  std::uint64_t blocks = 0;
  for (PageExtraction& extraction : result.pages) {
    text += extraction.text;
    text.push_back('\n');
    document.assets.insert(document.assets.end(), extraction.page.assets.begin(),
                           extraction.page.assets.end());
    blocks += extraction.page.blocks.size();
    document.pages.push_back(std::move(extraction.page));
  }
  ir::Metadata& metadata = document.metadata;
  metadata.format = "pdf";
  metadata.engine = std::string(engine_name);
  metadata.source = source.path;
  metadata.title = std::move(result.title);
  metadata.character_count = util::count_scalars(text);
  metadata.word_count = util::count_words(text);
  metadata.block_count = blocks;
  metadata.file_size_bytes = data.size();
  metadata.pdf_version = pdf_version(bytes);
  metadata.encrypted = result.encrypted;
  document.warnings = std::move(result.warnings);
  return document;
}

Result<ir::Document> extract_pdf(const source::Source& source, std::string_view engine_name) {
  if (source.bytes) return extract_pdf(std::span<const std::uint8_t>(*source.bytes), source, engine_name);
  const std::span<const std::uint8_t> text(reinterpret_cast<const std::uint8_t*>(source.text.data()),
                                           source.text.size());
  return extract_pdf(text, source, engine_name);
}

}  // namespace scrivex_core::pdf

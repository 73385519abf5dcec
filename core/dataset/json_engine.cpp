#include "core/dataset/json_engine.hpp"

#include "core/dataset/json_pages.hpp"
#include "core/engine/text_builders.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::dataset {
namespace {

constexpr std::string_view kEngineName = "json-native";

std::vector<ir::SourceAnchor>& anchors_of(ir::Block& block) {
  return std::visit([](auto& b) -> std::vector<ir::SourceAnchor>& { return b.source_anchors; }, block);
}

// Gives the page its place in the file: line `line` (from 0) of a JSON
// Lines text starts at page line + 1.
void renumber(ir::Page& page, std::uint64_t number) {
  page.number = number;
  for (ir::Block& block : page.blocks) {
    for (ir::SourceAnchor& anchor : anchors_of(block)) anchor.page_number = number;
  }
}

// The pages of a JSON Lines text, or the error of its first failing line.
Result<std::vector<ir::Page>> json_lines_pages(std::string_view text) {
  std::vector<ir::Page> pages;
  const std::vector<std::string_view> lines = util::split_lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = util::trim(lines[i]);
    if (line.empty()) continue;
    auto value = util::json::parse(line);
    if (!value.ok()) return ScrivexError::json(value.error().message);
    std::vector<ir::Page> line_pages = pages_from_json_value(value.value());
    for (std::size_t k = 0; k < line_pages.size(); ++k) {
      renumber(line_pages[k], i + 1 + k);
      pages.push_back(std::move(line_pages[k]));
    }
  }
  return pages;
}

Result<std::vector<ir::Page>> read_pages(std::string_view text) {
  auto whole = util::json::parse(text);
  if (whole.ok()) return pages_from_json_value(whole.value());
  auto lines = json_lines_pages(text);
  if (!lines.ok() || !lines.value().empty()) return lines;
  return ScrivexError::json(whole.error().message);
}

std::optional<std::string> first_title(const std::vector<ir::Page>& pages) {
  for (const ir::Page& page : pages) {
    for (const ir::Block& block : page.blocks) {
      const auto* text = std::get_if<ir::TextBlock>(&block);
      if (text && text->kind == "title") return text->text;
    }
  }
  return std::nullopt;
}

}  // namespace

Result<ir::Document> JsonEngine::extract(const source::Source& source) const {
  auto pages = read_pages(source.text);
  if (!pages.ok()) return std::move(pages).error();
  ir::Document document;
  document.pages = std::move(pages).value();
  if (document.pages.empty()) document.pages.push_back(ir::Page{});
  ir::Metadata& metadata = document.metadata;
  metadata.format = source.format;
  metadata.engine = kEngineName;
  metadata.source = source.path;
  metadata.title = first_title(document.pages);
  for (const ir::Page& page : document.pages) {
    for (const ir::Block& block : page.blocks) {
      const std::string text = engine::block_text(block);
      metadata.character_count += util::count_scalars(text);
      metadata.word_count += util::count_words(text);
      ++metadata.block_count;
    }
  }
  if (source.bytes) metadata.file_size_bytes = source.bytes->size();
  return document;
}

}  // namespace scrivex_core::dataset

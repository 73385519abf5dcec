#include "core/dataset/csv_engine.hpp"

#include "core/dataset/csv_fields.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::csv {
namespace {

constexpr std::string_view kEngineName = "csv-native";

bool is_tab_separated(const source::Source& source) {
  return source.path && util::ascii_lowercase(*source.path).ends_with(".tsv");
}

// The layouts in the order they are tried: the word table and the region
// table only for tab-separated input, each falling back when no row fits.
std::vector<ir::Block> read_blocks(const source::Source& source) {
  if (!is_tab_separated(source)) return detail::plain_row_blocks(source.text, ',');
  std::vector<ir::Block> blocks = detail::word_table_blocks(source.text);
  if (blocks.empty()) blocks = detail::region_table_blocks(source.text);
  if (blocks.empty()) blocks = detail::plain_row_blocks(source.text, '\t');
  return blocks;
}

}  // namespace

Result<ir::Document> CsvEngine::extract(const source::Source& source) const {
  ir::Page page;
  page.number = 1;
  page.blocks = read_blocks(source);
  if (const std::optional<ir::BBox> extent = dataset::page_extent(page.blocks)) {
    page.width = extent->width;
    page.height = extent->height;
    page.bbox = extent;
  }
  ir::Document document;
  ir::Metadata& metadata = document.metadata;
  metadata.format = source.format;
  metadata.engine = kEngineName;
  metadata.source = source.path;
  for (const ir::Block& block : page.blocks) {
    const auto& text = std::get<ir::TextBlock>(block).text;
    metadata.character_count += util::count_scalars(text);
    metadata.word_count += util::count_words(text);
  }
  metadata.block_count = page.blocks.size();
  if (source.bytes) metadata.file_size_bytes = source.bytes->size();
  document.pages.push_back(std::move(page));
  return document;
}

}  // namespace scrivex_core::csv

#include "core/pipeline/extract_options.hpp"

#include <algorithm>
#include <map>
#include <set>

#include "core/engine/text_builders.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pipeline {
namespace {

// The header and footer bands: 12 % of the page height, but at least 48 units.
constexpr float kBandFraction = 0.12f;
constexpr float kMinimumBand = 48.0f;

const std::optional<ir::BBox>& block_bbox(const ir::Block& block) {
  return std::visit([](const auto& b) -> const std::optional<ir::BBox>& { return b.bbox; }, block);
}

// Lower-cased text with digit runs folded to "#" and white space collapsed.
std::string header_footer_signature(std::string_view text) {
  std::string lowered;
  util::for_each_char(text, [&](char32_t c) { util::append_lowercase(lowered, c); });
  std::string signature;
  bool last_was_space = false;
  util::for_each_char(lowered, [&](char32_t c) {
    if (c >= '0' && c <= '9') {
      if (signature.empty() || signature.back() != '#') signature.push_back('#');
      last_was_space = false;
    } else if (util::is_white_space(c)) {
      if (!signature.empty() && !last_was_space) signature.push_back(' ');
      last_was_space = !signature.empty();
    } else {
      util::append_utf8(signature, c);
      last_was_space = false;
    }
  });
  return std::string(util::trim(signature));
}

std::set<std::string> page_keys(const ir::Page& page) {
  std::set<std::string> keys;
  for (const ir::Block& block : page.blocks) {
    if (auto key = header_footer_key(block, page.height)) keys.insert(std::move(*key));
  }
  return keys;
}

void remove_running_headers_footers(ir::Document& document) {
  const std::size_t pages = document.pages.size();
  if (pages < 2) return;
  std::map<std::string, std::size_t> page_counts;
  for (const ir::Page& page : document.pages) {
    for (const std::string& key : page_keys(page)) ++page_counts[key];
  }
  const std::size_t threshold = std::max<std::size_t>(2, (pages + 1) / 2);
  std::set<std::string> repeated;
  for (const auto& [key, count] : page_counts) {
    if (count >= threshold) repeated.insert(key);
  }
  if (repeated.empty()) return;
  for (ir::Page& page : document.pages) {
    std::erase_if(page.blocks, [&](const ir::Block& block) {
      auto key = header_footer_key(block, page.height);
      return key && repeated.contains(*key);
    });
  }
  refresh_document_counts(document);
}

void strip_geometry(ir::Document& document) {
  for (ir::Page& page : document.pages) {
    page.width.reset();
    page.height.reset();
    page.bbox.reset();
    for (ir::Block& block : page.blocks) {
      std::visit([](auto& b) {
        b.bbox.reset();
        for (ir::SourceAnchor& anchor : b.source_anchors) anchor.bbox.reset();
      }, block);
      if (auto* text = std::get_if<ir::TextBlock>(&block)) text->lines.clear();
      if (auto* table = std::get_if<ir::TableBlock>(&block)) {
        for (ir::TableCell& cell : table->cells) cell.bbox.reset();
      }
    }
    for (ir::ImageObject& image : page.images) image.bbox.reset();
    for (ir::Asset& asset : page.assets) asset.bbox.reset();
  }
}

void strip_assets(ir::Document& document) {
  document.assets.clear();
  for (ir::Page& page : document.pages) {
    page.assets.clear();
    page.images.clear();
  }
}

}  // namespace

std::optional<std::string> header_footer_key(const ir::Block& block, std::optional<float> page_height) {
  if (!page_height || !(*page_height > 0)) return std::nullopt;
  const auto& bbox = block_bbox(block);
  if (!bbox) return std::nullopt;
  const float height = *page_height;
  const float centre = bbox->y + 0.5f * bbox->height;
  const float margin = std::max(kBandFraction * height, kMinimumBand);
  std::string key;
  if (centre >= height - margin) {
    key = "top:";
  } else if (centre <= margin) {
    key = "bottom:";
  } else {
    return std::nullopt;
  }
  const std::string signature = header_footer_signature(engine::block_text(block));
  if (signature.empty()) return std::nullopt;
  return key + signature;
}

void refresh_document_counts(ir::Document& document) {
  std::uint64_t blocks = 0, characters = 0, words = 0;
  for (const ir::Page& page : document.pages) {
    for (const ir::Block& block : page.blocks) {
      const std::string text = engine::block_text(block);
      ++blocks;
      characters += util::count_scalars(text);
      words += util::count_words(text);
    }
  }
  document.metadata.block_count = blocks;
  document.metadata.character_count = characters;
  document.metadata.word_count = words;
}

void apply_extract_options(ir::Document& document, const ir::ExtractOptions& options) {
  if (options.suppress_headers_footers) remove_running_headers_footers(document);
  if (!options.include_geometry) strip_geometry(document);
  if (!options.include_assets) strip_assets(document);
}

}  // namespace scrivex_core::pipeline

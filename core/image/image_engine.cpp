#include "core/image/image_engine.hpp"

#include <filesystem>

#include "core/image/image_size.hpp"

namespace scrivex_core::image {
namespace {

constexpr const char* kEngineName = "image-native";
constexpr const char* kMethod = "image_native";
constexpr const char* kImageId = "image-1";
constexpr float kFigureConfidence = 0.9f;

std::span<const std::uint8_t> data_of(const source::Source& source) {
  if (source.bytes) return *source.bytes;
  return {reinterpret_cast<const std::uint8_t*>(source.text.data()), source.text.size()};
}

// The file name of the path, when it has one.
std::optional<std::string> file_name_of(const std::optional<std::string>& path) {
  if (!path) return std::nullopt;
  std::string name = std::filesystem::path(*path).filename().string();
  // Like "dir/" or "a/..", a path that ends in a folder names no file.
  if (name.empty() || name == "." || name == "..") return std::nullopt;
  return name;
}

ir::FigureBlock figure_for(const source::Source& source, const ir::BBox& box) {
  ir::FigureBlock figure;
  figure.alt_text = file_name_of(source.path);
  figure.bbox = box;
  figure.image_ref = kImageId;
  figure.source_anchors.push_back(ir::SourceAnchor{1, {}, box, kMethod});
  figure.confidence = ir::Confidence{kFigureConfidence, false};
  return figure;
}

}  // namespace

Result<ir::Document> ImageEngine::extract(const source::Source& source) const {
  const std::span<const std::uint8_t> data = data_of(source);
  const std::optional<ImageSize> size = read_image_size(data);
  if (!size) return ScrivexError::image("unsupported or malformed image header");
  const float width = static_cast<float>(size->width);
  const float height = static_cast<float>(size->height);
  const ir::BBox box{0, 0, width, height};

  const ir::Asset asset{kImageId, "image", std::nullopt, box, size->width, size->height};
  ir::Page page;
  page.number = 1;
  page.width = width;
  page.height = height;
  page.bbox = box;
  page.blocks.push_back(figure_for(source, box));
  page.images.push_back(ir::ImageObject{kImageId, std::nullopt, box, size->width, size->height});
  page.assets.push_back(asset);

  ir::Document document;
  document.metadata.format = source.format;
  document.metadata.engine = kEngineName;
  document.metadata.source = source.path;
  document.metadata.block_count = 1;
  document.metadata.file_size_bytes = data.size();
  document.pages.push_back(std::move(page));
  document.assets.push_back(asset);
  return document;
}

}  // namespace scrivex_core::image

// Picture size from the header of a PNG, JPEG, GIF, BMP, TIFF or WebP file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace scrivex_core::image {

struct ImageSize {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool operator==(const ImageSize&) const = default;
};

// Tries PNG, JPEG, GIF, BMP, TIFF and WebP in this order; the first whose
// header matches and is complete gives the size. Absent when none does.
// Pixels are never decoded.
std::optional<ImageSize> read_image_size(std::span<const std::uint8_t> data);

}  // namespace scrivex_core::image

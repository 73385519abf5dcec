#include "core/render/renderer.hpp"

namespace scrivex_core::render {

std::vector<std::string> normalize_row(const std::vector<std::string>& row, std::size_t width) {
  std::vector<std::string> out(width);
  const std::size_t kept = row.size() < width ? row.size() : width;
  for (std::size_t i = 0; i < kept; ++i) out[i] = row[i];
  return out;
}

}  // namespace scrivex_core::render

// Placeholder until the implementation lands.
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {

std::vector<const TextLine*> text_lines_in_reading_order(std::span<const TextLine> lines) {
  std::vector<const TextLine*> order;
  for (const TextLine& line : lines) order.push_back(&line);
  return order;
}

}  // namespace scrivex_core::pdf

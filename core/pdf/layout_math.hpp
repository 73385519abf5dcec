// Float conventions shared by the layout stages: NaN-ignoring min and max,
// IEEE total order for sorts, and box unions. Every coordinate is a 32-bit
// float in page user space (y grows upward).
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "core/ir/document.hpp"
#include "core/pdf/text_run.hpp"

namespace scrivex_core::pdf {

// min and max that return the other operand when one is NaN.
inline float min_ignoring_nan(float a, float b) { return std::fmin(a, b); }
inline float max_ignoring_nan(float a, float b) { return std::fmax(a, b); }

// A signed key whose integer order is the IEEE total order of the float:
// -NaN < -inf < ... < -0 < +0 < ... < +inf < +NaN.
inline std::int32_t total_order_key(float value) {
  const auto bits = std::bit_cast<std::int32_t>(value);
  return bits < 0 ? bits ^ 0x7fffffff : bits;
}

// Strict "a before b" in total order, for std::stable_sort.
inline bool total_less(float a, float b) { return total_order_key(a) < total_order_key(b); }

inline ir::BBox run_box(const TextRun& run) { return {run.x, run.y, run.width, run.height}; }

// The union keeps the minimum lower-left and maximum upper-right corners.
inline ir::BBox union_box(const ir::BBox& a, const ir::BBox& b) {
  const float x0 = min_ignoring_nan(a.x, b.x);
  const float y0 = min_ignoring_nan(a.y, b.y);
  const float x1 = max_ignoring_nan(a.x + a.width, b.x + b.width);
  const float y1 = max_ignoring_nan(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

}  // namespace scrivex_core::pdf

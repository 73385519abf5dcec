// Turning a rotated page's content upright.
#pragma once

#include <cstdint>

#include "core/pdf/interpreter.hpp"

namespace scrivex_core::pdf {

// Maps run boxes, image and asset boxes and ruling segments of a page
// displayed with /Rotate rotation (degrees) into the upright page of width
// and height (the MediaBox extents). Only multiples of 90 move anything.
// Run baselines stay as they are.
void normalize_rotation(ContentExtraction& content, std::int32_t rotation, float width, float height);

}  // namespace scrivex_core::pdf

// Reading object-annotation files: an image "width" and "height" and
// "object" elements with a "name" and "xmin", "ymin", "xmax", "ymax".
#pragma once

#include <optional>
#include <string_view>

#include "core/ir/document.hpp"

namespace scrivex_core::textual {

// The page of annotated objects, one block per readable object, sized by
// the file's width and height; nothing when either is unreadable or no
// object is.
std::optional<ir::Page> object_annotation_page(std::string_view text);

}  // namespace scrivex_core::textual

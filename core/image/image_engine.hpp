// The engine for input labelled "image".
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::image {

// One page the size of the picture, holding one figure block, one image
// object and one asset that cover it. Only the header is read; no text is
// recognised. Fails with the Image error "unsupported or malformed image
// header" when no known header gives a size.
class ImageEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::image

// The engine for ZIP, TAR, gzip-compressed TAR and single gzip files.
#pragma once

#include "core/engine/extraction_engine.hpp"

namespace scrivex_core::archive {

// One page of "paragraph" blocks ("archive-native") made of the text-like
// entries: ZIP entries JSON first, then markup, then the rest, each group by
// name; TAR entries in archive order. Data that is no archive but a single
// text (a gzip-compressed text file) is taken whole. Fails only when the
// data is neither.
class ArchiveEngine final : public engine::ExtractionEngine {
 public:
  Result<ir::Document> extract(const source::Source& source) const override;
};

}  // namespace scrivex_core::archive

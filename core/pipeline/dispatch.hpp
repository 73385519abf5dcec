// Reading a file the way its format needs, and running its one engine.
#pragma once

#include <string>

#include "core/format/format.hpp"
#include "core/ir/document.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::pipeline {

Result<source::Source> load_source(format::InputFormat format, const std::string& path);

// Runs exactly one engine. The legacy binary formats, and formats whose
// engine is not built yet, fail with NotImplemented and the format's label.
Result<ir::Document> engine_extract(format::InputFormat format, const source::Source& source);

}  // namespace scrivex_core::pipeline

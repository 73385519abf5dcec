// The interface every format engine implements.
#pragma once

#include "core/error/error.hpp"
#include "core/ir/document.hpp"
#include "core/source/source.hpp"

namespace scrivex_core::engine {

// Engines are stateless values: one instance may serve any number of calls.
// They read only the Source, report local defects as Warnings, and fail only
// when no document can be made.
class ExtractionEngine {
 public:
  virtual ~ExtractionEngine() = default;
  virtual Result<ir::Document> extract(const source::Source& source) const = 0;
};

}  // namespace scrivex_core::engine

// The content-stream interpreter: a small graphics-state machine that
// places text and records stroked segments and image placements.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/pdf/lookups.hpp"
#include "core/pdf/object.hpp"
#include "core/pdf/text_run.hpp"
#include "core/pdf/text_runs.hpp"

namespace scrivex_core::pdf {

// What content streams contribute to a page, in order.
struct ContentExtraction {
  std::vector<TextRun> runs;
  std::vector<RulingSegment> segments;
  std::vector<ir::ImageObject> images;
  std::vector<ir::Asset> assets;
  std::vector<ir::Warning> warnings;
};

// What the interpreter reads from the page.
struct PageResources {
  std::uint64_t page_number = 1;
  const PageFontMap& fonts;
  const NamedRefs& xobjects;
  const ObjectIndex& index;
};

// Interprets one decoded content stream from a fresh graphics state and
// appends its runs, segments and images to out. label names the stream
// ("12 0 R"). A malformed number ends the reading; what was read counts.
void interpret_content_stream(std::string_view data, const std::string& label, const PageResources& page,
                              ContentExtraction& out);

}  // namespace scrivex_core::pdf

// The emphasis a text block's spans agree on, shared by the text renderers.
#pragma once

#include <vector>

#include "core/ir/document.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::render {

struct SpanEmphasis {
  bool bold = false;
  bool italic = false;
};

// Whether every non-blank span of the lines is bold, and whether every one is
// italic; neither when there is no non-blank span (blank spans never count).
inline SpanEmphasis shared_span_emphasis(const std::vector<ir::Line>& lines) {
  bool any = false, all_bold = true, all_italic = true;
  for (const ir::Line& line : lines) {
    for (const ir::Span& span : line.spans) {
      if (util::is_blank(span.text)) continue;
      any = true;
      all_bold = all_bold && span.bold;
      all_italic = all_italic && span.italic;
    }
  }
  return any ? SpanEmphasis{all_bold, all_italic} : SpanEmphasis{};
}

}  // namespace scrivex_core::render

// What the content interpreter emits for the layout stages: positioned text
// runs and stroked ruling segments, all in page user space (y grows upward).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scrivex_core::pdf {

// The text of one text-showing operation and its box.
struct TextRun {
  std::string text;                     // decoded, untrimmed
  std::vector<std::string> object_ids;  // the content stream's label, "12 0 R"
  std::optional<std::string> font_name;
  float x = 0;  // lower-left corner of the run box
  float y = 0;
  float width = 0;        // at least a quarter of the font size
  float height = 0;       // at least a quarter of the font size
  float baseline = 0;     // user-space y of the text origin
  float font_size = 0;    // the Tf operand, not scaled by any matrix
  float space_width = 0;  // advance of a space in user-space units
  bool bold = false;
  bool italic = false;
};

// The end points of one stroked straight segment.
struct RulingSegment {
  float x0 = 0;
  float y0 = 0;
  float x1 = 0;
  float y1 = 0;
};

}  // namespace scrivex_core::pdf

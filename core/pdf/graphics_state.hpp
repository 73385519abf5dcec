// The graphics state the content interpreter follows.
#pragma once

#include <optional>
#include <string>

namespace scrivex_core::pdf {

struct Point {
  float x = 0;
  float y = 0;
};

// A PDF matrix [a b c d e f] in the row-vector convention: (x, y) maps to
// (a x + c y + e, b x + d y + f).
struct Matrix {
  float a = 1;
  float b = 0;
  float c = 0;
  float d = 1;
  float e = 0;
  float f = 0;

  Point apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }
  // This matrix applied first, then outer: the product this x outer.
  Matrix then(const Matrix& outer) const {
    return {a * outer.a + b * outer.c,           a * outer.b + b * outer.d,
            c * outer.a + d * outer.c,           c * outer.b + d * outer.d,
            e * outer.a + f * outer.c + outer.e, e * outer.b + f * outer.d + outer.f};
  }
};

// Saved by "q" and restored by "Q" as a whole.
struct GraphicsState {
  std::optional<std::string> font;  // resource name of the last valid Tf
  Matrix ctm;
  Matrix text_matrix;
  Matrix line_matrix;
  float font_size = 12;
  float leading = 12;
  float char_spacing = 0;
  float word_spacing = 0;
  float horizontal_scaling = 1;  // Tz / 100
  float rise = 0;
};

}  // namespace scrivex_core::pdf

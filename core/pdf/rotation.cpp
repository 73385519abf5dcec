#include "core/pdf/rotation.hpp"

#include <cmath>
#include <optional>

#include "core/pdf/graphics_state.hpp"

namespace scrivex_core::pdf {
namespace {

struct Rotator {
  std::int32_t degrees;  // 0..359
  float width;
  float height;

  Point operator()(Point p) const {
    switch (degrees) {
      case 90:
        return {p.y, width - p.x};
      case 180:
        return {width - p.x, height - p.y};
      case 270:
        return {height - p.y, p.x};
      default:
        return p;
    }
  }

  // The box spanned by the two rotated corners.
  void box(float& x, float& y, float& w, float& h) const {
    const Point a = (*this)({x, y});
    const Point b = (*this)({x + w, y + h});
    x = std::fmin(a.x, b.x);
    y = std::fmin(a.y, b.y);
    w = std::fabs(b.x - a.x);
    h = std::fabs(b.y - a.y);
  }
  void box(std::optional<ir::BBox>& bbox) const {
    if (bbox) box(bbox->x, bbox->y, bbox->width, bbox->height);
  }
};

}  // namespace

void normalize_rotation(ContentExtraction& content, std::int32_t rotation, float width, float height) {
  const std::int32_t degrees = ((rotation % 360) + 360) % 360;
  if (degrees == 0) return;
  const Rotator rotate{degrees, width, height};
  for (TextRun& run : content.runs) rotate.box(run.x, run.y, run.width, run.height);
  for (ir::ImageObject& image : content.images) rotate.box(image.bbox);
  for (ir::Asset& asset : content.assets) rotate.box(asset.bbox);
  for (RulingSegment& segment : content.segments) {
    const Point a = rotate({segment.x0, segment.y0});
    const Point b = rotate({segment.x1, segment.y1});
    segment = {a.x, a.y, b.x, b.y};
  }
}

}  // namespace scrivex_core::pdf

// A provisional layout: consecutive runs on one baseline make a line, and
// each line is one paragraph block. Line assembly, reading order, tables and
// block merging replace this.
#include "core/pdf/page_layout.hpp"

#include <algorithm>
#include <cmath>

#include "core/pdf/document_warnings.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::pdf {
namespace {

// Runs whose baselines differ by less than this fraction of the font size share a line.
constexpr float kSameLineFraction = 0.5f;
// A horizontal gap wider than this fraction of the font size between runs reads as a space.
constexpr float kSpaceGapFraction = 0.15f;
constexpr float kTextBlockConfidence = 0.82f;

ir::BBox box_of(const TextRun& run) {
  return {run.x, run.y, run.width, run.height};
}

ir::BBox union_of(const ir::BBox& a, const ir::BBox& b) {
  const float x0 = std::fmin(a.x, b.x);
  const float y0 = std::fmin(a.y, b.y);
  const float x1 = std::fmax(a.x + a.width, b.x + b.width);
  const float y1 = std::fmax(a.y + a.height, b.y + b.height);
  return {x0, y0, x1 - x0, y1 - y0};
}

bool same_line(const TextRun& previous, const TextRun& run) {
  const float size = std::fmax(std::fabs(previous.font_size), std::fabs(run.font_size));
  return std::fabs(previous.baseline - run.baseline) < kSameLineFraction * size;
}

std::optional<ir::TextBlock> block_of(const std::vector<TextRun>& runs, std::uint64_t page_number) {
  std::string text;
  ir::Line line;
  ir::BBox box = box_of(runs.front());
  std::vector<std::string> ids;
  const TextRun* previous = nullptr;
  for (const TextRun& run : runs) {
    if (previous != nullptr) {
      const float gap = run.x - (previous->x + previous->width);
      const bool spaced = !text.empty() && (text.back() == ' ' || run.text.front() == ' ');
      if (!spaced && gap > kSpaceGapFraction * std::fabs(run.font_size)) text.push_back(' ');
    }
    text += run.text;
    box = union_of(box, box_of(run));
    for (const std::string& id : run.object_ids) {
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
    ir::Span span;
    span.text = std::string(util::trim(run.text));
    span.bbox = box_of(run);
    span.font = run.font_name;
    span.size = run.font_size;
    span.bold = run.bold;
    span.italic = run.italic;
    if (!span.text.empty()) line.spans.push_back(std::move(span));
    previous = &run;
  }
  const std::string cleaned(util::trim(text));
  if (cleaned.empty()) return std::nullopt;
  ir::TextBlock block;
  block.text = cleaned;
  block.kind = "paragraph";
  block.bbox = box;
  line.text = cleaned;
  line.bbox = box;
  block.lines.push_back(std::move(line));
  block.source_anchors.push_back(anchor(page_number, box, std::move(ids)));
  block.confidence = ir::Confidence{kTextBlockConfidence, false};
  return block;
}

}  // namespace

std::vector<ir::Block> layout_page_blocks(std::vector<TextRun> runs,
                                          const std::vector<RulingSegment>& segments,
                                          std::uint64_t page_number) {
  (void)segments;
  std::vector<ir::Block> blocks;
  std::vector<TextRun> line;
  auto flush = [&] {
    if (line.empty()) return;
    if (auto block = block_of(line, page_number)) blocks.emplace_back(std::move(*block));
    line.clear();
  };
  for (TextRun& run : runs) {
    if (!line.empty() && !same_line(line.back(), run)) flush();
    line.push_back(std::move(run));
  }
  flush();
  return blocks;
}

}  // namespace scrivex_core::pdf

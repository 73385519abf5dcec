#include "core/pdf/text_blocks.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>

#include "core/pdf/document_warnings.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_block_scripts.hpp"
#include "core/pdf/text_repair.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// Native text is read exactly, but the block structure is inferred.
constexpr float kTextBlockConfidence = 0.82f;

// A line longer than this (in characters) is never a heading.
constexpr std::uint64_t kMaxHeadingChars = 199;
// Line size over body font size from which a line is a heading of each level.
constexpr float kHeading1Ratio = 1.5f;
constexpr float kHeading2Ratio = 1.3f;
constexpr float kHeading3Ratio = 1.12f;

// A wrapped continuation lies below the previous block by at most this many
// line heights, and its left edge within this many units of the previous one.
constexpr float kWrapMaxLineHeights = 1.8f;
constexpr float kWrapMaxIndent = 18.0f;

// The font size of the run with the most characters (the later on a tie);
// runs without a positive size are ignored; 0 without any.
float line_font_size(std::span<const TextRun> runs) {
  float size = 0;
  std::uint64_t most = 0;
  bool found = false;
  for (const TextRun& run : runs) {
    if (run.font_size <= 0) continue;
    const std::uint64_t chars = util::count_scalars(run.text);
    if (!found || chars >= most) {
      size = run.font_size;
      most = chars;
      found = true;
    }
  }
  return size;
}

std::string block_kind(float line_size, float body_size, std::string_view text) {
  const std::uint64_t chars = util::count_scalars(text);
  if (line_size <= 0 || body_size <= 0 || chars == 0 || chars > kMaxHeadingChars) return "paragraph";
  const float ratio = line_size / body_size;
  if (ratio >= kHeading1Ratio) return "heading_1";
  if (ratio >= kHeading2Ratio) return "heading_2";
  if (ratio >= kHeading3Ratio) return "heading_3";
  return "paragraph";
}

std::vector<ir::Span> line_spans(std::span<const TextRun> runs) {
  std::vector<ir::Span> spans;
  for (const TextRun& run : runs) {
    std::string text = repair_pdf_math_notation(normalize_pdf_token(run.text));
    if (text.empty()) continue;
    ir::Span span;
    span.text = std::move(text);
    span.bbox = run_box(run);
    span.font = run.font_name;
    span.size = run.font_size;
    span.bold = run.bold;
    span.italic = run.italic;
    spans.push_back(std::move(span));
  }
  return spans;
}

bool ends_with_sentence_stop(std::string_view text) {
  text = util::trim_end(text);
  return !text.empty() && (text.back() == '.' || text.back() == '!' || text.back() == '?');
}

// Whether B sits where the next line of P's paragraph would: below P within
// a few line heights and starting at about the same x.
bool is_wrap_position(const ir::BBox& previous, const ir::BBox& current) {
  const float drop = previous.y - current.y;
  const float limit = kWrapMaxLineHeights * max_ignoring_nan(previous.height, current.height);
  return drop > 0 && drop <= limit && std::fabs(previous.x - current.x) <= kWrapMaxIndent;
}

bool continues(const ir::TextBlock& previous, const ir::TextBlock& current) {
  if (!previous.bbox || !current.bbox || !is_wrap_position(*previous.bbox, *current.bbox)) return false;
  const bool lowercase_next = starts_with_lowercase(current.text);
  if (!previous.text.empty() && previous.text.back() == '-' && lowercase_next) return true;
  const bool both_steps = starts_with_numbered_step(previous.text) && starts_with_numbered_step(current.text);
  return !both_steps && previous.kind == "paragraph" && current.kind == "paragraph" && lowercase_next &&
         !ends_with_sentence_stop(previous.text);
}

void merge_into(ir::TextBlock& previous, ir::TextBlock&& current) {
  const std::string_view next = util::trim_start(current.text);
  if (!previous.text.empty() && previous.text.back() == '-') {
    previous.text.pop_back();
  } else {
    previous.text.resize(util::trim_end(previous.text).size());
    previous.text.push_back(' ');
  }
  previous.text += next;
  previous.bbox = union_box(*previous.bbox, *current.bbox);
  for (ir::Line& line : current.lines) previous.lines.push_back(std::move(line));
  for (ir::SourceAnchor& source : current.source_anchors)
    previous.source_anchors.push_back(std::move(source));
}

}  // namespace

std::optional<ir::TextBlock> text_block_from_line(const TextLine& line, std::uint64_t page_number,
                                                  float body_font_size) {
  const RunsByX sorted = runs_sorted_by_x(line.runs);
  std::string text = clean_pdf_line_text(detail::raw_line_text(sorted.runs()));
  if (text.empty()) return std::nullopt;

  ir::TextBlock block;
  block.kind = block_kind(line_font_size(line.runs), body_font_size, text);
  block.bbox = line.bbox;
  ir::Line block_line;
  block_line.text = text;
  block_line.bbox = line.bbox;
  block_line.spans = line_spans(line.runs);
  block.lines.push_back(std::move(block_line));
  block.source_anchors.push_back(anchor(page_number, line.bbox, source_ids_for_runs(line.runs)));
  block.confidence = ir::Confidence{kTextBlockConfidence, false};
  block.text = std::move(text);
  return block;
}

std::vector<ir::TextBlock> merge_wrapped_text_blocks(std::vector<ir::TextBlock> blocks) {
  std::vector<ir::TextBlock> merged;
  merged.reserve(blocks.size());
  for (ir::TextBlock& block : blocks) {
    if (!merged.empty() && continues(merged.back(), block)) {
      merge_into(merged.back(), std::move(block));
    } else {
      merged.push_back(std::move(block));
    }
  }
  return merged;
}

std::vector<std::string> source_ids_for_runs(std::span<const TextRun> runs) {
  std::vector<std::string> ids;
  for (const TextRun& run : runs) {
    for (const std::string& id : run.object_ids) {
      if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
    }
  }
  return ids;
}

}  // namespace scrivex_core::pdf

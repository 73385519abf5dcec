// The detector order, rule positions, what the detectors share, and the
// aligned-rows detector.
#include "core/pdf/table_detect.hpp"

#include <algorithm>
#include <cmath>

#include "core/pdf/document_warnings.hpp"
#include "core/pdf/layout_math.hpp"
#include "core/pdf/table_detectors.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::pdf {
namespace {

// A rule is straight when its ends differ by at most this much across it,
// and counts only when at least kMinRuleLength long.
constexpr float kRuleSlant = 1;
constexpr float kMinRuleLength = 12;
// Parallel rules this close or closer are one rule at their mean position.
constexpr float kRuleMergeDistance = 2;
// A ruled grid needs at least this many positions on each axis.
constexpr std::size_t kMinGridPositions = 3;
// Runs of aligned rows start within this many units of the first row's runs.
constexpr float kAlignedRunTolerance = 6;
// A cell of this many words or more reads as running text, not a value.
constexpr std::size_t kProseCellWords = 6;

// Two columns of running text, each line of a column set as one run, also
// give lines that share their run positions. Table cells hold short values,
// so aligned rows where most cells are phrases of running text are columns
// of prose, and taking them as a table would swallow the page's text.
bool aligned_rows_hold_prose(std::span<const TextLine> lines, const std::vector<std::size_t>& rows) {
  std::size_t cells = 0;
  std::size_t prose = 0;
  for (const std::size_t row : rows) {
    for (const TextRun& run : lines[row].runs) {
      ++cells;
      if (util::count_words(run.text) >= kProseCellWords) ++prose;
    }
  }
  return 2 * prose > cells;
}

// The lines with at least two runs, with their positions, or nothing when
// they do not all share the first one's run count and run positions.
std::optional<std::vector<std::size_t>> aligned_rows(std::span<const TextLine> lines) {
  std::vector<std::size_t> rows;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].runs.size() >= 2) rows.push_back(i);
  }
  if (rows.size() < 2) return std::nullopt;
  const std::vector<TextRun>& first = lines[rows.front()].runs;
  for (const std::size_t row : rows) {
    const std::vector<TextRun>& runs = lines[row].runs;
    if (runs.size() != first.size()) return std::nullopt;
    for (std::size_t k = 0; k < runs.size(); ++k) {
      if (!(std::fabs(runs[k].x - first[k].x) <= kAlignedRunTolerance)) return std::nullopt;
    }
  }
  return rows;
}

}  // namespace

namespace detail {

std::string lowered_plain_text(const TextLine& line) {
  return util::ascii_lowercase(text_line_plain_text(line));
}

bool has_caption_line(std::span<const TextLine> lines, float top, float left, float right) {
  return std::any_of(lines.begin(), lines.end(), [&](const TextLine& line) {
    const ir::BBox& box = line.bbox;
    return top <= box.y && box.y <= top + kCaptionReach && box.x <= right + kCaptionSideSlack &&
           box.x + box.width >= left - kCaptionSideSlack && lowered_plain_text(line).starts_with("table");
  });
}

void finish_table_block(ir::TableBlock& table, std::uint64_t page_number, ir::BBox bbox, float score) {
  table.caption.reset();
  table.html.reset();
  table.provenance.reset();
  table.bbox = bbox;
  table.confidence = ir::Confidence{score, false};
  table.source_anchors = {anchor(page_number, bbox, {})};
}

std::optional<DetectedTable> detect_aligned_rows_table(std::uint64_t page_number,
                                                       std::span<const TextLine> lines) {
  const auto rows = aligned_rows(lines);
  if (!rows || aligned_rows_hold_prose(lines, *rows)) return std::nullopt;
  if (rows->size() == 2) {
    const std::vector<TextRun>& second = lines[(*rows)[1]].runs;
    if (std::none_of(second.begin(), second.end(),
                     [](const TextRun& run) { return has_ascii_digit(run.text); }))
      return std::nullopt;
  }
  DetectedTable result;
  ir::TableBlock& table = result.table;
  ir::BBox bbox = lines[rows->front()].bbox;
  for (std::size_t r = 0; r < rows->size(); ++r) {
    const TextLine& line = lines[(*rows)[r]];
    bbox = union_box(bbox, line.bbox);
    std::vector<std::string> texts;
    for (std::size_t k = 0; k < line.runs.size(); ++k) {
      const TextRun& run = line.runs[k];
      texts.emplace_back(util::trim(run.text));
      ir::TableCell cell;
      cell.row = r;
      cell.column = k;
      cell.text = run.text;
      cell.bbox = run_box(run);
      cell.is_header = r == 0;
      table.cells.push_back(std::move(cell));
    }
    if (r == 0) {
      table.headers = std::move(texts);
    } else {
      table.rows.push_back(std::move(texts));
    }
  }
  finish_table_block(table, page_number, bbox, kAlignedRowsScore);
  result.line_indices = *rows;
  return result;
}

}  // namespace detail

std::vector<float> grid_axis_values(std::span<const RulingSegment> segments, bool vertical) {
  std::vector<float> values;
  for (const RulingSegment& s : segments) {
    const float across = vertical ? std::fabs(s.x0 - s.x1) : std::fabs(s.y0 - s.y1);
    const float along = vertical ? std::fabs(s.y0 - s.y1) : std::fabs(s.x0 - s.x1);
    if (across <= kRuleSlant && along >= kMinRuleLength)
      values.push_back(vertical ? (s.x0 + s.x1) / 2 : (s.y0 + s.y1) / 2);
  }
  std::stable_sort(values.begin(), values.end(), total_less);
  std::vector<float> kept;
  for (const float value : values) {
    if (!kept.empty() && std::fabs(value - kept.back()) <= kRuleMergeDistance) {
      kept.back() = (kept.back() + value) / 2;
    } else {
      kept.push_back(value);
    }
  }
  return kept;
}

std::optional<DetectedTable> detect_table(std::uint64_t page_number, std::span<const TextLine> lines,
                                          std::span<const RulingSegment> segments) {
  const std::vector<float> xs = grid_axis_values(segments, true);
  const std::vector<float> ys = grid_axis_values(segments, false);
  if (xs.size() >= kMinGridPositions && ys.size() >= kMinGridPositions) {
    if (auto table = detail::detect_ruled_grid_table(page_number, lines, xs, ys)) return table;
  }
  if (auto table = detail::detect_aligned_rows_table(page_number, lines)) return table;
  if (auto table = detect_figure_column_table(page_number, lines)) return table;
  return detail::detect_row_group_table(page_number, lines);
}

}  // namespace scrivex_core::pdf

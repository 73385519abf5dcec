// Placeholder until the implementation lands.
#include "core/pdf/text_lines.hpp"

namespace scrivex_core::pdf {

std::vector<TextLine> group_runs_into_lines(std::vector<TextRun> runs) {
  std::vector<TextLine> lines;
  for (TextRun& run : runs) {
    TextLine line;
    line.bbox = {run.x, run.y, run.width, run.height};
    line.baseline = run.baseline;
    line.runs.push_back(std::move(run));
    lines.push_back(std::move(line));
  }
  return lines;
}
float body_font_size(std::span<const TextLine>) { return 0; }
RunsByX runs_sorted_by_x(std::span<const TextRun> runs) { return RunsByX(runs); }
std::string join_runs_spaced(std::span<const TextRun> runs) {
  std::string text;
  for (const TextRun& run : runs) text += run.text;
  return text;
}
std::string text_line_plain_text(const TextLine& line) { return join_runs_spaced(line.runs); }
bool is_math_run(const TextRun&) { return false; }
bool starts_with_numbered_step(std::string_view) { return false; }
bool is_numeric_value(std::string_view) { return false; }

}  // namespace scrivex_core::pdf

// Line assembly and reading order: text runs grouped into lines by baseline,
// the page's body font size, wide lines cut at a column gutter, lines put in
// reading order, and a line's runs joined with inferred spaces. Pure functions
// of one page's runs; none fails or warns.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/ir/document.hpp"
#include "core/pdf/text_run.hpp"

namespace scrivex_core::pdf {

// One line of a page: its runs, their union box and its vertical key (the
// lowest run baseline when grouped, the mean baseline after a column cut).
struct TextLine {
  std::vector<TextRun> runs;
  ir::BBox bbox;
  float baseline = 0;
};

// A line's runs in x order: a view of the caller's runs when they are already
// ordered (no copy), else an owned sorted copy. Movable, not copyable, so the
// view never outlives what it points at.
class RunsByX {
 public:
  explicit RunsByX(std::span<const TextRun> ordered) : view_(ordered) {}
  explicit RunsByX(std::vector<TextRun> sorted) : sorted_(std::move(sorted)), view_(sorted_) {}
  RunsByX(RunsByX&&) noexcept = default;
  RunsByX& operator=(RunsByX&&) noexcept = default;
  RunsByX(const RunsByX&) = delete;
  RunsByX& operator=(const RunsByX&) = delete;

  std::span<const TextRun> runs() const { return view_; }
  bool is_copy() const { return !sorted_.empty(); }

 private:
  std::vector<TextRun> sorted_;
  std::span<const TextRun> view_;
};

// Groups the page's runs into lines (baselines within 3.0 of a line's key),
// each line's runs sorted by x.
std::vector<TextLine> group_runs_into_lines(std::vector<TextRun> runs);

// The font size carrying the most characters, 0 when no run has a size.
float body_font_size(std::span<const TextLine> lines);

RunsByX runs_sorted_by_x(std::span<const TextRun> runs);

// The runs' texts joined with inferred single spaces (not trimmed).
std::string join_runs_spaced(std::span<const TextRun> runs);

// The trimmed, spaced text of a line.
std::string text_line_plain_text(const TextLine& line);

// Whether the run's repaired text looks like mathematics.
bool is_math_run(const TextRun& run);

// Cuts lines that hold two columns; each line is kept or cut in two, once.
std::vector<TextLine> split_wide_text_lines(std::vector<TextLine> lines);

// The index of the first run of a right-hand column in a tight band, if any.
std::optional<std::size_t> tight_column_band_split_index_for_runs(std::span<const TextRun> runs);

// Whether the text before run `index` opens an algorithm or a numbered step.
bool allows_math_column_split(std::span<const TextRun> runs, std::size_t index);

// Digits followed by "." or ":" after leading white space ("3. Mix", "12:").
bool starts_with_numbered_step(std::string_view text);

// A number-like cell value: digits with currency, sign, grouping and dashes.
bool is_numeric_value(std::string_view text);

// The lines in reading order, as pointers into `lines`.
std::vector<const TextLine*> text_lines_in_reading_order(std::span<const TextLine> lines);

}  // namespace scrivex_core::pdf

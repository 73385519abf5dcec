// Joining a line's runs into text with inferred spaces. PDFs rarely carry
// their spaces as glyphs, so a space is read from the gap between two runs:
// runs of whole words by a small fraction of the space width, runs of single
// glyphs by a gap statistic of their own line.
#include <algorithm>
#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_lines.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// Statistics mode needs at least this many positive gaps on the line.
constexpr std::size_t kMinGapsForStatistics = 3;
// In statistics mode a space is a gap of this multiple of the median gap...
constexpr float kMedianGapFactor = 1.8f;
// ...clamped to these fractions of the line's widest space advance.
constexpr float kMinStatisticsFraction = 0.08f;
constexpr float kMaxStatisticsFraction = 0.4f;
// Floor of the space width: a fraction of the font size, and an absolute unit.
constexpr float kSpaceFontSizeFraction = 0.25f;
constexpr float kMinSpaceWidth = 0.1f;
// Fractions of the space width that make a space between word runs and
// between glyph runs outside statistics mode.
constexpr float kWordGapFraction = 0.1f;
constexpr float kGlyphGapFraction = 0.4f;
// Word runs overlapping by this fraction of the space width (at least the
// absolute overlap) are separate words drawn over each other.
constexpr float kOverlapSpaceFraction = 0.6f;
constexpr float kMinOverlap = 0.5f;
// A baseline jump of this fraction of the font size (at least 1 unit) is a space.
constexpr float kVerticalOffsetFraction = 0.18f;
constexpr float kMinVerticalFontSize = 1.0f;

bool is_ascii_digit(char c) {
  return c >= '0' && c <= '9';
}

// At least two characters.
bool has_two_chars(std::string_view text) {
  if (text.empty()) return false;
  return util::decode_utf8_at(text, 0).length < text.size();
}

float gap_between(const TextRun& previous, const TextRun& current) {
  return current.x - (previous.x + previous.width);
}

// The threshold of statistics mode, or nothing when the line is not in it.
std::optional<float> statistics_threshold(std::span<const TextRun> runs) {
  float widest_space = 0.0f;
  std::vector<float> gaps;
  const TextRun* previous = nullptr;
  for (const TextRun& run : runs) {
    if (run.text.empty()) continue;
    widest_space = max_ignoring_nan(widest_space, run.space_width);
    if (previous != nullptr) {
      const float gap = gap_between(*previous, run);
      if (gap > 0.0f && std::isfinite(gap)) gaps.push_back(gap);
    }
    previous = &run;
  }
  if (gaps.size() < kMinGapsForStatistics || !(widest_space > 0.0f)) return std::nullopt;
  const auto middle = gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2);
  std::nth_element(gaps.begin(), middle, gaps.end());
  return std::clamp(kMedianGapFactor * *middle, kMinStatisticsFraction * widest_space,
                    kMaxStatisticsFraction * widest_space);
}

// Whether a space goes between the text built so far and the current run.
// `word_sized` tells, for each of the two runs, whether its trimmed text has
// at least two characters.
bool needs_space(const std::string& built, const TextRun& previous, const TextRun& current,
                 bool previous_word_sized, bool current_word_sized, std::optional<float> statistics) {
  const std::string_view built_end = util::trim_end(built);
  const std::string_view current_start = util::trim_start(current.text);
  // White space already on either side of the join: never a second space.
  if (built_end.size() != built.size() || current_start.size() != current.text.size()) return false;
  const bool digit_pair = !built_end.empty() && is_ascii_digit(built_end.back()) && !current_start.empty() &&
                          is_ascii_digit(current_start.front());
  const bool word_like = (current_word_sized || previous_word_sized) && !digit_pair;

  float threshold = 0.0f;
  if (word_like || !statistics) {
    const float space =
        max_ignoring_nan(max_ignoring_nan(previous.space_width, current.space_width),
                         max_ignoring_nan(kSpaceFontSizeFraction * current.font_size, kMinSpaceWidth));
    threshold = space * (word_like ? kWordGapFraction : kGlyphGapFraction);
  } else {
    threshold = *statistics;
  }
  const float gap = gap_between(previous, current);
  const float vertical_offset = std::fabs(previous.baseline - current.baseline);
  const float vertical_threshold =
      max_ignoring_nan(current.font_size, kMinVerticalFontSize) * kVerticalOffsetFraction;
  if (vertical_offset >= vertical_threshold || gap >= threshold) return true;
  if (!word_like) return false;
  const float overlap = max_ignoring_nan(
      kOverlapSpaceFraction * max_ignoring_nan(previous.space_width, current.space_width), kMinOverlap);
  return gap <= -overlap;
}

}  // namespace

std::string join_runs_spaced(std::span<const TextRun> runs) {
  const std::optional<float> statistics = statistics_threshold(runs);
  std::string out;
  const TextRun* previous = nullptr;
  bool previous_word_sized = false;
  for (const TextRun& run : runs) {
    if (run.text.empty()) continue;
    const bool word_sized = has_two_chars(util::trim(run.text));
    if (previous != nullptr &&
        needs_space(out, *previous, run, previous_word_sized, word_sized, statistics)) {
      out.push_back(' ');
    }
    out += run.text;
    previous = &run;
    previous_word_sized = word_sized;
  }
  return out;
}

}  // namespace scrivex_core::pdf

// Line assembly: runs grouped into lines by baseline, the page's body font
// size, runs put in x order, and the small text predicates the layout stages
// share (math runs, numbered steps, numeric cell values).
#include "core/pdf/text_lines.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_repair.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// Runs whose baselines differ by at most this many units join one line.
constexpr float kSameLineBaselineDistance = 3.0f;
// Font sizes are counted in half points: key = round(size x 2).
constexpr float kFontSizeKeysPerUnit = 2.0f;
// Besides digits, the characters a number-like cell value may hold: sign,
// currency, percent, parentheses for negatives, grouping, en and em dashes.
constexpr std::u32string_view kNumericValueSigns = U" $%()+,-.\u2013\u2014";

// One run's place in the grouping order: baseline descending, then x
// ascending (total order), then emission order, which makes std::sort stable.
struct GroupingKey {
  std::int32_t baseline;
  std::int32_t x;
  std::size_t index;
};

bool grouping_before(const GroupingKey& a, const GroupingKey& b) {
  if (a.baseline != b.baseline) return a.baseline > b.baseline;
  if (a.x != b.x) return a.x < b.x;
  return a.index < b.index;
}

bool x_before(const TextRun& a, const TextRun& b) {
  return total_less(a.x, b.x);
}

TextLine line_of(TextRun run) {
  TextLine line;
  line.bbox = run_box(run);
  line.baseline = run.baseline;
  line.runs.push_back(std::move(run));
  return line;
}

// round(size x 2) half away from zero, saturated into 32 bits (NaN and
// negative sizes give 0).
std::uint32_t font_size_key(float font_size) {
  const float rounded = std::round(font_size * kFontSizeKeysPerUnit);
  if (!(rounded > 0.0f)) return 0;
  if (rounded >= 4294967296.0f) return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(rounded);
}

bool is_ascii_digit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

// The literal grouping scans every line made so far for the first whose key
// lies within 3.0 of the run's baseline. Visiting the runs by descending
// baseline makes that scan needless: a line's key is the lowest of its members,
// every later run lies at or below the run that opened the next line, and that
// run already missed the earlier line by more than 3.0, so every later run
// misses it too (key - c > 3 and b <= c give key - b > 3, float subtraction
// being monotonic; equal infinities give NaN, which never matches). A NaN
// baseline matches nothing and a line keyed by NaN is never matched, so only
// the most recent line can ever take a run.
std::vector<TextLine> group_runs_into_lines(std::vector<TextRun> runs) {
  std::vector<GroupingKey> order;
  order.reserve(runs.size());
  for (std::size_t i = 0; i < runs.size(); ++i) {
    order.push_back({total_order_key(runs[i].baseline), total_order_key(runs[i].x), i});
  }
  std::sort(order.begin(), order.end(), grouping_before);

  std::vector<TextLine> lines;
  for (const GroupingKey& key : order) {
    TextRun& run = runs[key.index];
    if (!lines.empty()) {
      TextLine& last = lines.back();
      if (std::fabs(last.baseline - run.baseline) <= kSameLineBaselineDistance) {
        last.bbox = union_box(last.bbox, run_box(run));
        last.baseline = min_ignoring_nan(last.baseline, run.baseline);
        last.runs.push_back(std::move(run));
        continue;
      }
    }
    lines.push_back(line_of(std::move(run)));
  }
  for (TextLine& line : lines) {
    if (!std::is_sorted(line.runs.begin(), line.runs.end(), x_before)) {
      std::stable_sort(line.runs.begin(), line.runs.end(), x_before);
    }
  }
  return lines;
}

float body_font_size(std::span<const TextLine> lines) {
  // Keys in first-seen order with their summed character weights.
  std::vector<std::pair<std::uint32_t, std::uint64_t>> weights;
  std::unordered_map<std::uint32_t, std::size_t> slot_of_key;
  for (const TextLine& line : lines) {
    for (const TextRun& run : line.runs) {
      if (run.font_size <= 0.0f) continue;
      const std::uint32_t key = font_size_key(run.font_size);
      const auto [slot, inserted] = slot_of_key.try_emplace(key, weights.size());
      if (inserted) weights.emplace_back(key, 0);
      weights[slot->second].second += util::count_scalars(run.text);
    }
  }
  if (weights.empty()) return 0.0f;
  // The key seen later wins a tie.
  const auto* best = &weights.front();
  for (const auto& entry : weights) {
    if (entry.second >= best->second) best = &entry;
  }
  return static_cast<float>(best->first) * 0.5f;
}

RunsByX runs_sorted_by_x(std::span<const TextRun> runs) {
  bool ordered = true;
  for (std::size_t i = 1; i < runs.size() && ordered; ++i) ordered = runs[i].x >= runs[i - 1].x;
  if (ordered) return RunsByX(runs);
  std::vector<TextRun> sorted(runs.begin(), runs.end());
  std::stable_sort(sorted.begin(), sorted.end(), x_before);
  return RunsByX(std::move(sorted));
}

std::string text_line_plain_text(const TextLine& line) {
  const RunsByX sorted = runs_sorted_by_x(line.runs);
  const std::string joined = join_runs_spaced(sorted.runs());
  return std::string(util::trim(joined));
}

bool is_math_run(const TextRun& run) {
  return looks_like_pdf_math_notation(normalize_pdf_token(run.text));
}

bool starts_with_numbered_step(std::string_view text) {
  const std::string_view rest = util::trim_start(text);
  std::size_t digits = 0;
  while (digits < rest.size() && is_ascii_digit(rest[digits])) ++digits;
  return digits > 0 && digits < rest.size() && (rest[digits] == '.' || rest[digits] == ':');
}

bool is_numeric_value(std::string_view text) {
  const std::string_view trimmed = util::trim(text);
  bool has_digit = false;
  bool allowed = true;
  util::for_each_char(trimmed, [&](char32_t c) {
    if (c >= U'0' && c <= U'9') {
      has_digit = true;
    } else if (kNumericValueSigns.find(c) == std::u32string_view::npos) {
      allowed = false;
    }
  });
  return has_digit && allowed;
}

}  // namespace scrivex_core::pdf

#include "core/pdf/text_block_scripts.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>

#include "core/pdf/layout_math.hpp"
#include "core/pdf/text_lines.hpp"
#include "core/pdf/text_repair.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf::detail {
namespace {

// Adjacent runs whose baselines differ by at least this fraction of the larger
// font size may be a base and its script.
constexpr float kScriptShiftFraction = 0.2f;
// Runs at least this fraction of the largest size set the main baseline.
constexpr float kMainSizeFraction = 0.8f;
// A run counts as raised or lowered when its baseline is this far from the
// main baseline: a fraction of its font size, kept within a floor and a cap
// (user-space units).
constexpr float kScriptOffsetFraction = 0.25f;
constexpr float kScriptOffsetFloor = 2.0f;
constexpr float kScriptOffsetCap = 4.0f;

// Signs whose presence makes the line mathematical (UTF-8).
constexpr std::array<std::string_view, 17> kMathSigns = {"*",
                                                         "+",
                                                         "=",
                                                         "^",
                                                         "_",
                                                         "\xC3\x97",
                                                         "\xCE\xA3",
                                                         "\xCE\xB8",
                                                         "\xCE\xBB",
                                                         "\xCF\x81",
                                                         "\xCF\x84",
                                                         "\xE2\x88\x88",
                                                         "\xE2\x88\x91",
                                                         "\xE2\x88\x92",
                                                         "\xE2\x89\xA0",
                                                         "\xE2\x89\xA4",
                                                         "\xE2\x89\xA5"};

constexpr std::string_view kPrime = "\xE2\x80\xB2";  // U+2032

bool has_math_sign(std::span<const TextRun> runs) {
  std::string joined;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    if (i > 0) joined.push_back(' ');
    joined += runs[i].text;
  }
  return std::any_of(kMathSigns.begin(), kMathSigns.end(),
                     [&](std::string_view sign) { return joined.find(sign) != std::string::npos; });
}

bool is_opening_bracket(char c) {
  return c == '(' || c == '{' || c == '[';
}

// The base of a script: one letter or digit, or a TeX command.
bool is_script_base(std::string_view text) {
  text = util::trim(text);
  while (!text.empty() && is_opening_bracket(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_opening_bracket(text.back())) text.remove_suffix(1);
  if (text.empty()) return false;
  if (text.front() == '\\') return true;
  const util::DecodedChar first = util::decode_utf8_at(text, 0);
  if (first.length != text.size()) return false;
  return util::is_alphabetic(first.value) || util::is_numeric(first.value);
}

bool has_shifted_script_pair(std::span<const TextRun> runs) {
  for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
    const TextRun& base = runs[i];
    const TextRun& script = runs[i + 1];
    const float shift = std::fabs(base.baseline - script.baseline);
    const float size = max_ignoring_nan(base.font_size, script.font_size);
    if (!(shift >= kScriptShiftFraction * size)) continue;
    if (is_script_base(base.text) && is_math_script_text(util::trim(script.text))) return true;
  }
  return false;
}

float largest_font_size(std::span<const TextRun> runs) {
  float largest = 0;
  for (const TextRun& run : runs) largest = max_ignoring_nan(largest, run.font_size);
  return largest;
}

// The median baseline of the runs in the main font size (all runs when none is).
float main_baseline(std::span<const TextRun> runs, float largest) {
  std::vector<float> baselines;
  for (const TextRun& run : runs) {
    if (run.font_size >= kMainSizeFraction * largest) baselines.push_back(run.baseline);
  }
  if (baselines.empty()) {
    for (const TextRun& run : runs) baselines.push_back(run.baseline);
  }
  std::stable_sort(baselines.begin(), baselines.end(), total_less);
  return baselines[baselines.size() / 2];
}

bool ends_with(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

// The last character of text as a scalar value; text must not be empty.
char32_t last_char(std::string_view text) {
  std::size_t start = text.size() - 1;
  while (start > 0 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  return util::decode_utf8_at(text, start).value;
}

// Whether a script may hang on this piece: a closed group holding TeX
// notation, or a letter or TeX command (ignoring trailing primes and stars).
bool takes_script(std::string_view piece) {
  piece = util::trim_end(piece);
  if (piece.empty()) return false;
  const char last = piece.back();
  if ((last == ')' || last == ']' || last == '}') && piece.find_first_of("\\_^") != std::string_view::npos) {
    return true;
  }
  for (;;) {
    if (!piece.empty() && (piece.back() == '\'' || piece.back() == '*')) {
      piece.remove_suffix(1);
    } else if (ends_with(piece, kPrime)) {
      piece.remove_suffix(kPrime.size());
    } else {
      break;
    }
  }
  if (piece.empty()) return false;
  return piece.back() == '\\' || is_letter(last_char(piece));
}

bool is_ascii_alphanumeric(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  });
}

void append_script(std::string& piece, char marker, std::string_view script) {
  piece.push_back(marker);
  if (util::count_scalars(script) == 1 || is_ascii_alphanumeric(script)) {
    piece += script;
    return;
  }
  piece.push_back('{');
  piece += script;
  piece.push_back('}');
}

std::string text_with_scripts(std::span<const TextRun> runs, float largest) {
  const float main = main_baseline(runs, largest);
  std::vector<std::string> pieces;
  for (const TextRun& run : runs) {
    const std::string_view word = util::trim(run.text);
    if (word.empty()) continue;
    const float offset = run.baseline - main;
    const float threshold = min_ignoring_nan(
        kScriptOffsetCap, max_ignoring_nan(kScriptOffsetFloor, kScriptOffsetFraction * run.font_size));
    const bool raised = offset >= threshold;
    const bool lowered = offset <= -threshold;
    const bool attaches = (raised || lowered) && !pieces.empty() && !ends_with(pieces.back(), "^") &&
                          !ends_with(pieces.back(), "_") && is_math_script_text(word) &&
                          takes_script(pieces.back());
    if (attaches) {
      append_script(pieces.back(), raised ? '^' : '_', word);
    } else {
      pieces.emplace_back(word);
    }
  }
  std::string text;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    if (i > 0) text.push_back(' ');
    text += pieces[i];
  }
  return text;
}

}  // namespace

bool is_mathematical_line(std::span<const TextRun> runs) {
  return has_math_sign(runs) || has_shifted_script_pair(runs);
}

std::string raw_line_text(std::span<const TextRun> runs) {
  const float largest = largest_font_size(runs);
  if (!is_mathematical_line(runs) || !(largest > 0)) return join_runs_spaced(runs);
  return text_with_scripts(runs, largest);
}

}  // namespace scrivex_core::pdf::detail

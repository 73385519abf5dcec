#include "core/pdf/text_runs.hpp"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

// A run box is never thinner than this fraction of the font size.
constexpr float kMinRunExtent = 0.25f;
// A space is this fraction of the font size when the font does not say.
constexpr float kDefaultSpaceWidth = 0.25f;
// A TJ adjustment makes a space when it is at least this fraction of the
// space width (or of kMinSpaceFraction x the font size, if larger).
constexpr float kTjSpaceFraction = 0.3f;
constexpr float kMinSpaceFraction = 0.04f;

const FontDecoder* font_of(const GraphicsState& state, const PageFontMap& fonts) {
  if (!state.font) return nullptr;
  const auto found = fonts.find(*state.font);
  return found == fonts.end() ? nullptr : found->second.get();
}

float nan_min(float a, float b) {
  return std::isnan(a) ? b : std::isnan(b) ? a : std::min(a, b);
}
float nan_max(float a, float b) {
  return std::isnan(a) ? b : std::isnan(b) ? a : std::max(a, b);
}

}  // namespace

float default_glyph_width(char32_t c) {
  constexpr std::u32string_view kNarrow = U" !',./:;I[\\]ijl|";
  constexpr std::u32string_view kSlim = U"\"()*-`frt{}";
  constexpr std::u32string_view kWide = U"@MWmw";
  constexpr std::u32string_view kCapitalLike = U"$+<=>?_~";
  if (kNarrow.find(c) != std::u32string_view::npos) return 250;
  if (kSlim.find(c) != std::u32string_view::npos) return 333;
  if (kWide.find(c) != std::u32string_view::npos) return 850;
  if (c >= U'0' && c <= U'9') return 556;
  if ((c >= U'A' && c <= U'Z') || kCapitalLike.find(c) != std::u32string_view::npos) return 650;
  return 500;
}

float space_advance_width(const GraphicsState& state, const PageFontMap& fonts) {
  float width = kDefaultSpaceWidth * state.font_size;
  if (const FontDecoder* font = font_of(state, fonts)) {
    const auto space = font->widths.find(U' ');
    if (space != font->widths.end() && space->second > 0) width = space->second / 1000 * state.font_size;
  }
  return nan_max(width * state.horizontal_scaling, 0.0f);
}

std::optional<std::string> operand_text(const Operand& operand, const GraphicsState& state,
                                        const PageFontMap& fonts) {
  if (!operand.is_string()) return std::nullopt;
  return decode_pdf_text(operand.text, font_of(state, fonts));
}

std::string text_from_array(const std::vector<Operand>& items, const GraphicsState& state,
                            const PageFontMap& fonts) {
  const float threshold =
      kTjSpaceFraction * nan_max(space_advance_width(state, fonts), kMinSpaceFraction * state.font_size);
  std::string text;
  for (const Operand& item : items) {
    if (item.is_string()) {
      text += *operand_text(item, state, fonts);
    } else if (item.is_number()) {
      const float gap = -item.number / 1000 * state.font_size * state.horizontal_scaling;
      if (gap >= threshold && (text.empty() || text.back() != ' ')) text.push_back(' ');
    }
  }
  return text;
}

void push_text_run(std::vector<TextRun>& runs, GraphicsState& state, const std::string& label,
                   std::string text, const PageFontMap& fonts) {
  const FontDecoder* font = font_of(state, fonts);
  float glyphs = 0;
  std::size_t chars = 0;
  std::size_t spaces = 0;
  util::for_each_char(text, [&](char32_t c) {
    ++chars;
    if (c == U' ') ++spaces;
    float width = default_glyph_width(c);
    if (font != nullptr) {
      const auto found = font->widths.find(c);
      if (found != font->widths.end()) width = found->second;
    }
    glyphs += width / 1000 * state.font_size;
  });
  const float advance = nan_max(0.0f, (glyphs + state.char_spacing * static_cast<float>(chars) +
                                       state.word_spacing * static_cast<float>(spaces)) *
                                          state.horizontal_scaling);
  const float ascent = font != nullptr ? font->ascent : kDefaultAscent;
  const float descent = font != nullptr ? font->descent : kDefaultDescent;
  const float y0 = descent * state.font_size + state.rise;
  const float y1 = ascent * state.font_size + state.rise;
  auto to_user = [&](Point p) { return state.ctm.apply(state.text_matrix.apply(p)); };

  if (!util::is_blank(text)) {
    const Point corners[4] = {to_user({0, y0}), to_user({advance, y0}), to_user({0, y1}),
                              to_user({advance, y1})};
    float min_x = NAN, min_y = NAN, max_x = NAN, max_y = NAN;
    for (const Point& p : corners) {
      min_x = nan_min(min_x, p.x);
      min_y = nan_min(min_y, p.y);
      max_x = nan_max(max_x, p.x);
      max_y = nan_max(max_y, p.y);
    }
    const float min_extent = kMinRunExtent * state.font_size;
    TextRun run;
    run.object_ids = {label};
    run.font_name = state.font;
    run.x = min_x;
    run.y = min_y;
    run.width = nan_max(max_x - min_x, min_extent);
    run.height = nan_max(max_y - min_y, min_extent);
    run.baseline = to_user({0, state.rise}).y;
    run.font_size = state.font_size;
    run.space_width = space_advance_width(state, fonts);
    run.bold = font != nullptr && font->bold;
    run.italic = font != nullptr && font->italic;
    run.text = std::move(text);
    runs.push_back(std::move(run));
  }
  state.text_matrix.e += advance * state.text_matrix.a;
  state.text_matrix.f += advance * state.text_matrix.b;
}

}  // namespace scrivex_core::pdf

#include "core/engine/docbank.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/engine/text_builders.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::engine {
namespace {

constexpr std::size_t kMinFields = 10;
constexpr std::size_t kTokenField = 0;
constexpr std::size_t kFirstCoordinateField = 1;  // x0, y0, x1, y1 follow in order
constexpr std::size_t kLabelField = 9;

// Tokens whose tops differ by at most this many points (or by the taller
// token's height, when larger) sit on one visual line.
constexpr float kMinLineTolerance = 3.0f;
constexpr float kTokenConfidence = 0.9f;
constexpr std::string_view kEngineName = "plain-text";
constexpr std::string_view kExtractionMethod = "docbank_token_labels";

constexpr std::array<std::string_view, 13> kLabels{"abstract", "author", "caption", "date",      "equation",
                                                   "figure",   "footer", "list",    "paragraph", "reference",
                                                   "section",  "table",  "title"};

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

// For a finite numeral too large or too small for a float: whether it is
// too large. Its decimal exponent is estimated from the first non-zero digit
// and the written exponent; out-of-range values sit far from zero exponent.
bool numeral_overflows(std::string_view numeral) {
  std::size_t i = (!numeral.empty() && numeral.front() == '-') ? 1 : 0;
  long long exponent = 0;
  bool after_point = false;
  bool seen_nonzero = false;
  for (; i < numeral.size() && (is_digit(numeral[i]) || numeral[i] == '.'); ++i) {
    const char c = numeral[i];
    if (c == '.') {
      after_point = true;
    } else if (seen_nonzero) {
      if (!after_point) ++exponent;
    } else if (c != '0') {
      seen_nonzero = true;
    } else if (after_point) {
      --exponent;
    }
  }
  if (!seen_nonzero) return false;
  if (i < numeral.size()) {  // "e" or "E" and the written exponent
    std::string_view written = numeral.substr(i + 1);
    if (!written.empty() && written.front() == '+') written.remove_prefix(1);
    long long value = 0;
    const auto [end, ec] = std::from_chars(written.data(), written.data() + written.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) return written.empty() || written.front() != '-';
    exponent = value > 0 ? std::min(value, std::numeric_limits<long long>::max() / 2) + exponent
                         : std::max(value, std::numeric_limits<long long>::min() / 2) + exponent;
  }
  return exponent > 0;
}

// A 32-bit float in the form a standard decimal parser accepts: optional
// sign, digits with an optional point, optional exponent, or the words for
// infinity and NaN in any case; no white space. Numerals beyond the float
// range become infinity or zero, as a correctly rounding parser makes them.
std::optional<float> parse_coordinate(std::string_view field) {
  std::string_view numeral = field;
  if (!numeral.empty() && numeral.front() == '+') {
    numeral.remove_prefix(1);
    if (!numeral.empty() && (numeral.front() == '+' || numeral.front() == '-')) return std::nullopt;
  }
  // from_chars also takes "nan(chars)", which is not a plain decimal form.
  if (numeral.empty() || numeral.find('(') != std::string_view::npos) return std::nullopt;
  float value = 0;
  const char* last = numeral.data() + numeral.size();
  const auto [end, ec] = std::from_chars(numeral.data(), last, value, std::chars_format::general);
  if (end != last) return std::nullopt;
  if (ec == std::errc::result_out_of_range) {
    const float magnitude = numeral_overflows(numeral) ? std::numeric_limits<float>::infinity() : 0.0f;
    return numeral.front() == '-' ? -magnitude : magnitude;
  }
  if (ec != std::errc{}) return std::nullopt;
  return value;
}

bool is_label(std::string_view label) {
  return std::find(kLabels.begin(), kLabels.end(), label) != kLabels.end();
}

std::vector<std::string_view> split_tabs(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) break;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

float right_edge(const ir::BBox& box) {
  return box.x + box.width;
}
float bottom_edge(const ir::BBox& box) {
  return box.y + box.height;
}

ir::BBox union_box(const std::vector<DocBankToken>& tokens) {
  float left = tokens.front().box.x;
  float top = tokens.front().box.y;
  float right = right_edge(tokens.front().box);
  float bottom = bottom_edge(tokens.front().box);
  for (const DocBankToken& token : tokens) {
    left = std::min(left, token.box.x);
    top = std::min(top, token.box.y);
    right = std::max(right, right_edge(token.box));
    bottom = std::max(bottom, bottom_edge(token.box));
  }
  return {left, top, right - left, bottom - top};
}

ir::TextBlock block_from_line(DocBankLine line) {
  const ir::BBox box = union_box(line.tokens);
  ir::Line text_line;
  text_line.bbox = box;
  for (DocBankToken& token : line.tokens) {
    if (!text_line.text.empty()) text_line.text.push_back(' ');
    text_line.text.append(token.text);
    ir::Span span;
    span.text = std::move(token.text);
    span.bbox = token.box;
    text_line.spans.push_back(std::move(span));
  }
  ir::TextBlock block;
  block.text = text_line.text;
  block.kind = std::move(line.label);
  block.bbox = box;
  block.lines.push_back(std::move(text_line));
  block.source_anchors.push_back({1, {}, box, std::string(kExtractionMethod)});
  block.confidence = ir::Confidence{kTokenConfidence, false};
  return block;
}

}  // namespace

std::optional<DocBankToken> parse_docbank_token_line(std::string_view line) {
  const std::vector<std::string_view> fields = split_tabs(line);
  if (fields.size() < kMinFields) return std::nullopt;
  const std::string_view text = util::trim(fields[kTokenField]);
  const std::string_view label = util::trim(fields[kLabelField]);
  if (text.empty() || !is_label(label)) return std::nullopt;
  std::array<float, 4> coordinates{};
  for (std::size_t i = 0; i < coordinates.size(); ++i) {
    const std::optional<float> value = parse_coordinate(fields[kFirstCoordinateField + i]);
    if (!value) return std::nullopt;
    coordinates[i] = *value;
  }
  const auto [x0, y0, x1, y1] = coordinates;
  // Written so that a NaN coordinate passes, as the comparison x0 < x1 does
  // not reject it.
  if (x0 >= x1 || y0 >= y1) return std::nullopt;
  return DocBankToken{std::string(text), std::string(label), {x0, y0, x1 - x0, y1 - y0}};
}

std::optional<std::vector<DocBankToken>> read_docbank_tokens(std::string_view text) {
  std::vector<DocBankToken> tokens;
  for (std::string_view line : util::split_lines(text)) {
    if (util::is_blank(line)) continue;
    std::optional<DocBankToken> token = parse_docbank_token_line(line);
    if (!token) return std::nullopt;
    tokens.push_back(std::move(*token));
  }
  if (tokens.empty()) return std::nullopt;
  return tokens;
}

std::vector<DocBankLine> group_docbank_lines(std::vector<DocBankToken> tokens) {
  std::vector<DocBankLine> lines;
  for (DocBankToken& token : tokens) {
    const float y = token.box.y;
    const float height = token.box.height;
    if (!lines.empty()) {
      DocBankLine& last = lines.back();
      const float tolerance = std::max({kMinLineTolerance, last.height, height});
      if (last.label == token.label && std::fabs(last.y - y) <= tolerance) {
        last.height = std::max(last.height, height);
        last.tokens.push_back(std::move(token));
        continue;
      }
    }
    DocBankLine line;
    line.label = token.label;
    line.y = y;
    line.height = height;
    line.tokens.push_back(std::move(token));
    lines.push_back(std::move(line));
  }
  return lines;
}

ir::Document docbank_document(const source::Source& source, std::vector<DocBankToken> tokens) {
  std::vector<ir::Block> blocks;
  float width = 0;
  float height = 0;
  for (DocBankLine& line : group_docbank_lines(std::move(tokens))) {
    ir::TextBlock block = block_from_line(std::move(line));
    width = std::max(width, right_edge(*block.bbox));
    height = std::max(height, bottom_edge(*block.bbox));
    blocks.emplace_back(std::move(block));
  }
  std::optional<ir::Document> built =
      document_from_blocks(source, kEngineName, std::nullopt, std::move(blocks));
  // Only reachable with no tokens, which no token file has.
  if (!built) return text_document_from_paragraphs(source, kEngineName, {}, std::nullopt);
  ir::Document document = std::move(*built);
  ir::Page& page = document.pages.front();
  page.width = width;
  page.height = height;
  page.bbox = ir::BBox{0, 0, width, height};
  return document;
}

}  // namespace scrivex_core::engine

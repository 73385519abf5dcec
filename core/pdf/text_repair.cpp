// Token normalisation and line cleaning of PDF text.
#include "core/pdf/text_repair.hpp"

#include <array>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

struct Replacement {
  std::string_view from;
  std::string_view to;
};

// UTF-8 of a character decoded as Latin-1 or Windows-1252 and encoded again.
// Every pattern starts with U+00C2..U+00CF, whose UTF-8 lead byte is 0xC3.
constexpr std::array<Replacement, 19> kMojibake = {{
    {"\u00E2\u0080\u0098", "'"},
    {"\u00E2\u0080\u0099", "'"},
    {"\u00C2\u00B7", "\u00B7"},
    {"\u00E2\u0084\u0093", "\u2113"},
    {"\u00CE\u201C", "\u0393"},
    {"\u00CE\u02DC", "\u0398"},
    {"\u00CE\u203A", "\u039B"},
    {"\u00CE\u00A0", "\u03A0"},
    {"\u00CE\u00A3", "\u03A3"},
    {"\u00CE\u00A6", "\u03A6"},
    {"\u00CE\u00A9", "\u03A9"},
    {"\u00CE\u00BB", "\u03BB"},
    {"\u00CF\u0084", "\u03C4"},
    {"\u00C3\u0097", "\u00D7"},
    {"\u00E2\u0086\u0092", "\u2192"},
    {"\u00E2\u0089\u00A5", "\u2265"},
    {"\u00E2\u0089\u00A4", "\u2264"},
    {"\u00E2\u0088\u0088", "\u2208"},
    {"\u00E2\u0088\u0091", "\u2211"},
}};
constexpr char kMojibakeLeadByte = '\xC3';

// Curly quotes; all start with the UTF-8 bytes E2 80.
constexpr std::array<Replacement, 4> kCurlyQuotes = {{
    {"\u2018", "'"},
    {"\u2019", "'"},
    {"\u201C", "\""},
    {"\u201D", "\""},
}};
constexpr std::string_view kCurlyQuotePrefix = "\xE2\x80";

// Ligatures U+FB00..U+FB06, indexed by the last UTF-8 byte minus 0x80.
constexpr std::string_view kLigaturePrefix = "\xEF\xAC";
constexpr std::array<std::string_view, 7> kLigatures = {"ff", "fi", "fl", "ffi", "ffl", "st", "st"};

// Windows-1252 meanings of U+0080..U+009F; kKeepC1 marks the code points
// Windows-1252 leaves undefined, which are kept as they are.
constexpr std::string_view kKeepC1 = "";
constexpr std::array<std::string_view, 32> kC1 = {
    "EUR",      kKeepC1,  ",",        "f",      "\"",      "...",    "\u2020", "\u2021",
    "^",        "\u2030", "\u0160",   "<",      "OE",      kKeepC1,  "\u017D", kKeepC1,
    kKeepC1,    "'",      "'",        "\"",     "\"",      "*",      "\u2013", "\u2014",
    "~",        "(TM)",   "\u0161",   ">",      "oe",      kKeepC1,  "\u017E", "\u0178",
};

// Known words split by a spurious space, mended only as whole words.
constexpr std::array<Replacement, 24> kBrokenWords = {{
    {"a c onversatio n", "a conversation"},
    {"ac onversatio n", "a conversation"},
    {"an other", "another"},
    {"ce nters", "centers"},
    {"prod uction", "production"},
    {"de mands", "demands"},
    {"turn s", "turns"},
    {"coordinate s", "coordinates"},
    {"coordinat e", "coordinate"},
    {"facilitat e", "facilitate"},
    {"speake rs", "speakers"},
    {"listener s'", "listeners'"},
    {"th e", "the"},
    {"p resent", "present"},
    {"linguisti c", "linguistic"},
    {"an d", "and"},
    {"inferen ces", "inferences"},
    {"attentio n", "attention"},
    {"B eyond", "Beyond"},
    {"variabilit y", "variability"},
    {"l essons", "lessons"},
    {"re peating", "repeating"},
    {"import ant", "important"},
    {"sp ecified", "specified"},
}};

// Word pairs split inside the word that the merge walk joins again.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kSplitWordPairs = {{
    {"de", "scribe"},
    {"foc", "i"},
    {"pro", "posed"},
    {"coordina", "ting"},
}};

constexpr char32_t kTexFiGlyph = 0x02;
constexpr char32_t kTexFlGlyph = 0x03;

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }
bool is_ascii_alnum(char c) { return is_ascii_letter(c) || is_ascii_digit(c); }

bool is_letter_or_digit(char32_t c) { return (c >= '0' && c <= '9') || detail::is_letter(c); }

std::size_t char_start_before(std::string_view text, std::size_t end) {
  std::size_t start = end - 1;
  while (start > 0 && end - start < 4 && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80) --start;
  return start;
}

bool word_boundary_before(std::string_view text, std::size_t pos) {
  if (pos == 0) return true;
  return !is_letter_or_digit(util::decode_utf8_at(text, char_start_before(text, pos)).value);
}

bool word_boundary_after(std::string_view text, std::size_t pos) {
  if (pos >= text.size()) return true;
  return !is_letter_or_digit(util::decode_utf8_at(text, pos).value);
}

bool has_non_ascii_or_tex_glyph(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x80 || byte == kTexFiGlyph || byte == kTexFlGlyph) return true;
  }
  return false;
}

bool contains(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

void replace_mojibake_and_quotes(std::string& text) {
  if (text.find(kMojibakeLeadByte) != std::string::npos) {
    for (const Replacement& r : kMojibake) detail::replace_all(text, r.from, r.to);
  }
  if (contains(text, kCurlyQuotePrefix)) {
    for (const Replacement& r : kCurlyQuotes) detail::replace_all(text, r.from, r.to);
  }
}

// Rewrites the text character by character: pick(char, text, next offset)
// gives the replacement, or std::nullopt to keep the character.
template <class Pick>
void rewrite_chars(std::string& text, Pick&& pick) {
  std::string out;
  out.reserve(text.size());
  const std::string_view view = text;
  std::size_t pos = 0;
  while (pos < view.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(view, pos);
    const std::size_t next = pos + decoded.length;
    const std::optional<std::string_view> replacement = pick(decoded, view, next);
    if (replacement) {
      out.append(*replacement);
    } else {
      out.append(view.substr(pos, decoded.length));
    }
    pos = next;
  }
  text = std::move(out);
}

void replace_ligatures(std::string& text) {
  if (!contains(text, kLigaturePrefix)) return;
  rewrite_chars(text, [](const util::DecodedChar& c, std::string_view, std::size_t) -> std::optional<std::string_view> {
    if (c.valid && c.value >= 0xFB00 && c.value <= 0xFB06) return kLigatures[c.value - 0xFB00];
    return std::nullopt;
  });
}

bool has_c1(std::string_view text) {
  for (std::size_t i = 0; i + 1 < text.size(); ++i) {
    const auto next = static_cast<unsigned char>(text[i + 1]);
    if (text[i] == '\xC2' && next >= 0x80 && next <= 0x9F) return true;
  }
  return false;
}

void replace_c1(std::string& text) {
  if (!has_c1(text)) return;
  rewrite_chars(text, [](const util::DecodedChar& c, std::string_view, std::size_t) -> std::optional<std::string_view> {
    if (!c.valid || c.value < 0x80 || c.value > 0x9F) return std::nullopt;
    const std::string_view to = kC1[c.value - 0x80];
    if (to.empty()) return std::nullopt;
    return to;
  });
}

bool letter_at(std::string_view text, std::size_t pos) {
  return pos < text.size() && detail::is_letter(util::decode_utf8_at(text, pos).value);
}

// TeX fonts put the fi and fl ligatures at code points 2 and 3.
void replace_tex_glyphs(std::string& text) {
  if (text.find(static_cast<char>(kTexFiGlyph)) == std::string::npos &&
      text.find(static_cast<char>(kTexFlGlyph)) == std::string::npos) {
    return;
  }
  rewrite_chars(text, [](const util::DecodedChar& c, std::string_view view,
                         std::size_t next) -> std::optional<std::string_view> {
    if (c.value == kTexFiGlyph) return letter_at(view, next) ? "fi" : "";
    if (c.value == kTexFlGlyph && letter_at(view, next)) return "fl";
    return std::nullopt;
  });
}

bool contains_letter(std::string_view text) {
  bool found = false;
  util::for_each_char(text, [&](char32_t c) { found = found || detail::is_letter(c); });
  return found;
}

bool is_attaching_punctuation(std::string_view token) {
  return token.size() == 1 && contains("!),.:;?]}", token);
}

bool is_hyphen_token(std::string_view token) { return token == "-" || token == "\u2010" || token == "\u2011"; }

bool is_spaced_letter(std::string_view token) {
  if (token.size() == 1) return is_ascii_letter(token[0]);
  return token.size() == 2 && is_ascii_letter(token[0]) && token[1] == '-';
}

bool contains_ascii_alnum(std::string_view text) {
  for (const char c : text) {
    if (is_ascii_alnum(c)) return true;
  }
  return false;
}

bool continues_hyphenated_word(std::string_view last_word, std::string_view token) {
  return !last_word.empty() && last_word.back() == '-' && !token.empty() && is_ascii_alnum(token[0]) &&
         contains_ascii_alnum(last_word);
}

bool is_split_word_pair(std::string_view last_word, std::string_view token) {
  for (const auto& [head, tail] : kSplitWordPairs) {
    if (last_word == head && token == tail) return true;
  }
  return false;
}

// Builds the single-spaced line word by word; the last word is the suffix
// after the last separating space.
class WordJoiner {
 public:
  explicit WordJoiner(std::size_t capacity) { text_.reserve(capacity); }
  bool has_word() const { return has_word_; }
  std::string_view last_word() const { return std::string_view(text_).substr(last_word_start_); }
  void append(std::string_view part) { text_.append(part); }
  void start_word(std::string_view word) {
    if (has_word_) text_.push_back(' ');
    last_word_start_ = text_.size();
    has_word_ = true;
    text_.append(word);
  }
  std::string take() { return std::move(text_); }

 private:
  std::string text_;
  std::size_t last_word_start_ = 0;
  bool has_word_ = false;
};

// Tokens after normalisation; repaired ones are owned by `repaired`, which is
// reserved up front so the views into it stay valid.
std::vector<std::string_view> normalized_tokens(std::string_view text, std::vector<std::string>& repaired) {
  std::vector<std::string_view> tokens = util::split_whitespace(text);
  repaired.reserve(tokens.size());
  std::vector<std::string_view> kept;
  kept.reserve(tokens.size());
  for (const std::string_view token : tokens) {
    if (!has_non_ascii_or_tex_glyph(token)) {
      kept.push_back(token);
      continue;
    }
    repaired.push_back(normalize_pdf_token(token));
    if (!repaired.back().empty()) kept.push_back(repaired.back());
  }
  return kept;
}

// Returns how many tokens from i on were consumed by the first merge rule that fits.
std::size_t merge_token(WordJoiner& words, const std::vector<std::string_view>& tokens, std::size_t i) {
  const std::string_view token = tokens[i];
  const bool has_next = i + 1 < tokens.size();
  if (words.has_word()) {
    if (is_attaching_punctuation(token)) {
      words.append(token);
      return 1;
    }
    if ((token == "'" || is_hyphen_token(token)) && has_next && contains_letter(tokens[i + 1])) {
      words.append(token == "'" ? "'" : "-");
      words.append(tokens[i + 1]);
      return 2;
    }
    if (continues_hyphenated_word(words.last_word(), token) || is_split_word_pair(words.last_word(), token)) {
      words.append(token);
      return 1;
    }
  }
  std::size_t run = 0;
  while (i + run < tokens.size() && is_spaced_letter(tokens[i + run])) ++run;
  if (run >= 2) {
    words.start_word(tokens[i]);
    for (std::size_t k = 1; k < run; ++k) words.append(tokens[i + k]);
    return run;
  }
  words.start_word(token);
  return 1;
}

}  // namespace

namespace detail {

bool is_letter(char32_t c) { return util::is_alphabetic(c); }

bool replace_all(std::string& text, std::string_view from, std::string_view to) {
  std::size_t pos = text.find(from);
  if (pos == std::string::npos) return false;
  std::string out;
  out.reserve(text.size());
  std::size_t done = 0;
  while (pos != std::string::npos) {
    out.append(text, done, pos - done);
    out.append(to);
    done = pos + from.size();
    pos = text.find(from, done);
  }
  out.append(text, done);
  text = std::move(out);
  return true;
}

bool replace_whole_words(std::string& text, std::string_view from, std::string_view to) {
  const std::string_view view = text;
  std::string out;
  std::size_t done = 0;
  bool replaced = false;
  for (std::size_t pos = view.find(from); pos != std::string_view::npos; pos = view.find(from, pos)) {
    if (!word_boundary_before(view, pos) || !word_boundary_after(view, pos + from.size())) {
      ++pos;
      continue;
    }
    if (!replaced) out.reserve(view.size());
    replaced = true;
    out.append(view.substr(done, pos - done));
    out.append(to);
    done = pos + from.size();
    pos = done;
  }
  if (!replaced) return false;
  out.append(view.substr(done));
  text = std::move(out);
  return true;
}

}  // namespace detail

std::string normalize_pdf_token(std::string_view text) {
  std::string out(text);
  if (!has_non_ascii_or_tex_glyph(text)) return out;
  replace_mojibake_and_quotes(out);
  replace_ligatures(out);
  replace_c1(out);
  replace_tex_glyphs(out);
  return out;
}

std::string clean_pdf_line_text(std::string_view text) {
  // U+0085 is white space, so it becomes "..." before the text is split.
  std::string with_ellipsis;
  if (contains(text, "\u0085")) {
    with_ellipsis = text;
    detail::replace_all(with_ellipsis, "\u0085", "...");
    text = with_ellipsis;
  }
  std::vector<std::string> repaired;
  const std::vector<std::string_view> tokens = normalized_tokens(text, repaired);
  WordJoiner words(text.size());
  for (std::size_t i = 0; i < tokens.size();) i += merge_token(words, tokens, i);
  std::string line = words.take();
  for (const Replacement& r : kBrokenWords) detail::replace_whole_words(line, r.from, r.to);
  return detail::repair_pdf_math_notation_owned(std::move(line));
}

}  // namespace scrivex_core::pdf

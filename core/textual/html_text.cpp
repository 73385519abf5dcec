#include "core/textual/html_text.hpp"

#include <array>
#include <optional>

#include "core/textual/char_reference.hpp"
#include "core/textual/tag_scan.hpp"
#include "core/textual/words.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::textual {
namespace {

// Elements whose content is never shown.
constexpr std::array<std::string_view, 4> kInvisibleElements = {"script", "style", "title", "head"};

// Tags that end a paragraph, as opening or closing tags; the last ones are
// the sections of article XML, so such files come out in paragraphs too.
// clang-format off
constexpr std::array<std::string_view, 31> kParagraphBreakNames = {
    "p", "br", "h1", "h2", "h3", "h4", "h5", "h6", "li", "tr", "div", "ref", "sec", "back", "body", "item",
    "list", "main", "aside", "front", "footer", "header", "address", "article", "caption", "section",
    "abstract", "blockquote", "table-wrap", "article-title", "mixed-citation"};
// clang-format on

// U+FFFD, written for a byte sequence that is not UTF-8.
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool is_paragraph_break(std::string_view name) {
  for (std::string_view candidate : kParagraphBreakNames) {
    if (candidate == name) return true;
  }
  return false;
}

// Pass 1: the input without the invisible elements. An unclosed one hides
// everything after it. Each name keeps its next match, so the searches move
// forward only and the pass stays linear.
std::string drop_invisible_elements(std::string_view input) {
  const std::string lowered = util::ascii_lowercase(input);
  std::array<std::optional<std::size_t>, kInvisibleElements.size()> next{};
  std::array<bool, kInvisibleElements.size()> exhausted{};
  std::string out;
  std::size_t pos = 0;
  while (true) {
    std::optional<std::size_t> earliest;
    std::size_t earliest_index = 0;
    for (std::size_t i = 0; i < kInvisibleElements.size(); ++i) {
      if (exhausted[i]) continue;
      if (!next[i] || *next[i] < pos) next[i] = find_tag_start(lowered, kInvisibleElements[i], pos);
      if (!next[i]) {
        exhausted[i] = true;
        continue;
      }
      if (!earliest || *next[i] < *earliest) {
        earliest = next[i];
        earliest_index = i;
      }
    }
    if (!earliest) break;
    out.append(input.substr(pos, *earliest - pos));
    const std::string closing = "</" + std::string(kInvisibleElements[earliest_index]) + ">";
    const std::size_t close = lowered.find(closing, *earliest);
    if (close == std::string::npos) return out;
    pos = close + closing.size();
  }
  out.append(input.substr(pos));
  return out;
}

// The name that decides what a tag does: its first word without the
// slashes of closing and empty-element tags, ASCII-lower-cased.
std::string tag_break_name(std::string_view inner) {
  inner = util::trim(inner);
  while (!inner.empty() && inner.front() == '/') inner.remove_prefix(1);
  std::string_view name = first_word(inner);
  while (!name.empty() && name.back() == '/') name.remove_suffix(1);
  return util::ascii_lowercase(name);
}

// Pass 2 state: the text written so far and whether white space was met
// since the last written character.
class TextWriter {
 public:
  void paragraph_break() {
    while (!out_.empty() && out_.back() == ' ') out_.pop_back();
    if (!out_.empty() && !ends_with("\n\n")) out_.append(out_.back() == '\n' ? "\n" : "\n\n");
    pending_space_ = false;
  }

  void white_space() { pending_space_ = !out_.empty() && out_.back() != '\n'; }

  void text(std::string_view piece) {
    if (pending_space_) out_.push_back(' ');
    out_.append(piece);
    pending_space_ = false;
  }

  std::string take() { return std::move(out_); }

 private:
  bool ends_with(std::string_view suffix) const {
    return out_.size() >= suffix.size() &&
           std::string_view(out_).substr(out_.size() - suffix.size()) == suffix;
  }

  std::string out_;
  bool pending_space_ = false;
};

// Pass 2: tags removed, white space collapsed, references decoded. A tag
// that breaks no paragraph leaves a pending space pending, so the space in
// "Hello <b>world</b>" survives while "a<b>b</b>" stays one word.
std::string strip_tags(std::string_view text) {
  TextWriter writer;
  bool no_more_close = false;  // once no ">" follows, none follows later either
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char byte = text[pos];
    if (byte == '<' && !no_more_close) {
      const std::size_t close = text.find('>', pos + 1);
      if (close != std::string_view::npos) {
        const std::string name = tag_break_name(text.substr(pos + 1, close - pos - 1));
        if (!name.empty() && is_paragraph_break(name)) writer.paragraph_break();
        pos = close + 1;
        continue;
      }
      no_more_close = true;
    }
    if (byte == '&') {
      if (auto reference = detail::decode_character_reference(text, pos)) {
        writer.text(reference->text);
        pos = reference->end;
        continue;
      }
    }
    const util::DecodedChar decoded = util::decode_utf8_at(text, pos);
    const std::string_view raw = text.substr(pos, decoded.length);
    pos += decoded.length;
    if (util::is_white_space(decoded.value)) {
      writer.white_space();
    } else {
      writer.text(decoded.valid ? raw : kReplacement);
    }
  }
  return writer.take();
}

}  // namespace

std::string html_to_text(std::string_view markup) {
  return normalize_text_lines(strip_tags(drop_invisible_elements(markup)));
}

std::string normalize_text_lines(std::string_view text) {
  std::string out;
  bool blank_pending = false;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::string joined = util::collapse_white_space(line);
    if (joined.empty()) {
      blank_pending = !out.empty();
    } else {
      if (!out.empty()) out.append(blank_pending ? "\n\n" : "\n");
      out.append(joined);
      blank_pending = false;
    }
    start = end + 1;
  }
  return out;
}

}  // namespace scrivex_core::textual

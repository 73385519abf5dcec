#include "core/textual/words.hpp"

#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::textual {

std::string_view first_word(std::string_view text) {
  text = util::trim_start(text);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const util::DecodedChar decoded = util::decode_utf8_at(text, pos);
    if (util::is_white_space(decoded.value)) break;
    pos += decoded.length;
  }
  return text.substr(0, pos);
}

std::string join_words(std::string_view text) {
  std::string out;
  for (std::string_view word : util::split_whitespace(text)) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  }
  return out;
}

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(separator);
    out.append(parts[i]);
  }
  return out;
}

}  // namespace scrivex_core::textual

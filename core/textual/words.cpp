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

}  // namespace scrivex_core::textual

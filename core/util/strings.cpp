#include "core/util/strings.hpp"

#include "core/util/unicode.hpp"

namespace scrivex_core::util {

std::string join(const std::vector<std::string>& parts, std::string_view separator) {
  std::string out;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (i) out.append(separator);
    out.append(parts[i]);
  }
  return out;
}

std::string collapse_white_space(std::string_view text) {
  std::string out;
  for (std::string_view word : split_whitespace(text)) {
    if (!out.empty()) out.push_back(' ');
    out.append(word);
  }
  return out;
}

}  // namespace scrivex_core::util

#include "core/pdf/stream_decode.hpp"

#include <vector>

#include "core/pdf/filters.hpp"
#include "core/pdf/syntax.hpp"
#include "core/util/limits.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr std::string_view kStream = "stream";
constexpr std::string_view kEndStream = "endstream";

constexpr bool ends_filter_name(char c) {
  return is_pdf_white_space(c) || c == '%' || c == '(' || c == ')' || c == '/' || c == '<' || c == '>' ||
         c == '[' || c == ']' || c == '{' || c == '}';
}

// Reads the name after the "/" at pos; returns it and moves pos past it.
std::string_view read_filter_name(std::string_view text, std::size_t& pos) {
  const std::size_t start = ++pos;
  while (pos < text.size() && !ends_filter_name(text[pos])) ++pos;
  return text.substr(start, pos - start);
}

// The filter names of the stream dictionary, in the order they apply: one
// "/Name" or the names of a "[...]" array; anything else (an indirect
// reference, say) gives no filter.
std::vector<std::string> filter_names(std::string_view dictionary) {
  std::vector<std::string> names;
  const std::size_t key = dictionary.find("/Filter");
  if (key == std::string_view::npos) return names;
  std::size_t pos = skip_pdf_white_space(dictionary, key + 7);
  if (pos >= dictionary.size()) return names;
  if (dictionary[pos] == '/') {
    const std::string_view name = read_filter_name(dictionary, pos);
    if (!name.empty()) names.emplace_back(name);
  } else if (dictionary[pos] == '[') {
    while (++pos < dictionary.size() && dictionary[pos] != ']') {
      if (dictionary[pos] != '/') continue;
      const std::string_view name = read_filter_name(dictionary, pos);
      if (!name.empty()) names.emplace_back(name);
      --pos;  // the loop steps onto the delimiter that ended the name
    }
  }
  return names;
}

Result<std::string> apply_filter(const std::string& name, std::string_view data) {
  if (name == "FlateDecode" || name == "Fl") return inflate_flate(data, limits::kMaxPdfStreamOutputBytes);
  if (name == "ASCII85Decode" || name == "A85") return decode_ascii85(data);
  return ScrivexError::pdf("unsupported stream filter: " + name);
}

constexpr bool is_eol(char c) {
  return c == '\r' || c == '\n';
}

}  // namespace

Result<std::optional<std::string>> decode_stream_object(std::string_view body) {
  const std::size_t start = body.find(kStream);
  if (start == std::string_view::npos) return std::optional<std::string>{};
  const std::size_t end = body.find(kEndStream);
  if (end == std::string_view::npos) return ScrivexError::pdf("stream is missing endstream marker");
  if (start >= end) return ScrivexError::pdf("stream markers are malformed");
  std::string_view raw = body.substr(start + kStream.size(), end - start - kStream.size());
  while (!raw.empty() && is_eol(raw.front())) raw.remove_prefix(1);
  while (!raw.empty() && is_eol(raw.back())) raw.remove_suffix(1);
  const std::string dictionary = util::decode_utf8_lossy(body.substr(0, start));
  std::string data(raw);
  for (const std::string& name : filter_names(dictionary)) {
    Result<std::string> decoded = apply_filter(name, data);
    if (!decoded) return std::move(decoded).error();
    data = std::move(decoded).value();
  }
  return std::optional<std::string>(std::move(data));
}

std::string decode_hex(std::string_view text) {
  auto nibble = [](char c) -> unsigned {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 0;
  };
  std::string out;
  out.reserve(text.size() / 2 + 1);
  bool high_pending = false;
  unsigned high = 0;
  for (char c : text) {
    if (is_pdf_white_space(c)) continue;
    if (!high_pending) {
      high = nibble(c);
      high_pending = true;
    } else {
      out.push_back(static_cast<char>(high << 4 | nibble(c)));
      high_pending = false;
    }
  }
  if (high_pending) out.push_back(static_cast<char>(high << 4));
  return out;
}

}  // namespace scrivex_core::pdf

#include "core/openxml/xml_scan.hpp"

#include <array>

#include "core/util/strings.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::openxml {
namespace {

struct Entity {
  std::string_view reference;
  char character;
};

constexpr std::array<Entity, 5> kEntities{{
    {"&amp;", '&'},
    {"&lt;", '<'},
    {"&gt;", '>'},
    {"&quot;", '"'},
    {"&apos;", '\''},
}};

}  // namespace

std::vector<TaggedElement> tagged_elements(std::string_view text, std::string_view name) {
  const std::string open = "<" + std::string(name);
  const std::string close = "</" + std::string(name) + ">";
  std::vector<TaggedElement> elements;
  std::size_t pos = 0;
  while (true) {
    const std::size_t start = text.find(open, pos);
    if (start == std::string_view::npos) break;
    const std::size_t tag_end = text.find('>', start);
    if (tag_end == std::string_view::npos) break;
    const std::size_t end = text.find(close, tag_end + 1);
    if (end == std::string_view::npos) break;
    elements.push_back(
        TaggedElement{text.substr(start, tag_end + 1 - start), text.substr(tag_end + 1, end - tag_end - 1)});
    pos = end + close.size();
  }
  return elements;
}

std::vector<std::string_view> tagged_ranges(std::string_view text, std::string_view name) {
  std::vector<std::string_view> ranges;
  for (const TaggedElement& element : tagged_elements(text, name)) ranges.push_back(element.content);
  return ranges;
}

std::string xml_unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    bool decoded = false;
    if (text[pos] == '&') {
      for (const Entity& entity : kEntities) {
        if (text.substr(pos, entity.reference.size()) == entity.reference) {
          out.push_back(entity.character);
          pos += entity.reference.size();
          decoded = true;
          break;
        }
      }
    }
    if (!decoded) out.push_back(text[pos++]);
  }
  return out;
}

std::string run_list_text(const std::vector<std::string_view>& slices) {
  std::string joined;
  for (std::string_view slice : slices) joined += xml_unescape(slice);
  return util::collapse_white_space(joined);
}

}  // namespace scrivex_core::openxml

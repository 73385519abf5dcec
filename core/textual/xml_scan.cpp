#include "core/textual/xml_scan.hpp"

#include <unordered_set>

#include "core/textual/html_text.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::textual {
namespace {

struct TagSpan {
  std::size_t open;  // position of "<"
  std::size_t end;   // position just after ">"
};

// The next "<" at or after pos and the first ">" after it.
std::optional<TagSpan> next_tag(std::string_view text, std::size_t pos) {
  const std::size_t open = text.find('<', pos);
  if (open == std::string_view::npos) return std::nullopt;
  const std::size_t close = text.find('>', open + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return TagSpan{open, close + 1};
}

std::optional<std::string_view> matching_name(std::string_view tag, std::string_view local) {
  const auto name = opening_tag_name(tag);
  if (!name || !ascii_iequals(local_name(*name), local)) return std::nullopt;
  return name;
}

// Walks the elements of one local name; `visit` returns false to stop.
// Names known to have no closing tag left are not searched again, so a file
// of unclosed tags costs one search per name, not one per tag.
template <class Visit>
void scan_elements(std::string_view text, std::string_view local, Visit&& visit) {
  std::unordered_set<std::string> unclosed;
  std::size_t pos = 0;
  while (const auto span = next_tag(text, pos)) {
    const std::string_view tag = text.substr(span->open, span->end - span->open);
    pos = span->end;
    const auto name = matching_name(tag, local);
    if (!name || is_self_closing(tag)) continue;
    const std::string closing = "</" + std::string(*name) + ">";
    if (unclosed.count(closing)) continue;
    const std::size_t close = text.find(closing, pos);
    if (close == std::string_view::npos) {
      unclosed.insert(closing);
      continue;
    }
    const std::size_t outer_end = close + closing.size();
    if (!visit(Element{tag, text.substr(pos, close - pos), text.substr(span->open, outer_end - span->open)}))
      return;
    pos = outer_end;
  }
}

struct Range {
  std::size_t begin;
  std::size_t end;
  std::size_t next;  // where the search resumes
};

std::optional<Range> next_range(std::string_view lowered, std::string_view name, std::size_t pos) {
  const std::string open = "<" + std::string(name);
  const std::string close = "</" + std::string(name) + ">";
  const std::size_t start = lowered.find(open, pos);
  if (start == std::string_view::npos) return std::nullopt;
  const std::size_t gt = lowered.find('>', start + open.size());
  if (gt == std::string_view::npos) return std::nullopt;
  const std::size_t end = lowered.find(close, gt + 1);
  if (end == std::string_view::npos) return std::nullopt;
  return Range{gt + 1, end, end + close.size()};
}

}  // namespace

std::vector<Element> xml_elements_by_local_name(std::string_view text, std::string_view local) {
  std::vector<Element> elements;
  scan_elements(text, local, [&](const Element& element) {
    elements.push_back(element);
    return true;
  });
  return elements;
}

std::optional<Element> first_xml_element_by_local_name(std::string_view text, std::string_view local) {
  std::optional<Element> first;
  scan_elements(text, local, [&](const Element& element) {
    first = element;
    return false;
  });
  return first;
}

std::vector<std::string_view> xml_start_tags_by_local_name(std::string_view text, std::string_view local) {
  std::vector<std::string_view> tags;
  std::size_t pos = 0;
  while (const auto span = next_tag(text, pos)) {
    const std::string_view tag = text.substr(span->open, span->end - span->open);
    if (matching_name(tag, local)) tags.push_back(tag);
    pos = span->end;
  }
  return tags;
}

std::vector<std::string_view> tag_ranges(std::string_view text, std::string_view name) {
  const std::string lowered = util::ascii_lowercase(text);
  std::vector<std::string_view> ranges;
  std::size_t pos = 0;
  while (const auto range = next_range(lowered, name, pos)) {
    ranges.push_back(text.substr(range->begin, range->end - range->begin));
    pos = range->next;
  }
  return ranges;
}

std::optional<std::string> tag_text(std::string_view text, std::string_view name) {
  const std::string lowered = util::ascii_lowercase(text);
  const auto range = next_range(lowered, name, 0);
  if (!range) return std::nullopt;
  return std::string(util::trim(html_to_text(text.substr(range->begin, range->end - range->begin))));
}

}  // namespace scrivex_core::textual

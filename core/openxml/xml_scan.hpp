// Substring scanning of the XML parts of office packages. There is no XML
// parser: elements are found by their opening and closing tag text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace scrivex_core::openxml {

// One element found by tagged_elements: its opening tag, "<" to ">", and
// the text between that tag and the closing tag.
struct TaggedElement {
  std::string_view tag;
  std::string_view content;
};

// Elements whose opening tag starts with "<" + name, each paired with the
// next "</" + name + ">". The name matches as a prefix ("w:t" also finds
// "<w:tab/>"), self-closing tags are not recognised, results never nest or
// overlap, and the scan stops at the first search that fails.
std::vector<TaggedElement> tagged_elements(std::string_view text, std::string_view name);

// The contents of tagged_elements alone.
std::vector<std::string_view> tagged_ranges(std::string_view text, std::string_view name);

// Decodes &amp; &lt; &gt; &quot; &apos; in one pass, so "&amp;lt;" gives
// "&lt;". Numeric references and other "&" sequences stay as they are.
std::string xml_unescape(std::string_view text);

// The slices unescaped and concatenated without separator, then their words
// joined by single spaces; may be empty.
std::string run_list_text(const std::vector<std::string_view>& slices);

}  // namespace scrivex_core::openxml

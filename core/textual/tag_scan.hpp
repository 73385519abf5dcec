// Tag scanners shared by every engine that reads markup. None builds a
// tree: they search the text with substring and character searches and
// accept any malformed markup. Positions are byte offsets; name comparisons
// fold ASCII letters only, so lower-casing never moves a position.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace scrivex_core::textual {

// One element found by a scan: slices of the scanned text.
struct Element {
  std::string_view tag;      // the opening tag, from its "<" to its ">"
  std::string_view content;  // between the opening tag and the closing tag
  std::string_view outer;    // from the opening "<" to the end of the closing tag
};

// Tab, line feed, carriage return, space, "/" and ">": the bytes that may
// follow an element name inside a tag.
bool is_tag_delimiter(char c);

// ASCII case-insensitive equality (only A-Z and a-z are folded).
bool ascii_iequals(std::string_view a, std::string_view b);

// Position of the first "<" + name at or after `from` in already lower-cased
// text that a tag delimiter follows, so "<header" is no "<head". Nothing
// when there is none.
std::optional<std::size_t> find_tag_start(std::string_view lowered, std::string_view name,
                                          std::size_t from = 0);

// The raw value (no entity decoding) of a quoted attribute inside one opening
// tag. The name matches ASCII case-insensitively, or by the part after its
// last ":" ("class" also finds x:class="a"). Unquoted values are no values.
// Example: xml_attr_value("<w id='1' x:Class=\"a b\">", "class") is "a b".
std::optional<std::string_view> xml_attr_value(std::string_view tag, std::string_view name);

// The element name of an opening tag as written: "span" for
// "<span class=\"x\">", "br" for "<br />", but "br/" for "<br/>". Nothing
// for comments, declarations, closing tags, processing instructions and
// text that is no tag.
std::optional<std::string_view> opening_tag_name(std::string_view tag);

// The part of an element name after its last ":" ("Page" for "pc:Page").
std::string_view local_name(std::string_view name);

// Whether a tag, trailing white space aside, ends in "/>".
bool is_self_closing(std::string_view tag);

}  // namespace scrivex_core::textual

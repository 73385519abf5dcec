// Element scanners of the XML engine. Like the tag scanners they build no
// tree and accept any malformed markup.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/textual/tag_scan.hpp"

namespace scrivex_core::textual {

// The outermost non-empty elements whose local name (the part after the
// last ":") equals `local` ASCII case-insensitively, in document order.
// An element ends at the first "</" + its name as written + ">": nesting is
// not counted. Self-closing and unclosed elements are passed over.
std::vector<Element> xml_elements_by_local_name(std::string_view text, std::string_view local);

// The first element xml_elements_by_local_name would report.
std::optional<Element> first_xml_element_by_local_name(std::string_view text, std::string_view local);

// Every opening tag whose local name matches, self-closing and nested ones
// included, in document order.
std::vector<std::string_view> xml_start_tags_by_local_name(std::string_view text, std::string_view local);

// The contents of the elements "<" + name ... ">" ... "</" + name + ">",
// matched ASCII case-insensitively; `name` must be lower-case and matches
// as a prefix of the element name ("<widths>" counts for "width").
std::vector<std::string_view> tag_ranges(std::string_view text, std::string_view name);

// The text (markup removed, trimmed) of the first range tag_ranges finds;
// nothing when there is none. It may be empty.
std::optional<std::string> tag_text(std::string_view text, std::string_view name);

}  // namespace scrivex_core::textual

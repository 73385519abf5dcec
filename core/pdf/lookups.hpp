// Tolerant lookups in the text of a dictionary. Dictionaries are never
// parsed: each lookup searches the text, and the first occurrence of a key
// (as a plain substring, "/W" also matches "/Width") wins. None fails; a
// missing value is nothing, an empty list or an empty map.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/pdf/object.hpp"

namespace scrivex_core::pdf {

// Named indirect references of a resource dictionary: name (no slash) to object number.
using NamedRefs = std::map<std::string, std::uint32_t>;

// The digits starting exactly at pos as an unsigned value, and the position after them.
std::optional<std::pair<std::uint64_t, std::size_t>> parse_unsigned_at(std::string_view text,
                                                                       std::size_t pos);

// The number after key: "/Rotate -90" gives -90, "/W [ 500" 500, "/N /Foo" nothing.
std::optional<float> parse_number_after(std::string_view text, std::string_view key);

// The numbers of the first "[...]" after key; tokens that are not numbers are dropped.
std::optional<std::vector<float>> parse_number_array_after(std::string_view text, std::string_view key);

// Every "N G R" reference in text, in order.
std::vector<std::uint32_t> parse_refs(std::string_view text);

// The references of the array right after key, or at most the first reference after it.
std::vector<std::uint32_t> parse_refs_after_key(std::string_view text, std::string_view key);

// The reference "N G R" directly after key (white space aside).
std::optional<std::uint32_t> parse_direct_ref_after_key(std::string_view text, std::string_view key);

// The name directly after key, without its slash.
std::optional<std::string> parse_name_after(std::string_view text, std::string_view key);

// Every "/Name N G R" entry of text; inline values are not entries.
NamedRefs parse_named_refs(std::string_view text);

// The body text of the page's indirect /Resources object, if it has one.
std::optional<std::string_view> resolve_resource_body(std::string_view page_text, const ObjectIndex& index);

// The named references of the resource sub-dictionary key ("/Font", "/XObject"),
// written inline or as an indirect object.
NamedRefs resolve_named_resource_refs(std::string_view resource_text, std::string_view key,
                                      const ObjectIndex& index);

}  // namespace scrivex_core::pdf

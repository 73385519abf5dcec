// Finding the indirect objects of a PDF file by scanning its bytes (no
// cross-reference table is read), expanding object streams, and the
// document-level facts read from the objects: title and page objects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/pdf/object.hpp"

namespace scrivex_core::pdf {

// Objects whose header "N G obj" starts the data or a line, in file order.
// An object without "endobj" ends the scan; the objects before it are kept.
// The objects view data, which must outlive them.
std::vector<ObjectHandle> scan_objects(std::string_view data);

// The objects held in the object streams among scanned, in stream order and
// header order. Numbers already found by the scan are left out, and so are
// streams that fail to decode or are malformed.
std::vector<ObjectHandle> expand_object_streams(const std::vector<ObjectHandle>& scanned);

// The title of the first info-like object (one with /Producer, /Creator or
// /Author, and /Title) whose /Title is directly followed by a string.
std::optional<std::string> find_title(const std::vector<ObjectHandle>& objects);

// A page object and the ancestors its entries are inherited from, nearest first.
struct PageSeed {
  std::uint64_t page_number = 1;
  ObjectHandle page;
  std::vector<ObjectHandle> ancestors;

  // The page body followed by a line feed and each ancestor's body, so the
  // page's own keys win over inherited ones. Bounded in size (see limits).
  std::string dictionary_text() const;
};

// Objects that are pages (/Type/Page but not /Type/Pages, white space
// ignored), numbered from 1 in object-list order, with their /Parent chains.
std::vector<PageSeed> find_pages(const std::vector<ObjectHandle>& objects, const ObjectIndex& index);

}  // namespace scrivex_core::pdf

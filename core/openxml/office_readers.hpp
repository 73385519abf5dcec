// The text of the parts of DOCX, PPTX, XLSX and OpenDocument packages, as a
// flat list of paragraphs with single spaces between words.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.hpp"
#include "core/openxml/zip_reader.hpp"

namespace scrivex_core::openxml {

// The digits of the last path component read as a number, so that
// "ppt/slides/slide12.xml" gives 12; no digits or overflow sorts last.
std::uint64_t slide_sort_key(std::string_view entry_name);

// The text of one spreadsheet cell: its cached value, or for t="s" the
// shared string the value indexes. Absent for empty, inline-string and
// out-of-range cells.
std::optional<std::string> xlsx_cell_text(std::string_view opening_tag, std::string_view content,
                                          const std::vector<std::string>& shared_strings);

// Each reader fails only when its package's main part is missing.
Result<std::vector<std::string>> docx_paragraphs(const ZipFiles& parts);
Result<std::vector<std::string>> pptx_paragraphs(const ZipFiles& parts);
std::vector<std::string> xlsx_paragraphs(const ZipFiles& parts);
Result<std::vector<std::string>> opendocument_paragraphs(const ZipFiles& parts);

}  // namespace scrivex_core::openxml

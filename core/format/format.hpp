// Deciding the input format from the path's extension alone.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/error/error.hpp"

namespace scrivex_core::format {

enum class InputFormat {
  Text, Pdf, Xlsx, Xls, Docx, Doc, Pptx, Ppt, OpenDocument, Archive, Html, Image, Eml, Json, Csv, Xml, Msg
};

// The label detect_format returns and Source carries; several formats share one.
std::string_view format_label(InputFormat format);

// The lower-cased extension used for detection; "data.json.gz" gives "json",
// "bundle.tar.gz" "tar", "notes.gz" "gz", "Makefile" nothing.
std::optional<std::string> effective_extension(std::string_view path);

// The format of a path, or UnsupportedFormat naming the path.
Result<InputFormat> detect_path(std::string_view path);

Result<std::string> detect_format(std::string_view path);

// The last path component ("/a/b.tar.gz" gives "b.tar.gz").
std::string_view file_name(std::string_view path);

}  // namespace scrivex_core::format

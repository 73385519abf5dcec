#include "core/pipeline/dispatch.hpp"

#include "core/archive/archive_engine.hpp"
#include "core/dataset/csv_engine.hpp"
#include "core/dataset/json_engine.hpp"
#include "core/engine/plain_text.hpp"
#include "core/image/image_engine.hpp"
#include "core/openxml/openxml_engine.hpp"
#include "core/pdf/extract_pdf.hpp"
#include "core/textual/email_engine.hpp"
#include "core/textual/html_engine.hpp"
#include "core/textual/xml_engine.hpp"

namespace scrivex_core::pipeline {

using format::InputFormat;

Result<source::Source> load_source(InputFormat format, const std::string& path) {
  std::string label(format::format_label(format));
  switch (format) {
    case InputFormat::Text:
    case InputFormat::Html:
    case InputFormat::Eml:
    case InputFormat::Json:
    case InputFormat::Csv:
    case InputFormat::Xml:
      return source::Source::from_text_or_gzip_path(path, std::move(label));
    default:
      return source::Source::from_binary_path(path, std::move(label));
  }
}

Result<ir::Document> engine_extract(InputFormat format, const source::Source& source) {
  switch (format) {
    case InputFormat::Text:
      return engine::PlainTextEngine{}.extract(source);
    case InputFormat::Html:
      return textual::HtmlEngine{}.extract(source);
    case InputFormat::Xml:
      return textual::XmlEngine{}.extract(source);
    case InputFormat::Eml:
      return textual::EmailEngine{}.extract(source);
    case InputFormat::Xlsx:
    case InputFormat::Docx:
    case InputFormat::Pptx:
    case InputFormat::OpenDocument:
      return openxml::OpenXmlEngine{}.extract(source);
    case InputFormat::Archive:
      return archive::ArchiveEngine{}.extract(source);
    case InputFormat::Json:
      return dataset::JsonEngine{}.extract(source);
    case InputFormat::Csv:
      return csv::CsvEngine{}.extract(source);
    case InputFormat::Image:
      return image::ImageEngine{}.extract(source);
    case InputFormat::Pdf:
      return pdf::extract_pdf(source, "pdf-native");
    default:
      // Xls, Doc, Ppt and Msg are refused for good; the others until their engines land.
      return ScrivexError::not_implemented(std::string(format::format_label(format)));
  }
}

}  // namespace scrivex_core::pipeline

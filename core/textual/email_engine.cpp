#include "core/textual/email_engine.hpp"

#include <optional>
#include <string>
#include <vector>

#include "core/engine/text_builders.hpp"
#include "core/textual/html_text.hpp"
#include "core/textual/tag_scan.hpp"
#include "core/textual/words.hpp"
#include "core/util/unicode.hpp"
#include "core/util/strings.hpp"

namespace scrivex_core::textual {
namespace {

constexpr std::string_view kEngineName = "email-native";

// "\r\n" and lone "\r" become "\n".
std::string unify_line_ends(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out.push_back(text[i]);
      continue;
    }
    out.push_back('\n');
    if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
  }
  return out;
}

// The parts of every subject header and of its continuation lines, in order.
std::vector<std::string> subject_parts(std::string_view headers) {
  std::vector<std::string> parts;
  std::string_view current;
  std::size_t start = 0;
  while (start <= headers.size()) {
    std::size_t end = headers.find('\n', start);
    if (end == std::string_view::npos) end = headers.size();
    const std::string_view line = headers.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
      if (ascii_iequals(current, "subject")) parts.emplace_back(util::trim(line));
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
      current = {};
      continue;
    }
    current = util::trim(line.substr(0, colon));
    if (ascii_iequals(current, "subject")) parts.emplace_back(util::trim(line.substr(colon + 1)));
  }
  return parts;
}

}  // namespace

Result<ir::Document> EmailEngine::extract(const source::Source& source) const {
  const std::string text = unify_line_ends(source.text);
  const std::size_t blank = text.find("\n\n");
  const std::string_view headers = std::string_view(text).substr(0, blank);
  const std::string_view body_text =
      blank == std::string::npos ? std::string_view{} : std::string_view(text).substr(blank + 2);

  const std::vector<std::string> parts = subject_parts(headers);
  std::optional<std::string> subject;
  if (!parts.empty()) subject = util::join(parts, " ");
  const std::string body(util::trim(normalize_text_lines(body_text)));

  std::string document_text;
  if (subject) {
    document_text = *subject;
    if (!body.empty()) document_text += "\n\n" + body;
  } else {
    document_text = body;
  }
  return engine::text_document_from_paragraphs(source, kEngineName, engine::split_paragraphs(document_text),
                                               std::move(subject));
}

}  // namespace scrivex_core::textual

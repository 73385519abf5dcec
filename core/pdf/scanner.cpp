#include "core/pdf/scanner.hpp"

#include <unordered_set>

#include "core/pdf/content_parser.hpp"
#include "core/pdf/font_decoder.hpp"
#include "core/pdf/lookups.hpp"
#include "core/pdf/stream_decode.hpp"
#include "core/pdf/syntax.hpp"
#include "core/util/limits.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr std::string_view kObj = "obj";
constexpr std::string_view kEndObj = "endobj";
// Ancestors appended to a page's dictionary text at most.
constexpr std::size_t kMaxPageTreeDepth = 16;

std::uint32_t wrapping_u32(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) value = value * 10 + static_cast<std::uint32_t>(c - '0');
  return value;
}

struct ObjectHeader {
  std::uint32_t number;
  std::uint16_t generation;
  std::size_t body_start;  // just after "obj"
};

// "N <ws> G <ws> obj" at pos.
std::optional<ObjectHeader> header_at(std::string_view data, std::size_t pos) {
  const std::size_t number_length = digit_run_length(data, pos);
  if (number_length == 0) return std::nullopt;
  std::size_t at = pos + number_length;
  std::size_t next = skip_pdf_white_space(data, at);
  if (next == at) return std::nullopt;
  const std::size_t generation_length = digit_run_length(data, next);
  if (generation_length == 0) return std::nullopt;
  const std::string_view generation = data.substr(next, generation_length);
  at = next + generation_length;
  next = skip_pdf_white_space(data, at);
  if (next == at || data.substr(next, kObj.size()) != kObj) return std::nullopt;
  return ObjectHeader{wrapping_u32(data.substr(pos, number_length)),
                      static_cast<std::uint16_t>(wrapping_u32(generation)), next + kObj.size()};
}

// The position after the next CR or LF at or after pos (size() when none).
std::size_t next_line_start(std::string_view data, std::size_t pos) {
  while (pos < data.size() && data[pos] != '\n' && data[pos] != '\r') ++pos;
  return pos < data.size() ? pos + 1 : data.size();
}

std::uint64_t clamp_to_u64(std::optional<float> value) {
  return value ? saturating_u64(*value) : 0;
}

// The objects of one object stream, numbers in `taken` excluded.
std::vector<ObjectHandle> objects_in_stream(const PdfObject& stream,
                                            const std::unordered_set<std::uint32_t>& taken,
                                            std::uint64_t& budget) {
  const std::string_view text = stream.text();
  const auto count = parse_number_after(text, "/N");
  const auto first = parse_number_after(text, "/First");
  if (!count || !first) return {};
  Result<std::optional<std::string>> decoded = decode_stream_object(stream.body());
  if (!decoded || !decoded.value()) return {};
  const std::string& data = *decoded.value();
  if (data.size() > budget) return {};
  budget -= data.size();
  const std::uint64_t offset_base = clamp_to_u64(first);
  if (data.size() < offset_base) return {};
  const std::size_t base = static_cast<std::size_t>(offset_base);
  std::vector<std::uint64_t> integers;
  const std::string header = util::decode_utf8_lossy(std::string_view(data).substr(0, base));
  for (std::string_view token : util::split_whitespace(header)) {
    if (const auto value = parse_u64(token)) integers.push_back(*value);
  }
  const std::uint64_t pairs = std::min<std::uint64_t>(integers.size() / 2, clamp_to_u64(count));
  const std::uint64_t data_length = data.size() - base;
  std::vector<ObjectHandle> objects;
  for (std::uint64_t i = 0; i < pairs; ++i) {
    const auto number = static_cast<std::uint32_t>(integers[2 * i]);
    if (taken.count(number)) continue;
    const std::uint64_t offset = integers[2 * i + 1];
    const std::uint64_t end = i + 1 < pairs ? integers[2 * i + 3] : data_length;
    if (end < offset || end > data_length) continue;
    objects.push_back(std::make_shared<PdfObject>(
        number, 0,
        data.substr(base + static_cast<std::size_t>(offset), static_cast<std::size_t>(end - offset))));
  }
  return objects;
}

bool is_info_like(std::string_view text) {
  return (text.find("/Producer") != std::string_view::npos ||
          text.find("/Creator") != std::string_view::npos ||
          text.find("/Author") != std::string_view::npos) &&
         text.find("/Title") != std::string_view::npos;
}

}  // namespace

std::vector<ObjectHandle> scan_objects(std::string_view data) {
  std::vector<ObjectHandle> objects;
  std::size_t pos = 0;
  while (pos < data.size()) {
    const auto header = header_at(data, pos);
    if (!header) {
      pos = next_line_start(data, pos);
      continue;
    }
    if (data.size() - header->body_start < kEndObj.size()) break;
    const std::size_t end = data.find(kEndObj, header->body_start);
    if (end == std::string_view::npos) break;
    objects.push_back(PdfObject::viewing(header->number, header->generation,
                                         data.substr(header->body_start, end - header->body_start)));
    pos = end + kEndObj.size();
    // Only line starts are tried: an object on the line of the previous "endobj" is not found.
    if (pos < data.size() && data[pos] != '\n' && data[pos] != '\r')
      pos = next_line_start(data, pos);
    else if (pos < data.size())
      ++pos;
  }
  return objects;
}

std::vector<ObjectHandle> expand_object_streams(const std::vector<ObjectHandle>& scanned) {
  std::unordered_set<std::uint32_t> taken;
  for (const ObjectHandle& object : scanned) taken.insert(object->number());
  std::uint64_t budget = limits::kMaxPdfObjectStreamTotalBytes;
  std::vector<ObjectHandle> expanded;
  for (const ObjectHandle& object : scanned) {
    // An ASCII key is found in the raw body exactly when it is found in the
    // lossy text, and the raw body needs no decoding.
    if (!contains_ignoring_white_space(object->body(), "/Type/ObjStm")) continue;
    for (ObjectHandle& inner : objects_in_stream(*object, taken, budget))
      expanded.push_back(std::move(inner));
  }
  return expanded;
}

std::optional<std::string> find_title(const std::vector<ObjectHandle>& objects) {
  for (const ObjectHandle& object : objects) {
    if (!is_info_like(object->body())) continue;  // ASCII keys: as in the text, without decoding it
    const std::string_view text = object->text();
    // The token right after the key decides; a reference or a name is not a title.
    ContentParser parser(text, text.find("/Title") + 6);
    const ContentToken token = parser.next_operand_or_operator();
    if (token.kind == ContentToken::Kind::Operand && token.operand.is_string()) {
      return decode_pdf_text(token.operand.text, nullptr);
    }
  }
  return std::nullopt;
}

std::string PageSeed::dictionary_text() const {
  std::string text(page->text());
  for (const ObjectHandle& ancestor : ancestors) {
    if (text.size() + 1 + ancestor->text().size() > limits::kMaxPdfInheritedTextBytes) break;
    text.push_back('\n');
    text.append(ancestor->text());
  }
  return text;
}

std::vector<PageSeed> find_pages(const std::vector<ObjectHandle>& objects, const ObjectIndex& index) {
  std::vector<PageSeed> pages;
  for (const ObjectHandle& object : objects) {
    // ASCII keys: found in the raw body exactly when found in the lossy text.
    const std::string_view body = object->body();
    if (!contains_ignoring_white_space(body, "/Type/Page") ||
        contains_ignoring_white_space(body, "/Type/Pages")) {
      continue;
    }
    const std::string_view text = object->text();
    PageSeed seed;
    seed.page_number = pages.size() + 1;
    seed.page = object;
    std::string_view current = text;
    while (seed.ancestors.size() < kMaxPageTreeDepth) {
      const auto parent = parse_direct_ref_after_key(current, "/Parent");
      ObjectHandle found = parent ? index.handle(*parent) : nullptr;
      if (found == nullptr) break;
      current = found->text();
      seed.ancestors.push_back(std::move(found));
    }
    pages.push_back(std::move(seed));
  }
  return pages;
}

}  // namespace scrivex_core::pdf

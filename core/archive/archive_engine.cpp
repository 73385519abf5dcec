#include "core/archive/archive_engine.hpp"

#include <algorithm>

#include "core/archive/entry_text.hpp"
#include "core/archive/tar_reader.hpp"
#include "core/engine/text_builders.hpp"
#include "core/openxml/zip_reader.hpp"
#include "core/util/byte_view.hpp"
#include "core/util/gzip.hpp"
#include "core/util/limits.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::archive {
namespace {

constexpr std::string_view kEngineName = "archive-native";

enum class Container { Zip, Gzip, Tar };

using Paragraphs = std::vector<std::string>;

std::span<const std::uint8_t> data_of(const source::Source& source) {
  if (source.bytes) return *source.bytes;
  return {reinterpret_cast<const std::uint8_t*>(source.text.data()), source.text.size()};
}

bool path_ends_with(const std::optional<std::string>& path, std::string_view suffix) {
  if (!path) return false;
  const std::string lowered = util::ascii_lowercase(*path);
  return lowered.size() >= suffix.size() &&
         lowered.compare(lowered.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The path's ending decides first; the magic bytes decide without one.
Container container_of(const source::Source& source, std::span<const std::uint8_t> data) {
  const util::ByteView view(data);
  if (path_ends_with(source.path, ".zip") || view.matches(0, "PK\x03\x04")) return Container::Zip;
  if (path_ends_with(source.path, ".gz") || path_ends_with(source.path, ".tgz") ||
      view.matches(0, "\x1F\x8B")) {
    return Container::Gzip;
  }
  return Container::Tar;
}

void append_entry(Paragraphs& paragraphs, std::string_view name, std::string_view text) {
  for (std::string& paragraph : engine::split_paragraphs(archive_entry_text(name, text))) {
    paragraphs.push_back(std::move(paragraph));
  }
}

Result<Paragraphs> zip_paragraphs(std::span<const std::uint8_t> data) {
  auto files = openxml::read_zip_files(data);
  if (!files) return std::move(files).error();
  std::vector<const std::pair<const std::string, std::string>*> entries;
  for (const auto& entry : files.value()) entries.push_back(&entry);
  std::stable_sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
    const int priority_a = entry_priority(a->first);
    const int priority_b = entry_priority(b->first);
    if (priority_a != priority_b) return priority_a < priority_b;
    return a->first < b->first;
  });
  Paragraphs paragraphs;
  for (const auto* entry : entries) {
    if (is_supported_archive_text_entry(entry->first)) append_entry(paragraphs, entry->first, entry->second);
  }
  return paragraphs;
}

// TAR entries in archive order; data that is no TAR but one text is taken whole.
Result<Paragraphs> tar_paragraphs(std::span<const std::uint8_t> data) {
  auto entries = read_tar_entries(data);
  if (!entries || entries.value().empty()) {
    if (auto text = single_file_text_payload(data)) return engine::split_paragraphs(*text);
    if (!entries) return std::move(entries).error();
    return Paragraphs{};
  }
  Paragraphs paragraphs;
  for (const TarEntry& entry : entries.value()) {
    if (!is_supported_archive_text_entry(entry.name)) continue;
    const std::string text =
        util::decode_utf8_lossy({reinterpret_cast<const char*>(entry.data.data()), entry.data.size()});
    append_entry(paragraphs, entry.name, text);
  }
  return paragraphs;
}

Result<Paragraphs> gzip_paragraphs(std::span<const std::uint8_t> data) {
  auto inflated = util::gunzip(data, limits::kMaxArchiveEntryOutputBytes);
  if (!inflated) return ScrivexError::archive("gzip decode failed: " + inflated.error().message);
  const std::string& tar = inflated.value();
  return tar_paragraphs({reinterpret_cast<const std::uint8_t*>(tar.data()), tar.size()});
}

}  // namespace

Result<ir::Document> ArchiveEngine::extract(const source::Source& source) const {
  const std::span<const std::uint8_t> data = data_of(source);
  Result<Paragraphs> paragraphs = Paragraphs{};
  switch (container_of(source, data)) {
    case Container::Zip:
      paragraphs = zip_paragraphs(data);
      break;
    case Container::Gzip:
      paragraphs = gzip_paragraphs(data);
      break;
    case Container::Tar:
      paragraphs = tar_paragraphs(data);
      break;
  }
  if (!paragraphs) return std::move(paragraphs).error();
  return engine::text_document_from_paragraphs(source, kEngineName, std::move(paragraphs).value(),
                                               std::nullopt);
}

}  // namespace scrivex_core::archive

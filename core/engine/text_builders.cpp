#include "core/engine/text_builders.hpp"

#include "core/util/strings.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::engine {
namespace {

constexpr float kTextConfidence = 0.9f;
constexpr std::string_view kBlockSeparator = "\n\n";

ir::Metadata metadata_for(const source::Source& source, std::string_view engine_name,
                          std::optional<std::string> title, std::string_view document_text,
                          std::uint64_t block_count) {
  ir::Metadata metadata;
  metadata.format = source.format;
  metadata.engine = std::string(engine_name);
  metadata.source = source.path;
  metadata.title = std::move(title);
  metadata.character_count = util::count_scalars(document_text);
  metadata.word_count = util::count_words(document_text);
  metadata.block_count = block_count;
  if (source.bytes) metadata.file_size_bytes = source.bytes->size();
  return metadata;
}

ir::Document one_page_document(ir::Metadata metadata, std::vector<ir::Block> blocks) {
  ir::Document document;
  document.metadata = std::move(metadata);
  ir::Page page;
  page.number = 1;
  page.blocks = std::move(blocks);
  document.pages.push_back(std::move(page));
  return document;
}

}  // namespace

std::vector<std::string> split_paragraphs(std::string_view text) {
  std::vector<std::string> paragraphs;
  std::vector<std::string_view> current;
  for (std::string_view line : util::split_lines(text)) {
    const std::string_view trimmed = util::trim(line);
    if (trimmed.empty()) {
      flush_paragraph(paragraphs, current);
    } else {
      current.push_back(trimmed);
    }
  }
  flush_paragraph(paragraphs, current);
  return paragraphs;
}

void flush_paragraph(std::vector<std::string>& paragraphs, std::vector<std::string_view>& current) {
  if (current.empty()) return;
  std::string joined;
  for (std::size_t i = 0; i < current.size(); ++i) {
    if (i) joined.push_back(' ');
    joined.append(current[i]);
  }
  paragraphs.push_back(std::move(joined));
  current.clear();
}

ir::Document text_document_from_paragraphs(const source::Source& source, std::string_view engine_name,
                                           std::vector<std::string> paragraphs,
                                           std::optional<std::string> title) {
  std::vector<ir::Block> blocks;
  std::vector<std::string> texts;
  for (std::string& paragraph : paragraphs) {
    if (util::is_blank(paragraph)) continue;
    texts.push_back(paragraph);
    ir::TextBlock block;
    block.text = std::move(paragraph);
    block.kind = "paragraph";
    block.source_anchors.push_back({1, {}, std::nullopt, std::string(engine_name)});
    block.confidence = ir::Confidence{kTextConfidence, false};
    blocks.emplace_back(std::move(block));
  }
  const std::string document_text = util::join(texts, kBlockSeparator);
  auto metadata = metadata_for(source, engine_name, std::move(title), document_text, blocks.size());
  return one_page_document(std::move(metadata), std::move(blocks));
}

std::optional<ir::Document> document_from_blocks(const source::Source& source, std::string_view engine_name,
                                                 std::optional<std::string> title,
                                                 std::vector<ir::Block> blocks) {
  if (blocks.empty()) return std::nullopt;
  std::vector<std::string> texts;
  for (const ir::Block& block : blocks) {
    std::string text = block_text(block);
    if (!text.empty()) texts.push_back(std::move(text));
  }
  const std::string document_text = util::join(texts, kBlockSeparator);
  auto metadata = metadata_for(source, engine_name, std::move(title), document_text, blocks.size());
  return one_page_document(std::move(metadata), std::move(blocks));
}

std::string block_text(const ir::Block& block) {
  if (const auto* text = std::get_if<ir::TextBlock>(&block)) return text->text;
  if (const auto* figure = std::get_if<ir::FigureBlock>(&block)) return figure->caption.value_or("");
  const auto& table = std::get<ir::TableBlock>(block);
  std::vector<std::string> lines;
  if (!table.headers.empty()) lines.push_back(util::join(table.headers, " "));
  for (const auto& row : table.rows) lines.push_back(util::join(row, " "));
  return util::join(lines, "\n");
}

}  // namespace scrivex_core::engine

// Table annotations: PubTabNet structure tokens with a cell list, and plain
// cell grids.
#include <tuple>

#include "core/dataset/dataset_common.hpp"
#include "core/dataset/json_pages.hpp"
#include "core/textual/html_text.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

ir::TableCell table_cell(std::uint64_t row, std::uint64_t column, std::string text, std::optional<ir::BBox> bbox) {
  ir::TableCell cell;
  cell.row = row;
  cell.column = column;
  cell.text = std::move(text);
  cell.bbox = bbox;
  cell.is_header = row == 0;
  return cell;
}

std::optional<ir::BBox> cell_box(const Value* cell) {
  if (!cell || cell->type != Type::Object) return std::nullopt;
  return bbox_from_rect(cell->find("bbox"));
}

ir::Page table_page(std::vector<std::vector<std::string>> rows, std::vector<ir::TableCell> cells,
                    std::optional<ir::BBox> box) {
  ir::TableBlock table;
  std::tie(table.headers, table.rows) = split_table_rows(std::move(rows));
  table.cells = std::move(cells);
  table.bbox = box;
  table.source_anchors.push_back(source_anchor(1, box));
  table.confidence = ir::Confidence{kJsonBlockConfidence, false};
  ir::Page page;
  page.number = 1;
  size_from_table_box(page, box);
  page.blocks.push_back(std::move(table));
  return page;
}

// The cell list beside the structure: "cells", or "cell" when there is no
// "cells" member.
const Value* pubtabnet_cell_list(const Value* html) {
  if (const Value* cells = member(html, "cells")) return cells->type == Type::Array ? cells : nullptr;
  return array_member(html, "cell");
}

}  // namespace

std::string pubtabnet_cell_text(const Value* cell) {
  if (!cell || cell->type != Type::Object) return {};
  std::string raw;
  if (const Value* tokens = array_member(cell, "tokens")) {
    for (const Value& token : tokens->array) {
      if (token.type == Type::String) raw += token.string;
    }
  } else if (const Value* text = string_member(cell, "text")) {
    raw = text->string;
  }
  return clean_text(textual::html_to_text(raw));
}

std::vector<PubTabNetRow> pubtabnet_rows(const Value& tokens, const Value& cells) {
  std::vector<PubTabNetRow> rows;
  std::optional<PubTabNetRow> open;
  std::size_t cursor = 0;
  for (const Value& token : tokens.array) {
    if (token.type != Type::String) continue;
    const std::string tag = util::ascii_lowercase(util::trim(token.string));
    if (tag.starts_with("<tr")) {
      open.emplace();
    } else if (tag.starts_with("</tr")) {
      if (open && !open->empty()) rows.push_back(std::move(*open));
      open.reset();
    } else if ((tag.starts_with("<td") || tag.starts_with("<th")) && open) {
      const Value* cell = cursor < cells.array.size() ? &cells.array[cursor] : nullptr;
      open->push_back(PubTabNetCell{pubtabnet_cell_text(cell), cell_box(cell)});
      ++cursor;
    }
  }
  return rows;
}

std::optional<ir::Page> pubtabnet_page(const Value& object) {
  const Value* html = object_member(&object, "html");
  const Value* tokens = array_member(object_member(html, "structure"), "tokens");
  const Value* cell_list = pubtabnet_cell_list(html);
  if (!tokens || !cell_list) return std::nullopt;
  const std::vector<PubTabNetRow> kept = pubtabnet_rows(*tokens, *cell_list);
  if (kept.empty()) return std::nullopt;
  std::vector<std::vector<std::string>> rows;
  std::vector<ir::TableCell> cells;
  for (std::size_t r = 0; r < kept.size(); ++r) {
    std::vector<std::string>& texts = rows.emplace_back();
    for (std::size_t c = 0; c < kept[r].size(); ++c) {
      texts.push_back(kept[r][c].text);
      cells.push_back(table_cell(r, c, kept[r][c].text, kept[r][c].bbox));
    }
  }
  const std::optional<ir::BBox> box = inferred_table_cell_bbox(cells);
  return table_page(std::move(rows), std::move(cells), box);
}

std::optional<ir::Page> cell_grid_page(const Value& object) {
  const Value* grid = array_member(&object, "cells");
  if (!grid) return std::nullopt;
  std::vector<std::vector<std::string>> rows;
  std::vector<ir::TableCell> cells;
  for (std::size_t r = 0; r < grid->array.size(); ++r) {
    const Value& row = grid->array[r];
    if (row.type != Type::Array || row.array.empty()) continue;
    std::vector<std::string>& texts = rows.emplace_back();
    for (std::size_t c = 0; c < row.array.size(); ++c) {
      const Value* cell = &row.array[c];
      texts.push_back(pubtabnet_cell_text(cell));
      cells.push_back(table_cell(r, c, texts.back(), cell_box(cell)));
    }
  }
  if (rows.empty()) return std::nullopt;
  std::optional<ir::BBox> box = bbox_from_rect(member(&object, "table_bbox"));
  if (!box) box = inferred_table_cell_bbox(cells);
  return table_page(std::move(rows), std::move(cells), box);
}

}  // namespace scrivex_core::dataset

// Layout-detection pages: one element of a "layout_dets" dataset, each
// detection a category, a polygon and its text or table markup.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <tuple>

#include "core/dataset/dataset_common.hpp"
#include "core/dataset/json_pages.hpp"
#include "core/textual/html_text.hpp"
#include "core/util/unicode.hpp"

namespace scrivex_core::dataset {
namespace {

using util::json::Type;

constexpr std::string_view kDefaultCategory = "annotation";
constexpr std::size_t kMinPolyValues = 4;  // two points
constexpr std::array<std::string_view, 3> kHtmlKeys{"html", "html_2", "html_3"};

const Value* first_string(const Value& object, std::initializer_list<std::string_view> keys) {
  for (std::string_view key : keys) {
    if (const Value* found = string_member(&object, key)) return found;
  }
  return nullptr;
}

const Value* first_html(const Value& object) {
  return first_string(object, {kHtmlKeys[0], kHtmlKeys[1], kHtmlKeys[2]});
}

// The bounding box of the polygon's points; nothing when any value read is
// not a number (a trailing odd value is not read).
std::optional<ir::BBox> poly_box(const Value* poly) {
  if (!poly || poly->type != Type::Array || poly->array.size() < kMinPolyValues) return std::nullopt;
  float min_x = std::numeric_limits<float>::infinity(), min_y = min_x;
  float max_x = -min_x, max_y = -min_x;
  for (std::size_t i = 0; i + 1 < poly->array.size(); i += 2) {
    const std::optional<float> x = number_f32(&poly->array[i]);
    const std::optional<float> y = number_f32(&poly->array[i + 1]);
    if (!x || !y) return std::nullopt;
    min_x = std::min(min_x, *x);
    max_x = std::max(max_x, *x);
    min_y = std::min(min_y, *y);
    max_y = std::max(max_y, *y);
  }
  return ir::BBox{min_x, min_y, max_x - min_x, max_y - min_y};
}

// The cells of one row's content; `lower` is the lower-cased copy of `row`.
std::vector<std::string> html_row_cells(std::string_view row, std::string_view lower) {
  std::vector<std::string> cells;
  std::size_t pos = 0;
  while (true) {
    const std::size_t td = lower.find("<td", pos);
    const std::size_t th = lower.find("<th", pos);
    const std::size_t start = std::min(td, th);
    if (start == std::string_view::npos) return cells;
    const std::string_view closing = start == td ? "</td>" : "</th>";
    const std::size_t tag_end = lower.find('>', start);
    if (tag_end == std::string_view::npos) return cells;
    const std::size_t close = lower.find(closing, tag_end + 1);
    if (close == std::string_view::npos) return cells;
    cells.push_back(clean_text(textual::html_to_text(row.substr(tag_end + 1, close - tag_end - 1))));
    pos = close + closing.size();
  }
}

}  // namespace

std::vector<std::vector<std::string>> html_table_rows(std::string_view html) {
  const std::string lower = util::ascii_lowercase(html);
  std::vector<std::vector<std::string>> rows;
  std::size_t pos = 0;
  while (true) {
    const std::size_t start = lower.find("<tr", pos);
    if (start == std::string::npos) break;
    const std::size_t tag_end = lower.find('>', start);
    if (tag_end == std::string::npos) break;
    const std::size_t close = lower.find("</tr>", tag_end + 1);
    if (close == std::string::npos) break;
    const std::size_t length = close - tag_end - 1;
    std::vector<std::string> cells =
        html_row_cells(html.substr(tag_end + 1, length), std::string_view(lower).substr(tag_end + 1, length));
    if (!cells.empty()) rows.push_back(std::move(cells));
    pos = close + 5;
  }
  return rows;
}

std::optional<ir::Block> block_from_layout_detection(const Value& detection, std::uint64_t page_number) {
  const Value* category_value = string_member(&detection, "category_type");
  const std::string category = category_value ? category_value->string : std::string(kDefaultCategory);
  const std::optional<ir::BBox> box = poly_box(member(&detection, "poly"));
  if (category == "table") {
    if (const Value* html = first_html(detection)) {
      auto rows = html_table_rows(html->string);
      if (!rows.empty()) {
        ir::TableBlock table;
        std::tie(table.headers, table.rows) = split_table_rows(std::move(rows));
        table.bbox = box;
        table.source_anchors.push_back(source_anchor(page_number, box));
        table.confidence = ir::Confidence{kJsonBlockConfidence, false};
        return table;
      }
    }
  }
  std::string text;
  if (const Value* written = first_string(detection, {"text", "latex"})) text = clean_text(written->string);
  if (text.empty()) {
    if (const Value* html = first_html(detection)) text = clean_text(textual::html_to_text(html->string));
  }
  if (!text.empty()) return json_text_block(category, std::move(text), box, page_number);
  if (category == "figure" || category == "chart_mask") {
    ir::FigureBlock figure;
    figure.bbox = box;
    figure.source_anchors.push_back(source_anchor(page_number, box));
    figure.confidence = ir::Confidence{kJsonBlockConfidence, false};
    return figure;
  }
  return std::nullopt;
}

std::optional<ir::Page> layout_detection_page(const Value& element, std::uint64_t page_number) {
  const Value* detections = array_member(&element, "layout_dets");
  if (!detections) return std::nullopt;
  ir::Page page;
  page.number = page_number;
  if (const Value* info = object_member(&element, "page_info")) {
    page.width = number_f32(info->find("width"));
    page.height = number_f32(info->find("height"));
    if (page.width && page.height) page.bbox = ir::BBox{0, 0, *page.width, *page.height};
  }
  std::vector<const Value*> ordered;
  for (const Value& detection : detections->array) {
    if (detection.type == Type::Object) ordered.push_back(&detection);
  }
  // A detection without a numeric order goes after all that have one.
  auto order_of = [](const Value* detection) {
    const Value* order = member(detection, "order");
    return order && order->type == Type::Number ? order->as_double() : std::numeric_limits<double>::infinity();
  };
  std::stable_sort(ordered.begin(), ordered.end(),
                   [&](const Value* a, const Value* b) { return order_of(a) < order_of(b); });
  for (const Value* detection : ordered) {
    const Value* ignore = member(detection, "ignore");
    if (ignore && ignore->type == Type::Bool && ignore->boolean) continue;
    if (auto block = block_from_layout_detection(*detection, page_number)) page.blocks.push_back(std::move(*block));
  }
  return page;
}

}  // namespace scrivex_core::dataset

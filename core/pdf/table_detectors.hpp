// The table detectors that detect_table tries in turn, and what they share.
// Internal to the table stage.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/ir/document.hpp"
#include "core/pdf/table_detect.hpp"

namespace scrivex_core::pdf::detail {

// Scores of the detectors, reported as uncalibrated confidence.
inline constexpr float kRuledGridScore = 0.70f;
inline constexpr float kAlignedRowsScore = 0.72f;
inline constexpr float kRowGroupScore = 0.68f;

// A caption line lies at most this far above a table's top, and its box
// reaches within kCaptionSideSlack of the table's left and right edges.
inline constexpr float kCaptionReach = 96;
inline constexpr float kCaptionSideSlack = 24;

bool has_ascii_digit(std::string_view text);

// Whether a cell after the first holds an ASCII digit.
bool later_cell_has_digit(std::span<const TextRun> cells);

// The line's plain text with ASCII letters lowercased.
std::string lowered_plain_text(const TextLine& line);

// The first line that reads as a table caption ("table" opening its text)
// whose box starts between `top` and `top` + kCaptionReach and overlaps
// [left, right] widened by kCaptionSideSlack.
bool has_caption_line(std::span<const TextLine> lines, float top, float left, float right);

// Sets the fields every detected table shares: its box, its uncalibrated
// score and one anchor naming the page and the box.
void finish_table_block(ir::TableBlock& table, std::uint64_t page_number, ir::BBox bbox, float score);

std::optional<DetectedTable> detect_ruled_grid_table(std::uint64_t page_number,
                                                     std::span<const TextLine> lines,
                                                     std::span<const float> xs, std::span<const float> ys);

std::optional<DetectedTable> detect_aligned_rows_table(std::uint64_t page_number,
                                                       std::span<const TextLine> lines);

std::optional<DetectedTable> detect_row_group_table(std::uint64_t page_number,
                                                    std::span<const TextLine> lines);

}  // namespace scrivex_core::pdf::detail

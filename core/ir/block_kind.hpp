// Classification of the free `kind` label of a text block.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace scrivex_core::ir {

struct BlockKind {
  enum class Type { Heading, Paragraph, ListItem, Code, Formula, Caption, PageHeader, PageFooter, Footnote };
  Type type = Type::Paragraph;
  std::uint8_t level = 0;  // 1..6 for headings, 0 otherwise

  // Never fails: unknown labels are paragraphs. "heading_3" and "heading_+3"
  // are level 3, "heading_0" level 1, "heading_9" level 6, "heading_256" a paragraph.
  static BlockKind parse(std::string_view kind);
  bool operator==(const BlockKind&) const = default;
};

// The level N of a "heading_N" kind when N (one leading "+" allowed) is 1 to 6.
// The renderers accept only these as headings, unlike BlockKind::parse.
std::optional<int> rendered_heading_level(std::string_view kind);

}  // namespace scrivex_core::ir

// Renderers turn a Document into one text: JSON, Markdown or LaTeX.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/error/error.hpp"
#include "core/ir/document.hpp"

namespace scrivex_core::render {

class Renderer {
 public:
  virtual ~Renderer() = default;
  virtual Result<std::string> render(const ir::Document& document) const = 0;
};

// The indented IR JSON form.
class JsonRenderer final : public Renderer {
 public:
  Result<std::string> render(const ir::Document& document) const override;
};

class MarkdownRenderer final : public Renderer {
 public:
  Result<std::string> render(const ir::Document& document) const override;
};

class LatexRenderer final : public Renderer {
 public:
  Result<std::string> render(const ir::Document& document) const override;
};

// A copy of row padded with empty texts, or cut, to exactly width entries.
std::vector<std::string> normalize_row(const std::vector<std::string>& row, std::size_t width);

}  // namespace scrivex_core::render

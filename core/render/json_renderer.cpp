#include "core/ir/json_form.hpp"
#include "core/render/renderer.hpp"

namespace scrivex_core::render {

// The writer cannot fail on IR values, so there is no error path to report.
Result<std::string> JsonRenderer::render(const ir::Document& document) const {
  return ir::document_json(document, true);
}

}  // namespace scrivex_core::render

// The operations behind the Python module, each one call deep.
#include "core/engine/plain_text.hpp"
#include "core/format/format.hpp"
#include "core/ir/json_form.hpp"
#include "core/pipeline/load.hpp"
#include "core/render/renderer.hpp"
#include "core/scrivex.hpp"

namespace scrivex_core {
namespace {

// The JSON reader's message reaches Python as it is, without the "JSON error: "
// prefix of a Json ScrivexError.
ApiError reader_error(util::json::JsonError error) { return {std::move(error.message)}; }

ApiResult from_core(Result<std::string> result) {
  if (!result.ok()) return ApiError{result.error().display()};
  return std::move(result).value();
}

ApiResult render_text(std::string_view text, const render::Renderer& renderer) {
  auto document = engine::PlainTextEngine{}.extract(source::Source::from_text(text));
  if (!document.ok()) return ApiError{document.error().display()};
  return from_core(renderer.render(document.value()));
}

ApiResult render_document_json(std::string_view document_json, const render::Renderer& renderer) {
  auto document = ir::read_document(document_json);
  if (!document.ok()) return reader_error(std::move(document).error());
  return from_core(renderer.render(document.value()));
}

}  // namespace

ApiResult text_to_json(std::string_view text) { return render_text(text, render::JsonRenderer{}); }
ApiResult text_to_markdown(std::string_view text) {
  return render_text(text, render::MarkdownRenderer{});
}
ApiResult text_to_latex(std::string_view text) { return render_text(text, render::LatexRenderer{}); }

ApiResult detect_format(std::string_view path) { return from_core(format::detect_format(path)); }

ApiResult load_path_json(std::string_view path, std::optional<std::string_view> options_json) {
  ir::ExtractOptions options;
  if (options_json) {
    auto parsed = ir::read_extract_options(*options_json);
    if (!parsed.ok()) return reader_error(std::move(parsed).error());
    options = std::move(parsed).value();
  }
  auto document = pipeline::load_path_with_options(std::string(path), options);
  if (!document.ok()) return ApiError{document.error().display()};
  return from_core(render::JsonRenderer{}.render(document.value()));
}

ApiResult load_many_json(const std::vector<std::string>& paths) {
  return ir::batch_results_json(pipeline::load_many(paths));
}

ApiResult document_json_to_json(std::string_view document_json) {
  return render_document_json(document_json, render::JsonRenderer{});
}
ApiResult document_json_to_markdown(std::string_view document_json) {
  return render_document_json(document_json, render::MarkdownRenderer{});
}
ApiResult document_json_to_latex(std::string_view document_json) {
  return render_document_json(document_json, render::LatexRenderer{});
}

}  // namespace scrivex_core

#include "core/pdf/interpreter.hpp"

#include <array>
#include <cmath>
#include <optional>
#include <span>

#include "core/pdf/content_parser.hpp"
#include "core/pdf/graphics_state.hpp"
#include "core/pdf/syntax.hpp"
#include "core/util/limits.hpp"

namespace scrivex_core::pdf {
namespace {

// The smallest horizontal scaling Tz may set, as a fraction.
constexpr float kMinHorizontalScaling = 0.01f;
// Tf sets the leading to this multiple of the font size.
constexpr float kLeadingPerFontSize = 1.2f;

class Interpreter {
 public:
  Interpreter(const std::string& label, const PageResources& page, ContentExtraction& out)
      : label_(label), page_(page), out_(out) {}

  void run(std::string_view data) {
    ContentParser parser(data);
    std::vector<Operand> operands;
    while (true) {
      ContentToken token = parser.next_operand_or_operator();
      if (token.kind == ContentToken::Kind::End) return;  // operands after the last operator are dropped
      if (token.kind == ContentToken::Kind::Operand) {
        if (operands.size() < limits::kMaxPdfOperandsPerOperation)
          operands.push_back(std::move(token.operand));
        continue;
      }
      execute(token.operator_text, operands);
      operands.clear();
    }
  }

 private:
  // The final k operands as numbers, or nothing when fewer or not all numbers.
  template <std::size_t K>
  static std::optional<std::array<float, K>> last_numbers(const std::vector<Operand>& operands) {
    if (operands.size() < K) return std::nullopt;
    std::array<float, K> values{};
    for (std::size_t i = 0; i < K; ++i) {
      const Operand& operand = operands[operands.size() - K + i];
      if (!operand.is_number()) return std::nullopt;
      values[i] = operand.number;
    }
    return values;
  }

  static Matrix matrix_of(const std::array<float, 6>& v) { return {v[0], v[1], v[2], v[3], v[4], v[5]}; }

  void next_line() {
    Matrix& line = state_.line_matrix;
    line.e -= state_.leading * line.c;
    line.f -= state_.leading * line.d;
    state_.text_matrix = line;
  }

  void show(const Operand& operand) {
    if (auto text = operand_text(operand, state_, page_.fonts)) show_text(std::move(*text));
  }

  void show_text(std::string text) {
    if (out_.runs.size() < limits::kMaxPdfRunsPerPage) {
      push_text_run(out_.runs, state_, label_, std::move(text), page_.fonts);
    }
  }

  void execute(std::string_view op, const std::vector<Operand>& operands) {
    if (op.size() > 2) return;
    if (op == "q") {
      if (saved_.size() < limits::kMaxPdfGraphicsStateDepth) {
        saved_.push_back(state_);
      } else {
        ++unsaved_depth_;
      }
    } else if (op == "Q") {
      if (unsaved_depth_ > 0) {
        --unsaved_depth_;
      } else if (!saved_.empty()) {
        state_ = std::move(saved_.back());
        saved_.pop_back();
      }
    } else if (op == "cm") {
      if (const auto m = last_numbers<6>(operands)) state_.ctm = matrix_of(*m).then(state_.ctm);
    } else if (op == "BT") {
      state_.text_matrix = Matrix{};
      state_.line_matrix = Matrix{};
    } else if (op == "Tf") {
      if (operands.size() == 2 && operands[0].is_name() && operands[1].is_number()) {
        state_.font = operands[0].text;
        state_.font_size = operands[1].number;
        state_.leading = kLeadingPerFontSize * operands[1].number;
      }
    } else if (op == "Tc" || op == "Tw" || op == "TL" || op == "Ts" || op == "Tz") {
      set_text_parameter(op, operands);
    } else if (op == "Td" || op == "TD") {
      if (const auto t = last_numbers<2>(operands)) {
        Matrix& line = state_.line_matrix;
        const float e = (*t)[0] * line.a + (*t)[1] * line.c + line.e;
        const float f = (*t)[0] * line.b + (*t)[1] * line.d + line.f;
        line.e = e;
        line.f = f;
        state_.text_matrix = line;
        if (op == "TD") state_.leading = -(*t)[1];
      }
    } else if (op == "Tm") {
      if (const auto m = last_numbers<6>(operands)) {
        state_.text_matrix = matrix_of(*m);
        state_.line_matrix = state_.text_matrix;
      }
    } else if (op == "T*") {
      next_line();
    } else if (op == "Tj") {
      if (!operands.empty()) show(operands.front());
    } else if (op == "TJ") {
      if (!operands.empty() && operands.front().is_array()) {
        show_text(text_from_array(operands.front().items, state_, page_.fonts));
      }
    } else if (op == "'") {
      next_line();
      if (!operands.empty()) show(operands.front());
    } else if (op == "\"") {
      if (operands.size() >= 2 && operands[0].is_number() && operands[1].is_number()) {
        state_.word_spacing = operands[0].number;
        state_.char_spacing = operands[1].number;
        next_line();
        show(operands.back());
      }
    } else {
      execute_path_or_image(op, operands);
    }
  }

  void set_text_parameter(std::string_view op, const std::vector<Operand>& operands) {
    const auto value = last_numbers<1>(operands);
    if (!value) return;
    const float v = (*value)[0];
    if (op == "Tc") state_.char_spacing = v;
    if (op == "Tw") state_.word_spacing = v;
    if (op == "TL") state_.leading = v;
    if (op == "Ts") state_.rise = v;
    if (op == "Tz") state_.horizontal_scaling = std::fmax(v / 100, kMinHorizontalScaling);
  }

  void add_segment(Point from, Point to) {
    const Point a = state_.ctm.apply(from);
    const Point b = state_.ctm.apply(to);
    if (out_.segments.size() + path_.size() < limits::kMaxPdfSegmentsPerPage)
      path_.push_back({a.x, a.y, b.x, b.y});
  }

  void execute_path_or_image(std::string_view op, const std::vector<Operand>& operands) {
    if (op == "m") {
      if (const auto p = last_numbers<2>(operands)) current_ = Point{(*p)[0], (*p)[1]};
    } else if (op == "l") {
      const auto p = last_numbers<2>(operands);
      if (p && current_) {
        add_segment(*current_, {(*p)[0], (*p)[1]});
        current_ = Point{(*p)[0], (*p)[1]};
      }
    } else if (op == "re") {
      if (const auto r = last_numbers<4>(operands)) {
        const auto [x, y, w, h] = *r;
        add_segment({x, y}, {x + w, y});
        add_segment({x + w, y}, {x + w, y + h});
        add_segment({x + w, y + h}, {x, y + h});
        add_segment({x, y + h}, {x, y});
        current_ = Point{x, y};
      }
    } else if (op == "S" || op == "s") {
      out_.segments.insert(out_.segments.end(), path_.begin(), path_.end());
      path_.clear();
      current_.reset();
    } else if (op == "n") {
      path_.clear();
      current_.reset();
    } else if (op == "Do") {
      if (!operands.empty() && operands.front().is_name() && !page_.xobjects.empty())
        draw_xobject(operands.front().text);
    }
  }

  void draw_xobject(const std::string& name) {
    const auto ref = page_.xobjects.find(name);
    if (ref == page_.xobjects.end()) return;
    const PdfObject* object = page_.index.find(ref->second);
    // Only ASCII keys and numbers are read: the raw body gives what its lossy
    // text would, without decoding an image's bytes.
    const std::string_view body = object != nullptr ? object->body() : std::string_view();
    if (object == nullptr || !is_image(body) || out_.images.size() >= limits::kMaxPdfImagesPerPage) return;
    ir::ImageObject image;
    image.id = "image-" + std::to_string(page_.page_number) + "-" + name;
    image.object_id = std::to_string(object->number()) + " " + std::to_string(object->generation()) + " R";
    image.bbox = ir::BBox{state_.ctm.e, state_.ctm.f, std::fabs(state_.ctm.a), std::fabs(state_.ctm.d)};
    if (const auto width = parse_number_after(body, "/Width")) image.width = saturating_u32(*width);
    if (const auto height = parse_number_after(body, "/Height")) image.height = saturating_u32(*height);
    ir::Asset asset;
    asset.id = image.id;
    asset.kind = "image";
    asset.object_id = image.object_id;
    asset.bbox = image.bbox;
    asset.width = image.width;
    asset.height = image.height;
    out_.images.push_back(std::move(image));
    out_.assets.push_back(std::move(asset));
  }

  // "/Subtype" then any run of white space (or none) and "/Image".
  static bool is_image(std::string_view text) {
    constexpr std::string_view kKey = "/Subtype";
    constexpr std::string_view kImage = "/Image";
    for (std::size_t key = text.find(kKey); key != std::string_view::npos; key = text.find(kKey, key + 1)) {
      const std::size_t value = skip_pdf_white_space(text, key + kKey.size());
      if (text.substr(value, kImage.size()) == kImage) return true;
    }
    return false;
  }

  const std::string& label_;
  const PageResources& page_;
  ContentExtraction& out_;
  GraphicsState state_;
  std::vector<GraphicsState> saved_;
  std::size_t unsaved_depth_ = 0;  // "q" past the depth limit, matched by "Q" without a restore
  std::vector<RulingSegment> path_;
  std::optional<Point> current_;
};

}  // namespace

void interpret_content_stream(std::string_view data, const std::string& label, const PageResources& page,
                              ContentExtraction& out) {
  Interpreter(label, page, out).run(data);
}

}  // namespace scrivex_core::pdf

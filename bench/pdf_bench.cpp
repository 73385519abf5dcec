// Times the native PDF reader, layout included, on two generated many-page
// files (lines of word runs; two columns of single-glyph runs), or on the
// files given as arguments: pdf_bench [--threads N] [--rounds R] [file.pdf ...]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/pdf/extract_pdf.hpp"

namespace {

// A file of `pages` pages, each with a few hundred text runs and some rules.
std::string generated_pdf(int pages) {
  std::string out = "%PDF-1.7\n";
  out +=
      "1 0 obj\n<< /Type /Pages /Resources << /Font << /F1 2 0 R >> >> /MediaBox [0 0 612 792] >>\nendobj\n";
  out += "2 0 obj\n<< /Type /Font /BaseFont /Helvetica /FirstChar 32 /Widths [278 278 355 556] >>\nendobj\n";
  for (int page = 0; page < pages; ++page) {
    std::string content = "BT /F1 10 Tf 12 TL 50 760 Td\n";
    for (int line = 0; line < 60; ++line) {
      content += "[(Line " + std::to_string(line) + " of page " + std::to_string(page) +
                 ") -300 (with a few words)] TJ (and more text) ' T*\n";
    }
    content += "ET 50 40 m 560 40 l S\n";
    const int number = 10 + 2 * page;
    out += std::to_string(number) + " 0 obj\n<< /Type /Page /Parent 1 0 R /Contents " +
           std::to_string(number + 1) + " 0 R >>\nendobj\n";
    out += std::to_string(number + 1) + " 0 obj\n<< /Length " + std::to_string(content.size()) +
           " >>\nstream\n" + content + "\nendstream\nendobj\n";
  }
  return out + "trailer\n<< >>\n%%EOF\n";
}

// A file of `pages` two-column pages where every character is a run of its
// own (as some producers place glyphs), 60 lines per column: the line
// grouping, gap statistics, column cut and reading order all get work.
std::string generated_glyph_columns_pdf(int pages) {
  constexpr int kLines = 60;
  constexpr float kGlyphAdvance = 5.0f;  // width 500 at size 10
  constexpr float kKerning = 0.3f;
  constexpr float kWordGap = 2.5f;
  // Lines of differing lengths, so that no two lines share their run count
  // and the page reads as text, not as a table of aligned rows.
  const std::vector<std::string> words = {"glyph", "runs", "placed", "one",   "by", "one",
                                          "still", "read", "as",     "words", "in", "columns"};
  std::string out = "%PDF-1.7\n";
  out +=
      "1 0 obj\n<< /Type /Pages /Resources << /Font << /F1 2 0 R >> >> /MediaBox [0 0 612 792] >>\nendobj\n";
  std::string widths;
  for (int code = 32; code <= 126; ++code) widths += "500 ";
  out += "2 0 obj\n<< /Type /Font /BaseFont /Courier /FirstChar 32 /Widths [" + widths + "] >>\nendobj\n";
  char position[64];
  for (int page = 0; page < pages; ++page) {
    std::string content = "BT /F1 10 Tf\n";
    for (int line = 0; line < kLines; ++line) {
      const float y = 750.0f - 12.0f * static_cast<float>(line);
      for (const float left : {50.0f, 320.0f}) {
        float x = left;
        const std::size_t count = 5 + static_cast<std::size_t>(line + (left > 100 ? 3 : 0)) % 4;
        for (std::size_t w = 0; w < count; ++w) {
          for (const char c : words[(static_cast<std::size_t>(line) + w) % words.size()]) {
            std::snprintf(position, sizeof position, "1 0 0 1 %.2f %.2f Tm (", x, y);
            content += position;
            content += c;
            content += ") Tj\n";
            x += kGlyphAdvance + kKerning;
          }
          x += kWordGap;
        }
      }
    }
    content += "ET\n";
    const int number = 10 + 2 * page;
    out += std::to_string(number) + " 0 obj\n<< /Type /Page /Parent 1 0 R /Contents " +
           std::to_string(number + 1) + " 0 R >>\nendobj\n";
    out += std::to_string(number + 1) + " 0 obj\n<< /Length " + std::to_string(content.size()) +
           " >>\nstream\n" + content + "\nendstream\nendobj\n";
  }
  return out + "trailer\n<< >>\n%%EOF\n";
}

std::vector<std::uint8_t> read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void run(const char* label, const std::vector<std::uint8_t>& bytes, std::size_t threads, int rounds) {
  double best = 1e300;
  double best_cpu = 1e300;
  std::size_t pages = 0;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const std::clock_t cpu_start = std::clock();
    auto result =
        scrivex_core::pdf::extract_pdf(bytes, scrivex_core::source::Source{}, "pdf-native", threads);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double cpu_seconds = static_cast<double>(std::clock() - cpu_start) / CLOCKS_PER_SEC;
    if (!result) {
      std::printf("%s: %s\n", label, result.error().display().c_str());
      return;
    }
    pages = result.value().pages.size();
    best = seconds < best ? seconds : best;
    best_cpu = cpu_seconds < best_cpu ? cpu_seconds : best_cpu;
  }
  // CPU time (all threads) alongside wall time: on a shared machine it is the steadier figure.
  std::printf("%s: %zu bytes, %zu pages, best of %d: %.1f ms wall (%.1f MB/s), %.1f ms cpu\n", label,
              bytes.size(), pages, rounds, best * 1e3, static_cast<double>(bytes.size()) / best / 1e6,
              best_cpu * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t threads = 0;
  int rounds = 5;
  std::vector<const char*> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--threads" && i + 1 < argc) {
      threads = std::strtoul(argv[++i], nullptr, 10);
    } else if (arg == "--rounds" && i + 1 < argc) {
      rounds = std::atoi(argv[++i]);
    } else {
      files.push_back(argv[i]);
    }
  }
  if (files.empty()) {
    const std::string lines = generated_pdf(500);
    run("generated word lines", std::vector<std::uint8_t>(lines.begin(), lines.end()), threads, rounds);
    const std::string glyphs = generated_glyph_columns_pdf(100);
    run("generated glyph columns", std::vector<std::uint8_t>(glyphs.begin(), glyphs.end()), threads, rounds);
  }
  for (const char* file : files) run(file, read_file(file), threads, rounds);
  return 0;
}

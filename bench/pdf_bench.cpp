// Times the native PDF reader on a generated many-page file, or on the files
// given as arguments: pdf_bench [--threads N] [--rounds R] [file.pdf ...]
#include <chrono>
#include <cstdio>
#include <cstdlib>
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

std::vector<std::uint8_t> read_file(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void run(const char* label, const std::vector<std::uint8_t>& bytes, std::size_t threads, int rounds) {
  double best = 1e300;
  std::size_t pages = 0;
  for (int round = 0; round < rounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    auto result =
        scrivex_core::pdf::extract_pdf(bytes, scrivex_core::source::Source{}, "pdf-native", threads);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!result) {
      std::printf("%s: %s\n", label, result.error().display().c_str());
      return;
    }
    pages = result.value().pages.size();
    best = seconds < best ? seconds : best;
  }
  std::printf("%s: %zu bytes, %zu pages, best of %d: %.1f ms (%.1f MB/s)\n", label, bytes.size(), pages,
              rounds, best * 1e3, static_cast<double>(bytes.size()) / best / 1e6);
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
    const std::string data = generated_pdf(500);
    run("generated", std::vector<std::uint8_t>(data.begin(), data.end()), threads, rounds);
  }
  for (const char* file : files) run(file, read_file(file), threads, rounds);
  return 0;
}

// Times the worst-case inputs of the resource-bound tests and records their
// peak memory: each case runs in a child process, so the peak resident set
// (getrusage) is that case's alone.
//   adversarial_bench [--timeout SECONDS] [CASE ...]   (default: every case)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/openxml/zip_reader.hpp"
#include "core/pdf/extract_pdf.hpp"
#include "core/scrivex.hpp"
#include "tests/core/adversarial_inputs.hpp"

namespace {

namespace adv = scrivex_core::adversarial;
namespace fs = std::filesystem;

// What a case reports: the size of its input and how the call ended.
struct Outcome {
  std::size_t input_bytes = 0;
  std::string result;
};

struct Case {
  const char* name;
  std::function<Outcome(const fs::path& folder)> run;  // builds the input, then makes the one timed call
};

std::string write_file(const fs::path& path, const std::string& data) {
  std::ofstream(path, std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
  return path.string();
}

std::string api_result(const scrivex_core::ApiResult& result) {
  return result ? "ok, " + std::to_string(result.value().size()) + " bytes of JSON"
                : result.error().display();
}

std::string pdf_result(const scrivex_core::Result<scrivex_core::ir::Document>& result) {
  if (!result) return result.error().display();
  std::size_t warnings = 0;
  for (const auto& page : result.value().pages) warnings += page.warnings.size();
  return "ok, " + std::to_string(result.value().pages.size()) + " pages, " + std::to_string(warnings) +
         " page warnings";
}

// Set by the child just before the timed call, so input building is not timed.
std::chrono::steady_clock::time_point g_call_start;
double g_cpu_before_call = 0;
long g_rss_before_call_kib = 0;

// User and system time of every thread of this process, in seconds.
double cpu_seconds(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void start_call() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  g_rss_before_call_kib = usage.ru_maxrss;
  g_cpu_before_call = cpu_seconds(usage);
  g_call_start = std::chrono::steady_clock::now();
}

Outcome load_file(const fs::path& folder, const std::string& name, const std::string& data) {
  const std::string path = write_file(folder / name, data);
  start_call();
  return {data.size(), api_result(scrivex_core::load_path_json(path, std::nullopt))};
}

Outcome extract(const std::string& pdf) {
  const std::vector<std::uint8_t> bytes(pdf.begin(), pdf.end());
  start_call();
  return {pdf.size(), pdf_result(scrivex_core::pdf::extract_pdf(bytes, {}, "pdf-native"))};
}

std::vector<Case> cases() {
  using adv::as_string;
  using adv::kGiB;
  return {
      {"gzip-text-bomb",
       [](const fs::path& f) {
         return load_file(f, "bomb.txt.gz", as_string(adv::deflated_zeros(kGiB + 1, adv::Framing::Gzip)));
       }},
      {"tgz-bomb",
       [](const fs::path& f) {
         return load_file(f, "bomb.tgz", as_string(adv::deflated_zeros(kGiB + 1, adv::Framing::Gzip)));
       }},
      {"zip-entry-bomb",
       [](const fs::path& f) { return load_file(f, "bomb.zip", as_string(adv::zip_bomb(kGiB + 1))); }},
      {"zip-total-bomb",
       [](const fs::path& f) {
         return load_file(f, "bombs.zip", as_string(adv::zip_of_many_bombs(3, 3 * kGiB / 4)));
       }},
      {"pdf-stream-bomb", [](const fs::path&) { return extract(adv::pdf_stream_bomb(kGiB + 1)); }},
      {"json-depth-100k",
       [](const fs::path&) {
         const std::string deep = adv::nested_json(100000);
         start_call();
         return Outcome{deep.size(), api_result(scrivex_core::document_json_to_json(deep))};
       }},
      {"pdf-array-depth-100k",
       [](const fs::path&) {
         return extract(adv::pdf_page("BT /F1 12 Tf 72 700 Td (kept) Tj ET " + std::string(100000, '[') +
                                      std::string(100000, ']') + " TJ"));
       }},
      {"zip-claims-65535",
       [](const fs::path& f) {
         return load_file(f, "claims.zip", as_string(adv::zip_claiming_entries(65535)));
       }},
      {"tar-size-2^63",
       [](const fs::path& f) {
         return load_file(
             f, "huge.tar",
             as_string(adv::tar_with_size_field("huge.txt", adv::base256_size(std::uint64_t{1} << 63))));
       }},
      {"pdf-contents-x16", [](const fs::path&) { return extract(adv::pdf_repeated_contents(kGiB / 4, 16)); }},
      {"pdf-100k-objects", [](const fs::path&) { return extract(adv::pdf_of_pages(49998)); }},
      {"pdf-50k-runs", [](const fs::path&) { return extract(adv::pdf_page_of_runs(250, 200)); }},
      {"pdf-20k-lines", [](const fs::path&) { return extract(adv::pdf_page_of_runs(20000, 1)); }},
  };
}

// Runs one case in a child; prints its row of the table.
void run_case(const Case& c, unsigned timeout_seconds) {
  const fs::path folder =
      fs::temp_directory_path() / ("scrivex-adversarial-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  int channel[2];
  if (pipe(channel) != 0) return;
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    alarm(timeout_seconds);
    const Outcome outcome = c.run(folder);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - g_call_start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    char line[512];
    const int n =
        std::snprintf(line, sizeof line, "%zu\t%.3f\t%.3f\t%ld\t%.200s", outcome.input_bytes, seconds,
                      cpu_seconds(usage) - g_cpu_before_call, g_rss_before_call_kib, outcome.result.c_str());
    if (n > 0 && write(channel[1], line, static_cast<std::size_t>(n)) < 0) _exit(2);
    _exit(0);
  }
  close(channel[1]);
  std::string report;
  char buffer[512];
  for (ssize_t got; (got = read(channel[0], buffer, sizeof buffer)) > 0;)
    report.append(buffer, static_cast<std::size_t>(got));
  close(channel[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  fs::remove_all(folder);
  std::size_t input_bytes = 0;
  double seconds = 0;
  double cpu = 0;
  long before_kib = 0;
  char result[256] = "";
  if (WIFSIGNALED(status)) {
    std::snprintf(result, sizeof result, "%s",
                  WTERMSIG(status) == SIGALRM ? "timed out" : "killed by a signal");
  } else {
    std::sscanf(report.c_str(), "%zu\t%lf\t%lf\t%ld\t%255[^\n]", &input_bytes, &seconds, &cpu, &before_kib,
                result);
  }
  std::printf("| %-20s | %12zu | %8.2f | %8.2f | %8.0f | %8.0f | %s |\n", c.name, input_bytes, seconds, cpu,
              static_cast<double>(before_kib) / 1024, static_cast<double>(usage.ru_maxrss) / 1024, result);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  unsigned timeout_seconds = 600;
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--timeout" && i + 1 < argc) {
      timeout_seconds = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
    } else {
      wanted.push_back(arg);
    }
  }
  std::printf("| %-20s | %12s | %8s | %8s | %8s | %8s | %s |\n", "case", "input bytes", "wall s", "CPU s",
              "MiB in", "peak MiB", "result");
  std::printf("|---|---:|---:|---:|---:|---:|---|\n");
  for (const Case& c : cases()) {
    if (wanted.empty() || std::find(wanted.begin(), wanted.end(), c.name) != wanted.end())
      run_case(c, timeout_seconds);
  }
  return 0;
}

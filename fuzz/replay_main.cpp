// Runs a harness without a fuzzer: every file named on the command line, and
// every file below every folder named, goes once through
// LLVMFuzzerTestOneInput, in sorted order so runs repeat. A crash or a
// sanitizer report fails the run; an argument that names nothing does too.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The regular files of a path: itself, or those below it; false when it names nothing.
bool collect_inputs(const fs::path& path, std::vector<fs::path>& inputs) {
  std::error_code error;
  if (fs::is_regular_file(path, error)) {
    inputs.push_back(path);
    return true;
  }
  if (!fs::is_directory(path, error)) return false;
  for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
    if (entry.is_regular_file(error)) inputs.push_back(entry.path());
  }
  return !error;
}

bool read_bytes(const fs::path& path, std::vector<std::uint8_t>& bytes) {
  std::ifstream stream(path, std::ios::binary);
  if (!stream) return false;
  bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
  return !stream.bad();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    if (!collect_inputs(argv[i], inputs)) {
      std::fprintf(stderr, "replay: cannot read %s\n", argv[i]);
      return 1;
    }
  }
  std::sort(inputs.begin(), inputs.end());
  std::vector<std::uint8_t> bytes;
  for (const fs::path& input : inputs) {
    if (!read_bytes(input, bytes)) {
      std::fprintf(stderr, "replay: cannot read %s\n", input.c_str());
      return 1;
    }
    std::fprintf(stderr, "replay: %s\n", input.c_str());
    // A vector's data() may be null when empty; the harnesses get a valid pointer either way.
    const std::uint8_t empty = 0;
    LLVMFuzzerTestOneInput(bytes.empty() ? &empty : bytes.data(), bytes.size());
  }
  std::printf("replayed %zu inputs\n", inputs.size());
  return 0;
}

#include "core/source/source.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/format/format.hpp"
#include "core/util/gzip.hpp"
#include "core/util/limits.hpp"
#include "core/util/unicode.hpp"
#include "core/util/utf8.hpp"

namespace scrivex_core::source {
namespace {

constexpr const char* kInvalidUtf8 = "stream did not contain valid UTF-8";

// Closes the descriptor on every path out of read_file.
struct FileDescriptor {
  int fd;
  ~FileDescriptor() {
    if (fd >= 0) ::close(fd);
  }
};

std::string_view as_chars(const std::vector<std::uint8_t>& bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool has_gzip_extension(std::string_view path) {
  const std::string_view name = format::file_name(path);
  const std::size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot != 0 && util::ascii_lowercase(name.substr(dot + 1)) == "gz";
}

}  // namespace

Result<std::vector<std::uint8_t>> read_file(const std::string& path) {
  // A NUL would cut the name short: "/etc/passwd\0.txt" must not open /etc/passwd.
  if (path.find('\0') != std::string::npos) {
    return ScrivexError::io("file name contained an unexpected NUL byte");
  }
  FileDescriptor file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
  if (file.fd < 0) return ScrivexError::os(errno);
  struct stat info {};
  std::vector<std::uint8_t> bytes;
  if (::fstat(file.fd, &info) == 0 && info.st_size > 0) bytes.reserve(static_cast<std::size_t>(info.st_size));
  std::uint8_t buffer[1 << 16];
  while (true) {
    const ssize_t got = ::read(file.fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return ScrivexError::os(errno);
    if (got == 0) return bytes;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
}

Source Source::from_text(std::string_view text) { return Source{std::string(text), "text", std::nullopt, std::nullopt}; }

Result<Source> Source::from_binary_path(const std::string& path, std::string label) {
  auto bytes = read_file(path);
  if (!bytes.ok()) return std::move(bytes).error();
  std::string text = util::decode_utf8_lossy(as_chars(bytes.value()));
  return Source{std::move(text), std::move(label), std::move(bytes).value(), util::decode_utf8_lossy(path)};
}

Result<Source> Source::from_text_or_gzip_path(const std::string& path, std::string label) {
  auto bytes = read_file(path);
  if (!bytes.ok()) return std::move(bytes).error();
  std::string text;
  if (has_gzip_extension(path)) {
    auto inflated = util::gunzip(bytes.value(), limits::kMaxGzipOutputBytes);
    if (!inflated.ok()) return ScrivexError::io(std::move(inflated).error().message);
    text = std::move(inflated).value();
  } else {
    text.assign(as_chars(bytes.value()));
  }
  if (!util::is_valid_utf8(text)) return ScrivexError::io(kInvalidUtf8);
  return Source{std::move(text), std::move(label), std::move(bytes).value(), util::decode_utf8_lossy(path)};
}

}  // namespace scrivex_core::source

#include "core/error/error.hpp"

#include <cstring>

namespace scrivex_core::error {

std::string os_error_text(int errno_value) {
  char buffer[256];
  // The GNU strerror_r returns the message pointer, which need not be buffer.
  const char* text = strerror_r(errno_value, buffer, sizeof buffer);
  return std::string(text) + " (os error " + std::to_string(errno_value) + ")";
}

ScrivexError ScrivexError::os(int errno_value) { return io(os_error_text(errno_value)); }

std::string ScrivexError::display() const {
  switch (kind_) {
    case ErrorKind::UnsupportedFormat:
      return "unsupported or unknown document format for path: " + payload_;
    case ErrorKind::NotImplemented:
      return payload_ + " extraction is planned but not implemented yet";
    case ErrorKind::Io:
      return "I/O error: " + payload_;
    case ErrorKind::Json:
      return "JSON error: " + payload_;
    case ErrorKind::Pdf:
      return "PDF error: " + payload_;
    case ErrorKind::Image:
      return "image error: " + payload_;
    case ErrorKind::Archive:
      return "archive error: " + payload_;
  }
  return payload_;
}

}  // namespace scrivex_core::error

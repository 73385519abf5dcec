// The one error type of the core library and the Result that carries it.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace scrivex_core::error {

// The seven ways a call can fail to produce its result. Damage a document
// survives is a Warning in the IR, never one of these.
enum class ErrorKind { UnsupportedFormat, NotImplemented, Io, Json, Pdf, Image, Archive };

class ScrivexError {
 public:
  ScrivexError(ErrorKind kind, std::string payload) : kind_(kind), payload_(std::move(payload)) {}

  static ScrivexError unsupported_format(std::string path) {
    return {ErrorKind::UnsupportedFormat, std::move(path)};
  }
  static ScrivexError not_implemented(std::string label) {
    return {ErrorKind::NotImplemented, std::move(label)};
  }
  static ScrivexError io(std::string message) { return {ErrorKind::Io, std::move(message)}; }
  // An operating-system failure, spelled "<strerror> (os error N)".
  static ScrivexError os(int errno_value);
  static ScrivexError json(std::string message) { return {ErrorKind::Json, std::move(message)}; }
  static ScrivexError pdf(std::string message) { return {ErrorKind::Pdf, std::move(message)}; }
  static ScrivexError image(std::string message) { return {ErrorKind::Image, std::move(message)}; }
  static ScrivexError archive(std::string message) { return {ErrorKind::Archive, std::move(message)}; }

  ErrorKind kind() const { return kind_; }
  const std::string& payload() const { return payload_; }
  // The display text that Python sees as the RuntimeError message.
  std::string display() const;

 private:
  ErrorKind kind_;
  std::string payload_;
};

// The operating system's description of errno_value, "No such file or directory (os error 2)".
std::string os_error_text(int errno_value);

}  // namespace scrivex_core::error

namespace scrivex_core {

using error::ScrivexError;

// A value or the error that prevented it. Small on purpose: callers test ok(),
// then take value() or error().
template <class T, class E = ScrivexError>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  const E& error() const& { return std::get<1>(state_); }
  E&& error() && { return std::get<1>(std::move(state_)); }

 private:
  std::variant<T, E> state_;
};

}  // namespace scrivex_core

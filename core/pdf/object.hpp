// One indirect object of a PDF file and the index that finds objects by number.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace scrivex_core::pdf {

// An indirect object. The body is decoded to lossy UTF-8 text once, at
// construction, because every dictionary lookup reads the text; valid UTF-8
// bodies (the common case) share one buffer for both views.
class PdfObject {
 public:
  PdfObject(std::uint32_t number, std::uint16_t generation, std::string body);

  std::uint32_t number() const { return number_; }
  std::uint16_t generation() const { return generation_; }
  // The bytes between "obj" and "endobj", or the object's slice of an object stream.
  std::string_view body() const { return body_; }
  // The body as lossy UTF-8 (invalid sequences become U+FFFD).
  std::string_view text() const { return lossy_text_ ? std::string_view(*lossy_text_) : body_; }

 private:
  std::uint32_t number_;
  std::uint16_t generation_;
  std::string body_;
  std::unique_ptr<std::string> lossy_text_;  // only when body is not valid UTF-8
};

using ObjectHandle = std::shared_ptr<const PdfObject>;

// Objects by number; complete before any reader runs and read-only after.
class ObjectIndex {
 public:
  // A later object with the same number replaces the earlier one.
  void insert(ObjectHandle object);
  // The object with that number, or null.
  const PdfObject* find(std::uint32_t number) const;
  // The shared handle of that object, or null.
  ObjectHandle handle(std::uint32_t number) const;
  std::size_t size() const { return objects_.size(); }

 private:
  std::unordered_map<std::uint32_t, ObjectHandle> objects_;
};

}  // namespace scrivex_core::pdf

// One indirect object of a PDF file and the index that finds objects by number.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace scrivex_core::pdf {

// An indirect object. Every dictionary lookup reads the body as lossy UTF-8
// text; valid UTF-8 bodies (the common case) share one buffer for both views.
// An invalid body (a binary stream, mostly) is decoded when its text is first
// asked for: most such objects are fonts and images whose text nobody reads.
class PdfObject {
 public:
  // Owns its body (an object-stream member, or a body built in a test).
  PdfObject(std::uint32_t number, std::uint16_t generation, std::string body);
  // Views a slice of the file's bytes, which must outlive the object.
  static std::shared_ptr<const PdfObject> viewing(std::uint32_t number, std::uint16_t generation,
                                                  std::string_view body);

  std::uint32_t number() const { return number_; }
  std::uint16_t generation() const { return generation_; }
  // The bytes between "obj" and "endobj", or the object's slice of an object stream.
  std::string_view body() const { return body_; }
  // The body as lossy UTF-8 (invalid sequences become U+FFFD).
  std::string_view text() const;

 private:
  struct Viewing {};
  PdfObject(Viewing, std::uint32_t number, std::uint16_t generation, std::string_view body);

  std::uint32_t number_;
  std::uint16_t generation_;
  bool valid_utf8_;
  std::string owned_;      // the body when the object owns it
  std::string_view body_;  // owned_ or a slice of the file
  // Filled once, by whichever page task first asks; pages share objects across threads.
  mutable std::once_flag lossy_once_;
  mutable std::string lossy_text_;
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

#include "core/pdf/object.hpp"

#include <utility>

#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {

PdfObject::PdfObject(std::uint32_t number, std::uint16_t generation, std::string body)
    : number_(number), generation_(generation), owned_(std::move(body)) {
  body_ = owned_;
  valid_utf8_ = util::is_valid_utf8(body_);
}

PdfObject::PdfObject(Viewing, std::uint32_t number, std::uint16_t generation, std::string_view body)
    : number_(number), generation_(generation), valid_utf8_(util::is_valid_utf8(body)), body_(body) {}

std::shared_ptr<const PdfObject> PdfObject::viewing(std::uint32_t number, std::uint16_t generation,
                                                    std::string_view body) {
  return std::shared_ptr<const PdfObject>(new PdfObject(Viewing{}, number, generation, body));
}

std::string_view PdfObject::text() const {
  if (valid_utf8_) return body_;
  std::call_once(lossy_once_, [this] { lossy_text_ = util::decode_utf8_lossy(body_); });
  return lossy_text_;
}

void ObjectIndex::insert(ObjectHandle object) {
  const std::uint32_t number = object->number();
  objects_.insert_or_assign(number, std::move(object));
}

const PdfObject* ObjectIndex::find(std::uint32_t number) const {
  const auto found = objects_.find(number);
  return found == objects_.end() ? nullptr : found->second.get();
}

ObjectHandle ObjectIndex::handle(std::uint32_t number) const {
  const auto found = objects_.find(number);
  return found == objects_.end() ? nullptr : found->second;
}

}  // namespace scrivex_core::pdf

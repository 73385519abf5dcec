#include "core/pdf/object.hpp"

#include <utility>

#include "core/util/utf8.hpp"

namespace scrivex_core::pdf {

PdfObject::PdfObject(std::uint32_t number, std::uint16_t generation, std::string body)
    : number_(number), generation_(generation), body_(std::move(body)) {
  if (!util::is_valid_utf8(body_))
    lossy_text_ = std::make_unique<std::string>(util::decode_utf8_lossy(body_));
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

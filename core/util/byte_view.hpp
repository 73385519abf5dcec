// Bounds-checked reads over untrusted binary data at absolute offsets.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace scrivex_core::util {

// Every read takes a 64-bit offset straight from the file and yields nothing
// when any byte it needs lies past the end, so callers never do their own
// range arithmetic on hostile numbers.
class ByteView {
 public:
  explicit ByteView(std::span<const std::uint8_t> data) : data_(data) {}

  std::uint64_t size() const { return data_.size(); }

  // True when [offset, offset + length) lies inside the data (no overflow).
  bool has(std::uint64_t offset, std::uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }

  std::optional<std::span<const std::uint8_t>> slice(std::uint64_t offset, std::uint64_t length) const {
    if (!has(offset, length)) return std::nullopt;
    return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }

  // True when the bytes at offset spell literal exactly.
  bool matches(std::uint64_t offset, std::string_view literal) const {
    if (!has(offset, literal.size())) return false;
    for (std::size_t i = 0; i < literal.size(); ++i) {
      if (data_[static_cast<std::size_t>(offset) + i] != static_cast<std::uint8_t>(literal[i])) return false;
    }
    return true;
  }

  std::optional<std::uint8_t> u8(std::uint64_t offset) const {
    if (!has(offset, 1)) return std::nullopt;
    return data_[static_cast<std::size_t>(offset)];
  }
  std::optional<std::uint16_t> u16le(std::uint64_t offset) const {
    return read<std::uint16_t>(offset, 2, false);
  }
  std::optional<std::uint16_t> u16be(std::uint64_t offset) const {
    return read<std::uint16_t>(offset, 2, true);
  }
  std::optional<std::uint32_t> u24le(std::uint64_t offset) const {
    return read<std::uint32_t>(offset, 3, false);
  }
  std::optional<std::uint32_t> u32le(std::uint64_t offset) const {
    return read<std::uint32_t>(offset, 4, false);
  }
  std::optional<std::uint32_t> u32be(std::uint64_t offset) const {
    return read<std::uint32_t>(offset, 4, true);
  }

 private:
  template <class T>
  std::optional<T> read(std::uint64_t offset, std::size_t width, bool big_endian) const {
    if (!has(offset, width)) return std::nullopt;
    T value = 0;
    for (std::size_t i = 0; i < width; ++i) {
      const std::size_t index = static_cast<std::size_t>(offset) + (big_endian ? i : width - 1 - i);
      value = static_cast<T>((value << 8) | data_[index]);
    }
    return value;
  }

  std::span<const std::uint8_t> data_;
};

}  // namespace scrivex_core::util

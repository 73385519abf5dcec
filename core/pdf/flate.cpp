#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "core/pdf/filters.hpp"

namespace scrivex_core::pdf {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

// Owns one zlib stream set up for zlib framing.
class ZlibInflater {
 public:
  ZlibInflater() { ok_ = inflateInit(&stream_) == Z_OK; }
  ~ZlibInflater() {
    if (ok_) inflateEnd(&stream_);
  }
  ZlibInflater(const ZlibInflater&) = delete;
  ZlibInflater& operator=(const ZlibInflater&) = delete;

  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

ScrivexError flate_error(std::string_view detail) {
  return ScrivexError::pdf("FlateDecode failed: " + std::string(detail));
}

std::string limit_text(std::uint64_t max_output) {
  if (max_output % (std::uint64_t{1} << 30) == 0) {
    return "output exceeds the " + std::to_string(max_output >> 30) + " GiB decompression limit";
  }
  return "output exceeds the " + std::to_string(max_output) + " byte decompression limit";
}

}  // namespace

Result<std::string> inflate_flate(std::string_view data, std::uint64_t max_output) {
  ZlibInflater inflater;
  if (!inflater.ok()) return flate_error("could not start the decompressor");
  z_stream& stream = inflater.stream();
  std::string out;
  std::size_t consumed = 0;
  while (true) {
    // avail_in is 32 bits wide: feed at most that much at a time.
    const std::size_t remaining = data.size() - consumed;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data() + consumed));
    stream.avail_in = static_cast<uInt>(remaining > 0xFFFFFFFFu ? 0xFFFFFFFFu : remaining);
    const std::size_t fed = stream.avail_in;
    // The output never grows past the cap; at the cap, one probe byte
    // outside it tells whether the stream wants to go further.
    const std::size_t old_size = out.size();
    const std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, max_output - old_size));
    char probe = 0;
    if (room > 0) {
      out.resize(old_size + room);
      stream.next_out = reinterpret_cast<Bytef*>(out.data() + old_size);
      stream.avail_out = static_cast<uInt>(room);
    } else {
      stream.next_out = reinterpret_cast<Bytef*>(&probe);
      stream.avail_out = 1;
    }
    const int status = inflate(&stream, Z_NO_FLUSH);
    const std::size_t produced = (room > 0 ? room : 1) - stream.avail_out;
    if (room == 0 && produced > 0) return flate_error(limit_text(max_output));
    out.resize(old_size + (room > 0 ? produced : 0));
    consumed += fed - stream.avail_in;
    if (status == Z_STREAM_END) return out;
    if (status == Z_DATA_ERROR) {
      // Everything before the checksum was decoded and is sound.
      if (stream.msg != nullptr && std::strcmp(stream.msg, "incorrect data check") == 0) return out;
      return flate_error(stream.msg != nullptr ? stream.msg : "invalid data");
    }
    if (status == Z_NEED_DICT) return flate_error("a preset dictionary is required");
    if (status == Z_MEM_ERROR) return flate_error("out of memory");
    // The data ends before the stream does: keep what was decoded.
    const bool starved = consumed >= data.size() && stream.avail_out != 0;
    if (status == Z_BUF_ERROR || starved) return out;
  }
}

}  // namespace scrivex_core::pdf

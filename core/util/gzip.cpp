#include "core/util/gzip.hpp"

#include <zlib.h>

#include <cstring>

namespace scrivex_core::util {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

bool starts_member(std::span<const std::uint8_t> data) {
  return data.size() >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

std::string limit_message(std::uint64_t max_output) {
  if (max_output > 0 && max_output % (std::uint64_t{1} << 30) == 0) {
    return "gzip stream exceeds the " + std::to_string(max_output >> 30) + " GiB decompression limit";
  }
  return "gzip stream exceeds the " + std::to_string(max_output) + " byte decompression limit";
}

// Owns one zlib stream set up for gzip framing (header and CRC-32 checked by zlib).
class Inflater {
 public:
  Inflater() { ok_ = inflateInit2(&stream_, 16 + MAX_WBITS) == Z_OK; }
  ~Inflater() {
    if (ok_) inflateEnd(&stream_);
  }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;

  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

std::string data_error_message(const z_stream& stream) {
  const char* msg = stream.msg ? stream.msg : "";
  if (std::strcmp(msg, "incorrect data check") == 0 || std::strcmp(msg, "incorrect length check") == 0) {
    return "corrupt gzip stream does not have a matching checksum";
  }
  if (std::strcmp(msg, "incorrect header check") == 0 || std::strcmp(msg, "unknown compression method") == 0 ||
      std::strcmp(msg, "unknown header flags set") == 0) {
    return "invalid gzip header";
  }
  return std::string("corrupt deflate stream: ") + msg;
}

}  // namespace

Result<std::string, GzipError> gunzip(std::span<const std::uint8_t> data, std::uint64_t max_output) {
  if (!starts_member(data)) return GzipError{"invalid gzip header"};
  Inflater inflater;
  if (!inflater.ok()) return GzipError{"could not start the gzip decoder"};
  z_stream& stream = inflater.stream();
  std::string out;
  std::size_t consumed = 0;
  while (true) {
    // Feed at most UINT_MAX bytes at a time; avail_in is 32 bits wide.
    const std::size_t remaining = data.size() - consumed;
    stream.next_in = const_cast<Bytef*>(data.data() + consumed);
    stream.avail_in = static_cast<uInt>(remaining > 0xFFFFFFFFu ? 0xFFFFFFFFu : remaining);
    const std::size_t fed = stream.avail_in;
    const std::size_t old_size = out.size();
    out.resize(old_size + kChunk);
    stream.next_out = reinterpret_cast<Bytef*>(out.data() + old_size);
    stream.avail_out = kChunk;
    const int status = inflate(&stream, Z_NO_FLUSH);
    out.resize(old_size + (kChunk - stream.avail_out));
    consumed += fed - stream.avail_in;
    if (out.size() > max_output) return GzipError{limit_message(max_output)};
    if (status == Z_STREAM_END) {
      if (!starts_member(data.subspan(consumed))) return out;
      inflateReset(&stream);
      continue;
    }
    if (status == Z_DATA_ERROR) return GzipError{data_error_message(stream)};
    if (status == Z_MEM_ERROR) return GzipError{"out of memory while decoding gzip"};
    // zlib wants more input than the file has: the member is cut short.
    const bool starved = consumed >= data.size() && stream.avail_out != 0;
    if (status == Z_BUF_ERROR || starved) return GzipError{"unexpected end of file"};
  }
}

}  // namespace scrivex_core::util

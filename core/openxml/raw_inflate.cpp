#include "core/openxml/raw_inflate.hpp"

#include <zlib.h>

namespace scrivex_core::openxml {
namespace {

constexpr std::size_t kChunk = 64 * 1024;
constexpr int kRawDeflateWindowBits = -MAX_WBITS;  // negative: no header, no checksum

// Owns one zlib stream set up for raw deflate.
class RawInflater {
 public:
  RawInflater() { ok_ = inflateInit2(&stream_, kRawDeflateWindowBits) == Z_OK; }
  ~RawInflater() {
    if (ok_) inflateEnd(&stream_);
  }
  RawInflater(const RawInflater&) = delete;
  RawInflater& operator=(const RawInflater&) = delete;

  bool ok() const { return ok_; }
  z_stream& stream() { return stream_; }

 private:
  z_stream stream_{};
  bool ok_ = false;
};

InflateError failure(const char* message) {
  return InflateError{false, message};
}

}  // namespace

Result<std::string, InflateError> inflate_raw(std::span<const std::uint8_t> data, std::uint64_t max_output) {
  RawInflater inflater;
  if (!inflater.ok()) return failure("could not start the decompressor");
  z_stream& stream = inflater.stream();
  std::string out;
  std::size_t consumed = 0;
  while (true) {
    // avail_in is 32 bits wide: feed at most that much at a time.
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
    if (out.size() > max_output) return InflateError{true, {}};
    if (status == Z_STREAM_END) return out;
    if (status == Z_DATA_ERROR) return failure(stream.msg != nullptr ? stream.msg : "invalid data");
    if (status == Z_MEM_ERROR) return failure("out of memory");
    // zlib wants more input than there is: the stream is cut short.
    const bool starved = consumed >= data.size() && stream.avail_out != 0;
    if (status == Z_BUF_ERROR || starved) return failure("unexpected end of deflate stream");
  }
}

}  // namespace scrivex_core::openxml

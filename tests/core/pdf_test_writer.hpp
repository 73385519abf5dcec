// Builds PDF files for tests from readable object bodies; offsets in the
// cross-reference table are computed, never typed.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace scrivex_core::pdf::testing {

// zlib-compresses data (with the zlib header and Adler-32 checksum).
inline std::string zlib_compress(std::string_view data) {
  uLongf size = compressBound(static_cast<uLong>(data.size()));
  std::string out(size, '\0');
  compress2(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
            static_cast<uLong>(data.size()), Z_BEST_COMPRESSION);
  out.resize(size);
  return out;
}

// A stream object body: the dictionary (without << >>) gets /Length.
inline std::string stream_body(std::string_view dictionary, std::string_view data) {
  std::string body =
      "<< " + std::string(dictionary) + " /Length " + std::to_string(data.size()) + " >>\nstream\n";
  body.append(data);
  body += "\nendstream";
  return body;
}

class PdfWriter {
 public:
  explicit PdfWriter(std::string header = "%PDF-1.7") : header_(std::move(header)) {}

  // Adds "N G obj <body> endobj" in file order.
  PdfWriter& object(std::uint32_t number, std::string body, std::uint32_t generation = 0) {
    objects_.push_back({number, generation, std::move(body)});
    return *this;
  }
  PdfWriter& stream(std::uint32_t number, std::string_view dictionary, std::string_view data) {
    return object(number, stream_body(dictionary, data));
  }
  // Raw bytes written between objects, as they are.
  PdfWriter& raw(std::string bytes) {
    objects_.push_back({0, 0, std::move(bytes), true});
    return *this;
  }

  std::string build(std::string_view trailer_extra = "") const {
    std::string out = header_ + "\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::pair<std::uint32_t, std::size_t>> offsets;
    for (const Entry& entry : objects_) {
      if (entry.raw) {
        out += entry.body;
        continue;
      }
      offsets.emplace_back(entry.number, out.size());
      out += std::to_string(entry.number) + " " + std::to_string(entry.generation) + " obj\n" + entry.body +
             "\nendobj\n";
    }
    const std::size_t xref = out.size();
    out += "xref\n0 1\n0000000000 65535 f \n";
    for (const auto& [number, offset] : offsets) {
      char line[64];
      std::snprintf(line, sizeof line, "%u 1\n%010zu 00000 n \n", number, offset);
      out += line;
    }
    out += "trailer\n<< /Size " + std::to_string(offsets.size() + 1) + " " + std::string(trailer_extra) +
           " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
  }

 private:
  struct Entry {
    std::uint32_t number;
    std::uint32_t generation;
    std::string body;
    bool raw = false;
  };
  std::string header_;
  std::vector<Entry> objects_;
};

// An object stream body holding the given (number, body) objects.
inline std::string object_stream_body(const std::vector<std::pair<std::uint32_t, std::string>>& objects,
                                      bool compress = true) {
  std::string header;
  std::string data;
  for (const auto& [number, body] : objects) {
    header += std::to_string(number) + " " + std::to_string(data.size()) + " ";
    data += body + "\n";
  }
  const std::string decoded = header + data;
  const std::string dictionary = "/Type /ObjStm /N " + std::to_string(objects.size()) + " /First " +
                                 std::to_string(header.size()) + (compress ? " /Filter /FlateDecode" : "");
  return stream_body(dictionary, compress ? zlib_compress(decoded) : decoded);
}

}  // namespace scrivex_core::pdf::testing

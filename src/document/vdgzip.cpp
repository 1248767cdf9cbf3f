// The .vdz layer: the .vd bytes as one gzip stream, so that zcat prints the
// document text.

#include "vdformat.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>

namespace lw::vd {

namespace {

// zlib counts in 32-bit units; feed it large buffers in pieces.
constexpr std::size_t kChunk = std::size_t{1} << 20;

// zlib reports the size of a gzip member mod 2^32 in its last four bytes,
// and deflate never packs more than 1032 bytes into one.
std::size_t sizeHint(const unsigned char* data, std::size_t size) {
  if (size < 18) return 4096;
  const unsigned char* t = data + size - 4;
  const std::size_t stored =
      t[0] | t[1] << 8 | t[2] << 16 | std::size_t(t[3]) << 24;
  return std::clamp<std::size_t>(stored, 4096,
                                 std::min(kMaxDocumentBytes, size * 1032));
}

class Inflater {
 public:
  Inflater() {
    if (inflateInit2(&mStream, 15 + 16) != Z_OK) throw std::bad_alloc();
  }
  ~Inflater() { inflateEnd(&mStream); }
  Inflater(const Inflater&) = delete;
  Inflater& operator=(const Inflater&) = delete;
  z_stream& operator*() noexcept { return mStream; }

 private:
  z_stream mStream{};
};

[[noreturn]] void damaged(const z_stream& zs) {
  throw Problem(std::string("the compressed data is damaged") +
                (zs.msg ? std::string(" (") + zs.msg + ")" : std::string()));
}

}  // namespace

bool isGzip(const char* data, std::size_t size) noexcept {
  return size >= 2 && static_cast<unsigned char>(data[0]) == 0x1f &&
         static_cast<unsigned char>(data[1]) == 0x8b;
}

PaddedBuffer gunzip(const char* data, std::size_t size,
                    const ProgressFn& progress) {
  const auto* in = reinterpret_cast<const unsigned char*>(data);
  PaddedBuffer out(sizeHint(in, size));
  Inflater inflater;
  z_stream& zs = *inflater;
  zs.next_in = const_cast<unsigned char*>(in);
  std::size_t fed = 0;  // bytes handed to zlib so far
  for (;;) {
    if (zs.avail_in == 0 && fed < size) {
      zs.avail_in = uInt(std::min(kChunk, size - fed));
      fed += zs.avail_in;
      if (progress) progress(double(fed - zs.avail_in) / double(size));
    }
    if (out.size() == out.capacity()) {
      if (out.capacity() >= kMaxDocumentBytes)
        throw Problem("the document is too large");
      out.reserve(std::min(kMaxDocumentBytes, out.capacity() * 2));
    }
    const std::size_t room =
        std::min<std::size_t>(out.capacity() - out.size(), UINT_MAX);
    zs.next_out = reinterpret_cast<unsigned char*>(out.data() + out.size());
    zs.avail_out = uInt(room);
    const int ret = inflate(&zs, Z_NO_FLUSH);
    out.setSize(out.size() + (room - zs.avail_out));
    if (ret == Z_STREAM_END) {
      const std::size_t used = fed - zs.avail_in;
      // Concatenated members are one stream to zcat, so they are here; so
      // is the zero padding that tape and block devices leave at the end.
      if (std::all_of(data + used, data + size, [](char c) { return !c; }))
        break;
      if (!isGzip(data + used, size - used))
        throw Problem("unexpected bytes after the compressed data");
      inflateReset(&zs);
    } else if (ret == Z_BUF_ERROR) {
      // No progress although there was room: the input has run out.
      if (zs.avail_in == 0 && fed == size)
        throw Problem(
            "the compressed data ends early (the file is probably "
            "truncated)");
    } else if (ret == Z_MEM_ERROR) {
      throw std::bad_alloc();
    } else if (ret != Z_OK) {
      damaged(zs);
    }
  }
  if (progress) progress(1.0);
  return out;
}

QByteArray gzip(const QByteArray& data) {
  z_stream zs{};
  // windowBits 15 + 16 writes a gzip wrapper with no name and time 0. Saves
  // are frequent while wiring: the fastest level takes less than half the
  // time of the default for files about a fifth larger.
  if (deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8,
                   Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::bad_alloc();
  QByteArray out;
  out.resize(qsizetype(deflateBound(&zs, uLong(data.size()))));
  const auto* in = reinterpret_cast<const unsigned char*>(data.constData());
  const std::size_t inSize = std::size_t(data.size());
  std::size_t fed = 0;
  for (;;) {
    if (zs.avail_in == 0 && fed < inSize) {
      zs.next_in = const_cast<unsigned char*>(in + fed);
      zs.avail_in = uInt(std::min(kChunk, inSize - fed));
      fed += zs.avail_in;
    }
    const std::size_t written = zs.total_out;
    if (std::size_t(out.size()) == written) out.resize(out.size() * 2 + 64);
    zs.next_out = reinterpret_cast<unsigned char*>(out.data() + written);
    zs.avail_out = uInt(
        std::min<std::size_t>(std::size_t(out.size()) - written, UINT_MAX));
    const int ret = deflate(&zs, fed == inSize ? Z_FINISH : Z_NO_FLUSH);
    if (ret == Z_STREAM_END) break;
    if (ret != Z_OK && ret != Z_BUF_ERROR) {
      deflateEnd(&zs);
      throw Problem("the document could not be compressed");
    }
  }
  out.resize(qsizetype(zs.total_out));
  deflateEnd(&zs);
  return out;
}

}  // namespace lw::vd

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

struct GzipStream::State {
  Inflater inflater;
  const char* data;
  std::size_t size;
  std::size_t fed = 0;  // bytes handed to zlib so far
  bool ended = false;
};

GzipStream::GzipStream(const char* data, std::size_t size)
    : mState(std::make_unique<State>()) {
  mState->data = data;
  mState->size = size;
  (*mState->inflater).next_in =
      reinterpret_cast<unsigned char*>(const_cast<char*>(data));
}

GzipStream::~GzipStream() = default;

std::size_t GzipStream::expectedSize() const noexcept {
  return sizeHint(reinterpret_cast<const unsigned char*>(mState->data),
                  mState->size);
}

double GzipStream::fraction() const noexcept {
  const z_stream& zs = *mState->inflater;
  return double(mState->fed - zs.avail_in) / double(mState->size);
}

std::size_t GzipStream::read(char* out, std::size_t room) {
  State& s = *mState;
  z_stream& zs = *s.inflater;
  room = std::min<std::size_t>(room, UINT_MAX);
  zs.next_out = reinterpret_cast<unsigned char*>(out);
  zs.avail_out = uInt(room);
  while (!s.ended && zs.avail_out == room) {
    if (zs.avail_in == 0 && s.fed < s.size) {
      zs.avail_in = uInt(std::min(kChunk, s.size - s.fed));
      s.fed += zs.avail_in;
    }
    const int ret = inflate(&zs, Z_NO_FLUSH);
    if (ret == Z_STREAM_END) {
      const std::size_t used = s.fed - zs.avail_in;
      // Concatenated members are one stream to zcat, so they are here; so
      // is the zero padding that tape and block devices leave at the end.
      if (std::all_of(s.data + used, s.data + s.size,
                      [](char c) { return !c; })) {
        s.ended = true;
      } else {
        if (!isGzip(s.data + used, s.size - used))
          throw Problem("unexpected bytes after the compressed data");
        inflateReset(&zs);
      }
    } else if (ret == Z_BUF_ERROR) {
      // No progress although there was room: the input has run out.
      if (zs.avail_in == 0 && s.fed == s.size)
        throw Problem(
            "the compressed data ends early (the file is probably "
            "truncated)");
    } else if (ret == Z_MEM_ERROR) {
      throw std::bad_alloc();
    } else if (ret != Z_OK) {
      damaged(zs);
    }
  }
  return room - zs.avail_out;
}

PaddedBuffer gunzip(const char* data, std::size_t size,
                    const ProgressFn& progress) {
  PaddedBuffer out(
      sizeHint(reinterpret_cast<const unsigned char*>(data), size));
  GzipStream stream(data, size);
  for (;;) {
    if (out.size() == out.capacity()) {
      if (out.capacity() >= kMaxDocumentBytes)
        throw Problem("the document is too large");
      out.reserve(std::min(kMaxDocumentBytes, out.capacity() * 2));
    }
    // Pieces small enough to report progress while inflating.
    const std::size_t room = std::min(out.capacity() - out.size(), 8 * kChunk);
    const std::size_t n = stream.read(out.data() + out.size(), room);
    if (n == 0) break;
    out.setSize(out.size() + n);
    if (progress) progress(stream.fraction());
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

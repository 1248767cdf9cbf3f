#pragma once

// Internals of the board file format shared by the reader, the writer, the
// gzip layer and the fuzz target. Not part of the library's contract.

#include "board.h"
#include "boardio.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace lw::vd {

// What is wrong with a document, without the file name ("entities[3].x:
// expected a number"); the public functions wrap it into an Error.
class Problem : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Larger documents are refused rather than exhausting memory; a board with
// 100,000 probes is about 100 MB.
inline constexpr std::size_t kMaxDocumentBytes = std::size_t{2} << 30;

// Names in the file, indexed by the enum's value.
inline constexpr std::array<std::string_view, kEntityKindCount> kKindNames = {
    "",
    "via",
    "pin",
    "component",
    "mechanical-part",
    "mechanical-hole",
    "access-point",
    "fiducial",
    "tooling-hole",
    "probe",
    "outline"};
inline constexpr std::array<std::string_view, 4> kShapeNames = {
    "round", "square", "rectangle", "oblong"};
inline constexpr std::array<std::string_view, 3> kSideNames = {"top", "bottom",
                                                               "both"};
inline constexpr std::array<std::string_view, 5> kUnitNames = {
    "inch", "mil", "mm", "tenth", "micron"};

// Bytes with the zeroed tail simdjson needs to read past the end.
class PaddedBuffer {
 public:
  static constexpr std::size_t kPadding = 64;

  PaddedBuffer() = default;
  explicit PaddedBuffer(std::size_t capacity);
  PaddedBuffer(const char* data, std::size_t size);

  char* data() noexcept { return mData.get(); }
  const char* data() const noexcept { return mData.get(); }
  std::size_t size() const noexcept { return mSize; }
  // Room for bytes before the padding.
  std::size_t capacity() const noexcept { return mCapacity; }
  // Keeps the content, grows the room to at least capacity.
  void reserve(std::size_t capacity);
  // Sets the content's size (<= capacity) and zeroes the padding after it.
  void setSize(std::size_t size) noexcept;

 private:
  using Storage = std::unique_ptr<char[], void (*)(void*)>;
  Storage mData{nullptr, std::free};
  std::size_t mSize = 0;
  std::size_t mCapacity = 0;
};

// The structural rules the reader enforces and the writer must keep: unique
// file numbers, layer indexes and keywords; entities on existing files and
// layers; pins on components; finite numbers, sizes >= 0, known enum values.
// Returns the first breach as "json.path: what is wrong", or "".
std::string findProblem(const Board& board);

// Parses plain or gzip document bytes with the entity array read in slices
// of about sliceBytes of text, so that neither the whole text nor a parser's
// index of it is held. Nothing when the document is refused or not laid out
// as the writer lays it out (the entities last): reading it whole then gives
// the one message for what is wrong.
inline constexpr std::size_t kSliceBytes = std::size_t{1} << 20;
std::optional<Board> parseSliced(const char* data, std::size_t size,
                                 std::size_t sliceBytes,
                                 const ProgressFn& progress);

// Parses document JSON; data must be followed by PaddedBuffer::kPadding
// readable bytes. Throws Problem.
Board parseJson(const char* data, std::size_t size, const ProgressFn& progress);

// Where valid JSON ends in data, as "not valid JSON: parse error at line L,
// column C: ...", or nothing when data is valid JSON. Slow; for messages.
std::optional<std::string> locateSyntaxError(const char* data,
                                             std::size_t size);

// Plain or gzip bytes (recognised by magic) to a board. Throws Problem.
Board decodeDocument(PaddedBuffer bytes, const ProgressFn& progress);
// The same with the whole text inflated and parsed at once.
Board decodeWhole(PaddedBuffer bytes, const ProgressFn& progress);

bool isGzip(const char* data, std::size_t size) noexcept;
// Inflates gzip data a piece at a time, reading concatenated members and
// zero padding as zcat does. Throws Problem for damaged or truncated data.
class GzipStream {
 public:
  GzipStream(const char* data, std::size_t size);
  ~GzipStream();
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  // Inflates up to room bytes into out; 0 only at the end of the text.
  std::size_t read(char* out, std::size_t room);
  // Of the compressed bytes, the fraction used so far.
  double fraction() const noexcept;
  // The size of the text as the data's trailer gives it, within reason.
  std::size_t expectedSize() const noexcept;

 private:
  struct State;
  std::unique_ptr<State> mState;
};

// Throws Problem for damaged, truncated or oversized streams.
PaddedBuffer gunzip(const char* data, std::size_t size,
                    const ProgressFn& progress);
// A gzip stream without a name or time stamp: same input, same bytes.
QByteArray gzip(const QByteArray& data);

// The document's JSON text. Throws Problem when the board breaks a rule of
// findProblem, since such a file could not be opened again.
QByteArray toJson(const Board& board);

// Maps fractions 0..1 of a step onto from..to of the caller's progress.
ProgressFn progressPart(const ProgressFn& progress, double from, double to);

}  // namespace lw::vd

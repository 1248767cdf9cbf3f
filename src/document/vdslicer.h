#pragma once

// Cuts a document's text, as it arrives, into the part before its entity
// array and runs of whole entities, so that the entities are parsed a run at
// a time and neither the whole text nor a parser's index of it is held. It
// follows JSON only as far as strings, escapes and nesting: every piece it
// hands on is parsed in full, so text that is not JSON is still refused.
// Internal to the document reader.

#include "vdformat.h"

#include <cstddef>
#include <functional>
#include <optional>

namespace lw::vd {

class EntitySlicer {
 public:
  // Called with text followed by PaddedBuffer::kPadding readable bytes,
  // valid until the call returns.
  using PieceFn = std::function<void(const char* text, std::size_t size)>;
  // The same, with the number of objects the run holds: its entities, if
  // it parses.
  using SliceFn = std::function<void(const char* text, std::size_t size,
                                     std::size_t objects)>;

  // head gets the document up to its entity array, with an empty array and
  // the closing brace in place of the rest ({..., "entities":[]}); slice
  // gets "[...]" with whole entities, at least sliceBytes of them where the
  // array holds that many more.
  EntitySlicer(std::size_t sliceBytes, PieceFn head, SliceFn slice);

  // Room for at least bytes more bytes of text, to fill and then append.
  char* room(std::size_t bytes);
  // Takes bytes bytes written at room(). False when the text is not laid
  // out as the writer lays it out: the last value of the top-level object
  // is "entities", an array.
  bool append(std::size_t bytes);
  // Whether the text ended right after the object that holds the entities.
  bool finished() const noexcept { return mPart == Part::Tail && mClosed; }
  // Bytes of the text handed on so far.
  std::size_t handedOn() const noexcept { return mHandedOn; }

 private:
  enum class Part { Head, Entities, Tail };

  std::optional<bool> structural(std::size_t at);
  bool opensEntities(std::size_t at) const noexcept;
  bool blank(std::size_t end) const noexcept;
  void handOnHead(std::size_t at);
  void handOnSlice(std::size_t at);
  void keepFrom(std::size_t from);
  bool tail(char c) noexcept;

  std::size_t mSliceBytes;
  PieceFn mHead;
  SliceFn mSlice;
  PaddedBuffer mText;  // not yet handed on; in Entities after a "["
  std::size_t mScanned = 0;
  Part mPart = Part::Head;
  std::ptrdiff_t mDepth = 0;
  int mSlices = 0;           // handed on
  std::size_t mObjects = 0;  // opened in the entity array, not handed on
  std::size_t mHandedOn = 0;
  bool mInString = false;
  bool mEscaped = false;  // the next byte is escaped
  bool mClosed = false;   // the tail's closing brace was seen
};

}  // namespace lw::vd

#include "vdslicer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>
#include <utility>

namespace lw::vd {

namespace {

// Outside strings only these bytes change what the slicer knows.
constexpr std::array<bool, 256> kStructural = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : std::string_view("\"[]{},")) table[c] = true;
  return table;
}();

bool isBlank(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

}  // namespace

EntitySlicer::EntitySlicer(std::size_t sliceBytes, PieceFn head, SliceFn slice)
    : mSliceBytes(sliceBytes),
      mHead(std::move(head)),
      mSlice(std::move(slice)),
      mText(std::max(sliceBytes, std::size_t{4096})) {}

char* EntitySlicer::room(std::size_t bytes) {
  if (mText.capacity() - mText.size() < bytes)
    mText.reserve(std::max(mText.capacity() * 2, mText.size() + bytes));
  return mText.data() + mText.size();
}

bool EntitySlicer::append(std::size_t bytes) {
  mText.setSize(mText.size() + bytes);
  std::size_t at = mScanned;
  while (at < mText.size()) {
    const char* text = mText.data();
    const char* end = text + mText.size();
    if (mEscaped) {
      mEscaped = false;
      ++at;
    } else if (mInString) {
      const char* stop = std::find_if(
          text + at, end, [](char c) { return c == '"' || c == '\\'; });
      at = std::size_t(stop - text);
      if (stop == end) break;
      if (*stop == '"')
        mInString = false;
      else
        mEscaped = true;
      ++at;
    } else if (mPart == Part::Tail) {
      if (!tail(text[at++])) return false;
    } else {
      const char* stop = std::find_if(text + at, end, [](char c) {
        return kStructural[static_cast<unsigned char>(c)];
      });
      at = std::size_t(stop - text);
      if (stop == end) break;
      const std::optional<bool> next = structural(at);
      if (!next) return false;
      at = *next ? 1 : at + 1;
    }
  }
  mScanned = at;
  if (mPart == Part::Tail) {  // blanks need not be kept
    mText.setSize(0);
    mScanned = 0;
  }
  return true;
}

// Follows the structural byte text[at]; whether the text before it was
// handed on. Nothing when the layout is not the expected one.
std::optional<bool> EntitySlicer::structural(std::size_t at) {
  char* text = mText.data();
  switch (text[at]) {
    case '"':
      mInString = true;
      return false;
    case '[':
      if (mPart == Part::Head && mDepth == 1 && opensEntities(at)) {
        handOnHead(at);
        mPart = Part::Entities;
        mDepth = 2;
        return true;
      }
      ++mDepth;
      return false;
    case '{':
      if (mDepth++ == 2 && mPart == Part::Entities) ++mObjects;
      return false;
    case ']':
    case '}':
      if (--mDepth != 1 || mPart != Part::Entities) return false;
      // The first slice alone may be empty: "[]" has no entities.
      if (text[at] != ']' || (mSlices > 0 && blank(at))) return std::nullopt;
      handOnSlice(at);
      mPart = Part::Tail;
      return true;
    case ',':
      if (mPart != Part::Entities || mDepth != 2 || at <= mSliceBytes)
        return false;
      if (blank(at)) return std::nullopt;  // no entity before the comma
      text[at] = ']';
      handOnSlice(at);
      return true;
    default:
      return false;
  }
}

// Whether the "[" at text[at] follows "entities": as a key; the parse of the
// head confirms it.
bool EntitySlicer::opensEntities(std::size_t at) const noexcept {
  const char* text = mText.data();
  auto before = [&](std::size_t i) {
    while (i > 0 && isBlank(text[i - 1])) --i;
    return i;
  };
  std::size_t i = before(at);
  if (i == 0 || text[i - 1] != ':') return false;
  i = before(i - 1);
  constexpr std::string_view kKey = "\"entities\"";
  return i >= kKey.size() &&
         std::string_view(text + i - kKey.size(), kKey.size()) == kKey;
}

// Whether text[1, end) holds nothing but blanks.
bool EntitySlicer::blank(std::size_t end) const noexcept {
  return std::all_of(mText.data() + 1, mText.data() + end, isBlank);
}

void EntitySlicer::handOnHead(std::size_t at) {
  constexpr std::string_view kRest = "[]}";
  PaddedBuffer head(at + kRest.size());
  std::memcpy(head.data(), mText.data(), at);
  std::memcpy(head.data() + at, kRest.data(), kRest.size());
  head.setSize(at + kRest.size());
  mHandedOn += at + 1;
  mHead(head.data(), head.size());
  keepFrom(at + 1);
}

void EntitySlicer::handOnSlice(std::size_t at) {
  mHandedOn += at;
  mSlice(mText.data(), at + 1, mObjects);
  mObjects = 0;
  ++mSlices;
  keepFrom(at + 1);
}

// Keeps "[" and the text from index from on: the start of the next slice.
void EntitySlicer::keepFrom(std::size_t from) {
  const std::size_t rest = mText.size() - from;
  mText.data()[0] = '[';
  std::memmove(mText.data() + 1, mText.data() + from, rest);
  mText.setSize(rest + 1);
}

bool EntitySlicer::tail(char c) noexcept {
  if (isBlank(c)) return true;
  if (c != '}' || mClosed) return false;
  mClosed = true;
  return true;
}

}  // namespace lw::vd

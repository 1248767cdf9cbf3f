// Finds where JSON text stops being JSON. simdjson tells that something is
// wrong but rarely where; this slower pass runs only after a failure.

#include "vdformat.h"

#include <simdjson.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <optional>
#include <string>

namespace lw::vd {

namespace {

using Json = nlohmann::json;

// The text as the parser is fed it: of each run of blanks between tokens,
// of digits in a number and of plain characters in a string only the first
// kKeep, since the rest of such a run cannot hold an error. nlohmann's lexer
// keeps every character since the last string or number began, so a run of
// a gigabyte of blanks before an error would cost gigabytes. The offsets of
// the last characters fed map the error back into the text.
class CondensedText {
 public:
  CondensedText(const char* begin, const char* end)
      : mAt(begin), mBegin(begin), mEnd(end) {}

  bool atEnd() const noexcept { return mAt == mEnd; }
  char current() const noexcept { return *mAt; }

  void advance() {
    mOffsets[mFed % mOffsets.size()] = std::size_t(mAt - mBegin);
    ++mFed;
    if (mPending > 0) {  // the rest of a multi-byte character
      ++mAt;
      if (--mPending == 0) skipDroppable();
      return;
    }
    const Unit unit = classify();
    follow(unit);
    ++mAt;
    mPending = unit.size - 1;
    if (unit.kind != Kind::None && unit.kind == mRun) {
      ++mRunLength;
    } else {
      mRun = unit.kind;
      mRunLength = 1;
    }
    if (mPending == 0) skipDroppable();
  }

  // Where the character fed as number index lies in the text; the parser
  // is never more than a character or two behind the feed. Past the last
  // character: the end of the text.
  std::size_t offsetOf(std::size_t index) const noexcept {
    if (index >= mFed || index + mOffsets.size() <= mFed)
      return std::size_t(mEnd - mBegin);
    return mOffsets[index % mOffsets.size()];
  }

  // The input iterator nlohmann's parser reads through.
  class Iterator {
   public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = char;

    explicit Iterator(CondensedText* text = nullptr) : mText(text) {}
    char operator*() const noexcept { return mText->current(); }
    Iterator& operator++() {
      mText->advance();
      return *this;
    }
    // Every iterator at the end is equal; the others are one position.
    bool operator==(const Iterator& other) const noexcept {
      return atEnd() == other.atEnd();
    }
    bool operator!=(const Iterator& other) const noexcept {
      return !(*this == other);
    }

   private:
    bool atEnd() const noexcept { return !mText || mText->atEnd(); }
    CondensedText* mText;
  };

 private:
  static constexpr int kKeep = 64;

  enum class Kind { None, Blank, Digit, Plain };
  struct Unit {
    Kind kind = Kind::None;
    int size = 1;  // bytes
  };

  // What the character at mAt is, in the context of the text before it.
  Unit classify() const noexcept {
    const auto c = static_cast<unsigned char>(*mAt);
    if (!mInString) {
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return {Kind::Blank};
      if (c >= '0' && c <= '9') return {Kind::Digit};
      return {};
    }
    if (mLetterNext || mHexLeft > 0 || c == '"' || c == '\\' || c < 0x20)
      return {};
    if (c < 0x80) return {Kind::Plain};
    const int size = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    // A character in the text's own encoding; a broken one is the error.
    if (mEnd - mAt < size || !simdjson::validate_utf8(mAt, std::size_t(size)))
      return {};
    return {Kind::Plain, size};
  }

  // Follows strings and escapes over the character at mAt. Blanks, digits
  // and plain characters change nothing.
  void follow(const Unit& unit) noexcept {
    if (unit.kind != Kind::None) return;
    const char c = *mAt;
    if (!mInString) {
      mInString = c == '"';
    } else if (mLetterNext) {
      mLetterNext = false;
      if (c == 'u') mHexLeft = 4;
    } else if (mHexLeft > 0) {
      --mHexLeft;
    } else if (c == '\\') {
      mLetterNext = true;
    } else if (c == '"') {
      mInString = false;
    }
  }

  // Steps over the rest of a long run: nothing the parser could fail on.
  void skipDroppable() noexcept {
    while (mAt != mEnd) {
      const Unit unit = classify();
      if (unit.kind == Kind::None || unit.kind != mRun || mRunLength < kKeep)
        return;
      mAt += unit.size;
    }
  }

  const char* mAt;
  const char* mBegin;
  const char* mEnd;
  bool mInString = false;
  bool mLetterNext = false;  // after a backslash
  int mHexLeft = 0;          // of a \\u escape
  int mPending = 0;  // bytes of a multi-byte character still to feed  // bytes
                     // of a multi-byte character still to feed
  Kind mRun = Kind::None;
  int mRunLength = 0;
  std::size_t mFed = 0;
  std::array<std::size_t, 8> mOffsets{};
};

// Accepts every event and records the first syntax error; builds nothing, so
// huge or deeply nested text costs no memory.
class SyntaxErrorFinder : public nlohmann::json_sax<Json> {
 public:
  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool start_object(std::size_t) override { return true; }
  bool key(string_t&) override { return true; }
  bool end_object() override { return true; }
  bool start_array(std::size_t) override { return true; }
  bool end_array() override { return true; }
  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& e) override {
    // Numbers too large for a double are valid JSON; the reader names them.
    if (dynamic_cast<const nlohmann::detail::parse_error*>(&e)) {
      mMessage = e.what();
      mPosition = position;
    }
    return false;
  }

  const std::string& message() const noexcept { return mMessage; }
  // Characters the parser had read when it failed, the end of input
  // counting as one.
  std::size_t position() const noexcept { return mPosition; }

 private:
  std::string mMessage;
  std::size_t mPosition = 0;
};

// "line L, column C" of the character at offset, counted as nlohmann counts
// them: columns in bytes from 1, a line break ending its line at column 0,
// the end of the text one past its last character.
std::string lineAndColumn(const char* data, std::size_t size,
                          std::size_t offset) {
  const std::size_t last = std::min(offset + 1, size);  // characters counted
  const std::size_t lines = std::size_t(std::count(data, data + last, '\n'));
  const auto lastBreak = std::find(std::make_reverse_iterator(data + last),
                                   std::make_reverse_iterator(data), '\n');
  // Past the last break, or from before the text when there is none.
  const std::ptrdiff_t lineStart = (lastBreak.base() - data) - 1;
  const std::size_t column = std::size_t(std::ptrdiff_t(offset) - lineStart);
  return "line " + std::to_string(lines + 1) + ", column " +
         std::to_string(column);
}

}  // namespace

// "not valid JSON: parse error at line 3, column 12: ..." or nothing when
// the text is valid JSON.
std::optional<std::string> locateSyntaxError(const char* data,
                                             std::size_t size) {
  // nlohmann::json takes a zero byte for the end of the text.
  const void* zero = std::memchr(data, 0, size);
  const std::size_t end =
      zero ? std::size_t(static_cast<const char*>(zero) - data) : size;
  CondensedText text(data, data + end);
  SyntaxErrorFinder finder;
  Json::sax_parse(CondensedText::Iterator(&text), CondensedText::Iterator(),
                  &finder);
  std::string message = finder.message();
  const std::size_t offset =
      finder.position() ? text.offsetOf(finder.position() - 1) : 0;
  if (message.empty() || (zero && offset >= end)) {
    if (!zero) return std::nullopt;
    return "not valid JSON: a zero byte at byte offset " + std::to_string(end);
  }
  // "[json.exception.parse_error.101] parse error at line 1, column 5: what"
  // counted in the text as fed; count again in the text itself.
  const std::size_t what = message.find(": ", message.find(", column "));
  message = "parse error at " + lineAndColumn(data, end, offset) +
            message.substr(std::min(what, message.size()));
  constexpr std::size_t kMax = 200;  // "last read" may quote a long token
  if (message.size() > kMax) message = message.substr(0, kMax) + "...";
  return "not valid JSON: " + message;
}

}  // namespace lw::vd

#pragma once

// Walks JSON text with simdjson's On-Demand API, checking each value's type
// and range where it is met; every failure becomes a Problem that names the
// JSON path ("entities[12].x: expected a number") or where the text stops
// being JSON. Internal to the document reader.

#include "vdformat.h"

#include <simdjson.h>

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace lw::vd {

namespace od = simdjson::ondemand;

// A JSON path, built into text only when a message needs it.
struct Path {
  const Path* parent = nullptr;
  std::string_view key;  // empty for an array item
  int index = -1;

  std::string text() const {
    std::string s = parent ? parent->text() : std::string();
    if (key.empty() && index < 0) return s;  // the document itself
    if (!key.empty()) {
      if (!s.empty()) s += '.';
      s += key;
    } else {
      s += '[' + std::to_string(index) + ']';
    }
    return s;
  }
};

inline Path child(const Path& parent, std::string_view key) {
  return {&parent, key};
}
inline Path item(const Path& parent, int index) {
  return {&parent, {}, index};
}

// s in quotes, shortened when long.
std::string quoted(std::string_view s);

template <std::size_t N>
std::string nameList(const std::array<std::string_view, N>& names) {
  std::string list;
  for (std::string_view n : names) {
    if (n.empty()) continue;
    if (!list.empty()) list += ", ";
    list += n;
  }
  return list;
}

template <std::size_t N>
int nameIndex(const std::array<std::string_view, N>& names,
              std::string_view name) {
  if (name.empty()) return -1;
  for (std::size_t i = 0; i < N; ++i)
    if (names[i] == name) return int(i);
  return -1;
}

inline constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
inline constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();

class JsonWalker {
 public:
  // data must be followed by PaddedBuffer::kPadding readable bytes; a byte
  // order mark is skipped. Throws Problem.
  JsonWalker(const char* data, std::size_t size);
  JsonWalker(const JsonWalker&) = delete;
  JsonWalker& operator=(const JsonWalker&) = delete;

  // Walks another text instead, with the same parser and its memory.
  void walk(const char* data, std::size_t size);
  // Starts the walk (again) at the top-level value.
  od::document& restart() noexcept;
  // Byte offset of the walk, or nothing past the end.
  std::optional<std::size_t> offset() noexcept;
  std::size_t size() const noexcept { return mSize; }
  // The whole text, byte order mark included.
  std::string_view text() const noexcept { return {mBegin, mSize}; }

  [[noreturn]] void fail(const Path* path, const std::string& what) const;
  // A simdjson error at path: a syntax error anywhere in the text explains
  // it best, otherwise the value is not what was expected.
  [[noreturn]] void failJson(simdjson::error_code e, const Path* path,
                             std::string_view expected);

  template <class Result, class T>
  void take(Result&& result, T& out, const Path& path,
            std::string_view expected) {
    if (auto e = std::forward<Result>(result).get(out))
      failJson(e, &path, expected);
  }

  double number(od::value& v, const Path& path);
  std::int64_t integer(od::value& v, const Path& path, std::int64_t lo,
                       std::int64_t hi);
  int int32(od::value& v, const Path& path) {
    return int(integer(v, path, kIntMin, kIntMax));
  }
  bool boolean(od::value& v, const Path& path);
  // Valid until the walk moves on.
  std::string_view text(od::value& v, const Path& path);
  QString qtext(od::value& v, const Path& path) {
    const std::string_view s = text(v, path);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
  }
  od::array array(od::value& v, const Path& path);
  od::object object(od::value& v, const Path& path);

  // The index of v's text in names; what names the thing in messages.
  template <std::size_t N>
  int named(od::value& v, const Path& path,
            const std::array<std::string_view, N>& names, const char* what) {
    const std::string_view s = text(v, path);
    const int i = nameIndex(names, s);
    if (i < 0)
      fail(&path, "unknown " + std::string(what) + " " + quoted(s) +
                      " (expected " + nameList(names) + ")");
    return i;
  }

  // Calls fn(key number, value, path) for each field of obj; rejects
  // unknown and repeated keys. Returns the set of keys seen, as bits.
  // rawKey, when given, recognises keys in the raw text and returns -1 for
  // the rest.
  template <std::size_t N, class Fn>
  unsigned fields(od::object& obj, const Path& path,
                  const std::array<std::string_view, N>& keys, Fn fn,
                  int (*rawKey)(const char*) = nullptr) {
    static_assert(N <= 32);
    unsigned seen = 0;
    for (auto result : obj) {
      od::field field;
      take(std::move(result), field, path, "an object");
      int id = rawKey ? rawKey(field.key().raw()) : -1;
      if (id < 0) {
        std::string_view key;
        take(field.unescaped_key(), key, path, "a key");
        id = nameIndex(keys, key);
        if (id < 0) fail(&path, "unknown key " + quoted(key));
      }
      const std::string_view key = keys[std::size_t(id)];
      if (seen & (1u << id)) fail(&path, "key " + quoted(key) + " repeated");
      seen |= 1u << id;
      fn(id, field.value(), child(path, key));
    }
    return seen;
  }

  // Calls fn(value, path) for each item of the array v; returns the count.
  template <class Fn>
  int items(od::value& v, const Path& path, Fn fn) {
    od::array a = array(v, path);
    int i = 0;
    for (auto result : a) {
      const Path at = item(path, i);
      od::value element;
      take(std::move(result), element, at, "a value");
      fn(element, at);
      ++i;
    }
    return i;
  }

 private:
  const char* mBegin;
  std::size_t mSize;
  bool mIterating = false;  // mDocument is valid
  od::parser mParser;
  od::document mDocument;
};

}  // namespace lw::vd

#include "vdwalker.h"

namespace lw::vd {

std::string quoted(std::string_view s) {
  constexpr std::size_t kMax = 60;  // keep messages readable
  std::string q = "\"" + std::string(s.substr(0, kMax));
  return q + (s.size() > kMax ? "...\"" : "\"");
}

JsonWalker::JsonWalker(const char* data, std::size_t size)
    : mBegin(data), mSize(size) {
  walk(data, size);
}

void JsonWalker::walk(const char* data, std::size_t size) {
  mBegin = data;
  mSize = size;
  mIterating = false;
  // simdjson wants the byte order mark gone; offsets still count it.
  std::size_t skip = 0;
  if (size >= 3 && std::string_view(data, 3) == "\xEF\xBB\xBF") skip = 3;
  if (auto e = mParser
                   .iterate(data + skip, size - skip,
                            size - skip + PaddedBuffer::kPadding)
                   .get(mDocument))
    failJson(e, nullptr, "");
  mIterating = true;
}

od::document& JsonWalker::restart() noexcept {
  mDocument.rewind();
  return mDocument;
}

std::optional<std::size_t> JsonWalker::offset() noexcept {
  const char* at = nullptr;
  if (!mIterating || mDocument.current_location().get(at) != simdjson::SUCCESS)
    return std::nullopt;
  return std::size_t(at - mBegin);
}

void JsonWalker::fail(const Path* path, const std::string& what) const {
  const std::string where = path ? path->text() : std::string();
  throw Problem(where.empty() ? what : where + ": " + what);
}

void JsonWalker::failJson(simdjson::error_code e, const Path* path,
                          std::string_view expected) {
  if (auto syntax = locateSyntaxError(mBegin, mSize)) throw Problem(*syntax);
  switch (e) {
    case simdjson::INCORRECT_TYPE:
      fail(path, "expected " + std::string(expected));
    case simdjson::NUMBER_ERROR:
    case simdjson::NUMBER_OUT_OF_RANGE:
      fail(path, "the number is out of range");
    case simdjson::DEPTH_ERROR:
      fail(path, "the text is nested too deeply");
    default:
      break;
  }
  std::string where;
  if (auto at = offset()) where = " near byte offset " + std::to_string(*at);
  fail(path,
       "not valid JSON" + where + " (" + simdjson::error_message(e) + ")");
}

double JsonWalker::number(od::value& v, const Path& path) {
  double d = 0;
  take(v.get_double(), d, path, "a number");
  return d;
}

std::int64_t JsonWalker::integer(od::value& v, const Path& path,
                                 std::int64_t lo, std::int64_t hi) {
  std::int64_t n = 0;
  const auto outOfRange = [&](const std::string& number) {
    fail(&path, number + " is out of range (" + std::to_string(lo) + " to " +
                    std::to_string(hi) + ")");
  };
  if (auto e = v.get_int64().get(n)) {
    // Whole numbers beyond 64 bits are still whole numbers, when the text is
    // JSON at all.
    std::string_view raw = v.raw_json_token();
    raw = raw.substr(0, raw.find_last_not_of(" \t\r\n") + 1);
    const std::string_view digits = raw.substr(raw.starts_with('-') ? 1 : 0);
    if (!digits.empty() &&
        digits.find_first_not_of("0123456789") == std::string_view::npos &&
        !locateSyntaxError(mBegin, mSize))
      outOfRange(raw.size() > 30 ? std::string(raw.substr(0, 30)) + "..."
                                 : std::string(raw));
    failJson(e, &path, "a whole number");
  }
  if (n < lo || n > hi) outOfRange(std::to_string(n));
  return n;
}

bool JsonWalker::boolean(od::value& v, const Path& path) {
  bool b = false;
  take(v.get_bool(), b, path, "true or false");
  return b;
}

std::string_view JsonWalker::text(od::value& v, const Path& path) {
  std::string_view s;
  take(v.get_string(), s, path, "a string");
  return s;
}

od::array JsonWalker::array(od::value& v, const Path& path) {
  od::array a;
  take(v.get_array(), a, path, "an array");
  return a;
}

od::object JsonWalker::object(od::value& v, const Path& path) {
  od::object o;
  take(v.get_object(), o, path, "an object");
  return o;
}

}  // namespace lw::vd

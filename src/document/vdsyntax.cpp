// Finds where JSON text stops being JSON. simdjson tells that something is
// wrong but rarely where; this slower pass runs only after a failure.

#include "vdformat.h"

#include <nlohmann/json.hpp>

#include <cstring>
#include <optional>
#include <string>

namespace lw::vd {

namespace {

using Json = nlohmann::json;

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
  std::size_t position() const noexcept { return mPosition; }

 private:
  std::string mMessage;
  std::size_t mPosition = 0;
};

}  // namespace

// "not valid JSON: parse error at line 3, column 12: ..." or nothing when
// the text is valid JSON.
std::optional<std::string> locateSyntaxError(const char* data,
                                             std::size_t size) {
  // nlohmann::json takes a zero byte for the end of the text.
  const void* zero = std::memchr(data, 0, size);
  const std::size_t end =
      zero ? std::size_t(static_cast<const char*>(zero) - data) : size;
  SyntaxErrorFinder finder;
  Json::sax_parse(data, data + end, &finder);
  std::string message = finder.message();
  if (message.empty() || (zero && finder.position() >= end)) {
    if (!zero) return std::nullopt;
    return "not valid JSON: a zero byte at byte offset " + std::to_string(end);
  }
  // Drop the "[json.exception.parse_error.101] " tag.
  if (auto tag = message.find("] "); tag != std::string::npos)
    message.erase(0, tag + 2);
  constexpr std::size_t kMax = 200;  // "last read" may quote a long token
  if (message.size() > kMax) message = message.substr(0, kMax) + "...";
  return "not valid JSON: " + message;
}

}  // namespace lw::vd

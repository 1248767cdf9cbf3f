// Reads document JSON with simdjson's On-Demand API: one forward pass, no
// DOM, every value checked for type and range where it is met. The layout is
// described in docs/vd-format.md.

#include "vdformat.h"

#include <simdjson.h>

#include <algorithm>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>

namespace lw::vd {

namespace {

namespace od = simdjson::ondemand;
using simdjson::error_code;

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

Path child(const Path& parent, std::string_view key) {
  return {&parent, key};
}
Path item(const Path& parent, int index) {
  return {&parent, {}, index};
}

std::string quoted(std::string_view s) {
  constexpr std::size_t kMax = 60;  // keep messages readable
  std::string q = "\"" + std::string(s.substr(0, kMax));
  return q + (s.size() > kMax ? "...\"" : "\"");
}

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

struct StringHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view s) const noexcept {
    return std::hash<std::string_view>{}(s);
  }
};
using KeywordMap =
    std::unordered_map<std::string, int, StringHash, std::equal_to<>>;

enum EntityKey {
  kKind,
  kNumber,
  kFile,
  kLayer,
  kSide,
  kShape,
  kComponent,
  kX,
  kY,
  kWidth,
  kHeight,
  kAngle,
  kName,
  kOutline,
  kAttributes,
  kEntityKeyCount
};
constexpr std::array<std::string_view, kEntityKeyCount> kEntityKeys = {
    "k", "n", "f", "l", "s",    "sh", "c", "x",
    "y", "w", "h", "r", "name", "o",  "a"};

// Entities are most of the file, so their keys are matched without a loop.
int entityKey(std::string_view k) noexcept {
  if (k.size() == 1) {
    switch (k[0]) {
      case 'k':
        return kKind;
      case 'n':
        return kNumber;
      case 'f':
        return kFile;
      case 'l':
        return kLayer;
      case 's':
        return kSide;
      case 'c':
        return kComponent;
      case 'x':
        return kX;
      case 'y':
        return kY;
      case 'w':
        return kWidth;
      case 'h':
        return kHeight;
      case 'r':
        return kAngle;
      case 'o':
        return kOutline;
      case 'a':
        return kAttributes;
    }
    return -1;
  }
  if (k == "sh") return kShape;
  if (k == "name") return kName;
  return -1;
}

enum TopKey {
  kFormat,
  kVersion,
  kUnits,
  kKeywords,
  kFiles,
  kLayers,
  kTopAttributes,
  kEntities
};
constexpr std::array<std::string_view, 8> kTopKeys = {
    "format", "version", "units",      "keywords",
    "files",  "layers",  "attributes", "entities"};
enum FileKey { kFileNumber, kFileName, kPcb, kFileVisible, kSelect, kRotation };
constexpr std::array<std::string_view, 6> kFileKeys = {
    "number", "name", "pcb", "visible", "select", "rotation"};
enum LayerKey { kIndex, kLayerName, kType, kColour, kLayerVisible };
constexpr std::array<std::string_view, 5> kLayerKeys = {"index", "name", "type",
                                                        "colour", "visible"};

constexpr std::int64_t kIntMin = std::numeric_limits<int>::min();
constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
constexpr int kDisplayReals = 5;
constexpr int kDisplaySize = 13;

class Reader {
 public:
  Reader(const char* data, std::size_t size, const ProgressFn& progress)
      : mBegin(data), mSize(size), mProgress(progress) {}

  Board read() {
    // simdjson wants the byte order mark gone; offsets still count it.
    std::size_t skip = 0;
    if (mSize >= 3 && std::string_view(mBegin, 3) == "\xEF\xBB\xBF") skip = 3;
    if (auto e = mParser
                     .iterate(mBegin + skip, mSize - skip,
                              mSize - skip + PaddedBuffer::kPadding)
                     .get(mDoc))
      failJson(e, nullptr, "");
    readHeader();
    mDoc.rewind();
    readBody();
    if (std::string problem = findProblem(mBoard); !problem.empty())
      throw Problem(problem);
    if (mProgress) mProgress(1.0);
    return std::move(mBoard);
  }

 private:
  [[noreturn]] void fail(const Path* path, const std::string& what) const {
    const std::string where = path ? path->text() : std::string();
    throw Problem(where.empty() ? what : where + ": " + what);
  }

  // A simdjson error: a syntax error anywhere in the text explains it best,
  // otherwise the value at path is not what was expected.
  [[noreturn]] void failJson(error_code e, const Path* path,
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
    const char* at = nullptr;
    if (mDoc.current_location().get(at) == simdjson::SUCCESS)
      where = " near byte " + std::to_string(at - mBegin);
    fail(path,
         "not valid JSON" + where + " (" + simdjson::error_message(e) + ")");
  }

  template <class Result, class T>
  void take(Result&& result, T& out, const Path& path,
            std::string_view expected) {
    if (auto e = std::forward<Result>(result).get(out))
      failJson(e, &path, expected);
  }

  double number(od::value& v, const Path& path) {
    double d = 0;
    take(v.get_double(), d, path, "a number");
    return d;
  }

  std::int64_t integer(od::value& v, const Path& path, std::int64_t lo,
                       std::int64_t hi) {
    std::int64_t n = 0;
    take(v.get_int64(), n, path, "a whole number");
    if (n < lo || n > hi)
      fail(&path, std::to_string(n) + " is out of range (" +
                      std::to_string(lo) + " to " + std::to_string(hi) + ")");
    return n;
  }

  int int32(od::value& v, const Path& path) {
    return int(integer(v, path, kIntMin, kIntMax));
  }

  bool boolean(od::value& v, const Path& path) {
    bool b = false;
    take(v.get_bool(), b, path, "true or false");
    return b;
  }

  std::string_view text(od::value& v, const Path& path) {
    std::string_view s;
    take(v.get_string(), s, path, "a string");
    return s;
  }

  QString qtext(od::value& v, const Path& path) {
    std::string_view s = text(v, path);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
  }

  template <std::size_t N>
  int named(od::value& v, const Path& path,
            const std::array<std::string_view, N>& names, const char* what) {
    std::string_view s = text(v, path);
    int i = nameIndex(names, s);
    if (i < 0)
      fail(&path, "unknown " + std::string(what) + " " + quoted(s) +
                      " (expected " + nameList(names) + ")");
    return i;
  }

  od::array array(od::value& v, const Path& path) {
    od::array a;
    take(v.get_array(), a, path, "an array");
    return a;
  }

  od::object object(od::value& v, const Path& path) {
    od::object o;
    take(v.get_object(), o, path, "an object");
    return o;
  }

  // Calls fn(key, value) for each field of object; rejects unknown and
  // repeated keys. keyOf maps a key to its number in keys, or -1.
  template <std::size_t N, class KeyOf, class Fn>
  unsigned fields(od::object& obj, const Path& path,
                  const std::array<std::string_view, N>& keys, KeyOf keyOf,
                  Fn fn) {
    unsigned seen = 0;
    for (auto result : obj) {
      od::field field;
      take(std::move(result), field, path, "an object");
      std::string_view key;
      take(field.unescaped_key(), key, path, "a key");
      const int id = keyOf(key);
      if (id < 0) fail(&path, "unknown key " + quoted(key));
      if (seen & (1u << id)) fail(&path, "key " + quoted(key) + " repeated");
      seen |= 1u << id;
      const Path at = child(path, keys[std::size_t(id)]);
      fn(id, field.value(), at);
    }
    return seen;
  }

  template <std::size_t N>
  static auto keyIn(const std::array<std::string_view, N>& keys) {
    return [&keys](std::string_view k) { return nameIndex(keys, k); };
  }

  // Calls fn(value, path) for each item of array at path.
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

  od::object root() {
    od::object root;
    if (auto e = mDoc.get_object().get(root)) {
      if (auto syntax = locateSyntaxError(mBegin, mSize))
        throw Problem(*syntax);
      if (e == simdjson::INCORRECT_TYPE)
        throw Problem(
            "this is not a Loomwright board document (not a JSON object)");
      failJson(e, nullptr, "an object");
    }
    return root;
  }

  // format, version and keywords come first whatever their place in the
  // file: the version decides how to read the rest, and attribute names are
  // numbered in the order of the keyword table.
  void readHeader() {
    od::object obj = root();
    od::value v;
    const Path format{nullptr, "format"};
    auto found = obj.find_field_unordered("format");
    if (found.error() == simdjson::NO_SUCH_FIELD)
      throw Problem("this is not a Loomwright board document (no \"format\")");
    take(std::move(found), v, format, "a string");
    std::string_view name;
    if (v.get_string().get(name) != simdjson::SUCCESS || name != kFormatName)
      throw Problem("this is not a Loomwright board document (\"format\" is " +
                    (name.empty() ? std::string("not a name") : quoted(name)) +
                    ")");

    const Path version{nullptr, "version"};
    found = obj.find_field_unordered("version");
    if (found.error() == simdjson::NO_SUCH_FIELD) fail(&version, "missing");
    take(std::move(found), v, version, "a whole number");
    const std::int64_t n = integer(v, version, kIntMin, kIntMax);
    if (n > kFormatVersion)
      fail(&version,
           "the document was written by a newer Loomwright (format version " +
               std::to_string(n) + "; this one reads up to version " +
               std::to_string(kFormatVersion) + "); please update Loomwright");
    // Older versions would be upgraded here, in this one place.
    if (n < 1) fail(&version, "unknown format version " + std::to_string(n));

    const Path keywords{nullptr, "keywords"};
    found = obj.find_field_unordered("keywords");
    if (found.error() == simdjson::NO_SUCH_FIELD) return;
    take(std::move(found), v, keywords, "an array");
    items(v, keywords, [&](od::value& k, const Path& at) {
      std::string_view s = text(k, at);
      if (s.empty()) fail(&at, "a keyword must not be empty");
      if (mKeywords.count(s)) fail(&at, "keyword " + quoted(s) + " repeated");
      addKeyword(s);
    });
  }

  int addKeyword(std::string_view name) {
    mBoard.keywords.append(
        QString::fromUtf8(name.data(), qsizetype(name.size())));
    const int index = int(mBoard.keywords.size() - 1);
    mKeywords.emplace(name, index);
    return index;
  }

  // Attribute names missing from the keyword table join it in order of use.
  int keyword(od::value& v, const Path& path) {
    std::string_view name = text(v, path);
    if (auto it = mKeywords.find(name); it != mKeywords.end())
      return it->second;
    if (name.empty()) fail(&path, "an attribute name must not be empty");
    return addKeyword(name);
  }

  void readBody() {
    od::object obj = root();
    const Path top;
    fields(obj, top, kTopKeys, keyIn(kTopKeys),
           [&](int id, od::value& v, const Path& at) {
             switch (id) {
               case kUnits:
                 mBoard.units = PageUnits(named(v, at, kUnitNames, "units"));
                 break;
               case kFiles:
                 readFiles(v, at);
                 break;
               case kLayers:
                 readLayers(v, at);
                 break;
               case kTopAttributes:
                 readAttributes(v, at, mBoard.attributes);
                 break;
               case kEntities:
                 readEntities(v, at);
                 break;
               default:  // read by readHeader
                 break;
             }
           });
    const char* at = nullptr;
    if (mDoc.current_location().get(at) == simdjson::SUCCESS) {
      if (auto syntax = locateSyntaxError(mBegin, mSize))
        throw Problem(*syntax);
      throw Problem("unexpected text after the document at byte " +
                    std::to_string(at - mBegin));
    }
  }

  void readFiles(od::value& v, const Path& path) {
    items(v, path, [&](od::value& element, const Path& at) {
      BoardFile f;
      od::object obj = object(element, at);
      const unsigned seen = fields(obj, at, kFileKeys, keyIn(kFileKeys),
                                   [&](int id, od::value& fv, const Path& fat) {
                                     switch (id) {
                                       case kFileNumber:
                                         f.number = int32(fv, fat);
                                         break;
                                       case kFileName:
                                         f.name = qtext(fv, fat);
                                         break;
                                       case kPcb:
                                         f.isPcb = boolean(fv, fat);
                                         break;
                                       case kFileVisible:
                                         f.visible = boolean(fv, fat);
                                         break;
                                       case kSelect:
                                         f.selectArgument = std::int16_t(
                                             integer(fv, fat, -32768, 32767));
                                         break;
                                       case kRotation:
                                         f.rotation = int32(fv, fat);
                                         break;
                                     }
                                   });
      if (!(seen & (1u << kFileNumber))) fail(&at, "\"number\" is missing");
      mBoard.files.push_back(std::move(f));
    });
  }

  void readLayers(od::value& v, const Path& path) {
    items(v, path, [&](od::value& element, const Path& at) {
      Layer l;
      od::object obj = object(element, at);
      const unsigned seen = fields(obj, at, kLayerKeys, keyIn(kLayerKeys),
                                   [&](int id, od::value& lv, const Path& lat) {
                                     switch (id) {
                                       case kIndex:
                                         l.index = int32(lv, lat);
                                         break;
                                       case kLayerName:
                                         l.name = qtext(lv, lat);
                                         break;
                                       case kType:
                                         l.type = int32(lv, lat);
                                         break;
                                       case kColour:
                                         readColour(lv, lat, l.colour);
                                         break;
                                       case kLayerVisible:
                                         l.visible = boolean(lv, lat);
                                         break;
                                     }
                                   });
      if (!(seen & (1u << kIndex))) fail(&at, "\"index\" is missing");
      mBoard.layers.push_back(std::move(l));
    });
  }

  void readColour(od::value& v, const Path& path, Rgb& colour) {
    std::array<std::uint8_t, 3> c{};
    const int n = items(v, path, [&](od::value& e, const Path& at) {
      if (at.index >= 3)
        fail(&path, "expected three numbers [red, green, blue]");
      c[std::size_t(at.index)] = std::uint8_t(integer(e, at, 0, 255));
    });
    if (n != 3) fail(&path, "expected three numbers [red, green, blue]");
    colour = {c[0], c[1], c[2]};
  }

  void readAttributes(od::value& v, const Path& path,
                      std::vector<Attribute>& out) {
    mScratchAttributes.clear();
    items(v, path, [&](od::value& element, const Path& at) {
      Attribute& a = mScratchAttributes.emplace_back();
      const int n = items(element, at, [&](od::value& part, const Path& pat) {
        switch (pat.index) {
          case 0:
            a.keyword = keyword(part, pat);
            break;
          case 1:
            a.value = qtext(part, pat);
            break;
          case 2:
            readDisplay(part, pat, a.display);
            break;
          default:
            fail(&at, "expected [name, value] or [name, value, display]");
        }
      });
      if (n < 2) fail(&at, "expected [name, value] or [name, value, display]");
    });
    // One allocation of the right size per entity.
    out.assign(std::make_move_iterator(mScratchAttributes.begin()),
               std::make_move_iterator(mScratchAttributes.end()));
  }

  void readDisplay(od::value& v, const Path& path, DisplayRecord& d) {
    const char* expected = "expected 13 numbers: 5 reals and 8 integers";
    const int n = items(v, path, [&](od::value& e, const Path& at) {
      if (at.index < kDisplayReals)
        d.reals[std::size_t(at.index)] = number(e, at);
      else if (at.index < kDisplaySize)
        d.ints[std::size_t(at.index - kDisplayReals)] =
            std::int16_t(integer(e, at, -32768, 32767));
      else
        fail(&path, expected);
    });
    if (n != kDisplaySize) fail(&path, expected);
  }

  void readOutline(od::value& v, const Path& path, Entity& e) {
    mScratchOutline.clear();
    double x = 0;
    const int n = items(v, path, [&](od::value& c, const Path& at) {
      const double d = number(c, at);
      if (at.index % 2 == 0)
        x = d;
      else
        mScratchOutline.emplace_back(x, d);
    });
    if (n % 2) fail(&path, "expected x and y pairs (an even count)");
    e.outline.assign(mScratchOutline.begin(), mScratchOutline.end());
  }

  void readEntities(od::value& v, const Path& path) {
    od::array a = array(v, path);
    std::size_t count = 0;
    take(a.count_elements(), count, path, "an array");
    mBoard.entities.reserve(count);
    int i = 0;
    for (auto result : a) {
      const Path at = item(path, i);
      od::value element;
      take(std::move(result), element, at, "an object");
      readEntity(element, at);
      if ((++i & 1023) == 0) reportProgress();
    }
  }

  void readEntity(od::value& v, const Path& path) {
    Entity& e = mBoard.entities.emplace_back();
    od::object obj = object(v, path);
    const unsigned seen =
        fields(obj, path, kEntityKeys, entityKey,
               [&](int id, od::value& ev, const Path& at) {
                 switch (id) {
                   case kKind:
                     e.kind = EntityKind(named(ev, at, kKindNames, "kind"));
                     break;
                   case kNumber:
                     e.number = int32(ev, at);
                     break;
                   case kFile:
                     e.file = int32(ev, at);
                     break;
                   case kLayer:
                     e.layer = int32(ev, at);
                     break;
                   case kSide:
                     e.side = Side(named(ev, at, kSideNames, "side"));
                     break;
                   case kShape:
                     e.shape = Shape(named(ev, at, kShapeNames, "shape"));
                     break;
                   case kComponent:
                     e.parent = int(integer(ev, at, 0, kIntMax));
                     break;
                   case kX:
                     e.x = number(ev, at);
                     break;
                   case kY:
                     e.y = number(ev, at);
                     break;
                   case kWidth:
                     e.width = number(ev, at);
                     break;
                   case kHeight:
                     e.height = number(ev, at);
                     break;
                   case kAngle:
                     e.angle = number(ev, at);
                     break;
                   case kName:
                     e.name = qtext(ev, at);
                     break;
                   case kOutline:
                     readOutline(ev, at, e);
                     break;
                   case kAttributes:
                     readAttributes(ev, at, e.attributes);
                     break;
                 }
               });
    if (!(seen & (1u << kKind))) fail(&path, "\"k\" (the kind) is missing");
    if (!(seen & (1u << kFile))) fail(&path, "\"f\" (the file) is missing");
  }

  void reportProgress() {
    const char* at = nullptr;
    if (!mProgress || mDoc.current_location().get(at) != simdjson::SUCCESS)
      return;
    const double fraction = double(at - mBegin) / double(mSize);
    if (fraction >= mNextProgress && fraction < 1) {
      mProgress(fraction);
      mNextProgress = fraction + 0.01;
    }
  }

  const char* mBegin;
  std::size_t mSize;
  const ProgressFn& mProgress;
  double mNextProgress = 0;
  od::parser mParser;
  od::document mDoc;
  Board mBoard;
  KeywordMap mKeywords;
  std::vector<Attribute> mScratchAttributes;
  std::vector<QPointF> mScratchOutline;
};

}  // namespace

Board parseJson(const char* data, std::size_t size,
                const ProgressFn& progress) {
  if (size == 0) throw Problem("the file is empty");
  if (size > kMaxDocumentBytes) throw Problem("the document is too large");
  return Reader(data, size, progress).read();
}

}  // namespace lw::vd

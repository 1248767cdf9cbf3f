// Reads document JSON with simdjson's On-Demand API: one forward pass, no
// DOM, every value checked for type and range where it is met. The layout is
// described in docs/vd-format.md.

#include "orderedwork.h"
#include "vdslicer.h"
#include "vdwalker.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <utility>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace lw::vd {

namespace {

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

// Entities are most of the file: their keys are matched in the raw text,
// without copying. p points after the opening quote and is followed by at
// least the padding; -1 sends escaped or unknown keys the slow way.
int rawEntityKey(const char* p) noexcept {
  if (p[1] == '"' && p[0] != '\\') {
    switch (p[0]) {
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
  if (p[0] == 's' && p[1] == 'h' && p[2] == '"') return kShape;
  if (std::memcmp(p, "name\"", 5) == 0) return kName;
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

// Repeated texts (pin numbers, net names, "Placed") share one QString: a
// board of 100,000 probes holds 1.6 million attribute values and names but
// fewer than 650,000 distinct ones. Copies of a QString are implicitly
// shared, so a later write to one entity's text detaches it and never
// changes another's. Texts are looked up by their UTF-8 bytes, as they
// stand in the document: no QString is made for one already pooled.
class TextPool {
 public:
  QString operator()(std::string_view utf8) {
    return lookup(utf8, hashOf(utf8));
  }

  // put(text, QString) for each of texts (each with a utf8 view), in order.
  // Most of a large board's texts are in memory no cache holds: each
  // text's slot, pooled QString and characters are fetched while the texts
  // before it are looked up, not one after the other.
  template <class Text, class Put>
  void resolve(const std::vector<Text>& texts, Put put) {
    const std::size_t n = texts.size();
    mHashes.resize(n);
    for (std::size_t i = 0; i < n; ++i) mHashes[i] = hashOf(texts[i].utf8);
    while ((mCount + n) * 2 >= mSlots.size()) grow();  // none in the loop
    const std::size_t mask = mSlots.size() - 1;
    constexpr std::size_t kAhead = 4;  // lookups per fetch stage
    for (std::size_t i = 0; i < n; ++i) {
      if (i + 3 * kAhead < n)
        __builtin_prefetch(&mSlots[mHashes[i + 3 * kAhead] & mask]);
      if (i + 2 * kAhead < n) {
        const Slot& s = mSlots[mHashes[i + 2 * kAhead] & mask];
        if (s.text != kFree) __builtin_prefetch(&at(s.text));
      }
      if (i + kAhead < n) {
        const Slot& s = mSlots[mHashes[i + kAhead] & mask];
        if (s.text != kFree) __builtin_prefetch(at(s.text).constData());
      }
      put(texts[i], lookup(texts[i].utf8, mHashes[i]));
    }
  }

 private:
  static std::uint32_t hashOf(std::string_view utf8) {
    const std::uint64_t full = std::hash<std::string_view>{}(utf8);
    return std::uint32_t(full ^ (full >> 32));
  }

  QString lookup(std::string_view utf8, std::uint32_t hash) {
    if (utf8.empty()) return QString::fromUtf8(utf8.data(), 0);
    if (mCount * 2 >= mSlots.size()) grow();
    const std::size_t mask = mSlots.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = mSlots[i];
      if (slot.text == kFree) {
        slot = {hash, mCount};
        return add(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
      }
      if (slot.hash == hash) {
        const QString& text = at(slot.text);
        if (sameText(text, utf8)) return text;
      }
    }
  }

  // A slot holds its text's whole hash: most texts that do not match are
  // told apart without reading them, and the table grows without them.
  // Slots are small and texts are kept in blocks that never move, because
  // fresh memory is much of the cost of a large board's read.
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t text = kFree;
  };
  static constexpr std::uint32_t kFree = ~std::uint32_t{0};
  static constexpr int kBlockBits = 12;
  static constexpr std::uint32_t kBlock = 1u << kBlockBits;

  const QString& at(std::uint32_t n) const {
    return mBlocks[n >> kBlockBits][n & (kBlock - 1)];
  }
  const QString& add(QString text) {
    if ((mCount & (kBlock - 1)) == 0)
      mBlocks.push_back(std::make_unique<QString[]>(kBlock));
    QString& slot = mBlocks.back()[mCount++ & (kBlock - 1)];
    slot = std::move(text);
    return slot;
  }

  // Compared with the pooled QString itself, whose characters share a
  // cache line with the count that the returned copy raises.
  static bool sameText(const QString& text, std::string_view utf8) {
    const auto wide = [](char c) {
      return static_cast<unsigned char>(c) >= 0x80;
    };
    if (std::size_t(text.size()) != utf8.size())  // then equal only through
      return std::any_of(utf8.begin(), utf8.end(), wide) &&  // wide ones
             text == QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
    const QChar* chars = text.constData();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
      if (wide(utf8[i]))
        return text == QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
      // ASCII so far: character i of one is byte i of the other.
      if (chars[i].unicode() != static_cast<unsigned char>(utf8[i]))
        return false;
    }
    return true;
  }

  void grow() {
    std::vector<Slot> old(std::max<std::size_t>(1024, mSlots.size() * 2));
    old.swap(mSlots);
    const std::size_t mask = mSlots.size() - 1;
    for (const Slot& slot : old) {
      if (slot.text == kFree) continue;
      std::size_t i = slot.hash & mask;
      while (mSlots[i].text != kFree) i = (i + 1) & mask;
      mSlots[i] = slot;
    }
  }

  std::vector<Slot> mSlots;
  std::vector<std::uint32_t> mHashes;  // of the texts being resolved
  std::vector<std::unique_ptr<QString[]>> mBlocks;
  std::uint32_t mCount = 0;
};

// Each entity has one "k" key: counting them before reading saves the
// copies of an array that would otherwise grow by doubling (an eighth of
// the time to open a large board, and half its size again in memory).
constexpr std::size_t kSmallestEntity = 16;  // {"k":"via","f":1}
std::size_t entityEstimate(std::string_view text) {
  constexpr std::string_view kKey = "\"k\"";
  std::size_t count = 0;
  for (auto at = text.find(kKey); at != std::string_view::npos;
       at = text.find(kKey, at + kKey.size()))
    ++count;
  return std::min(count, text.size() / kSmallestEntity);
}

// Text is inflated or copied this much at a time.
constexpr std::size_t kPiece = std::size_t{1} << 20;

constexpr int kDisplayReals = 5;
constexpr int kDisplaySize = 13;

// The keywords a document's head names: readers of its slices start from
// them, each on its own thread.
struct Keywords {
  KeywordMap index;
  QStringList names;
};

// A slice's text and the objects the slicer counted in it.
struct SliceText {
  PaddedBuffer text;
  std::size_t objects = 0;
};

// Entities read from one slice, and the keywords known after it.
struct SliceEntities {
  std::vector<Entity> entities;
  QStringList keywords;
};

// A walker must start on some text; readers of slices start on this.
constexpr std::size_t kNoTextSize = 2;
alignas(64) constexpr char kNoText[kNoTextSize + PaddedBuffer::kPadding] = "[]";
const ProgressFn kNoProgress;

class Reader : private JsonWalker {
 public:
  Reader(const char* data, std::size_t size, const ProgressFn& progress)
      : JsonWalker(data, size), mProgress(progress) {}
  explicit Reader(const Keywords& head)
      : JsonWalker(kNoText, kNoTextSize),
        mProgress(kNoProgress),
        mKeywords(head.index) {
    mBoard.keywords = head.names;
  }

  Keywords keywords() const { return {mKeywords, mBoard.keywords}; }

  SliceEntities readOwnSlice(const SliceText& slice) {
    mBoard.entities.clear();
    expectEntities(slice.objects);
    readSlice(slice.text.data(), slice.text.size());
    return {std::move(mBoard.entities), mBoard.keywords};
  }

  // Takes the entities of the slice after those read, from a reader that
  // started with the first headKeywords keywords of this one. Keywords it
  // met first are numbered on in order, as one reader would have numbered
  // them.
  void adopt(SliceEntities& part, int headKeywords) {
    std::vector<int> number;
    bool renumber = false;
    for (int k = headKeywords; k < int(part.keywords.size()); ++k) {
      const QByteArray name = part.keywords[k].toUtf8();
      const std::string_view view(name.constData(), std::size_t(name.size()));
      const auto it = mKeywords.find(view);
      number.push_back(it != mKeywords.end() ? it->second : addKeyword(view));
      renumber = renumber || number.back() != k;
    }
    if (renumber)
      for (Entity& e : part.entities)
        for (Attribute& a : e.attributes)
          if (a.keyword >= headKeywords)
            a.keyword = number[std::size_t(a.keyword - headKeywords)];
    mBoard.entities.insert(mBoard.entities.end(),
                           std::make_move_iterator(part.entities.begin()),
                           std::make_move_iterator(part.entities.end()));
  }

  Board read() {
    readHead();
    return finish();
  }

  // The whole text, or only the head of a sliced one.
  void readHead() {
    readHeader();
    readBody();
  }

  // Entities from "[...]" text of their own, numbered on from those read.
  void readSlice(const char* data, std::size_t size) {
    walk(data, size);
    const Path top;
    const Path entities = child(top, "entities");
    od::array a;
    take(restart().get_array(), a, entities, "an array");
    readEntityItems(a, entities);
    if (offset()) failJson(simdjson::TRAILING_CONTENT, nullptr, "");
  }

  // Room for about count entities; nothing lost if there is none.
  void expectEntities(std::size_t count) {
    try {
      mBoard.entities.reserve(count);
    } catch (const std::exception&) {
      // The array grows as it is read.
    }
  }

  Board finish() {
    if (std::string problem = findProblem(mBoard); !problem.empty())
      throw Problem(problem);
    if (mProgress) mProgress(1.0);
    return std::move(mBoard);
  }

 private:
  od::object root() {
    od::object root;
    if (auto e = restart().get_object().get(root))
      failJson(e, nullptr,
               "a JSON object: this is not a Loomwright board document");
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
    fields(obj, top, kTopKeys, [&](int id, od::value& v, const Path& at) {
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
    if (offset()) failJson(simdjson::TRAILING_CONTENT, nullptr, "");
  }

  void readFiles(od::value& v, const Path& path) {
    items(v, path, [&](od::value& element, const Path& at) {
      BoardFile f;
      od::object obj = object(element, at);
      const unsigned seen = fields(
          obj, at, kFileKeys, [&](int id, od::value& fv, const Path& fat) {
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
                f.selectArgument =
                    std::int16_t(integer(fv, fat, -32768, 32767));
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
      const unsigned seen = fields(obj, at, kLayerKeys,
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

  // An entity's attributes take their values when its texts are pooled
  // (poolTexts); other attributes at once.
  void readAttributes(od::value& v, const Path& path,
                      std::vector<Attribute>& out, bool entity = false) {
    mScratchAttributes.clear();
    items(v, path, [&](od::value& element, const Path& at) {
      const int index = int(mScratchAttributes.size());
      Attribute& a = mScratchAttributes.emplace_back();
      const int n = items(element, at, [&](od::value& part, const Path& pat) {
        switch (pat.index) {
          case 0:
            a.keyword = keyword(part, pat);
            break;
          case 1:
            if (entity)
              poolLater(index, text(part, pat));
            else
              a.value = mTexts(text(part, pat));
            break;
          case 2:
            readDisplay(part, pat, a.display.edit());
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
    expectEntities(entityEstimate(text().substr(offset().value_or(size()))));
    readEntityItems(a, path);
  }

  void readEntityItems(od::array& a, const Path& path) {
    mPending.clear();
    int i = int(mBoard.entities.size());
    for (auto result : a) {
      const Path at = item(path, i);
      od::value element;
      take(std::move(result), element, at, "an object");
      readEntity(element, at);
      if ((++i & 1023) == 0) {
        poolTexts();
        reportProgress();
      }
    }
    poolTexts();
  }

  // The entity being read gets this text, as its name (attribute -1) or
  // as that attribute's value, when the texts are pooled. The text stays
  // valid as long as the parsed document.
  void poolLater(int attribute, std::string_view utf8) {
    mPending.push_back({mBoard.entities.size() - 1, attribute, utf8});
  }

  void poolTexts() {
    mTexts.resolve(mPending, [this](const PendingText& p, QString text) {
      Entity& e = mBoard.entities[p.entity];
      (p.attribute < 0 ? e.name
                       : e.attributes[std::size_t(p.attribute)].value) =
          std::move(text);
    });
    mPending.clear();
  }

  void readEntity(od::value& v, const Path& path) {
    Entity& e = mBoard.entities.emplace_back();
    od::object obj = object(v, path);
    const unsigned seen = fields(
        obj, path, kEntityKeys,
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
              poolLater(-1, text(ev, at));
              break;
            case kOutline:
              readOutline(ev, at, e);
              break;
            case kAttributes:
              readAttributes(ev, at, e.attributes, true);
              break;
          }
        },
        rawEntityKey);
    if (!(seen & (1u << kKind))) fail(&path, "\"k\" (the kind) is missing");
    if (!(seen & (1u << kFile))) fail(&path, "\"f\" (the file) is missing");
  }

  void reportProgress() {
    const auto at = mProgress ? offset() : std::nullopt;
    if (!at) return;
    const double fraction = double(*at) / double(size());
    if (fraction >= mNextProgress && fraction < 1) {
      mProgress(fraction);
      mNextProgress = fraction + 0.01;
    }
  }

  const ProgressFn& mProgress;
  double mNextProgress = 0;
  Board mBoard;
  KeywordMap mKeywords;
  std::vector<Attribute> mScratchAttributes;
  std::vector<QPointF> mScratchOutline;
  TextPool mTexts;
  struct PendingText {
    std::size_t entity;
    int attribute;  // -1: the name
    std::string_view utf8;
  };
  std::vector<PendingText> mPending;
};

// Reads a document's text as it is inflated or copied, a piece at a time,
// and its entities a slice at a time. Throws Problem.
class SlicedReader {
 public:
  SlicedReader(const char* data, std::size_t size, std::size_t sliceBytes,
               const ProgressFn& progress)
      : mData(data),
        mSize(size),
        mProgress(progress),
        mSlicer(
            sliceBytes, [this](const char* t, std::size_t n) { head(t, n); },
            [this](const char* t, std::size_t n, std::size_t objects) {
              slice(t, n, objects);
            }),
        // No larger than a slice: the tests cut text anywhere.
        mPiece(std::clamp(sliceBytes, std::size_t{1}, kPiece)) {
    if (isGzip(data, size)) mGzip.emplace(data, size);
    mExpected = mGzip ? mGzip->expectedSize() : size;
  }

  // Nothing when the text is not laid out as the writer lays it out.
  std::optional<Board> read() {
    for (;;) {
      char* room = mSlicer.room(mPiece);
      const std::size_t n = mGzip ? mGzip->read(room, mPiece) : copy(room);
      if (n == 0) break;
      mRead += n;
      if (mRead > kMaxDocumentBytes || !mSlicer.append(n)) return {};
    }
    if (!mSlicer.finished() || !mReader) return {};
    if (mWork) mWork->finish(adoptSlice());
    Board board = mReader->finish();
    if (mProgress) mProgress(1.0);
    return board;
  }

 private:
  std::size_t copy(char* room) {
    const std::size_t n = std::min(mPiece, mSize - mRead);
    std::memcpy(room, mData + mRead, n);
    return n;
  }

  void head(const char* text, std::size_t size) {
    mReader.emplace(text, size, kNoProgress);
    mReader->readHead();
    mHeadKeywords = mReader->keywords();
  }

  void slice(const char* text, std::size_t size, std::size_t objects) {
    if (mSlices++ == 0) {
      // Generous: room never written costs no memory.
      const std::size_t rest =
          mExpected - std::min(mExpected, mSlicer.handedOn());
      mReader->expectEntities(
          std::min(mExpected / kSmallestEntity,
                   objects + objects * rest / size * 5 / 4));
      startWorkers();
    }
    mWork->submit({PaddedBuffer(text, size), objects}, adoptSlice());
    const double f =
        std::min(0.99, double(mSlicer.handedOn()) / double(mExpected));
    if (mProgress && f > mReported) mProgress(mReported = f);
  }

  void startWorkers() {
    const int workers =
        int(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    mSliceReaders.resize(std::size_t(workers));
    mWork.emplace(workers, std::size_t(2 * workers + 2),
                  [this](SliceText& slice, int worker) {
                    std::unique_ptr<Reader>& r =
                        mSliceReaders[std::size_t(worker)];
                    if (!r) r = std::make_unique<Reader>(mHeadKeywords);
                    return r->readOwnSlice(slice);
                  });
  }

  std::function<void(SliceEntities&)> adoptSlice() {
    return [this](SliceEntities& part) {
      mReader->adopt(part, int(mHeadKeywords.names.size()));
    };
  }

  const char* mData;
  std::size_t mSize;
  const ProgressFn& mProgress;
  EntitySlicer mSlicer;
  std::size_t mPiece;
  std::optional<GzipStream> mGzip;
  std::size_t mExpected = 0;
  std::optional<Reader> mReader;
  Keywords mHeadKeywords;  // read by the workers, written before them
  std::vector<std::unique_ptr<Reader>> mSliceReaders;  // one per worker
  std::size_t mRead = 0;                               // bytes of text
  std::size_t mSlices = 0;
  double mReported = 0;
  // Last: its threads stop before what they use goes.
  std::optional<OrderedWork<SliceText, SliceEntities>> mWork;
};

}  // namespace

std::optional<Board> parseSliced(const char* data, std::size_t size,
                                 std::size_t sliceBytes,
                                 const ProgressFn& progress) {
  try {
    std::optional<Board> board =
        SlicedReader(data, size, sliceBytes, progress).read();
#ifdef __GLIBC__
    // The workers' text pools were freed into their own malloc arenas,
    // which the rest of the load, on this thread, never reuses: 20 MB of a
    // 100,000-probe board given back.
    malloc_trim(0);
#endif
    return board;
  } catch (const Problem&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

Board parseJson(const char* data, std::size_t size,
                const ProgressFn& progress) {
  if (size == 0) throw Problem("the file is empty");
  if (size > kMaxDocumentBytes) throw Problem("the document is too large");
  return Reader(data, size, progress).read();
}

}  // namespace lw::vd

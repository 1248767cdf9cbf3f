// Writes document JSON by hand-laid layout, one entity per line, so that
// files diff well and an unchanged board always gives the same bytes.
// Numbers go through std::to_chars: shortest round trip, never the locale.

#include "vdformat.h"

#include <QStringEncoder>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <vector>

namespace lw::vd {

namespace {

class Writer {
 public:
  explicit Writer(const Board& board) : mBoard(board) {}

  QByteArray write() {
    mOut.reserve(4096 + 128 * mBoard.entities.size());
    raw("{\"format\":");
    string(std::string_view(kFormatName));
    raw(",\"version\":");
    integer(kFormatVersion);
    raw(",\n\"units\":");
    string(kUnitNames[std::size_t(mBoard.units)]);
    raw(",\n\"keywords\":[");
    mKeywords.resize(std::size_t(mBoard.keywords.size()));
    for (qsizetype i = 1; i < mBoard.keywords.size(); ++i) {
      if (i > 1) raw(",");
      // Attributes repeat keyword names; escape each once.
      const std::size_t start = mOut.size();
      string(mBoard.keywords[i]);
      mKeywords[std::size_t(i)] = mOut.substr(start);
    }
    raw("],\n");
    list("files", mBoard.files, [this](const BoardFile& f) { file(f); });
    raw(",\n");
    list("layers", mBoard.layers, [this](const Layer& l) { layer(l); });
    raw(",\n");
    list("attributes", mBoard.attributes,
         [this](const Attribute& a) { attribute(a); });
    raw(",\n");
    list("entities", mBoard.entities, [this](const Entity& e) { entity(e); });
    raw("}\n");
    return QByteArray(mOut.data(), qsizetype(mOut.size()));
  }

 private:
  Writer& raw(std::string_view s) {
    mOut.append(s);
    return *this;
  }

  // Starts a further key of an object: key("x").number(...).
  Writer& key(std::string_view name) {
    mOut += ",\"";
    mOut += name;
    mOut += "\":";
    return *this;
  }

  void integer(long long n) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
    mOut.append(buf, std::size_t(end - buf));
  }

  void number(double v) {
    if (v == 0) v = 0;  // "-0" would read back as 0 and change the bytes
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    mOut.append(buf, std::size_t(end - buf));
  }

  void string(std::string_view s) {
    const bool plain = std::all_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\';
    });
    if (plain) {
      mOut += '"';
      mOut += s;
      mOut += '"';
    } else {
      raw(nlohmann::json(s).dump());
    }
  }

  // Encodes into one reused buffer: no allocation per name or value.
  void string(const QString& s) {
    mUtf8.resize(std::size_t(mEncoder.requiredSpace(s.size())));
    const char* end = mEncoder.appendToBuffer(mUtf8.data(), s);
    string(std::string_view(mUtf8.data(), std::size_t(end - mUtf8.data())));
  }

  template <class T, class Fn>
  void list(std::string_view key, const std::vector<T>& items, Fn fn) {
    raw("\"");
    raw(key);
    raw("\":[");
    for (std::size_t i = 0; i < items.size(); ++i) {
      raw(i ? ",\n" : "\n");
      fn(items[i]);
    }
    raw(items.empty() ? "]" : "\n]");
  }

  void file(const BoardFile& f) {
    raw("{\"number\":");
    integer(f.number);
    if (!f.name.isEmpty()) key("name").string(f.name);
    if (f.isPcb) key("pcb").raw("true");
    if (f.visible) key("visible").raw("true");
    if (f.selectArgument) key("select").integer(f.selectArgument);
    if (f.rotation) key("rotation").integer(f.rotation);
    raw("}");
  }

  void layer(const Layer& l) {
    raw("{\"index\":");
    integer(l.index);
    if (!l.name.isEmpty()) key("name").string(l.name);
    if (l.type) key("type").integer(l.type);
    if (l.colour != Rgb{}) {
      key("colour").raw("[");
      integer(l.colour.r);
      raw(",");
      integer(l.colour.g);
      raw(",");
      integer(l.colour.b);
      raw("]");
    }
    if (!l.visible) key("visible").raw("false");
    raw("}");
  }

  void attribute(const Attribute& a) {
    raw("[");
    mOut.append(mKeywords[std::size_t(a.keyword)]);
    raw(",");
    string(a.value);
    if (const DisplayRecord& display = a.display; !display.isZero()) {
      raw(",[");
      for (double r : display.reals) {
        number(r);
        raw(",");
      }
      for (std::size_t i = 0; i < display.ints.size(); ++i) {
        if (i) raw(",");
        integer(display.ints[i]);
      }
      raw("]");
    }
    raw("]");
  }

  void entity(const Entity& e) {
    raw("{\"k\":");
    string(kKindNames[std::size_t(e.kind)]);
    if (e.number) key("n").integer(e.number);
    key("f").integer(e.file);
    if (e.layer) key("l").integer(e.layer);
    if (e.side != Side::Top) key("s").string(kSideNames[std::size_t(e.side)]);
    if (e.shape != Shape::Round)
      key("sh").string(kShapeNames[std::size_t(e.shape)]);
    if (e.parent != -1) key("c").integer(e.parent);
    const std::pair<std::string_view, double> numbers[] = {{"x", e.x},
                                                           {"y", e.y},
                                                           {"w", e.width},
                                                           {"h", e.height},
                                                           {"r", e.angle}};
    for (const auto& [name, v] : numbers)
      if (v != 0) key(name).number(v);
    if (!e.name.isEmpty()) key("name").string(e.name);
    if (!e.outline.empty()) {
      key("o").raw("[");
      for (std::size_t i = 0; i < e.outline.size(); ++i) {
        if (i) raw(",");
        number(e.outline[i].x());
        raw(",");
        number(e.outline[i].y());
      }
      raw("]");
    }
    if (!e.attributes.empty()) {
      key("a").raw("[");
      for (std::size_t i = 0; i < e.attributes.size(); ++i) {
        if (i) raw(",");
        attribute(e.attributes[i]);
      }
      raw("]");
    }
    raw("}");
  }

  const Board& mBoard;
  std::string mOut;                    // appends inline, unlike QByteArray
  std::vector<std::string> mKeywords;  // escaped, by index
  QStringEncoder mEncoder{QStringEncoder::Utf8,
                          QStringConverter::Flag::Stateless};
  std::string mUtf8;
};

}  // namespace

QByteArray toJson(const Board& board) {
  if (std::string problem = findProblem(board); !problem.empty())
    throw Problem(problem);
  return Writer(board).write();
}

}  // namespace lw::vd

// Writes document JSON by hand-laid layout, one entity per line, so that
// files diff well and an unchanged board always gives the same bytes.
// Numbers go through std::to_chars: shortest round trip, never the locale.

#include "vdformat.h"

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
    mOut.reserve(qsizetype(4096 + 96 * mBoard.entities.size()));
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
      const qsizetype start = mOut.size();
      string(mBoard.keywords[i]);
      mKeywords[std::size_t(i)] = mOut.mid(start);
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
    return std::move(mOut);
  }

 private:
  void raw(std::string_view s) { mOut.append(s.data(), qsizetype(s.size())); }

  void integer(long long n) {
    char buf[24];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, n);
    mOut.append(buf, end - buf);
  }

  void number(double v) {
    if (v == 0) v = 0;  // "-0" would read back as 0 and change the bytes
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    mOut.append(buf, end - buf);
  }

  void string(std::string_view s) {
    const bool plain = std::all_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) >= 0x20 && c != '"' && c != '\\';
    });
    if (plain) {
      mOut.append('"');
      raw(s);
      mOut.append('"');
    } else {
      raw(nlohmann::json(s).dump());
    }
  }

  void string(const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    string(std::string_view(utf8.constData(), std::size_t(utf8.size())));
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
    if (!f.name.isEmpty()) raw(",\"name\":"), string(f.name);
    if (f.isPcb) raw(",\"pcb\":true");
    if (f.visible) raw(",\"visible\":true");
    if (f.selectArgument) raw(",\"select\":"), integer(f.selectArgument);
    if (f.rotation) raw(",\"rotation\":"), integer(f.rotation);
    raw("}");
  }

  void layer(const Layer& l) {
    raw("{\"index\":");
    integer(l.index);
    if (!l.name.isEmpty()) raw(",\"name\":"), string(l.name);
    if (l.type) raw(",\"type\":"), integer(l.type);
    if (l.colour != Rgb{}) {
      raw(",\"colour\":[");
      integer(l.colour.r);
      raw(",");
      integer(l.colour.g);
      raw(",");
      integer(l.colour.b);
      raw("]");
    }
    if (!l.visible) raw(",\"visible\":false");
    raw("}");
  }

  void attribute(const Attribute& a) {
    raw("[");
    mOut.append(mKeywords[std::size_t(a.keyword)]);
    raw(",");
    string(a.value);
    if (!a.display.isZero()) {
      raw(",[");
      for (double r : a.display.reals) number(r), raw(",");
      for (std::size_t i = 0; i < a.display.ints.size(); ++i) {
        if (i) raw(",");
        integer(a.display.ints[i]);
      }
      raw("]");
    }
    raw("]");
  }

  void entity(const Entity& e) {
    raw("{\"k\":");
    string(kKindNames[std::size_t(e.kind)]);
    if (e.number) raw(",\"n\":"), integer(e.number);
    raw(",\"f\":");
    integer(e.file);
    if (e.layer) raw(",\"l\":"), integer(e.layer);
    if (e.side != Side::Top)
      raw(",\"s\":"), string(kSideNames[std::size_t(e.side)]);
    if (e.shape != Shape::Round)
      raw(",\"sh\":"), string(kShapeNames[std::size_t(e.shape)]);
    if (e.parent != -1) raw(",\"c\":"), integer(e.parent);
    const std::pair<std::string_view, double> numbers[] = {
        {",\"x\":", e.x},
        {",\"y\":", e.y},
        {",\"w\":", e.width},
        {",\"h\":", e.height},
        {",\"r\":", e.angle}};
    for (const auto& [key, v] : numbers)
      if (v != 0) raw(key), number(v);
    if (!e.name.isEmpty()) raw(",\"name\":"), string(e.name);
    if (!e.outline.empty()) {
      raw(",\"o\":[");
      for (std::size_t i = 0; i < e.outline.size(); ++i) {
        if (i) raw(",");
        number(e.outline[i].x());
        raw(",");
        number(e.outline[i].y());
      }
      raw("]");
    }
    if (!e.attributes.empty()) {
      raw(",\"a\":[");
      for (std::size_t i = 0; i < e.attributes.size(); ++i) {
        if (i) raw(",");
        attribute(e.attributes[i]);
      }
      raw("]");
    }
    raw("}");
  }

  const Board& mBoard;
  QByteArray mOut;
  std::vector<QByteArray> mKeywords;  // escaped, by index
};

}  // namespace

QByteArray toJson(const Board& board) {
  if (std::string problem = findProblem(board); !problem.empty())
    throw Problem(problem);
  return Writer(board).write();
}

}  // namespace lw::vd

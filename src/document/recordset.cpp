#include "recordset.h"

#include <array>
#include <charconv>
#include <cmath>

namespace lw {
namespace {

const char* kindText(EntityKind kind) {
  switch (kind) {
    case EntityKind::Via:
      return "VIA";
    case EntityKind::Pin:
      return "PIN";
    case EntityKind::Component:
      return "COMPONENT";
    case EntityKind::MechanicalPart:
      return "MECHANICAL_PART";
    case EntityKind::MechanicalHole:
      return "MECHANICAL_HOLE";
    case EntityKind::AccessPoint:
      return "ACCESS_POINT";
    case EntityKind::Fiducial:
      return "FIDUCIAL";
    case EntityKind::ToolingHole:
      return "TOOLING_HOLE";
    case EntityKind::Probe:
      return "PROBE";
    case EntityKind::Outline:
      return "OUTLINE";
  }
  return "UNKNOWN";
}

const char* shapeText(Shape shape) {
  switch (shape) {
    case Shape::Round:
      return "ROUND";
    case Shape::Square:
      return "SQUARE";
    case Shape::Rectangle:
      return "RECTANGLE";
    case Shape::Oblong:
      return "OBLONG";
  }
  return "ROUND";
}

// Fixed notation keeps the text readable by any number parser; the shortest
// form that reads back to the same double. Returns the length written.
qsizetype writeNumber(double value, std::array<char, 400>& buf) {
  if (!std::isfinite(value) || value == 0) value = 0;  // no "-0", no "nan"
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                               std::chars_format::fixed);
  if (r.ec != std::errc()) {
    buf[0] = '0';
    return 1;
  }
  return r.ptr - buf.data();
}

QChar surfaceLetter(Side side) {
  switch (side) {
    case Side::Top:
      return u'T';
    case Side::Bottom:
      return u'B';
    case Side::Both:
      return u'A';
  }
  return u'T';
}

// Appends fields separated by character 5 without temporary strings.
class RecordWriter {
 public:
  explicit RecordWriter(qsizetype reserve) { mText.reserve(reserve); }
  void field(QLatin1StringView text) { sep(), mText.append(text); }
  void field(const char* text) { field(QLatin1StringView(text)); }
  void field(const QString& text) { sep(), mText.append(text); }
  void field(QChar c) { sep(), mText.append(c); }
  void field(int value) {
    std::array<char, 16> buf;
    auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    field(QLatin1StringView(buf.data(), r.ptr - buf.data()));
  }
  void number(double value) {
    sep();
    appendNumber(value);
  }
  void point(double x, double y) {
    sep();
    appendNumber(x);
    mText.append(u',');
    appendNumber(y);
  }
  QString take() { return std::move(mText); }

 private:
  // Straight into the record: no temporary string per number.
  void appendNumber(double value) {
    std::array<char, 400> buf;
    mText.append(QLatin1StringView(buf.data(), writeNumber(value, buf)));
  }

  void sep() {
    if (mFirst)
      mFirst = false;
    else
      mText.append(kFieldSeparator);
  }
  QString mText;
  bool mFirst = true;
};

QString header(std::initializer_list<const char*> names) {
  RecordWriter w(128);
  for (const char* n : names) w.field(n);
  return w.take();
}

}  // namespace

QString formatNumber(double value) {
  std::array<char, 400> buf;
  return QString::fromLatin1(buf.data(), writeNumber(value, buf));
}

EntityRecordSet entityRecords(const Board& board, int fileNumber,
                              EntityKind kind) {
  EntityRecordSet set;
  set.append(header({"KIND", "NAME", "SIZE", "SHAPE", "LOCATION", "ANGLE",
                     "LAYER", "SURFACE", "FILE", "CLASS", "ENTITY_NUMBER",
                     "DATA_POSITION", "ATTRIBUTE_COUNT"}));
  const int count = static_cast<int>(board.entities.size());
  for (int pos = 0; pos < count; ++pos) {
    const Entity& e = board.entities[pos];
    if (e.kind != kind || e.file != fileNumber) continue;
    RecordWriter w(96 + 32 * static_cast<qsizetype>(e.attributes.size()));
    w.field(kindText(e.kind));
    w.field(e.name);
    w.number(e.width);
    w.field(shapeText(e.shape));
    w.point(e.x, e.y);
    w.number(e.angle);
    w.field(e.layer);
    w.field(surfaceLetter(e.side));
    w.field(e.file);
    w.field(static_cast<int>(e.kind));
    w.field(e.number);
    w.field(pos);
    w.field(static_cast<int>(e.attributes.size()));
    for (const Attribute& a : e.attributes) {
      w.field(board.keywords.value(a.keyword));
      w.field(a.value);
    }
    set.append(w.take());
  }
  return set;
}

EntityRecordSet componentPinRecords(const Board& board, int fileNumber) {
  EntityRecordSet set;
  set.append(header({"KIND", "REFDES", "PIN", "LOCATION", "SURFACE",
                     "ENTITY_NUMBER", "DATA_POSITION"}));
  const int count = static_cast<int>(board.entities.size());
  for (int pos = 0; pos < count; ++pos) {
    const Entity& e = board.entities[pos];
    if (e.kind != EntityKind::Pin || e.file != fileNumber) continue;
    const bool hasParent =
        e.parent >= 0 && e.parent < count &&
        board.entities[e.parent].kind == EntityKind::Component;
    RecordWriter w(64);
    w.field("PIN");
    w.field(hasParent ? board.entities[e.parent].name : QString());
    w.field(e.name);
    w.point(e.x, e.y);
    w.field(surfaceLetter(e.side));
    w.field(e.number);
    w.field(pos);
    set.append(w.take());
  }
  return set;
}

}  // namespace lw

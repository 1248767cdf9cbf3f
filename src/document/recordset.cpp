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

constexpr std::array<const char*, kEntityFixedFields + 1> kEntityTitles = {
    "KIND",          "NAME",          "SIZE",           "SHAPE", "LOCATION",
    "ANGLE",         "LAYER",         "SURFACE",        "FILE",  "CLASS",
    "ENTITY_NUMBER", "DATA_POSITION", "ATTRIBUTE_COUNT"};
constexpr std::array<const char*, kPinFixedFields> kPinTitles = {
    "KIND",    "REFDES",        "PIN",          "LOCATION",
    "SURFACE", "ENTITY_NUMBER", "DATA_POSITION"};

// Straight into the text: no temporary string per number.
void appendNumber(QString& out, double value) {
  std::array<char, 400> buf;
  out.append(QLatin1StringView(buf.data(), writeNumber(value, buf)));
}

void appendInt(QString& out, int value) {
  std::array<char, 16> buf;
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), value);
  out.append(QLatin1StringView(buf.data(), r.ptr - buf.data()));
}

void appendPoint(QString& out, double x, double y) {
  appendNumber(out, x);
  out.append(u',');
  appendNumber(out, y);
}

void appendEntityField(QString& out, const RecordFields& r, int field) {
  switch (field) {
    case 0:
      out.append(QLatin1StringView(kindText(r.kind)));
      break;
    case 1:
      out.append(r.name);
      break;
    case 2:
      appendNumber(out, r.size);
      break;
    case 3:
      out.append(QLatin1StringView(shapeText(r.shape)));
      break;
    case 4:
      appendPoint(out, r.x, r.y);
      break;
    case 5:
      appendNumber(out, r.angle);
      break;
    case 6:
      appendInt(out, r.layer);
      break;
    case 7:
      out.append(surfaceLetter(r.side));
      break;
    case 8:
      appendInt(out, r.file);
      break;
    case 9:
      appendInt(out, static_cast<int>(r.kind));
      break;
    case 10:
      appendInt(out, r.number);
      break;
    case 11:
      appendInt(out, r.position);
      break;
    default:
      break;
  }
}

void appendPinField(QString& out, const RecordFields& r, int field) {
  switch (field) {
    case 0:
      out.append(QLatin1StringView("PIN"));
      break;
    case 1:
      out.append(r.owner);
      break;
    case 2:
      out.append(r.name);
      break;
    case 3:
      appendPoint(out, r.x, r.y);
      break;
    case 4:
      out.append(surfaceLetter(r.side));
      break;
    case 5:
      appendInt(out, r.number);
      break;
    case 6:
      appendInt(out, r.position);
      break;
    default:
      break;
  }
}

// Record texts: the fields joined by character 5.
QString header(RecordLayout layout) {
  QString text;
  const int count =
      layout == RecordLayout::Entity ? kEntityFixedFields + 1 : kPinFixedFields;
  for (int f = 0; f < count; ++f) {
    if (f > 0) text.append(kFieldSeparator);
    text.append(fieldTitle(layout, f));
  }
  return text;
}

QString recordText(RecordLayout layout, const RecordFields& r,
                   qsizetype reserve) {
  QString text;
  text.reserve(reserve);
  for (int f = 0; f < fixedFieldCount(layout); ++f) {
    if (f > 0) text.append(kFieldSeparator);
    appendField(text, layout, r, f);
  }
  return text;
}

bool hasComponent(const Board& board, const Entity& pin) {
  const int count = static_cast<int>(board.entities.size());
  return pin.parent >= 0 && pin.parent < count &&
         board.entities[size_t(pin.parent)].kind == EntityKind::Component;
}

}  // namespace

QString formatNumber(double value) {
  std::array<char, 400> buf;
  return QString::fromLatin1(buf.data(), writeNumber(value, buf));
}

RecordFields recordFields(const Board& board, int position) {
  const Entity& e = board.entities[size_t(position)];
  RecordFields r;
  r.name = e.name;
  if (e.kind == EntityKind::Pin && hasComponent(board, e))
    r.owner = board.entities[size_t(e.parent)].name;
  r.x = e.x;
  r.y = e.y;
  r.size = e.width;
  r.angle = e.angle;
  r.layer = e.layer;
  r.file = e.file;
  r.number = e.number;
  r.position = position;
  r.kind = e.kind;
  r.shape = e.shape;
  r.side = e.side;
  return r;
}

int fixedFieldCount(RecordLayout layout) noexcept {
  return layout == RecordLayout::Entity ? kEntityFixedFields : kPinFixedFields;
}

QString fieldTitle(RecordLayout layout, int field) {
  if (field < 0) return {};
  if (layout == RecordLayout::Entity)
    return size_t(field) < kEntityTitles.size()
               ? QString::fromLatin1(kEntityTitles[size_t(field)])
               : QString();
  return size_t(field) < kPinTitles.size()
             ? QString::fromLatin1(kPinTitles[size_t(field)])
             : QString();
}

void appendField(QString& out, RecordLayout layout, const RecordFields& record,
                 int field) {
  if (layout == RecordLayout::Entity)
    appendEntityField(out, record, field);
  else
    appendPinField(out, record, field);
}

EntityRecordSet entityRecords(const Board& board, int fileNumber,
                              EntityKind kind) {
  EntityRecordSet set;
  set.append(header(RecordLayout::Entity));
  const int count = static_cast<int>(board.entities.size());
  for (int pos = 0; pos < count; ++pos) {
    const Entity& e = board.entities[size_t(pos)];
    if (e.kind != kind || e.file != fileNumber) continue;
    QString text =
        recordText(RecordLayout::Entity, recordFields(board, pos),
                   96 + 32 * static_cast<qsizetype>(e.attributes.size()));
    text.append(kFieldSeparator);
    appendInt(text, static_cast<int>(e.attributes.size()));
    for (const Attribute& a : e.attributes) {
      text.append(kFieldSeparator);
      text.append(board.keywords.value(a.keyword));
      text.append(kFieldSeparator);
      text.append(a.value);
    }
    set.append(std::move(text));
  }
  return set;
}

EntityRecordSet componentPinRecords(const Board& board, int fileNumber) {
  EntityRecordSet set;
  set.append(header(RecordLayout::ComponentPin));
  const int count = static_cast<int>(board.entities.size());
  for (int pos = 0; pos < count; ++pos) {
    const Entity& e = board.entities[size_t(pos)];
    if (e.kind != EntityKind::Pin || e.file != fileNumber) continue;
    set.append(
        recordText(RecordLayout::ComponentPin, recordFields(board, pos), 64));
  }
  return set;
}

}  // namespace lw

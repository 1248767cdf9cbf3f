#include "board.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace lw {

LayerSide layerSide(int type, const QString& name) {
  switch (type) {
    case 1:
    case 6:
    case 15:
      return LayerSide::Top;
    case 2:
    case 7:
    case 16:
      return LayerSide::Bottom;
    default:
      break;
  }
  if (name == QLatin1String("PROBE_TOP")) return LayerSide::Top;
  if (name == QLatin1String("PROBE_BOT")) return LayerSide::Bottom;
  return LayerSide::Both;
}

bool DisplayRecord::isZero() const noexcept {
  return std::all_of(reals.begin(), reals.end(),
                     [](double v) { return v == 0; }) &&
         std::all_of(ints.begin(), ints.end(),
                     [](std::int16_t v) { return v == 0; });
}

namespace {

// Plain zeros: minus zero is kept, as the reader read it.
bool plainZero(const DisplayRecord& r) noexcept {
  return r.isZero() && std::none_of(r.reals.begin(), r.reals.end(),
                                    [](double v) { return std::signbit(v); });
}

}  // namespace

Display::Display(const Display& other)
    : mRecord(other.mRecord ? std::make_unique<DisplayRecord>(*other.mRecord)
                            : nullptr) {}

Display& Display::operator=(const Display& other) {
  if (this != &other) *this = other.get();
  return *this;
}

Display& Display::operator=(const DisplayRecord& record) {
  if (plainZero(record))
    mRecord.reset();
  else if (mRecord)
    *mRecord = record;
  else
    mRecord = std::make_unique<DisplayRecord>(record);
  return *this;
}

const DisplayRecord& Display::get() const noexcept {
  static const DisplayRecord kNone;
  return mRecord ? *mRecord : kNone;
}

DisplayRecord& Display::edit() {
  if (!mRecord) mRecord = std::make_unique<DisplayRecord>();
  return *mRecord;
}

const Attribute* Entity::attribute(int keyword) const noexcept {
  // The first one wins when an entity carries a keyword twice.
  for (const Attribute& a : attributes)
    if (a.keyword == keyword) return &a;
  return nullptr;
}

Attribute* Entity::attribute(int keyword) noexcept {
  return const_cast<Attribute*>(std::as_const(*this).attribute(keyword));
}

QPointF rotateQuarterTurns(QPointF p, int degrees) noexcept {
  switch (degrees) {
    case 90:
      return {-p.y(), p.x()};
    case 180:
      return {-p.x(), -p.y()};
    case 270:
      return {p.y(), -p.x()};
    default:
      return p;
  }
}

double unitsPerInch(PageUnits units) noexcept {
  switch (units) {
    case PageUnits::Inch:
      return 1;
    case PageUnits::Mil:
      return 1000;
    case PageUnits::Millimetre:
      return 25.4;
    case PageUnits::Tenth:
      return 1012;
    case PageUnits::Micron:
      return 25400;
  }
  return 1;
}

int Board::keywordIndex(const QString& name) const {
  // Slot 0 is the unused empty entry; it must never match.
  for (qsizetype i = 1; i < keywords.size(); ++i)
    if (keywords[i] == name) return int(i);
  return 0;
}

int Board::addKeyword(const QString& name) {
  if (name.isEmpty()) return 0;  // never a keyword: files could not hold it
  if (int index = keywordIndex(name)) return index;
  if (keywords.isEmpty()) keywords.append(QString());
  keywords.append(name);
  return int(keywords.size() - 1);
}

const BoardFile* Board::file(int number) const noexcept {
  for (const BoardFile& f : files)
    if (f.number == number) return &f;
  return nullptr;
}

BoardFile* Board::file(int number) noexcept {
  return const_cast<BoardFile*>(std::as_const(*this).file(number));
}

const Layer* Board::layer(int index) const noexcept {
  for (const Layer& l : layers)
    if (l.index == index) return &l;
  return nullptr;
}

}  // namespace lw

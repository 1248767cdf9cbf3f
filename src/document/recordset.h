#pragma once

// Record sets: how the document hands its test entities to the program.
//
// Element 0 is a header of field names, each further element one record.
// Fields are separated by character 5. Entity records have twelve fixed
// fields, an unused field 12, then attribute name/value pairs from field 13:
//
//   0 KIND  1 NAME  2 SIZE  3 SHAPE  4 LOCATION ("X,Y")  5 ANGLE  6 LAYER
//   7 SURFACE (T, B or A for both)  8 FILE  9 CLASS  10 ENTITY_NUMBER
//   11 DATA_POSITION  12 ATTRIBUTE_COUNT
//
// Component pin records have seven fields:
//
//   0 KIND  1 REFDES  2 PIN  3 LOCATION  4 SURFACE  5 ENTITY_NUMBER
//   6 DATA_POSITION
//
// Numbers are written with "." and "-", never in the user's locale.

#include "board.h"

#include <QChar>
#include <QString>
#include <QStringList>

namespace lw {

using EntityRecordSet = QStringList;

inline constexpr QChar kFieldSeparator{0x05};
inline constexpr int kEntityFixedFields = 12;
inline constexpr int kPinFixedFields = 7;
inline constexpr int kFirstAttributeField = 13;

// Entity kinds of "query entity records".
enum class RecordKind : int {
  Vias = 1,
  Probes = 15,
  AccessPoints = 22,
};

struct RecordQuery {
  int status = 0;
  EntityRecordSet records;  // at least the header when status >= 0
};

// The fixed fields of one record as values: tables keep these instead of the
// record's text, and write a field's text only when it is asked for. In
// component pin records name is the pin number and owner the component's
// name (empty when the pin has no component).
struct RecordFields {
  QString name;
  QString owner;
  double x = 0;
  double y = 0;
  double size = 0;
  double angle = 0;
  int layer = 0;
  int file = 0;
  int number = 0;
  int position = 0;  // data position
  EntityKind kind = EntityKind::Via;
  Shape shape = Shape::Round;
  Side side = Side::Top;
};

enum class RecordLayout { Entity, ComponentPin };

// The fields of the entity at position (a valid data position).
RecordFields recordFields(const Board& board, int position);
// Fixed fields of a layout: 12 for entities (0 to 11), 7 for pins.
int fixedFieldCount(RecordLayout layout) noexcept;
// The header's name of a fixed field ("NAME", "REFDES", ...).
QString fieldTitle(RecordLayout layout, int field);
// Appends the text of fixed field `field`, exactly as the record set holds
// it; nothing for a field past the layout's last.
void appendField(QString& out, RecordLayout layout, const RecordFields& record,
                 int field);

// Builds the record set of every entity of kind in file (data order).
EntityRecordSet entityRecords(const Board& board, int fileNumber,
                              EntityKind kind);
// Builds the record set of every component pin in file (data order).
EntityRecordSet componentPinRecords(const Board& board, int fileNumber);

// Numbers as record sets and documents write them: shortest text that reads
// back to the same double, "." and "-", independent of the locale.
QString formatNumber(double value);

}  // namespace lw

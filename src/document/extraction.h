#pragma once

// Extraction: the document's test entities, read through the record-set
// queries into five tables and linked probe -> access point -> feature.
//
// The four record tables are addressed (column, row): row 0 holds titles,
// row r record r. Fixed columns are fields of the record, kept as values and
// written as the record set writes them only when a cell is read (a board
// with half a million pins reads three of their seven fields); the columns
// after them are filled by the steps below, from the entities' attributes
// themselves, so no name or value can shift a field. probeAttributes is
// addressed (row, column) and grows by columns as attribute names appear.

#include "boarddocument.h"

#include <QHash>
#include <QString>
#include <QStringView>

#include <functional>

#include <optional>
#include <vector>

namespace lw {

class RecordTable {
 public:
  // Takes the records of rows 1, 2, ...; columns 0..fixedFieldCount(layout)
  // - 1 are their fields, titled in row 0.
  void assign(RecordLayout layout, std::vector<RecordFields> records);

  int rowCount() const noexcept { return mRowCount; }
  int lastRow() const noexcept { return rowCount() - 1; }
  // Cell text; empty for cells nothing has filled.
  QString cell(int column, int row) const;
  // Fills a column after the fixed ones (titles in row 0).
  void setCell(int column, int row, QString value);
  // The fields of row (1 to lastRow()).
  const RecordFields& record(int row) const {
    return mRecords[size_t(row - 1)];
  }

 private:
  RecordLayout mLayout = RecordLayout::Entity;
  std::vector<RecordFields> mRecords;  // rows 1..
  int mRowCount = 0;                   // with the titles' row, once assigned
  int mFixed = 0;
  std::vector<std::vector<QString>> mExtra;  // [column - mFixed][row]
};

// (row, column) table of the probes' attributes; column 0 is "RefDes".
class AttributeTable {
 public:
  void reset(int rows);
  int rowCount() const noexcept { return mRows; }
  int columnCount() const noexcept { return static_cast<int>(mColumns.size()); }
  const QString& cell(int row, int column) const;
  void setCell(int row, int column, QString value);
  // Column titled name, or -1. Titles are looked up through a hash.
  int column(const QString& name) const { return mIndex.value(name, -1); }
  int addColumn(const QString& title);

 private:
  int mRows = 0;
  std::vector<std::vector<QString>> mColumns;
  QHash<QString, int> mIndex;  // first column of each title
};

struct ExtractionTables {
  RecordTable probeData;
  AttributeTable probeAttributes;
  RecordTable accessData;
  RecordTable pinData;
  RecordTable viaData;
};

// Column positions the program relies on.
namespace probe_col {
inline constexpr int kName = 1, kSize = 2, kLocation = 4, kSurface = 7,
                     kDataPosition = 11, kNetName = 12, kDatalink = 13,
                     kTesterResource = 14, kAccessIndex = 15;
}
namespace access_col {
inline constexpr int kEntityNumber = 10, kNetName = 12, kDatalink = 13,
                     kFeatureType = 14, kFeatureIndex = 15, kFeatureRefDes = 16,
                     kFeaturePin = 17;
}

// The six steps. The four extraction steps return true when they failed
// (query status negative or no records) and then leave their table as it
// was.
bool extractProbes(const BoardDocument& doc, int pcbFileNumber,
                   ExtractionTables& tables);
bool extractAccessPoints(const BoardDocument& doc, int pcbFileNumber,
                         ExtractionTables& tables);
bool extractComponentPins(const BoardDocument& doc, int pcbFileNumber,
                          ExtractionTables& tables);
bool extractVias(const BoardDocument& doc, int pcbFileNumber,
                 ExtractionTables& tables);
// First-match links through hash indexes: linear in the table sizes. A
// datalink names an entity when it is that entity number's text exactly.
// Pins are linked only when pinDataLoaded: a failed pin query must not leave
// access points linked to the pins of a previously loaded board.
void resolveAccessFeatures(ExtractionTables& tables, bool pinDataLoaded,
                           bool viaDataLoaded);
void resolveProbeAccess(ExtractionTables& tables);

struct LinkedFeatures {
  bool pins = false;  // the pin query succeeded and access points name pins
  bool vias = false;
};
// The steps after probes and access points, as a load runs them: links
// access points to pins, then the rest to vias, straight from the entities,
// and probes to access points. The pin and via tables, most of the records
// and read by nothing after, are never built (and left empty). step(n)
// reports each of the four steps done (n = 1..4).
LinkedFeatures linkAccessFeatures(const BoardDocument& doc, int pcbFileNumber,
                                  ExtractionTables& tables,
                                  const std::function<void(int)>& step = {});

// The entity number a datalink names: its text must be the number's decimal
// text exactly ("7", "-3"; not "07", "+7", " 7" or "-0"). Nothing otherwise.
std::optional<int> linkedNumber(QStringView datalink);

}  // namespace lw

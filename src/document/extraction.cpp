#include "extraction.h"

namespace lw {

// ---- RecordTable -----------------------------------------------------------

void RecordTable::assign(EntityRecordSet records, int fixedColumns) {
  mRecords = std::move(records);
  mFixed = fixedColumns;
  mExtra.clear();
  mRowStart.clear();
  mOffsets.clear();
  mRowStart.reserve(mRecords.size() + 1);
  for (const QString& record : std::as_const(mRecords)) {
    mRowStart.push_back(static_cast<int>(mOffsets.size()));
    mOffsets.push_back(0);
    const QChar* data = record.constData();
    const int length = static_cast<int>(record.size());
    for (int i = 0; i < length; ++i)
      if (data[i] == kFieldSeparator) mOffsets.push_back(i + 1);
    mOffsets.push_back(length + 1);  // sentinel: end of the last field + 1
  }
  mRowStart.push_back(static_cast<int>(mOffsets.size()));
}

int RecordTable::fieldCount(int row) const {
  return mRowStart[row + 1] - mRowStart[row] - 1;
}

QStringView RecordTable::field(int row, int index) const {
  const int* o = mOffsets.data() + mRowStart[row] + index;
  return QStringView(mRecords[row]).mid(o[0], o[1] - o[0] - 1);
}

QStringView RecordTable::cell(int column, int row) const {
  if (row < 0 || row >= rowCount() || column < 0) return {};
  if (column < mFixed)
    return column < fieldCount(row) ? field(row, column) : QStringView();
  const size_t extra = static_cast<size_t>(column - mFixed);
  if (extra >= mExtra.size() ||
      static_cast<size_t>(row) >= mExtra[extra].size())
    return {};
  return mExtra[extra][row];
}

void RecordTable::setCell(int column, int row, QString value) {
  if (column < mFixed || row < 0 || row >= rowCount()) return;
  const size_t extra = static_cast<size_t>(column - mFixed);
  if (extra >= mExtra.size()) mExtra.resize(extra + 1);
  if (mExtra[extra].empty()) mExtra[extra].resize(rowCount());
  mExtra[extra][row] = std::move(value);
}

std::optional<QStringView> RecordTable::attribute(int row,
                                                  QStringView name) const {
  if (row < 0 || row >= rowCount()) return std::nullopt;
  const int count = fieldCount(row);
  for (int p = kFirstAttributeField; p < count; p += 2) {
    if (field(row, p) == name)
      return p + 1 < count ? field(row, p + 1) : QStringView();
  }
  return std::nullopt;
}

// ---- AttributeTable --------------------------------------------------------

void AttributeTable::reset(int rows) {
  mRows = rows;
  mColumns.assign(1, std::vector<QString>(rows));
  mIndex.clear();
  if (rows > 0) mColumns[0][0] = QStringLiteral("RefDes");
}

const QString& AttributeTable::cell(int row, int column) const {
  static const QString empty;
  if (row < 0 || row >= mRows || column < 0 || column >= columnCount())
    return empty;
  return mColumns[column][row];
}

void AttributeTable::setCell(int row, int column, QString value) {
  if (row < 0 || row >= mRows || column < 0 || column >= columnCount()) return;
  mColumns[column][row] = std::move(value);
}

int AttributeTable::addColumn(const QString& title) {
  const int c = columnCount();
  mColumns.emplace_back(mRows);
  if (mRows > 0) mColumns.back()[0] = title;
  mIndex.insert(title, c);  // column 0 ("RefDes") is never looked up
  return c;
}

// ---- the steps -------------------------------------------------------------

namespace {

const QString kNoNet = QStringLiteral("N/C");
const QString kNoLink = QStringLiteral("NONE");
const QString kNoResource = QStringLiteral("Not Assigned");
const QString kNoValue = QStringLiteral("$$NO_VALUE$$");

struct ExtraColumn {
  int column;
  const char* title;
  const char* attribute;
  const QString& fallback;
  bool emptyIsFallback;
};

// Record table procedure: fixed fields 0..11 plus attribute columns.
void fillRecordTable(RecordTable& table, EntityRecordSet records,
                     std::initializer_list<ExtraColumn> extras) {
  table.assign(std::move(records), kEntityFixedFields);
  for (const ExtraColumn& x : extras) {
    const QString name = QString::fromLatin1(x.attribute);
    table.setCell(x.column, 0, QString::fromLatin1(x.title));
    for (int r = 1; r <= table.lastRow(); ++r) {
      const auto value = table.attribute(r, name);
      if (!value || (x.emptyIsFallback && value->isEmpty()))
        table.setCell(x.column, r, x.fallback);
      else
        table.setCell(x.column, r, value->toString());
    }
  }
}

bool queryFailed(const RecordQuery& q) {
  return q.status < 0 || q.records.size() < 2;
}

void fillProbeAttributes(AttributeTable& attributes, const RecordTable& data) {
  attributes.reset(data.rowCount());
  for (int r = 1; r <= data.lastRow(); ++r) {
    attributes.setCell(r, 0, data.field(r, probe_col::kName).toString());
    const int count = data.fieldCount(r);
    for (int p = kFirstAttributeField; p < count; p += 2) {
      const QString title = data.field(r, p).toString();
      int c = attributes.column(title);
      if (c < 0) c = attributes.addColumn(title);
      const QStringView value =
          p + 1 < count ? data.field(r, p + 1) : QStringView();
      attributes.setCell(r, c, value.isEmpty() ? kNoValue : value.toString());
    }
  }
  const int netColumn = attributes.column(QStringLiteral("NETNAME"));
  if (netColumn > 0)
    for (int r = 1; r < attributes.rowCount(); ++r)
      if (attributes.cell(r, netColumn).isEmpty())
        attributes.setCell(r, netColumn, kNoNet);
}

}  // namespace

bool extractProbes(const BoardDocument& doc, int pcbFileNumber,
                   ExtractionTables& tables) {
  RecordQuery q = doc.queryEntityRecords(pcbFileNumber, RecordKind::Probes);
  if (queryFailed(q)) return true;

  fillRecordTable(
      tables.probeData, std::move(q.records),
      {{probe_col::kNetName, "Net Name", "NETNAME", kNoNet, true},
       {probe_col::kDatalink, "Access Datalink", "DATALINK", kNoLink, false},
       {probe_col::kTesterResource, "Tester Reasource Number",
        "TESTER_REASOURCE", kNoResource, false}});
  fillProbeAttributes(tables.probeAttributes, tables.probeData);
  return false;
}

bool extractAccessPoints(const BoardDocument& doc, int pcbFileNumber,
                         ExtractionTables& tables) {
  RecordQuery q =
      doc.queryEntityRecords(pcbFileNumber, RecordKind::AccessPoints);
  if (queryFailed(q)) return true;
  fillRecordTable(tables.accessData, std::move(q.records),
                  {{access_col::kNetName, "Net Name", "NETNAME", kNoNet, false},
                   {access_col::kDatalink, "Feature Datalink", "DATALINK",
                    kNoLink, false}});
  return false;
}

bool extractComponentPins(const BoardDocument& doc, int pcbFileNumber,
                          ExtractionTables& tables) {
  RecordQuery q = doc.queryComponentPinRecords(pcbFileNumber);
  if (q.records.size() < 2) return true;
  tables.pinData.assign(std::move(q.records), kPinFixedFields);
  return false;
}

bool extractVias(const BoardDocument& doc, int pcbFileNumber,
                 ExtractionTables& tables) {
  RecordQuery q = doc.queryEntityRecords(pcbFileNumber, RecordKind::Vias);
  if (queryFailed(q)) return true;
  fillRecordTable(tables.viaData, std::move(q.records),
                  {{12, "Net Name", "NETNAME", kNoNet, false},
                   {13, "Test Access", "TEST_ACCESS", kNoLink, false}});
  return false;
}

namespace {

// Row of the first record whose column holds each value.
QHash<QStringView, int> firstRowIndex(const RecordTable& table, int column) {
  QHash<QStringView, int> index;
  index.reserve(table.rowCount());
  // Walk backwards so that the first row holding a value wins.
  for (int r = table.lastRow(); r >= 1; --r)
    index.insert(table.cell(column, r), r);
  return index;
}

}  // namespace

void resolveAccessFeatures(ExtractionTables& tables, bool pinDataLoaded,
                           bool viaDataLoaded) {
  RecordTable& access = tables.accessData;
  access.setCell(access_col::kFeatureType, 0, QStringLiteral("Feature Type"));
  access.setCell(access_col::kFeatureIndex, 0,
                 QStringLiteral("Feature Index Number"));
  access.setCell(access_col::kFeatureRefDes, 0,
                 QStringLiteral("Feature RefDes"));
  access.setCell(access_col::kFeaturePin, 0,
                 QStringLiteral("Feature Pin Number"));

  const QHash<QStringView, int> pins = pinDataLoaded
                                           ? firstRowIndex(tables.pinData, 5)
                                           : QHash<QStringView, int>();
  for (int a = 1; a <= access.lastRow() && !pins.isEmpty(); ++a) {
    const int k = pins.value(access.cell(access_col::kDatalink, a), 0);
    if (k <= 0) continue;
    access.setCell(access_col::kFeatureType, a, QStringLiteral("Comp Pin"));
    access.setCell(access_col::kFeatureIndex, a, QString::number(k));
    access.setCell(access_col::kFeatureRefDes, a,
                   tables.pinData.cell(1, k).toString());
    access.setCell(access_col::kFeaturePin, a,
                   tables.pinData.cell(2, k).toString());
  }
  if (!viaDataLoaded) return;

  const QHash<QStringView, int> vias = firstRowIndex(tables.viaData, 10);
  for (int a = 1; a <= access.lastRow(); ++a) {
    if (!access.cell(access_col::kFeatureType, a).isEmpty()) continue;
    const int k = vias.value(access.cell(access_col::kDatalink, a), 0);
    if (k <= 0) continue;
    access.setCell(access_col::kFeatureType, a, QStringLiteral("Via"));
    access.setCell(access_col::kFeatureIndex, a, QString::number(k));
  }
}

void resolveProbeAccess(ExtractionTables& tables) {
  RecordTable& probes = tables.probeData;
  probes.setCell(probe_col::kAccessIndex, 0,
                 QStringLiteral("Access Index Number"));
  const QHash<QStringView, int> access =
      firstRowIndex(tables.accessData, access_col::kEntityNumber);
  for (int p = 1; p <= probes.lastRow(); ++p) {
    const int a = access.value(probes.cell(probe_col::kDatalink, p), 0);
    if (a > 0) probes.setCell(probe_col::kAccessIndex, p, QString::number(a));
  }
}

}  // namespace lw

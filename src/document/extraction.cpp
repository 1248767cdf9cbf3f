#include "extraction.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace lw {

// ---- RecordTable -----------------------------------------------------------

void RecordTable::assign(RecordLayout layout,
                         std::vector<RecordFields> records) {
  mLayout = layout;
  mRecords = std::move(records);
  mRowCount = static_cast<int>(mRecords.size()) + 1;
  mFixed = fixedFieldCount(layout);
  mExtra.clear();
}

QString RecordTable::cell(int column, int row) const {
  if (row < 0 || row >= rowCount() || column < 0) return {};
  if (column < mFixed) {
    if (row == 0) return fieldTitle(mLayout, column);
    const RecordFields& r = record(row);
    // The texts the program reads most are shared, not written again.
    if (column == 1) return mLayout == RecordLayout::Entity ? r.name : r.owner;
    if (column == 2 && mLayout == RecordLayout::ComponentPin) return r.name;
    QString text;
    appendField(text, mLayout, r, column);
    return text;
  }
  const size_t extra = static_cast<size_t>(column - mFixed);
  if (extra >= mExtra.size() ||
      static_cast<size_t>(row) >= mExtra[extra].size())
    return {};
  return mExtra[extra][size_t(row)];
}

void RecordTable::setCell(int column, int row, QString value) {
  if (column < mFixed || row < 0 || row >= rowCount()) return;
  const size_t extra = static_cast<size_t>(column - mFixed);
  if (extra >= mExtra.size()) mExtra.resize(extra + 1);
  if (mExtra[extra].empty()) mExtra[extra].resize(size_t(rowCount()));
  mExtra[extra][size_t(row)] = std::move(value);
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

// Data positions of the entities of kind in file, in data order; nothing
// when the file does not exist or holds none of them (the step failed).
std::vector<int> positionsOf(const Board& board, int fileNumber,
                             EntityKind kind) {
  std::vector<int> positions;
  if (!board.file(fileNumber)) return positions;
  const int count = static_cast<int>(board.entities.size());
  for (int pos = 0; pos < count; ++pos) {
    const Entity& e = board.entities[size_t(pos)];
    if (e.kind == kind && e.file == fileNumber) positions.push_back(pos);
  }
  return positions;
}

void fillRecords(RecordTable& table, RecordLayout layout, const Board& board,
                 const std::vector<int>& positions) {
  std::vector<RecordFields> records;
  records.reserve(positions.size());
  for (int pos : positions) records.push_back(recordFields(board, pos));
  table.assign(layout, std::move(records));
}

// Record table procedure: fixed fields 0..11 plus attribute columns. The
// first attribute of a name gives the value; values are shared with the
// document, not copied.
void fillRecordTable(RecordTable& table, const Board& board,
                     const std::vector<int>& positions,
                     std::initializer_list<ExtraColumn> extras) {
  fillRecords(table, RecordLayout::Entity, board, positions);
  for (const ExtraColumn& x : extras) {
    const int keyword = board.keywordIndex(QString::fromLatin1(x.attribute));
    table.setCell(x.column, 0, QString::fromLatin1(x.title));
    for (int r = 1; r <= table.lastRow(); ++r) {
      const Entity& e = board.entities[size_t(positions[size_t(r - 1)])];
      const Attribute* a = keyword > 0 ? e.attribute(keyword) : nullptr;
      if (!a || (x.emptyIsFallback && a->value.isEmpty()))
        table.setCell(x.column, r, x.fallback);
      else
        table.setCell(x.column, r, a->value);
    }
  }
}

// The attribute table's column for each keyword, made when first used.
class AttributeColumns {
 public:
  AttributeColumns(AttributeTable& table, const QStringList& keywords)
      : mTable(table),
        mKeywords(keywords),
        mColumns(size_t(keywords.size()), -1) {}

  int operator()(int keyword) {
    const bool known = keyword >= 0 && keyword < mKeywords.size();
    if (known && mColumns[size_t(keyword)] >= 0)
      return mColumns[size_t(keyword)];
    const QString title = mKeywords.value(keyword);
    int c = mTable.column(title);
    if (c < 0) c = mTable.addColumn(title);
    if (known) mColumns[size_t(keyword)] = c;
    return c;
  }

 private:
  AttributeTable& mTable;
  const QStringList& mKeywords;
  std::vector<int> mColumns;
};

// Every attribute of every probe; a repeated name: the last value.
void fillProbeAttributes(AttributeTable& attributes, const Board& board,
                         const std::vector<int>& positions) {
  attributes.reset(static_cast<int>(positions.size()) + 1);
  AttributeColumns columnOf(attributes, board.keywords);
  for (int r = 1; r < attributes.rowCount(); ++r) {
    const Entity& e = board.entities[size_t(positions[size_t(r - 1)])];
    attributes.setCell(r, 0, e.name);
    for (const Attribute& a : e.attributes)
      attributes.setCell(r, columnOf(a.keyword),
                         a.value.isEmpty() ? kNoValue : a.value);
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
  const Board& board = doc.board();
  const std::vector<int> probes =
      positionsOf(board, pcbFileNumber, EntityKind::Probe);
  if (probes.empty()) return true;

  fillRecordTable(
      tables.probeData, board, probes,
      {{probe_col::kNetName, "Net Name", "NETNAME", kNoNet, true},
       {probe_col::kDatalink, "Access Datalink", "DATALINK", kNoLink, false},
       {probe_col::kTesterResource, "Tester Reasource Number",
        "TESTER_REASOURCE", kNoResource, false}});
  fillProbeAttributes(tables.probeAttributes, board, probes);
  return false;
}

bool extractAccessPoints(const BoardDocument& doc, int pcbFileNumber,
                         ExtractionTables& tables) {
  const Board& board = doc.board();
  const std::vector<int> access =
      positionsOf(board, pcbFileNumber, EntityKind::AccessPoint);
  if (access.empty()) return true;
  fillRecordTable(tables.accessData, board, access,
                  {{access_col::kNetName, "Net Name", "NETNAME", kNoNet, false},
                   {access_col::kDatalink, "Feature Datalink", "DATALINK",
                    kNoLink, false}});
  return false;
}

bool extractComponentPins(const BoardDocument& doc, int pcbFileNumber,
                          ExtractionTables& tables) {
  const Board& board = doc.board();
  const std::vector<int> pins =
      positionsOf(board, pcbFileNumber, EntityKind::Pin);
  if (pins.empty()) return true;
  fillRecords(tables.pinData, RecordLayout::ComponentPin, board, pins);
  return false;
}

bool extractVias(const BoardDocument& doc, int pcbFileNumber,
                 ExtractionTables& tables) {
  const Board& board = doc.board();
  const std::vector<int> vias =
      positionsOf(board, pcbFileNumber, EntityKind::Via);
  if (vias.empty()) return true;
  fillRecordTable(tables.viaData, board, vias,
                  {{12, "Net Name", "NETNAME", kNoNet, false},
                   {13, "Test Access", "TEST_ACCESS", kNoLink, false}});
  return false;
}

std::optional<int> linkedNumber(QStringView datalink) {
  bool ok = false;
  const int n = datalink.toInt(&ok);
  if (!ok) return std::nullopt;
  std::array<char, 16> buf;
  const auto end = std::to_chars(buf.data(), buf.data() + buf.size(), n).ptr;
  if (datalink != QLatin1StringView(buf.data(), end - buf.data()))
    return std::nullopt;
  return n;
}

namespace {

// Row of the first record with each entity number.
QHash<int, int> firstRowIndex(const RecordTable& table) {
  QHash<int, int> index;
  index.reserve(table.rowCount());
  // Walk backwards so that the first row holding a number wins.
  for (int r = table.lastRow(); r >= 1; --r)
    index.insert(table.record(r).number, r);
  return index;
}

// The row of the record the datalink names, or 0.
int linkedRow(const QHash<int, int>& index, const QString& datalink) {
  const std::optional<int> number = linkedNumber(datalink);
  return number ? index.value(*number, 0) : 0;
}

// Links access points to the first of count features, in their order,
// whose entity number the access point's datalink names: link(a, k) for
// access row a and feature k (1..count). Only access points without a
// feature yet when onlyUnlinked. The features are walked once against the
// access points' numbers, so no index of them (half a million pins) is
// built.
template <class NumberOf, class Link>
void linkFirstFeatures(const RecordTable& access, bool onlyUnlinked, int count,
                       NumberOf numberOf, Link link) {
  std::vector<std::pair<int, int>> wanted;  // (number, access row)
  for (int a = 1; a <= access.lastRow(); ++a) {
    if (onlyUnlinked && !access.cell(access_col::kFeatureType, a).isEmpty())
      continue;
    if (const auto n = linkedNumber(access.cell(access_col::kDatalink, a)))
      wanted.emplace_back(*n, a);
  }
  std::sort(wanted.begin(), wanted.end());
  std::vector<bool> linked(wanted.size());
  const auto byNumber = [](const std::pair<int, int>& w, int n) {
    return w.first < n;
  };
  for (int k = 1; k <= count && !wanted.empty(); ++k) {
    const int number = numberOf(k);
    auto it = std::lower_bound(wanted.begin(), wanted.end(), number, byNumber);
    for (; it != wanted.end() && it->first == number; ++it) {
      const auto i = std::size_t(it - wanted.begin());
      if (linked[i]) continue;
      linked[i] = true;
      link(it->second, k);
    }
  }
}

void setFeatureTitles(RecordTable& access) {
  access.setCell(access_col::kFeatureType, 0, QStringLiteral("Feature Type"));
  access.setCell(access_col::kFeatureIndex, 0,
                 QStringLiteral("Feature Index Number"));
  access.setCell(access_col::kFeatureRefDes, 0,
                 QStringLiteral("Feature RefDes"));
  access.setCell(access_col::kFeaturePin, 0,
                 QStringLiteral("Feature Pin Number"));
}

// Pins link first, whatever the access point held; vias then link the
// access points no pin took.
void linkPins(RecordTable& access, int count,
              const std::function<int(int)>& numberOf,
              const std::function<RecordFields(int)>& pinOf) {
  const QString type = QStringLiteral("Comp Pin");
  linkFirstFeatures(access, false, count, numberOf, [&](int a, int k) {
    const RecordFields pin = pinOf(k);
    access.setCell(access_col::kFeatureType, a, type);
    access.setCell(access_col::kFeatureIndex, a, QString::number(k));
    access.setCell(access_col::kFeatureRefDes, a, pin.owner);
    access.setCell(access_col::kFeaturePin, a, pin.name);
  });
}

void linkVias(RecordTable& access, int count,
              const std::function<int(int)>& numberOf) {
  const QString type = QStringLiteral("Via");
  linkFirstFeatures(access, true, count, numberOf, [&](int a, int k) {
    access.setCell(access_col::kFeatureType, a, type);
    access.setCell(access_col::kFeatureIndex, a, QString::number(k));
  });
}

}  // namespace

void resolveAccessFeatures(ExtractionTables& tables, bool pinDataLoaded,
                           bool viaDataLoaded) {
  RecordTable& access = tables.accessData;
  setFeatureTitles(access);
  const auto numberIn = [](const RecordTable& t) {
    return [&t](int k) { return t.record(k).number; };
  };
  if (pinDataLoaded)
    linkPins(access, tables.pinData.lastRow(), numberIn(tables.pinData),
             [&](int k) { return tables.pinData.record(k); });
  if (viaDataLoaded)
    linkVias(access, tables.viaData.lastRow(), numberIn(tables.viaData));
}

void resolveProbeAccess(ExtractionTables& tables) {
  RecordTable& probes = tables.probeData;
  probes.setCell(probe_col::kAccessIndex, 0,
                 QStringLiteral("Access Index Number"));
  const QHash<int, int> access = firstRowIndex(tables.accessData);
  for (int p = 1; p <= probes.lastRow(); ++p) {
    const int a = linkedRow(access, probes.cell(probe_col::kDatalink, p));
    if (a > 0) probes.setCell(probe_col::kAccessIndex, p, QString::number(a));
  }
}

LinkedFeatures linkAccessFeatures(const BoardDocument& doc, int pcbFileNumber,
                                  ExtractionTables& tables,
                                  const std::function<void(int)>& step) {
  const auto done = [&](int n) {
    if (step) step(n);
  };
  // Straight from the entities: the pins' and vias' records (700,000 on a
  // large board) are made only for the pins an access point names. Pin k is
  // row k of the pin query, via k row k of the via query.
  const Board& board = doc.board();
  RecordTable& access = tables.accessData;
  setFeatureTitles(access);
  LinkedFeatures linked;
  const auto numberAt = [&](const std::vector<int>& positions) {
    return [&board, &positions](int k) {
      return board.entities[size_t(positions[size_t(k - 1)])].number;
    };
  };
  {
    const std::vector<int> pins =
        positionsOf(board, pcbFileNumber, EntityKind::Pin);
    linked.pins = !pins.empty();
    done(1);
    linkPins(access, int(pins.size()), numberAt(pins),
             [&](int k) { return recordFields(board, pins[size_t(k - 1)]); });
  }
  const std::vector<int> vias =
      positionsOf(board, pcbFileNumber, EntityKind::Via);
  linked.vias = !vias.empty();
  done(2);
  linkVias(access, int(vias.size()), numberAt(vias));
  tables.pinData = {};
  tables.viaData = {};
  done(3);
  resolveProbeAccess(tables);
  done(4);
  return linked;
}

}  // namespace lw

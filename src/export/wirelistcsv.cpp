#include "wirelistcsv.h"

#include "savefile.h"

namespace lw {

namespace {

constexpr int kRowsPerReport = 4096;

void appendField(QString& out, const QString& field) {
  const bool quote = field.contains(u',') || field.contains(u'"') ||
                     field.contains(u'\r') || field.contains(u'\n');
  if (!quote) {
    out += field;
    return;
  }
  out += u'"';
  for (QChar c : field) {
    if (c == u'"') out += u'"';
    out += c;
  }
  out += u'"';
}

template <class Cell>
void appendRecord(QString& out, int columns, Cell cell) {
  for (int c = 0; c < columns; ++c) {
    if (c > 0) out += u',';
    appendField(out, cell(c));
  }
  out += QLatin1StringView("\r\n");
}

}  // namespace

std::optional<QByteArray> wireListCsv(const WireList& list,
                                      const ExportProgress& progress) {
  const int columns = list.columnCount();
  const int rows = list.rowCount();
  QString text;
  appendRecord(text, columns, [&](int c) { return list.title(c); });
  for (int r = 0; r < rows; ++r) {
    if (progress && r % kRowsPerReport == 0 && !progress(r, rows))
      return std::nullopt;
    appendRecord(text, columns, [&](int c) { return list.fileText(r, c); });
  }
  if (progress && !progress(rows, rows)) return std::nullopt;
  return text.toUtf8();
}

bool exportWireListCsv(const WireList& list, const QString& path,
                       const ExportProgress& progress) {
  const std::optional<QByteArray> csv = wireListCsv(list, progress);
  if (!csv) return false;
  writeFileAtomically(path, *csv);
  return true;
}

}  // namespace lw

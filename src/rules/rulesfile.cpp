#include "rulesfile.h"

#include "error.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace lw {

namespace {

constexpr QLatin1StringView kHeader("Loomwright Rules File");
constexpr QLatin1StringView kColumnMarker(".ColumnGrid ");
constexpr QLatin1StringView kSortMarker(".SortOrder ");
constexpr QLatin1StringView kLineEnd("\r\n");

// Only blanks: a tab-indented line stays unrecognised.
QStringView trimBlanks(QStringView line) {
  qsizetype first = 0, last = line.size();
  while (first < last && line[first] == u' ') ++first;
  while (last > first && line[last - 1] == u' ') --last;
  return line.sliced(first, last - first);
}

bool startsWithMarker(QStringView line, QLatin1StringView marker) {
  return line.size() >= marker.size() &&
         line.first(marker.size()).compare(marker, Qt::CaseInsensitive) == 0;
}

void readLine(QStringView line, Rules& rules) {
  line = trimBlanks(line);
  if (line.size() < 11) return;
  if (startsWithMarker(line, QLatin1StringView(".columngrid"))) {
    if (line.size() < 17) return;  // no name: matches nothing
    rules.columns.push_back({line.sliced(12, 1).toString(),
                             line.sliced(14, 1).toString(),
                             line.sliced(16).toString()});
  } else if (startsWithMarker(line, QLatin1StringView(".sortorder"))) {
    const QStringView entry = line.sliced(11);
    if (!entry.isEmpty()) rules.sortOrder.append(entry.toString());
  }
}

bool representable(const QString& name) {
  for (QChar c : name)
    if (c.unicode() > 0xFF || c == u'\r' || c == u'\n') return false;
  return !name.endsWith(u' ');
}

// A flag is one character wide; anything else would shift the name.
QChar flagCharacter(const QString& flag) {
  return flag.isEmpty() ? QChar(u'0') : flag.front();
}

}  // namespace

QString RulesFileLocations::readable() const {
  if (!user.isEmpty() && QFileInfo(user).isFile()) return user;
  if (!shipped.isEmpty() && QFileInfo(shipped).isFile()) return shipped;
  return {};
}

bool RulesFileLocations::available() const {
  const QString path = readable();
  if (path.isEmpty()) return false;
  QFile file(path);
  return file.open(QIODevice::ReadOnly);
}

Rules parseRules(QByteArrayView data) {
  // Latin-1 maps every byte, so nothing read can fail to decode.
  const QString text = QString::fromLatin1(data);
  Rules rules;
  qsizetype start = 0;
  while (start <= text.size()) {
    // CR LF as written, but a bare LF or CR ends a line too.
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    readLine(QStringView(text).sliced(start, end - start), rules);
    if (end < text.size() && text[end] == u'\r' && end + 1 < text.size() &&
        text[end + 1] == u'\n')
      ++end;
    start = end + 1;
  }
  return rules;
}

QByteArray serializeRules(const Rules& rules, QDate date,
                          QStringList* leftOut) {
  QString text;
  text += kHeader + kLineEnd;
  text += QLocale::c().toString(date, QLocale::ShortFormat) + kLineEnd;
  text += kLineEnd;
  QStringList skipped;
  for (const ColumnRule& c : rules.columns) {
    if (!representable(c.name)) {
      skipped.append(c.name);
      continue;
    }
    text += kColumnMarker + flagCharacter(c.visible) + u' ' +
            flagCharacter(c.sortKey) + u' ' + c.name + kLineEnd;
  }
  text += kLineEnd;
  for (const QString& entry : rules.sortOrder) {
    if (!representable(entry)) {
      if (!skipped.contains(entry)) skipped.append(entry);
      continue;
    }
    text += kSortMarker + entry + kLineEnd;
  }
  if (leftOut) *leftOut = skipped;
  return text.toLatin1();
}

Rules readRulesFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw Error(QStringLiteral("Cannot read the rules file \"%1\": %2.")
                    .arg(QDir::toNativeSeparators(path), file.errorString()));
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError)
    throw Error(QStringLiteral("Cannot read the rules file \"%1\": %2.")
                    .arg(QDir::toNativeSeparators(path), file.errorString()));
  return parseRules(data);
}

QStringList writeRulesFile(const QString& path, const Rules& rules,
                           QDate date) {
  if (path.isEmpty())
    throw Error(
        QStringLiteral("Cannot save the rules file: there is no "
                       "folder for your settings."));
  const QString folder = QFileInfo(path).absolutePath();
  if (!QDir().mkpath(folder))
    throw Error(QStringLiteral("Cannot save \"%1\": the folder \"%2\" cannot "
                               "be created.")
                    .arg(QDir::toNativeSeparators(path),
                         QDir::toNativeSeparators(folder)));
  QStringList leftOut;
  writeFileAtomically(path, serializeRules(rules, date, &leftOut));
  return leftOut;
}

}  // namespace lw

#include "rulesfile.h"

#include "error.h"
#include "regularfile.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <optional>

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

// A flag is one character, "0" or "1"; the file says nothing else.
std::optional<bool> flag(QChar c) {
  if (c == u'0') return false;
  if (c == u'1') return true;
  return std::nullopt;
}

void readLine(QStringView line, int number, Rules& rules) {
  line = trimBlanks(line);
  if (line.size() < 11) return;
  if (startsWithMarker(line, QLatin1StringView(".columngrid"))) {
    if (line.size() < 17) return;  // no name: matches nothing
    const auto visible = flag(line[12]), sortKey = flag(line[14]);
    if (visible && sortKey)
      rules.columns.push_back({*visible, *sortKey, line.sliced(16).toString()});
    else
      rules.ignored.append(QStringLiteral("line %1 (\"%2\"): the flags must "
                                          "be 0 or 1")
                               .arg(number)
                               .arg(line.left(60)));
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

[[noreturn]] void cannotRead(const QString& path, const QString& reason) {
  throw Error(QStringLiteral("Cannot read the rules file \"%1\": %2.")
                  .arg(QDir::toNativeSeparators(path), reason));
}

}  // namespace

bool RulesFileLocations::available() const {
  return (!user.isEmpty() && QFileInfo::exists(user)) ||
         (!shipped.isEmpty() && QFileInfo::exists(shipped));
}

RulesRead readRules(const RulesFileLocations& files) {
  const auto exists = [](const QString& path) {
    return !path.isEmpty() && QFileInfo::exists(path);
  };
  if (exists(files.user)) {
    try {
      return {readRulesFile(files.user), files.user, {}};
    } catch (const Error& e) {
      // Without rules the grid would show every internal column.
      if (!exists(files.shipped)) throw;
      return {readRulesFile(files.shipped), files.shipped, e.message()};
    }
  }
  if (exists(files.shipped))
    return {readRulesFile(files.shipped), files.shipped, {}};
  cannotRead(files.user.isEmpty() ? files.shipped : files.user,
             QStringLiteral("it no longer exists"));
}

Rules parseRules(QByteArrayView data) {
  // Latin-1 maps every byte, so nothing read can fail to decode.
  const QString text = QString::fromLatin1(data);
  Rules rules;
  qsizetype start = 0;
  for (int number = 1; start <= text.size(); ++number) {
    if (number > kMaxRulesFileLines && start < text.size())
      throw Error(QStringLiteral("it has more than %1 lines, where rules "
                                 "take a few dozen")
                      .arg(kMaxRulesFileLines));
    // CR LF as written, but a bare LF or CR ends a line too.
    qsizetype end = start;
    while (end < text.size() && text[end] != u'\r' && text[end] != u'\n') ++end;
    readLine(QStringView(text).sliced(start, end - start), number, rules);
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
    text += kColumnMarker + (c.visible ? u'1' : u'0') + u' ' +
            (c.sortKey ? u'1' : u'0') + u' ' + c.name + kLineEnd;
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
  if (const QString why = notRegularFileReason(path); !why.isEmpty())
    cannotRead(path, why);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) cannotRead(path, file.errorString());
  // One byte more than is read tells a file too large even where the size
  // is unknown.
  const QByteArray data = file.read(kMaxRulesFileBytes + 1);
  if (file.error() != QFileDevice::NoError)
    cannotRead(path, file.errorString());
  if (data.size() > kMaxRulesFileBytes)
    cannotRead(path, QStringLiteral("it is larger than %1 KB, where rules "
                                    "take a few")
                         .arg(kMaxRulesFileBytes / 1024));
  try {
    return parseRules(data);
  } catch (const Error& e) {
    cannotRead(path, e.message());
  }
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

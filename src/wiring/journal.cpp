#include "journal.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
#include <optional>

#include <unistd.h>

namespace lw {
namespace {

// One line each: the header, the document's stamp, then one change a line.
// Texts are percent-encoded so that no name can break a line or a field.
const QByteArray kMagic = "loomwright-journal 1";

QByteArray encode(const QString& text) {
  return QUrl::toPercentEncoding(text);
}

QString decode(const QByteArray& text) {
  return QUrl::fromPercentEncoding(text);
}

QByteArray stampLine(const DocumentStamp& s) {
  return "stamp\t" + encode(s.path) + '\t' + QByteArray::number(s.size) + '\t' +
         QByteArray::number(s.modifiedMs) + '\t' +
         QByteArray::number(s.probeCount) + '\t' + s.probesDigest.toHex() +
         '\n';
}

std::optional<DocumentStamp> readStamp(const QList<QByteArray>& f) {
  if (f.size() != 6 || f[0] != "stamp") return std::nullopt;
  DocumentStamp s;
  bool ok[3] = {};
  s.path = decode(f[1]);
  s.size = f[2].toLongLong(&ok[0]);
  s.modifiedMs = f[3].toLongLong(&ok[1]);
  s.probeCount = f[4].toInt(&ok[2]);
  s.probesDigest = QByteArray::fromHex(f[5]);
  if (!ok[0] || !ok[1] || !ok[2]) return std::nullopt;
  return s;
}

QByteArray entryLine(const JournalEntry& e) {
  if (e.kind != JournalEntry::Kind::Settings)
    return (e.kind == JournalEntry::Kind::Wired ? "W\t" : "U\t") +
           QByteArray::number(e.dataPosition) + '\t' + encode(e.probe) + '\n';
  const WiringSettings& s = e.settings;
  QByteArray line = "S\t" + QByteArray::number(s.zoomLevel) + '\t' +
                    QByteArray::number(int(s.surfaceTop)) + '\t' +
                    QByteArray::number(int(s.surfaceBottom));
  for (Qt::CheckState c : s.classes) line += '\t' + QByteArray::number(int(c));
  return line + '\t' + QByteArray::number(s.rotation) + '\n';
}

std::optional<JournalEntry> readEntry(const QList<QByteArray>& f) {
  JournalEntry e;
  bool ok = true;
  const auto number = [&ok](const QByteArray& text, int low, int high) {
    bool read = false;
    const int v = text.toInt(&read);
    ok = ok && read && v >= low && v <= high;
    return v;
  };
  if ((f[0] == "W" || f[0] == "U") && f.size() == 3) {
    e.kind =
        f[0] == "W" ? JournalEntry::Kind::Wired : JournalEntry::Kind::NotWired;
    e.dataPosition = number(f[1], 0, INT32_MAX);
    e.probe = decode(f[2]);
  } else if (f[0] == "S" && f.size() == 5 + kClassBoxCount) {
    e.kind = JournalEntry::Kind::Settings;
    WiringSettings& s = e.settings;
    s.zoomLevel = number(f[1], 1, 10);
    s.surfaceTop = number(f[2], 0, 1) != 0;
    s.surfaceBottom = number(f[3], 0, 1) != 0;
    for (int i = 0; i < kClassBoxCount; ++i)
      s.classes[size_t(i)] = Qt::CheckState(number(f[4 + i], 0, 2));
    s.rotation = number(f.last(), 0, 270);
    ok = ok && s.rotation % 90 == 0;
  } else {
    return std::nullopt;
  }
  if (!ok) return std::nullopt;
  return e;
}

QString mismatchReason(const DocumentStamp& journal, const DocumentStamp& now) {
  const QString name = QFileInfo(now.path).fileName();
  if (journal.path != now.path)
    return QStringLiteral("they were made on another file, %1.")
        .arg(QDir::toNativeSeparators(journal.path));
  if (journal.size != now.size || journal.modifiedMs != now.modifiedMs)
    return QStringLiteral(
               "%1 was written after they were made (by another "
               "station, or another program).")
        .arg(name);
  if (journal.probeCount != now.probeCount ||
      journal.probesDigest != now.probesDigest)
    return QStringLiteral(
               "%1 now holds other probes than when they were "
               "made.")
        .arg(name);
  return {};
}

// The file's part of the stamp, as the file is now.
void stampFile(DocumentStamp& s, const QString& path) {
  const QFileInfo file(path);
  s.path = file.absoluteFilePath();
  s.size = file.size();
  s.modifiedMs = file.lastModified().toMSecsSinceEpoch();
}

}  // namespace

DocumentStamp stampDocument(const QString& path,
                            std::vector<StampedProbe> probes) {
  DocumentStamp s;
  stampFile(s, path);
  s.probeCount = int(probes.size());
  // Position order, so that sorting the grid does not change the stamp.
  std::sort(probes.begin(), probes.end(),
            [](const StampedProbe& a, const StampedProbe& b) {
              return a.dataPosition < b.dataPosition;
            });
  QCryptographicHash hash(QCryptographicHash::Sha1);
  for (const StampedProbe& p : probes) {
    hash.addData(QByteArray::number(p.dataPosition));
    hash.addData(QByteArrayView("\t", 1));
    hash.addData(p.name.toUtf8());
    hash.addData(QByteArrayView("\n", 1));
  }
  s.probesDigest = hash.result();
  return s;
}

WiringJournal::WiringJournal(const QString& folder, DocumentStamp stamp)
    : mFolder(folder) {
  mSyncTimer.setSingleShot(true);
  mSyncTimer.setInterval(kSyncDelayMs);
  mSyncTimer.callOnTimeout([this] { sync(); });
  useStamp(std::move(stamp));
}

WiringJournal::~WiringJournal() {
  sync();
}

void WiringJournal::useStamp(DocumentStamp stamp) {
  mStamp = std::move(stamp);
  const QByteArray key =
      QCryptographicHash::hash(mStamp.path.toUtf8(), QCryptographicHash::Sha1)
          .toHex();
  mFileName = QDir(mFolder).filePath(QString::fromLatin1(key + ".journal"));
}

JournalContents WiringJournal::read() const {
  QFile file(mFileName);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray all = file.readAll();
  QList<QByteArray> lines = all.split('\n');
  lines.removeLast();  // a line cut short by the crash, or the empty tail
  JournalContents found;
  const auto damaged = [&found](qsizetype line) {
    found.entries.clear();
    found.mismatch =
        QStringLiteral("their journal is damaged at line %1.").arg(line + 1);
    return found;
  };
  if (lines.size() < 2 || lines[0] != kMagic) return damaged(0);
  const std::optional<DocumentStamp> stamp = readStamp(lines[1].split('\t'));
  if (!stamp) return damaged(1);
  for (qsizetype i = 2; i < lines.size(); ++i) {
    const std::optional<JournalEntry> e = readEntry(lines[i].split('\t'));
    if (!e) return damaged(i);
    found.entries.push_back(*e);
  }
  found.mismatch = mismatchReason(*stamp, mStamp);
  if (!found.mismatch.isEmpty()) found.entries.clear();
  return found;
}

bool WiringJournal::begin() {
  if (mFile.isOpen()) return true;
  if (!QDir().mkpath(mFolder)) {
    mError = QStringLiteral("%1 cannot be created.")
                 .arg(QDir::toNativeSeparators(mFolder));
    return false;
  }
  mFile.setFileName(mFileName);
  // A fresh journal for every stamp: what an earlier one held was either
  // offered already or saved.
  const QByteArray header = kMagic + '\n' + stampLine(mStamp);
  if (mFile.open(QIODevice::WriteOnly | QIODevice::Truncate |
                 QIODevice::Unbuffered) &&
      mFile.write(header) == header.size())
    return true;
  mError = mFile.errorString();
  mFile.close();
  return false;
}

bool WiringJournal::append(const JournalEntry& entry) {
  if (!begin()) return false;
  const QByteArray line = entryLine(entry);
  // Unbuffered: one write call, in the kernel before this returns.
  if (mFile.write(line) != line.size()) {
    mError = mFile.errorString();
    return false;
  }
  if (!mSyncTimer.isActive()) mSyncTimer.start();
  return true;
}

void WiringJournal::sync() {
  mSyncTimer.stop();
  // A failed sync leaves the change in the kernel's cache: it still
  // survives the program; only a power cut could take it, and the next
  // change tries again.
  if (mFile.isOpen()) (void)::fdatasync(mFile.handle());
}

bool WiringJournal::continueExisting() {
  mFile.setFileName(mFileName);
  if (mFile.open(QIODevice::Append | QIODevice::Unbuffered)) return true;
  mError = mFile.errorString();
  return false;
}

void WiringJournal::restart(const QString& documentPath) {
  mSyncTimer.stop();
  mFile.close();
  QFile::remove(mFileName);
  DocumentStamp stamp = mStamp;
  stampFile(stamp, documentPath);
  useStamp(std::move(stamp));
}

QString WiringJournal::keepAside() {
  mSyncTimer.stop();
  mFile.close();
  const QString base = mFileName.chopped(int(qstrlen(".journal"))) +
                       QDateTime::currentDateTimeUtc().toString(
                           QStringLiteral("'-kept-'yyyyMMdd'T'hhmmss"));
  QString aside = base + QStringLiteral(".journal");
  for (int n = 2; QFile::exists(aside); ++n)
    aside = base + QStringLiteral("-%1.journal").arg(n);
  if (!QFile::rename(mFileName, aside)) return mFileName;
  return aside;
}

}  // namespace lw

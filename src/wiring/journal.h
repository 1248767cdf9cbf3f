#pragma once

// The recovery journal: every wiring change made since the document was
// last saved, appended to a small file of the user's own (one per document,
// named after its absolute path) as it happens, so that a killed program,
// a crashed desktop session or a power cut loses no mark. A save empties
// it; opening the document again offers what it holds.
//
// Each change is written to the file before append() returns, so it
// survives the program being killed at once. Making it durable against a
// power cut (fdatasync) costs milliseconds on common disks, more than a
// foot-switch press may take, so syncs are batched: at most kSyncDelayMs
// after a change.

#include "wiringstate.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTimer>

#include <vector>

namespace lw {

// What a journal belongs to: the document file as it was loaded or last
// saved, and its probes. A journal whose stamp differs from the document
// opened now was written for another file, or the file was written since.
struct DocumentStamp {
  QString path;  // absolute
  qint64 size = -1;
  qint64 modifiedMs = -1;  // the file's modification time
  int probeCount = 0;
  QByteArray probesDigest;  // of every probe's data position and name

  bool operator==(const DocumentStamp&) const = default;
};

// A probe as the load found it.
struct StampedProbe {
  int dataPosition = 0;
  QString name;
};

// The stamp of the file at path as it is now, with the probes the load read.
DocumentStamp stampDocument(const QString& path,
                            std::vector<StampedProbe> probes);

struct JournalEntry {
  enum class Kind { Wired, NotWired, Settings };
  Kind kind = Kind::Wired;
  int dataPosition = -1;  // Wired / NotWired
  QString probe;
  WiringSettings settings;  // Settings: the whole set after the change

  bool operator==(const JournalEntry&) const = default;
};

// What was found for a document: the changes, or why they cannot be used.
struct JournalContents {
  std::vector<JournalEntry> entries;
  QString mismatch;  // empty when the entries belong to the document
};

class WiringJournal {
 public:
  static constexpr int kSyncDelayMs = 200;

  // The journal of the document stamped so, in folder (created on the
  // first change). Nothing is read or written here.
  WiringJournal(const QString& folder, DocumentStamp stamp);
  ~WiringJournal();
  WiringJournal(const WiringJournal&) = delete;
  WiringJournal& operator=(const WiringJournal&) = delete;

  const QString& fileName() const { return mFileName; }

  // The changes left by an earlier session. Without a journal: none. A
  // journal of another file, of the file as it was before someone wrote
  // it, or damaged, gives its reason in mismatch and no entries.
  JournalContents read() const;

  // Appends one change; false (with errorString) when it cannot be
  // written, e.g. the user's folder is full or not writable.
  bool append(const JournalEntry& entry);
  const QString& errorString() const { return mError; }

  // Makes every change so far durable now; the journal does so by itself
  // within kSyncDelayMs of a change.
  void sync();

  // After the user accepted what read() found: later changes follow it.
  bool continueExisting();
  // After a save (to documentPath), or when the user declines recovery:
  // the journal is emptied and later changes are kept against the file as
  // it is now, with the same probes.
  void restart(const QString& documentPath);
  // A journal that does not fit is moved aside under a name of its own
  // (never applied, never lost) and a fresh one begins. Returns the name.
  QString keepAside();

 private:
  void useStamp(DocumentStamp stamp);
  bool begin();

  QString mFolder;
  QString mFileName;
  DocumentStamp mStamp;
  QFile mFile;
  QString mError;
  QTimer mSyncTimer;
};

}  // namespace lw

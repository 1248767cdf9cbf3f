// The recovery journal and the station lock: what a crashed session leaves
// behind comes back exactly, and never into a file it was not made for.

#include "journal.h"
#include "stationlock.h"
#include "tempfolder.h"

#include <QCryptographicHash>
#include <QFileInfo>

#include <functional>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace lw;
using namespace lw::test;

namespace {

class JournalTest : public ::testing::Test {
 public:
  TempFolder folder;
  QString document = folder.write("board.vd", "{}\n");
  std::vector<StampedProbe> probes = {{7, "P1"}, {3, "P2"}};
  QString journals = folder.path("data/journals");

  DocumentStamp stamp() const { return stampDocument(document, probes); }

  static JournalEntry mark(int position, const QString& probe, bool wired) {
    JournalEntry e;
    e.kind = wired ? JournalEntry::Kind::Wired : JournalEntry::Kind::NotWired;
    e.dataPosition = position;
    e.probe = probe;
    return e;
  }
};

TEST_F(JournalTest, ChangesComeBackExactlyAfterTheProgramIsGone) {
  JournalEntry turned;
  turned.kind = JournalEntry::Kind::Settings;
  turned.settings.rotation = 270;
  turned.settings.surfaceBottom = true;
  turned.settings.classes[2] = Qt::PartiallyChecked;
  // Names that would break a line or a field of a plain text journal.
  const std::vector<JournalEntry> made = {mark(7, "P1", true), turned,
                                          mark(3, "A\tB\n%20 \u00c9", true),
                                          mark(7, "P1", false)};
  {
    WiringJournal journal(journals, stamp());
    for (const JournalEntry& e : made) ASSERT_TRUE(journal.append(e));
  }  // the program ends without saving
  const JournalContents found = WiringJournal(journals, stamp()).read();
  EXPECT_EQ(found.mismatch.toStdString(), "");
  EXPECT_EQ(found.entries, made);
}

TEST_F(JournalTest, ALineCutShortByTheCrashIsLeftOut) {
  QString name;
  {
    WiringJournal journal(journals, stamp());
    ASSERT_TRUE(journal.append(mark(7, "P1", true)));
    name = journal.fileName();
  }
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("W\t3\tP");  // no line end: the write never finished
  file.close();
  const JournalContents found = WiringJournal(journals, stamp()).read();
  EXPECT_EQ(found.entries, std::vector<JournalEntry>{mark(7, "P1", true)});
}

TEST_F(JournalTest, AJournalForAnotherStateOfTheDocumentIsRefused) {
  struct Case {
    const char* what;
    std::function<void(JournalTest&)> change;
    const char* reason;
  };
  const Case cases[] = {
      {"written since",
       [](JournalTest& t) { t.folder.write("board.vd", "{ }\n"); },
       "board.vd was written after they were made"},
      {"other probes", [](JournalTest& t) { t.probes[1].name = "P9"; },
       "board.vd now holds other probes"},
      {"damaged",
       [](JournalTest& t) {
         const QString name = WiringJournal(t.journals, t.stamp()).fileName();
         t.folder.write(QFileInfo(name).fileName().prepend("data/journals/"),
                        "loomwright-journal 1\nstamp\tx\n");
       },
       "their journal is damaged at line 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    probes = {{7, "P1"}, {3, "P2"}};
    document = folder.write("board.vd", "{}\n");
    {
      WiringJournal journal(journals, stamp());
      ASSERT_TRUE(journal.append(mark(7, "P1", true)));
    }
    c.change(*this);
    WiringJournal journal(journals, stamp());
    const JournalContents found = journal.read();
    EXPECT_TRUE(found.entries.empty());
    EXPECT_TRUE(found.mismatch.startsWith(c.reason))
        << found.mismatch.toStdString();
    // Set aside, never lost, and a new journal begins.
    const QString aside = journal.keepAside();
    EXPECT_TRUE(QFileInfo::exists(aside));
    EXPECT_FALSE(QFileInfo::exists(journal.fileName()));
  }
}

// Journals on disk carry this digest: it must stay the hash of the same
// text, whatever the names hold and however the grid is sorted.
TEST_F(JournalTest, TheProbesDigestIsOfPositionsAndNamesInPositionOrder) {
  probes = {{12, "P\u00e9"}, {-1, "x"}, {3, ""}, {40000, "A\tB"}};
  const QByteArray text =
      QStringLiteral("-1\tx\n3\t\n12\tP\u00e9\n40000\tA\tB\n").toUtf8();
  EXPECT_EQ(stamp().probesDigest,
            QCryptographicHash::hash(text, QCryptographicHash::Sha1));
}

TEST_F(JournalTest, ASaveEmptiesItAndLaterChangesFollowTheSavedFile) {
  WiringJournal journal(journals, stamp());
  ASSERT_TRUE(journal.append(mark(7, "P1", true)));
  document = folder.write("board.vd", "{ saved }\n");
  journal.restart(document);
  EXPECT_TRUE(journal.read().entries.empty());
  ASSERT_TRUE(journal.append(mark(3, "P2", true)));
  const JournalContents found = WiringJournal(journals, stamp()).read();
  EXPECT_EQ(found.mismatch, QString());
  EXPECT_EQ(found.entries, std::vector<JournalEntry>{mark(3, "P2", true)});
}

TEST(StationLock, AReadOnlyFolderKeepsTheLockWithTheUser) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any folder";
  TempFolder folder;
  const QString document = folder.write("shared/board.vd", "{}\n");
  QFile::setPermissions(folder.path("shared"),
                        QFile::ReadOwner | QFile::ExeOwner);
  StationLock lock(document, folder.path("locks"));
  EXPECT_TRUE(lock.tryTake());
  EXPECT_TRUE(lock.fileName().startsWith(folder.path("locks")));
  QFile::setPermissions(folder.path("shared"),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

}  // namespace

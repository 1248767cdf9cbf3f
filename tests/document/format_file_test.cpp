// Documents on disk: .vd and .vdz, recognised by content, saved atomically.

#include "boardio.h"
#include "format_sample.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace lw {
namespace {

const QString kGood = QStringLiteral(LW_TEST_DATA "/good/small-board.vd");

class FormatFile : public ::testing::Test {
 protected:
  // Spaces in the folder catch paths passed unquoted somewhere.
  QTemporaryDir mDir{QDir::tempPath() + QStringLiteral("/lw format XXXXXX")};
  QString path(const QString& name) const { return mDir.filePath(name); }
};

QByteArray zcat(const QString& path) {
  QProcess gzip;
  gzip.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
  EXPECT_TRUE(gzip.waitForFinished()) << "gzip could not run";
  EXPECT_EQ(gzip.exitCode(), 0) << gzip.readAllStandardError().toStdString();
  return gzip.readAllStandardOutput();
}

TEST_F(FormatFile, SavedTwiceGivesTheSameBytes) {
  const Board board = test::sampleBoard();
  for (Compression c : {Compression::None, Compression::Gzip}) {
    writeBoard(board, path("a"), c);
    writeBoard(board, path("b"), c);
    EXPECT_EQ(test::readBytes(path("a")), test::readBytes(path("b")));
    EXPECT_EQ(readBoard(path("a")), board);
  }
}

TEST_F(FormatFile, VdzIsTheVdTextGzipped) {
  if (QStandardPaths::findExecutable(QStringLiteral("gzip")).isEmpty())
    GTEST_SKIP() << "no gzip";
  const Board board = test::sampleBoard();
  writeBoard(board, path("board.vd"), Compression::None);
  writeBoard(board, path("board.vdz"), Compression::Gzip);
  const QByteArray text = test::readBytes(path("board.vd"));
  EXPECT_EQ(text, serializeBoard(board));
  EXPECT_EQ(zcat(path("board.vdz")), text);
}

TEST_F(FormatFile, ContentNotNameDecidesCompression) {
  const Board board = test::sampleBoard();
  writeBoard(board, path("gzip.vd"), Compression::Gzip);
  writeBoard(board, path("plain.vdz"), Compression::None);
  EXPECT_EQ(readBoard(path("gzip.vd")), board);
  EXPECT_EQ(readBoard(path("plain.vdz")), board);
}

TEST_F(FormatFile, ConcatenatedGzipMembersReadAsOneText) {
  // zcat reads such files as one text; so do we.
  if (QStandardPaths::findExecutable(QStringLiteral("gzip")).isEmpty())
    GTEST_SKIP() << "no gzip";
  const QByteArray text = serializeBoard(test::sampleBoard());
  const qsizetype half = text.size() / 2;
  QByteArray joined;
  for (const QByteArray& part : {text.left(half), text.mid(half)}) {
    test::writeBytes(path("part"), part);
    QProcess gzip;
    gzip.start(QStringLiteral("gzip"), {QStringLiteral("-nkf"), path("part")});
    ASSERT_TRUE(gzip.waitForFinished());
    joined += test::readBytes(path("part.gz"));
  }
  test::writeBytes(path("joined.vdz"), joined);
  EXPECT_EQ(readBoard(path("joined.vdz")), test::sampleBoard());
}

TEST_F(FormatFile, GoodDocumentReadsAndSavesUnchanged) {
  const Board board = readBoard(kGood);
  // The hand-written file is laid out as the writer lays it out.
  EXPECT_EQ(serializeBoard(board), test::readBytes(kGood));

  EXPECT_EQ(board.units, PageUnits::Millimetre);
  const BoardFile* pcb = board.file(1);
  ASSERT_TRUE(pcb);
  EXPECT_TRUE(pcb->isPcb && pcb->visible);
  int probes = 0;
  for (const Entity& e : board.entities) {
    if (e.kind == EntityKind::Probe) ++probes;
    if (e.kind == EntityKind::Pin) {
      EXPECT_EQ(board.entities[std::size_t(e.parent)].kind,
                EntityKind::Component);
    }
  }
  EXPECT_EQ(probes, 2);
  const int wired = board.keywordIndex(QStringLiteral("PROBE_WIRED"));
  ASSERT_GT(wired, 0);
  bool sawDisplay = false;
  for (const Entity& e : board.entities)
    if (const Attribute* a = e.attribute(wired); a && !a->display.isZero()) {
      EXPECT_EQ(a->display.reals[0], 0.05);
      EXPECT_EQ(a->display.ints[7], -1);
      sawDisplay = true;
    }
  EXPECT_TRUE(sawDisplay);
}

TEST_F(FormatFile, ProgressOfACompressedFileRisesToOne) {
  writeBoard(test::viaBoard(30000), path("big.vdz"), Compression::Gzip);
  std::vector<double> seen;
  readBoard(path("big.vdz"), [&](double f) { seen.push_back(f); });
  ASSERT_GE(seen.size(), 3u);
  for (std::size_t i = 1; i < seen.size(); ++i)
    EXPECT_LT(seen[i - 1], seen[i]) << i;
  EXPECT_EQ(seen.back(), 1.0);
}

TEST_F(FormatFile, SaveReplacesAnExistingFile) {
  writeBoard(Board(), path("board.vd"), Compression::None);
  const Board board = test::sampleBoard();
  writeBoard(board, path("board.vd"), Compression::None);
  EXPECT_EQ(readBoard(path("board.vd")), board);
  EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files),
            QStringList{QStringLiteral("board.vd")});
}

void expectSaveFails(const QString& target, const QString& shown) {
  try {
    writeBoard(test::sampleBoard(), target, Compression::None);
    ADD_FAILURE() << "saved " << target.toStdString();
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot save \"")))
        << e.message().toStdString();
    EXPECT_NE(e.message().indexOf(QDir::toNativeSeparators(shown)), -1)
        << e.message().toStdString();
  }
}

TEST_F(FormatFile, SaveOntoAFolderFailsAndKeepsIt) {
  ASSERT_TRUE(QDir(mDir.path()).mkdir(QStringLiteral("folder.vd")));
  test::writeBytes(path("folder.vd/inside"), "keep");
  expectSaveFails(path("folder.vd"), path("folder.vd"));
  EXPECT_EQ(test::readBytes(path("folder.vd/inside")), "keep");
}

TEST_F(FormatFile, SaveIntoAMissingFolderFails) {
  expectSaveFails(path("no such folder/board.vd"),
                  path("no such folder/board.vd"));
}

TEST_F(FormatFile, SaveIntoAReadOnlyFolderKeepsThePreviousFile) {
  const QByteArray previous = serializeBoard(Board());
  test::writeBytes(path("board.vd"), previous);
  QFile::setPermissions(mDir.path(), QFile::ReadOwner | QFile::ExeOwner);
  QFile probe(path("probe"));
  if (probe.open(QIODevice::WriteOnly)) {
    // Running as root: permissions do not stop us.
    probe.remove();
    QFile::setPermissions(
        mDir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    GTEST_SKIP() << "folder permissions are not enforced for this user";
  }
  expectSaveFails(path("board.vd"), path("board.vd"));
  QFile::setPermissions(mDir.path(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(test::readBytes(path("board.vd")), previous);
  EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files),
            QStringList{QStringLiteral("board.vd")});
}

// A full disk, simulated with a file size limit, which binds root too.
TEST_F(FormatFile, AFullDiskKeepsThePreviousFile) {
  const QByteArray previous = serializeBoard(Board());
  test::writeBytes(path("board.vd"), previous);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 512;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString message;
  try {
    writeBoard(test::sampleBoard(), path("board.vd"), Compression::None);
  } catch (const Error& e) {
    message = e.message();
  }
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_TRUE(
      message.startsWith(QStringLiteral("Cannot save \"%1\": ")
                             .arg(QDir::toNativeSeparators(path("board.vd")))))
      << message.toStdString();
  EXPECT_EQ(test::readBytes(path("board.vd")), previous);
  EXPECT_EQ(QDir(mDir.path()).entryList(QDir::Files),
            QStringList{QStringLiteral("board.vd")});
}

TEST_F(FormatFile, AFailedSerializationLeavesThePreviousFile) {
  const QByteArray previous = serializeBoard(Board());
  test::writeBytes(path("board.vd"), previous);
  Board broken = test::sampleBoard();
  broken.entities[0].file = 42;
  EXPECT_THROW(writeBoard(broken, path("board.vd"), Compression::Gzip), Error);
  EXPECT_EQ(test::readBytes(path("board.vd")), previous);
}

TEST_F(FormatFile, AtomicWriteReplacesContent) {
  writeFileAtomically(path("f"), "first");
  writeFileAtomically(path("f"), "second, longer");
  writeFileAtomically(path("f"), "3");
  EXPECT_EQ(test::readBytes(path("f")), "3");
}

}  // namespace
}  // namespace lw

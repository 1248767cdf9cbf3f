// Numbers in documents never follow the C library's locale, which a
// QApplication takes from the environment (de_DE writes "0,1").

#include "boardio.h"
#include "format_sample.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <string>

namespace lw {
namespace {

class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    mPrevious = std::setlocale(LC_ALL, nullptr);
    mCBytes = serializeBoard(test::sampleBoard());
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
      GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 0.5);
    ASSERT_STREQ(buf, "0,5") << "the locale does not use a decimal comma";
  }
  void TearDown() override { std::setlocale(LC_ALL, mPrevious.c_str()); }

  std::string mPrevious;
  QByteArray mCBytes;  // written under the "C" locale
};

TEST_F(GermanLocale, SameBytesAndSameModel) {
  const Board board = test::sampleBoard();
  EXPECT_EQ(serializeBoard(board), mCBytes);
  EXPECT_TRUE(mCBytes.contains("0.30000000000000004"));

  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("board.vdz"));
  writeBoard(board, path, Compression::Gzip);
  EXPECT_EQ(readBoard(path), board);
  EXPECT_EQ(parseBoard(std::string_view(mCBytes.constData(),
                                        std::size_t(mCBytes.size())),
                       QStringLiteral("c")),
            board);
}

TEST_F(GermanLocale, MessagesKeepTheirNumbers) {
  try {
    parseBoard(R"({"format":"loomwright-board","version":1,
      "files":[{"number":1234567}],"entities":[{"k":"via","f":7654321}]})",
               QStringLiteral("m"));
    ADD_FAILURE() << "parsed";
  } catch (const Error& e) {
    EXPECT_NE(e.message().indexOf(QStringLiteral("number 7654321")), -1)
        << e.message().toStdString();
  }
}

}  // namespace
}  // namespace lw

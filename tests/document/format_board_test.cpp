// The model's lookups that readers, writers and operations rely on.

#include "board.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(BoardLookups, KeywordsAreExactAndStartAtOne) {
  Board b;
  EXPECT_EQ(b.keywordIndex(QString()), 0);  // the unused slot never matches
  EXPECT_EQ(b.addKeyword(QStringLiteral("NETNAME")), 1);
  EXPECT_EQ(b.addKeyword(QStringLiteral("DATALINK")), 2);
  EXPECT_EQ(b.addKeyword(QStringLiteral("NETNAME")), 1);
  EXPECT_EQ(b.keywordIndex(QStringLiteral("netname")), 0);
  EXPECT_EQ(b.keywordIndex(QStringLiteral("NETNAME ")), 0);
  // An empty name could not be written to a file; it is never added.
  EXPECT_EQ(b.addKeyword(QString()), 0);
  EXPECT_EQ(b.keywords.size(), 3);
}

TEST(BoardLookups, TheFirstOfTwoEqualAttributesCounts) {
  Entity e;
  for (auto [keyword, value] : {std::pair{1, "a"}, {2, "b"}, {1, "c"}})
    e.attributes.push_back({keyword, QString::fromUtf8(value), {}});
  ASSERT_TRUE(e.attribute(1));
  EXPECT_EQ(e.attribute(1)->value, QStringLiteral("a"));
  e.attribute(1)->value = QStringLiteral("x");
  EXPECT_EQ(e.attributes[0].value, QStringLiteral("x"));
  EXPECT_EQ(e.attribute(3), nullptr);
}

TEST(BoardLookups, FilesByNumberAndLayersByIndex) {
  Board b;
  b.files.resize(2);
  b.files[0].number = 4;
  b.files[1].number = -1;
  b.layers.resize(1);
  b.layers[0].index = 7;
  EXPECT_EQ(b.file(-1), &b.files[1]);
  EXPECT_EQ(b.file(0), nullptr);
  EXPECT_EQ(b.layer(7), &b.layers[0]);
  EXPECT_EQ(b.layer(0), nullptr);
}

TEST(BoardLookups, UnitsPerInch) {
  const std::pair<int, double> table[] = {
      {0, 1}, {1, 1000}, {2, 25.4}, {3, 1012}, {4, 25400}};
  for (const auto& [code, perInch] : table)
    EXPECT_EQ(unitsPerInch(PageUnits(code)), perInch) << code;
}

TEST(BoardLookups, DisplayRecordZeroness) {
  DisplayRecord d;
  EXPECT_TRUE(d.isZero());
  d.reals[4] = -0.0;  // written as 0 and omitted: reads back equal
  EXPECT_TRUE(d.isZero());
  d.ints[7] = 1;
  EXPECT_FALSE(d.isZero());
  d.ints[7] = 0;
  d.reals[0] = 1e-300;
  EXPECT_FALSE(d.isZero());
}

}  // namespace
}  // namespace lw

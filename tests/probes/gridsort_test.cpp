#include "gridsort.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace lw {
namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);
const QLocale kGerman(QLocale::German, QLocale::Germany);

struct NumberCase {
  const char* text;
  const QLocale* locale;
  std::optional<double> expected;
};

class ReadGridNumber : public testing::TestWithParam<NumberCase> {};

TEST_P(ReadGridNumber, ReadsWholeTrimmedText) {
  const NumberCase& c = GetParam();
  EXPECT_EQ(readGridNumber(QString::fromUtf8(c.text), *c.locale), c.expected)
      << c.text << " under " << c.locale->name().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadGridNumber,
    testing::Values(
        NumberCase{"2", &kEnglish, 2.0}, NumberCase{" 10 ", &kEnglish, 10.0},
        NumberCase{"-1.5", &kEnglish, -1.5}, NumberCase{"+3", &kEnglish, 3.0},
        NumberCase{"1e3", &kEnglish, 1000.0},
        NumberCase{"0.035", &kGerman, 0.035},  // sizes stay in C form
        NumberCase{"-1,5", &kGerman, -1.5},    // coordinates are regional
        NumberCase{"2,25", &kGerman, 2.25},
        NumberCase{"1,5", &kEnglish, std::nullopt},
        NumberCase{"1,500", &kEnglish, std::nullopt},  // no group separators
        NumberCase{"1.500,5", &kGerman, std::nullopt},
        NumberCase{"", &kEnglish, std::nullopt},
        NumberCase{"   ", &kEnglish, std::nullopt},
        NumberCase{"P10", &kEnglish, std::nullopt},
        NumberCase{"10P", &kEnglish, std::nullopt},
        NumberCase{"1 2", &kEnglish, std::nullopt},
        NumberCase{"0x10", &kEnglish, std::nullopt},
        NumberCase{"nan", &kEnglish, std::nullopt},
        NumberCase{"inf", &kEnglish, std::nullopt},
        NumberCase{"-infinity", &kGerman, std::nullopt},
        NumberCase{"1e999", &kEnglish, std::nullopt}));

struct OrderCase {
  const char* name;
  QStringList cells;
  GridOrder order;
  const QLocale* locale;
  std::vector<int> expected;
};

class GridSortOrder : public testing::TestWithParam<OrderCase> {};

TEST_P(GridSortOrder, IsStableAscending) {
  const OrderCase& c = GetParam();
  std::vector<QStringView> cells(c.cells.begin(), c.cells.end());
  EXPECT_EQ(gridSortOrder(cells, c.order, *c.locale), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GridSortOrder,
    testing::Values(OrderCase{"NumbersByValue",
                              {"10", "2", "1"},
                              GridOrder::Generic,
                              &kEnglish,
                              {2, 1, 0}},
                    OrderCase{"TextsByCodeUnit",
                              {"P2", "P10", "a", "B"},
                              GridOrder::Generic,
                              &kEnglish,
                              {3, 1, 0, 2}},
                    OrderCase{"NumbersBeforeTexts",
                              {"b", "10", "", "2", "a"},
                              GridOrder::Generic,
                              &kEnglish,
                              {3, 1, 2, 4, 0}},
                    OrderCase{"EqualValuesKeepOrder",
                              {"1.0", "0", "1", "01", "1"},
                              GridOrder::Generic,
                              &kEnglish,
                              {1, 0, 2, 3, 4}},
                    OrderCase{"EqualTextsKeepOrder",
                              {"x", "w", "x", "w"},
                              GridOrder::Generic,
                              &kEnglish,
                              {1, 3, 0, 2}},
                    OrderCase{"RegionalCoordinates",
                              {"2,25", "-1,5", "0.5", "-10"},
                              GridOrder::Generic,
                              &kGerman,
                              {3, 1, 2, 0}},
                    OrderCase{"CommaIsTextUnderEnglish",
                              {"2,25", "-1,5", "0.5"},
                              GridOrder::Generic,
                              &kEnglish,
                              {2, 1, 0}},
                    OrderCase{"NumericTiesByText",
                              {"12", "012", "3", "12", "012"},
                              GridOrder::Numeric,
                              &kEnglish,
                              {2, 1, 4, 0, 3}},
                    OrderCase{"NumericTextsAfter",
                              {"12A", "", "7", "", "12A", "1"},
                              GridOrder::Numeric,
                              &kEnglish,
                              {5, 2, 1, 3, 0, 4}},
                    OrderCase{"Empty", {}, GridOrder::Generic, &kEnglish, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// The renumbering dialog finds duplicates by comparing neighbours only.
TEST(GridSortOrder, NumericOrderBringsEqualTextsTogether) {
  const QStringList cells = {"5",   "", "05", "12A", "5.0", "5",
                             "12A", "", "5",  "05",  "x",   "5.0"};
  std::vector<QStringView> views(cells.begin(), cells.end());
  const std::vector<int> order =
      gridSortOrder(views, GridOrder::Numeric, kEnglish);
  QStringList seen;
  for (size_t i = 0; i < order.size(); ++i) {
    const QString& text = cells[order[i]];
    if (i > 0 && text == cells[order[i - 1]]) continue;
    EXPECT_FALSE(seen.contains(text)) << text.toStdString() << " split up";
    seen << text;
  }
}

}  // namespace
}  // namespace lw

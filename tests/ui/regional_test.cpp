// Document numbers shown in the user's regional form.

#include "regional.h"

#include <gtest/gtest.h>

using namespace lw;

namespace {

TEST(Regional, DocumentNumbersInTheUsersForm) {
  const struct {
    QLocale::Language language;
    const char* number;
    const char* shown;
  } cases[] = {
      {QLocale::German, "-1.5", "-1,5"},
      {QLocale::German, "2.25", "2,25"},
      {QLocale::German, "12", "12"},
      {QLocale::English, "-1.5", "-1.5"},
      {QLocale::C, "-0.125", "-0.125"},
      // The sign with its direction mark, which orders the text (Persian
      // too, with a U+200E mark and a U+2212 sign).
      {QLocale::Arabic, "-1.5", "\u061C-1\u066B5"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(toRegional(c.number, initRegionalFormat(QLocale(c.language))),
              c.shown)
        << c.number << " "
        << QLocale::languageToString(c.language).toStdString();
}

}  // namespace

// Test main for GoogleTest binaries. gtest_discover_tests and ctest run the
// binary without the test environment, so headless mode is set here.
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QLocale::setDefault(QLocale::c());  // tests choose other locales themselves
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

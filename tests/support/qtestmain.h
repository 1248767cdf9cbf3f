#pragma once

// Like QTEST_MAIN, but headless unless the caller chose a platform, and in
// the C locale unless a test chooses another, so that widget tests run the
// same from ctest, a terminal or CI, on any machine.
#include <QApplication>
#include <QtTest>

#define LW_QTEST_MAIN(TestClass)                        \
  int main(int argc, char** argv) {                     \
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) \
      qputenv("QT_QPA_PLATFORM", "offscreen");          \
    QApplication::setAttribute(Qt::AA_Use96Dpi, true);  \
    QApplication app(argc, argv);                       \
    QLocale::setDefault(QLocale::c());                  \
    TestClass tc;                                       \
    QTEST_SET_MAIN_SOURCE_PATH                          \
    return QTest::qExec(&tc, argc, argv);               \
  }

#pragma once

// The user's regional number format. Documents always write numbers with
// "." and "-"; the probe grid shows them in the user's form and reads them
// back with the user's locale.

#include <QLocale>
#include <QString>

namespace lw {

struct RegionalFormat {
  bool decimalDiffers = false;  // the user's decimal separator is not "."
  QString decimalSeparator = QStringLiteral(".");
  QString negativeSign = QStringLiteral("-");
  QLocale locale = QLocale::c();
};

RegionalFormat initRegionalFormat(const QLocale& locale = QLocale());

// A document number ("-1.5") in the user's form ("-1,5"), digits unchanged.
QString toRegional(const QString& documentNumber, const RegionalFormat& format);

// Reads a grid text back with the user's locale; ok is false for texts that
// are not numbers.
double fromRegional(const QString& text, const RegionalFormat& format,
                    bool* ok = nullptr);

}  // namespace lw

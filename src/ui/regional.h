#pragma once

// The user's regional number format. Documents always write numbers with
// "." and "-"; the probe grid shows them in the user's form. Nothing reads
// them back: positions come from the document's own numbers.

#include <QLocale>
#include <QString>

namespace lw {

struct RegionalFormat {
  bool decimalDiffers = false;  // the user's decimal separator is not "."
  QString decimalSeparator = QStringLiteral(".");
  QString negativeSign = QStringLiteral("-");
};

RegionalFormat initRegionalFormat(const QLocale& locale = QLocale());

// A document number ("-1.5") in the user's form ("-1,5"), digits unchanged.
QString toRegional(const QString& documentNumber, const RegionalFormat& format);

}  // namespace lw

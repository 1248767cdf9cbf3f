#include "regional.h"

namespace lw {

RegionalFormat initRegionalFormat(const QLocale& locale) {
  RegionalFormat f;
  const QString s = locale.toString(0.1);
  f.decimalDiffers = s.lastIndexOf(u'.') < 1;
  f.decimalSeparator = s.size() > 2 ? s.mid(1, s.size() - 2) : QString();
  // The whole sign: Arabic and Persian put a direction mark before it.
  const QString minus = locale.negativeSign();
  f.negativeSign = minus.isEmpty() ? QStringLiteral("-") : minus;
  return f;
}

QString toRegional(const QString& documentNumber,
                   const RegionalFormat& format) {
  if (!format.decimalDiffers) return documentNumber;
  QString s = documentNumber;
  s.replace(u'.', format.decimalSeparator);
  s.replace(u'-', format.negativeSign);
  return s;
}

}  // namespace lw

#include "netlisttext.h"

namespace lw::ipc356 {

NetlistText::NetlistText(QByteArrayView bytes) : mRest(bytes) {
  if (mRest.startsWith("\xEF\xBB\xBF")) mRest = mRest.sliced(3);
  mEncoding = mRest.isValidUtf8() ? TextEncoding::Utf8 : TextEncoding::Latin1;
}

QString NetlistText::decode(QByteArrayView bytes) const {
  return mEncoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes)
                                         : QString::fromLatin1(bytes);
}

bool NetlistText::nextLine(QByteArrayView& line) noexcept {
  if (mRest.isEmpty()) return false;
  qsizetype end = 0;
  while (end < mRest.size() && mRest[end] != '\n' && mRest[end] != '\r') ++end;
  line = mRest.first(end);
  qsizetype next = end;
  if (next < mRest.size()) {
    const bool crlf = mRest[next] == '\r' && next + 1 < mRest.size() &&
                      mRest[next + 1] == '\n';
    next += crlf ? 2 : 1;
  }
  mRest = mRest.sliced(next);
  return true;
}

QString encodingName(TextEncoding encoding) {
  return encoding == TextEncoding::Utf8 ? QStringLiteral("UTF-8")
                                        : QStringLiteral("Latin-1");
}

QString printable(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    if (c.category() == QChar::Other_Control)
      out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    else
      out += c;
  }
  return out;
}

}  // namespace lw::ipc356

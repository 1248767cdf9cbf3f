#include "netlisttext.h"

namespace lw::ipc356 {

NetlistText::NetlistText(QByteArrayView bytes) : mText(bytes) {
  if (mText.startsWith("\xEF\xBB\xBF")) mText = mText.sliced(3);
  mEncoding = mText.isValidUtf8() ? TextEncoding::Utf8 : TextEncoding::Latin1;
}

QString NetlistText::decode(QByteArrayView bytes) const {
  return mEncoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes)
                                         : QString::fromLatin1(bytes);
}

bool NetlistText::nextLine(QByteArrayView& line) noexcept {
  const qsizetype size = mText.size();
  if (mPos >= size) return false;
  if (mLf < mPos) {
    mLf = mText.indexOf('\n', mPos);
    if (mLf < 0) mLf = size;
  }
  const qsizetype cr = mText.sliced(mPos, mLf - mPos).indexOf('\r');
  const qsizetype end = cr < 0 ? mLf : mPos + cr;
  line = mText.sliced(mPos, end - mPos);
  mPos = end;
  if (mPos < size) {
    const bool crlf =
        mText[mPos] == '\r' && mPos + 1 < size && mText[mPos + 1] == '\n';
    mPos += crlf ? 2 : 1;
  }
  return true;
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

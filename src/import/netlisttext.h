#pragma once

// The bytes of a netlist as text. CAD systems of every age write them: in
// ASCII, UTF-8 or a Latin-1 code page, with lines ended by LF, CR LF or a
// lone CR. Reading every byte sequence as UTF-8 would turn distinct Latin-1
// names into one ("NET_\xC91" and "NET_\xC81" both into "NET_\uFFFD1"), and
// splitting at LF alone would glue CR-ended records into one line.

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace lw::ipc356 {

enum class TextEncoding : std::uint8_t { Utf8, Latin1 };

class NetlistText {
 public:
  // A leading UTF-8 byte order mark is dropped. The whole text is read as
  // UTF-8 when it is valid UTF-8, else as Latin-1, where each byte is a
  // character of its own, so that distinct bytes stay distinct names.
  explicit NetlistText(QByteArrayView bytes);

  TextEncoding encoding() const noexcept { return mEncoding; }
  // A piece of the text (a field of a line) as characters.
  QString decode(QByteArrayView bytes) const;

  // The next line, without its end (LF, CR LF or CR); false after the last.
  // Text after the last line end is a line of its own.
  bool nextLine(QByteArrayView& line) noexcept;

 private:
  QByteArrayView mText;
  qsizetype mPos = 0;  // start of the next line
  // The next LF at or after mPos, kept while lines end in CR alone, so
  // that a file of CR-ended lines is searched once, not once a line.
  qsizetype mLf = -1;
  TextEncoding mEncoding = TextEncoding::Utf8;
};

// Text from a file as a terminal or a message box may show it: control
// characters (C0, DEL, C1) written as \xNN, so that no byte of a file can
// move the cursor, clear a screen or break a line of a report.
QString printable(QStringView text);

}  // namespace lw::ipc356

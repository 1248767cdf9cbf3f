// Netlists as careless or hostile sources write them: names in Latin-1 or
// UTF-8, lines ended by LF, CR LF or a lone CR, control bytes that must not
// reach a terminal, repeated records, and files past the importer's limits.

#include "ipc356builder.h"
#include "ipc356import.h"
#include "ipc356reader.h"
#include "netlisttext.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cstdio>

namespace lw {
namespace {

using namespace ipc356;
using ::testing::HasSubstr;

// A top surface pad, x in 0.0001 inch; fields padded by bytes, as a writer
// in any encoding pads them.
QByteArray pad(const QByteArray& net, const char* refdes, int pin, int x) {
  char line[100];
  std::snprintf(line, sizeof line,
                "327%-14s   %-6s-%-4d       A01X%+07dY+000000X0500Y0500\n",
                net.constData(), refdes, pin, x);
  return line;
}

TEST(NetlistText, SplitsLinesAndChoosesTheEncoding) {
  using enum TextEncoding;
  const std::tuple<QByteArray, const char*, TextEncoding> cases[] = {
      {"a\nb", "a|b", Utf8},
      {"a\r\nb\r\n", "a|b", Utf8},
      {"a\r\rb\n\rc\r", "a||b||c", Utf8},
      {"\xEF\xBB\xBF\xC3\x89", "\xC3\x89", Utf8},
      {"\xC9\r\xC8", "\xC9|\xC8", Latin1},
      {"\xEF\xBB\xBF\xC3", "\xC3", Latin1}};  // cut in a character
  for (const auto& [bytes, lines, encoding] : cases) {
    NetlistText text(bytes);
    QByteArrayList found;
    for (QByteArrayView line; text.nextLine(line);) found << line.toByteArray();
    EXPECT_TRUE(found.join('|') == lines && text.encoding() == encoding)
        << bytes.toHex().toStdString();
  }
}

// Names that differ in one Latin-1 letter stay two nets, and records ended
// by CR alone are all read; the summary says how the text was read.
TEST(Ipc356Import, LatinNamesAndLinesEndedByCrKeepEveryNet) {
  const QByteArray text =
      QByteArray(pad("N\xC9", "R1", 1, 0) + pad("N\xC8", "R2", 1, 9))
          .replace('\n', '\r');
  const Netlist n = readNetlist(text, "n");
  EXPECT_TRUE(n.lines == 2 && n.features.size() == 2 &&
              n.features[0].net == u"N\u00C9" &&
              n.features[1].net == u"N\u00C8");
  const ImportSummary s = importIpc356Text(text, "n.ipc", {}).summary;
  EXPECT_TRUE(s.nets == 2 &&
              formatSummary(s).contains("; Latin-1 text, not UTF-8;"));
}

// Bytes of the file (fields, the name, the units) reach the summary and the
// messages escaped: its only line breaks are its own.
TEST(Ipc356Import, SummaryAndMessagesCarryNoControlCharacters) {
  const QByteArray text = pad("A", "R1", 1, 0) +
                          "\x1b[2J\n\x9b"
                          "31m\n";
  const QString summary =
      formatSummary(importIpc356Text(text, "a\rb.ipc", {}).summary);
  EXPECT_FALSE(summary.contains(
      QRegularExpression("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]")));
  for (const char* shown : {"a\\x0db.ipc", "\"\\x1b[2\"", "\"\\x9b31\""})
    EXPECT_TRUE(summary.contains(shown)) << shown << summary.toStdString();
  EXPECT_THAT([&] { importIpc356Text("P  UNITS \x07\n" + text, "u", {}); },
              ThrowsMessage<Error>(HasSubstr("as \"\\x07\"")));
}

// A feature whose records repeat an earlier one's exactly is left out and
// listed; the same pin elsewhere, or with one record more, is kept.
TEST(Ipc356Import, RepeatedFeaturesAreLeftOutAndListed) {
  const QByteArray r1 = pad("A", "R1", 1, 0), r2 = pad("A", "R1", 2, 0);
  const QByteArray bottom =
      QByteArray(r1).replace("327", "027").replace("A01", "A02");
  const std::tuple<QByteArray, int, QStringList> cases[] = {
      {r1 + r1 + r2 + pad("A", "R1", 3, 0) + r2,
       3,
       {"line 2 repeats line 1", "line 5 repeats line 3"}},
      {r1 + bottom + r1 + bottom, 1, {"line 3 repeats line 1"}},
      {r1 + bottom + r1 + pad("A", "R1", 1, 1), 3, {}}};
  for (const auto& [text, pins, repeats] : cases) {
    const ImportSummary s = importIpc356Text(text, "d.ipc", {}).summary;
    EXPECT_TRUE(s.pins == pins && s.duplicates == repeats) << text.data();
  }
  EXPECT_TRUE(formatSummary(importIpc356Text(r1 + r1, "d", {}).summary)
                  .contains("\nDuplicates left out: 1\n  line 2 repeats "
                            "line 1\n"));
}

// Past a limit the file is refused, naming the bound and the line; at the
// limits, and with vias past the pin limit, it is read.
TEST(Ipc356Import, LimitsRefuseTheFileByName) {
  const QByteArray r1 = pad("A", "R1", 1, 0),
                   pins = r1 + pad("A", "R1", 2, 9) + pad("A", "R1", 3, 9),
                   vias = pad("A", "VIA", 0, 0) + pad("A", "VIA", 0, 9) +
                          pad("A", "VIA", 0, 99);
  const std::tuple<QByteArray, ImportLimits, const char*> cases[] = {
      {pins, {.featureRecords = 3, .pinsPerComponent = 3}, ""},
      {pins + r1,
       {.featureRecords = 3},
       "more than 3 feature records (line 4)"},
      {r1 + r1 + r1,
       {.duplicateFeatures = 1},
       "more than 1 features repeat earlier ones exactly (line 3 repeats"},
      {vias, {.pinsPerComponent = 2}, ""},
      {pins, {.pinsPerComponent = 2}, "R1 has more than 2 pins (line 3)"}};
  for (const auto& [text, limits, refused] : cases) {
    QString message;
    try {
      buildBoard(readNetlist(text, "\"n.ipc\"", limits), "n.ipc", limits);
    } catch (const Error& e) {
      message = e.message();
    }
    EXPECT_TRUE(*refused ? message.contains(refused) : message.isEmpty())
        << message.toStdString();
  }
}

}  // namespace
}  // namespace lw

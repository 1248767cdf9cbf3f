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

// A top surface pad in the standard columns; x in 0.0001 inch. Fields are
// padded by bytes, as a writer in any encoding pads them.
QByteArray pad(const char* net, const char* refdes, const char* pin, int x) {
  char line[100];
  std::snprintf(line, sizeof line,
                "327%-14s   %-6s-%-4s       A01X%+07dY+000000X0500Y0500\n", net,
                refdes, pin, x);
  return line;
}

TEST(NetlistText, SplitsLinesAndChoosesTheEncoding) {
  const struct {
    QByteArray bytes;
    const char* lines;  // joined by |
    TextEncoding encoding;
  } cases[] = {
      {"a\nb", "a|b", TextEncoding::Utf8},
      {"a\r\nb\r\n", "a|b", TextEncoding::Utf8},
      {"a\rb\r", "a|b", TextEncoding::Utf8},
      {"a\r\rb\n\rc", "a||b||c", TextEncoding::Utf8},
      {"\n", "", TextEncoding::Utf8},
      {"", nullptr, TextEncoding::Utf8},
      {"\xEF\xBB\xBF\xC3\x89", "\xC3\x89", TextEncoding::Utf8},
      {"\xC9\r\xC8", "\xC9|\xC8", TextEncoding::Latin1},
      {"\xEF\xBB\xBF\xC9", "\xC9", TextEncoding::Latin1},
      {"\xC3", "\xC3", TextEncoding::Latin1},  // cut in a character
  };
  for (const auto& c : cases) {
    NetlistText text(c.bytes);
    QByteArrayList lines;
    for (QByteArrayView line; text.nextLine(line);)
      lines.append(line.toByteArray());
    EXPECT_EQ(lines.isEmpty() ? nullptr : lines.join('|'), c.lines)
        << c.bytes.toHex().toStdString();
    EXPECT_EQ(text.encoding(), c.encoding) << c.bytes.toHex().toStdString();
  }
}

// The same netlist with each kind of line end, in UTF-8 and in Latin-1:
// every record is read, and names that differ in one accented letter stay
// two nets with two probes.
TEST(Ipc356Reader, EveryLineEndAndEncodingKeepsRecordsAndNames) {
  const std::pair<const char*, const char*> letters[] = {
      {"\xC3\x89", "\xC3\x88"},  // UTF-8
      {"\xC9", "\xC8"}};         // Latin-1
  for (const auto& [e1, e2] : letters) {
    for (const char* end : {"\n", "\r\n", "\r", "mixed"}) {
      const QByteArrayList lines = {
          "P  UNITS CUST 0\n", pad(QByteArray("NET_") + e1 + '1', "R1", "1", 0),
          pad(QByteArray("NET_") + e2 + '1', "R2", "1", 5000),
          pad("N3", "R3", "1", 10000), "999\n"};
      QByteArray text;
      for (qsizetype i = 0; i < lines.size(); ++i) {
        const char* cut =
            QByteArray(end) == "mixed" ? (i % 2 ? "\r" : "\n") : end;
        text += lines[i].chopped(1) + cut;
      }
      SCOPED_TRACE(text.toHex().toStdString());
      const Netlist n = readNetlist(text, "n");
      QStringList nets;
      for (const Feature& f : n.features) nets << f.net;
      EXPECT_EQ(nets,
                (QStringList{u"NET_\u00C91"_qs, u"NET_\u00C81"_qs, "N3"}));
      EXPECT_EQ(n.lines, 5);
      const bool latin1 = QByteArray(e1).size() == 1;
      EXPECT_EQ(n.encoding, latin1 ? TextEncoding::Latin1 : TextEncoding::Utf8);
      const ImportSummary s = importIpc356Text(text, "n.ipc", {}).summary;
      EXPECT_EQ(s.nets, 3);
      EXPECT_TRUE(formatSummary(s).contains(
          latin1 ? "; Latin-1 text, not UTF-8;" : "; UTF-8 text;"));
    }
  }
}

TEST(NetlistText, PrintableEscapesControlCharactersOnly) {
  const std::pair<QString, QString> cases[] = {
      {"a\x1b[2Jb", "a\\x1b[2Jb"},
      {"\t\r\n\x7f", "\\x09\\x0d\\x0a\\x7f"},
      {u"\u0085\u009b\u00C9\u20AC"_qs, u"\\x85\\x9b\u00C9\u20AC"_qs},
      {"P<\\x05>", "P<\\x05>"}};
  for (const auto& [text, shown] : cases) EXPECT_EQ(printable(text), shown);
}

// Bytes of the file (a field, the name) reach the summary and the messages
// escaped: the only line breaks are the summary's own.
TEST(Ipc356Import, SummaryAndMessagesCarryNoControlCharacters) {
  QByteArray text = pad("A", "R1", "1", 0) + pad("B", "R2", "1", 5000);
  text.replace("X+005000", "X+\x1b[2J00");
  text +=
      "\x9b"
      "31m\n\x07\n";
  const QString summary =
      formatSummary(importIpc356Text(text, "a\rb.ipc", {}).summary);
  const QRegularExpression control("[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x9f]");
  EXPECT_FALSE(summary.contains(control)) << summary.toStdString();
  for (const char* shown :
       {"Imported a\\x0db.ipc", "X coordinate \"+\\x1b[2J00\"",
        "\"\\x9b31\" is not", "\"\\x07\" is not"})
    EXPECT_TRUE(summary.contains(shown)) << shown << summary.toStdString();
  try {
    importIpc356Text("P  UNITS \x1b[5m\n" + pad("A", "R1", "1", 0), "u", {});
    ADD_FAILURE() << "units accepted";
  } catch (const Error& e) {
    EXPECT_TRUE(e.message().contains("\"\\x1b[5m\"") &&
                !e.message().contains(control))
        << e.message().toStdString();
  }
}

// A feature whose records repeat an earlier one's exactly is left out and
// listed; the same pin elsewhere, or with one more record, is another
// feature.
TEST(Ipc356Import, RepeatedFeaturesAreLeftOutAndListed) {
  const QByteArray r1 = pad("A", "R1", "1", 0), r2 = pad("A", "R1", "2", 0),
                   r3 = pad("A", "R1", "3", 0);
  QByteArray bottom = pad("A", "R1", "1", 0).replace("327", "027");
  bottom.replace("A01", "A02");
  const struct {
    QByteArray text;
    int pins;
    QStringList duplicates;
  } cases[] = {
      {r1 + r1 + r1, 1, {"line 2 repeats line 1", "line 3 repeats line 1"}},
      {r1 + r1 + r2 + r3 + r2,
       3,
       {"line 2 repeats line 1", "line 5 repeats line 3"}},
      {r1 + "C  comment\n" + r1.trimmed() + "   \n",
       1,
       {"line 3 repeats line 1"}},
      {r1 + bottom + r1 + bottom, 1, {"line 3 repeats line 1"}},
      {r1 + bottom + r1, 2, {}},
      {r1 + pad("A", "R1", "1", 100), 2, {}},
      {r1 + pad("B", "R1", "1", 0), 2, {}},
  };
  for (const auto& c : cases) {
    const ImportResult r = importIpc356Text(c.text, "d.ipc", {});
    EXPECT_EQ(r.summary.pins, c.pins) << c.text.toStdString();
    EXPECT_EQ(r.summary.duplicates, c.duplicates) << c.text.toStdString();
  }
  const QString text =
      formatSummary(importIpc356Text(r1 + r1, "d.ipc", {}).summary);
  EXPECT_TRUE(
      text.contains("\nDuplicates left out: 1\n  line 2 repeats line 1\n"))
      << text.toStdString();
}

// Past a limit the file is refused, naming the bound and the line; at the
// limit it is read.
TEST(Ipc356Import, LimitsRefuseTheFileByName) {
  using ::testing::HasSubstr;
  QByteArray threePins, fourPins;
  for (int i = 0; i < 4; ++i) {
    const QByteArray line =
        pad("A", "U1", QByteArray::number(i).constData(), i * 1000);
    (i < 3 ? threePins : fourPins) += line;
  }
  fourPins.prepend(threePins);
  const QByteArray r1 = pad("A", "R1", "1", 0);
  const QByteArray vias = pad("A", "VIA", "", 0) + pad("A", "VIA", "", 100) +
                          pad("A", "VIA", "", 200) + pad("A", "VIA", "", 300);
  const struct {
    QByteArray text;
    ImportLimits limits;
    const char* refused;  // nullptr: read
  } cases[] = {
      {threePins, {.featureRecords = 3}, nullptr},
      {fourPins,
       {.featureRecords = 3},
       "\"n.ipc\" holds more than 3 feature records (line 4)"},
      {r1 + r1, {.duplicateFeatures = 1}, nullptr},
      {r1 + r1 + r1,
       {.duplicateFeatures = 1},
       "more than 1 features repeat earlier ones exactly (line 3 repeats "
       "line 1)"},
      {threePins, {.pinsPerComponent = 3}, nullptr},
      {vias, {.pinsPerComponent = 3}, nullptr},
      {fourPins,
       {.pinsPerComponent = 3},
       "In \"n.ipc\" the component U1 has more than 3 pins (line 4)"},
  };
  for (const auto& c : cases) {
    try {
      buildBoard(readNetlist(c.text, "\"n.ipc\"", c.limits), "n.ipc", c.limits);
      EXPECT_FALSE(c.refused) << c.text.toStdString();
    } catch (const Error& e) {
      ASSERT_TRUE(c.refused) << e.message().toStdString();
      EXPECT_THAT(e.message().toStdString(), HasSubstr(c.refused));
    }
  }
}

}  // namespace
}  // namespace lw

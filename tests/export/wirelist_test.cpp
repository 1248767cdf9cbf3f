// Wire lists as files: which probes and columns they hold, the CSV read
// back as a spreadsheet would, the PDF's pages read back with poppler's
// pdftotext, and exports that are cancelled or fail leaving the old file.

#include "boardsheet.h"
#include "probemaps.h"
#include "sheetboard.h"
#include "tempfolder.h"
#include "wirelistcsv.h"
#include "wirelistpages.h"

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace lw {
namespace {

using test::sheetBoard;
using test::sheetProbe;

// RFC 4180 as a spreadsheet reads it: records end in CR LF, quoted fields
// may hold commas, quotes (doubled) and line breaks.
std::vector<QStringList> readCsv(const QByteArray& bytes) {
  const QString text = QString::fromUtf8(bytes);
  std::vector<QStringList> records(1);
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
      field += c;
      ++i;
    } else if (c == u'"') {
      quoted = !quoted;
    } else if (!quoted && c == u',') {
      records.back() << std::exchange(field, {});
    } else if (!quoted && c == u'\r' && i + 1 < text.size() &&
               text[i + 1] == u'\n') {
      records.back() << std::exchange(field, {});
      records.emplace_back();
      ++i;
    } else {
      field += c;
    }
  }
  records.pop_back();  // after the last CR LF
  return records;
}

// A probe table of five probes as a load leaves it: internal columns
// hidden, rows in the grid's order, X and Y in the user's form.
void fillGrid(GridModel& grid, const RegionalFormat& regional) {
  const QStringList titles =
      QString(
          "Wired|Probe #|X Loc|Y Loc|Probe Size|Probe Style|Surface|"
          "Feature Type|RefDes|Tester Resource|Net Name|Probe Data "
          "Position|Prefix|Number|Pin|NOTE")
          .split('|');
  grid.setColumns(int(titles.size()));
  // Wired, name, X, Y, surface, note.
  const QStringList rows[] = {
      {"1", "P3", "-1.5", "2.25", "T", "say \"hi\", twice"},
      {"", "P1,a", "10", "-0.5", "B", "line\nbreak"},
      {"0", "P2", "3", "4", "T", "ü"},
      {"1", "P4", "5", "6", "B", ""},
      {"", "P5", "7.75", "8", "T", "plain"}};
  grid.setRows(6);
  for (int c = 0; c < titles.size(); ++c) grid.setText(0, c, titles[c]);
  for (int r = 1; r <= 5; ++r) {
    const QStringList& row = rows[r - 1];
    for (auto [column, text] : {std::pair{probe_grid::kWired, row[0]},
                                {probe_grid::kProbe, row[1]},
                                {probe_grid::kX, toRegional(row[2], regional)},
                                {probe_grid::kY, toRegional(row[3], regional)},
                                {probe_grid::kSize, QString("100")},
                                {probe_grid::kSurface, row[4]},
                                {probe_grid::kFirstAttribute, row[5]}})
      grid.setText(r, column, text);
  }
  for (int c = 0; c < grid.columns(); ++c)
    grid.setColumnHidden(c, isInternalColumnTitle(grid.text(0, c)));
}

TEST(WireList, ListsTheChosenProbesInTheGridsOrder) {
  GridModel grid;
  fillGrid(grid, {});
  const struct {
    WireSurfaces surfaces;
    bool unwiredOnly;
    QStringList probes;
  } cases[] = {
      {WireSurfaces::Both, false, {"P3", "P1,a", "P2", "P4", "P5"}},
      {WireSurfaces::Top, false, {"P3", "P2", "P5"}},
      {WireSurfaces::Bottom, false, {"P1,a", "P4"}},
      {WireSurfaces::Both, true, {"P1,a", "P2", "P5"}},  // "0" is not wired
      {WireSurfaces::Bottom, true, {"P1,a"}}};
  for (const auto& c : cases) {
    const WireList list(grid, {c.surfaces, c.unwiredOnly}, {});
    QStringList probes;
    for (int r = 0; r < list.rowCount(); ++r) probes << list.probe(r);
    EXPECT_EQ(probes, c.probes) << wireSurfacesName(c.surfaces).toStdString();
    // Progress counts every probe of the surfaces, listed or not.
    EXPECT_EQ(list.progress(WireSurfaces::Both).wired, 2);
    EXPECT_EQ(list.progress(WireSurfaces::Top).total, 3);
  }
}

TEST(WireListCsv, ReadsBackInASpreadsheetWhateverTheLocale) {
  for (const char* locale : {"C", "de_DE"}) {
    const RegionalFormat regional = initRegionalFormat(QLocale(locale));
    GridModel grid;
    fillGrid(grid, regional);
    grid.setColumnHidden(probe_grid::kSize, true);  // as the rules may
    const QByteArray csv = *wireListCsv(WireList(grid, {}, regional));
    EXPECT_FALSE(csv.startsWith("\xef\xbb\xbf")) << "no byte order mark";
    const std::vector<QStringList> expected = {
        {"Wired", "Probe #", "X Loc", "Y Loc", "Feature Type", "RefDes",
         "Tester Resource", "NOTE"},
        {"1", "P3", "-1.5", "2.25", "", "", "", "say \"hi\", twice"},
        {"0", "P1,a", "10", "-0.5", "", "", "", "line\nbreak"},
        {"0", "P2", "3", "4", "", "", "", "ü"},
        {"1", "P4", "5", "6", "", "", "", ""},
        {"0", "P5", "7.75", "8", "", "", "", "plain"}};
    EXPECT_EQ(readCsv(csv), expected) << locale;
    EXPECT_TRUE(csv.contains("\"say \"\"hi\"\", twice\"\r\n")) << locale;
  }
}

TEST(WireListFiles, FormByName) {
  EXPECT_EQ(wireListFormatForName("a.CSV"), WireListFormat::Csv);
  EXPECT_EQ(wireListFormatForName("a.pdf"), WireListFormat::Pdf);
  EXPECT_EQ(wireListFormatForName("a.csv.txt"), std::nullopt);
  EXPECT_EQ(withWireListExtension("a.Pdf", WireListFormat::Pdf), "a.Pdf");
  EXPECT_EQ(withWireListExtension("a.csv", WireListFormat::Pdf), "a.csv.pdf");
  EXPECT_EQ(withWireListExtension("a", WireListFormat::Csv), "a.csv");
  EXPECT_EQ(wireSurfacesFromText("bottom"), WireSurfaces::Bottom);
  EXPECT_EQ(wireSurfacesFromText("Top"), std::nullopt);
}

TEST(WireListPages, PaperFollowsTheLocale) {
  for (auto [locale, size] : {std::pair{"en_US", QPageSize::Letter},
                              {"de_DE", QPageSize::A4},
                              {"en_GB", QPageSize::A4}}) {
    const QPageLayout layout = wireListPageLayout(QLocale(locale));
    EXPECT_EQ(layout.pageSize().id(), size) << locale;
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape) << locale;
  }
}

TEST(ProbeMaps, ShowTheWirersChoicesOnPaper) {
  WiringSettings settings;
  settings[ClassBox::Comps] = Qt::Unchecked;
  settings[ClassBox::Mech] = Qt::PartiallyChecked;  // greyed shows
  const ShownClasses shown = shownClasses(settings);
  EXPECT_FALSE(shown[size_t(EntityKind::Component)]);
  EXPECT_TRUE(shown[size_t(EntityKind::MechanicalHole)]);
  EXPECT_FALSE(shown[size_t(EntityKind::AccessPoint)]);
  EXPECT_TRUE(shown[size_t(EntityKind::Probe)]);
  EXPECT_LT(qGray(paperColour(qRgb(240, 240, 240))), 160);
  EXPECT_EQ(paperColour(qRgb(0, 0, 255)), qRgb(0, 0, 255));
}

class SheetTest : public testing::Test {
 protected:
  BoardSheet& read(const Board& board) {
    BoardDocument document;
    document.open(dir.write(board, "b.vdz"));
    sheet = std::make_unique<BoardSheet>(std::move(document), RegionalFormat{});
    return *sheet;
  }
  const test::TempFolder dir;
  std::unique_ptr<BoardSheet> sheet;
};

TEST_F(SheetTest, ReadsTheBoardAsALoadWithRulesAndMarks) {
  BoardSheet& s = read(sheetBoard(12, {1, 2}));
  EXPECT_TRUE(s.hasStoredMarks());
  EXPECT_EQ(wiredCounts(s.grid()).top, 2);
  // The user's rules hide "Probe Size" and sort by "X Loc".
  s.applyRules({dir.write("user.rules",
                          "Loomwright Rules File\r\n\r\n"
                          ".ColumnGrid 0 0 Probe Size\r\n"
                          ".SortOrder X Loc\r\n"),
                {}});
  EXPECT_TRUE(s.grid().isColumnHidden(probe_grid::kSize));
  QStringList order;
  for (int r = 1; r < s.grid().rows(); ++r)
    order << s.grid().text(r, probe_grid::kProbe);
  EXPECT_EQ(order.mid(0, 5),
            QStringList({"N101", "N111", "N102", "N112", "N103"}));
  EXPECT_FALSE(read(sheetBoard(2)).hasStoredMarks());
}

// Every page of a PDF as text, one word list per page.
std::vector<QStringList> pdfWords(const QString& path) {
  QProcess info;
  info.start("pdfinfo", {path});
  EXPECT_TRUE(info.waitForFinished(60000)) << "poppler-utils missing?";
  const QRegularExpressionMatch pages =
      QRegularExpression(R"(Pages:\s+(\d+))")
          .match(QString::fromUtf8(info.readAllStandardOutput()));
  std::vector<QStringList> words;
  for (int p = 1; p <= pages.captured(1).toInt(); ++p) {
    QProcess text;
    text.start("pdftotext",
               {"-f", QString::number(p), "-l", QString::number(p), path, "-"});
    EXPECT_TRUE(text.waitForFinished(60000));
    words.push_back(
        QString::fromUtf8(text.readAllStandardOutput())
            .split(QRegularExpression(R"(\s+)"), Qt::SkipEmptyParts));
  }
  return words;
}

QStringList probeNames(const QStringList& words) {
  return words.filter(QRegularExpression(R"(^N\d+$)"));
}

TEST_F(SheetTest, PdfPagesHoldTheListThenOneMapPerSurface) {
  constexpr int kProbes = 90;
  const QSet<int> wired = {1, 3, 4};  // two on top, one below
  BoardSheet& s = read(sheetBoard(kProbes, wired));
  ProbeMaps maps(s.document(), s.grid(), shownClasses({}));
  const QString path = dir.path("list.pdf");
  const struct {
    WireListChoice choice;
    std::vector<bool> maps;  // surfaces of the map pages, top first
  } cases[] = {{{WireSurfaces::Both, false}, {true, false}},
               {{WireSurfaces::Bottom, true}, {false}}};
  for (const auto& c : cases) {
    const WireList list(s.grid(), c.choice, {});
    ASSERT_TRUE(
        exportWireListPdf(WireListPages(list, &maps, {"b.vdz", "7 Dec 2026"}),
                          path, wireListPageLayout(QLocale("de_DE"))));
    const std::vector<QStringList> pages = pdfWords(path);
    const int tablePages = int(pages.size() - c.maps.size());
    ASSERT_GT(tablePages, c.choice.unwiredOnly ? 0 : 1) << "paged";
    QStringList listed;
    for (int p = 0; p < int(pages.size()); ++p) {
      const QString page = pages[size_t(p)].join(' ');
      EXPECT_TRUE(page.startsWith("b.vdz")) << p;
      EXPECT_TRUE(page.contains("7 Dec 2026")) << p;
      EXPECT_TRUE(
          page.endsWith(QString("Page %1 of %2").arg(p + 1).arg(pages.size())))
          << page.toStdString();
      if (p < tablePages) {
        EXPECT_TRUE(page.contains("Wired Probe # X Loc Y Loc")) << p;
        listed << probeNames(pages[size_t(p)]);
        continue;
      }
      // Every probe of the map's surface numbered on it, wired or not.
      const bool top = c.maps[size_t(p - tablePages)];
      QStringList expected;
      for (int i = 0; i < kProbes; ++i)
        if (test::sheetProbeOnTop(i) == top) expected << sheetProbe(i);
      QStringList onMap = probeNames(pages[size_t(p)]);
      onMap.sort();
      expected.sort();
      EXPECT_EQ(onMap, expected) << p;
      EXPECT_TRUE(page.contains(top ? "Surface: Top Wired: 2 / 60"
                                    : "Surface: Bottom Wired: 1 / 30"))
          << page.toStdString();
    }
    QStringList expected;
    for (int r = 0; r < list.rowCount(); ++r) expected << list.probe(r);
    EXPECT_EQ(listed, expected) << "each once, in the grid's order";
  }
}

TEST_F(SheetTest, CancelledOrFailedExportsLeaveTheOldFile) {
  BoardSheet& s = read(sheetBoard(30));
  const WireList list(s.grid(), {}, {});
  ProbeMaps maps(s.document(), s.grid(), shownClasses({}));
  const WireListPages pages(list, &maps, {});
  const QString csv = dir.write("old.csv", "old");
  const QString pdf = dir.write("old.pdf", "old");
  const QPageLayout layout = wireListPageLayout(QLocale::c());
  // Cancelled at each report: the CSV reports twice, the PDF four times
  // (its one table page, two maps, the end).
  for (int stopAt : {0, 1, 2, 3}) {
    int calls = 0;
    const ExportProgress cancel = [&](int, int) { return calls++ < stopAt; };
    if (stopAt < 2) {
      EXPECT_FALSE(exportWireListCsv(list, csv, cancel));
    }
    calls = 0;
    EXPECT_FALSE(exportWireListPdf(pages, pdf, layout, cancel));
  }
  EXPECT_EQ(dir.read("old.csv"), "old");
  EXPECT_EQ(dir.read("old.pdf"), "old");
  EXPECT_EQ(QDir(dir.path("")).entryList(QDir::Files).size(), 3);
  EXPECT_THROW(exportWireListCsv(list, dir.path("")), Error);  // a folder
  EXPECT_THROW(exportWireListPdf(pages, dir.path("no/such/x.pdf"), layout),
               Error);
}

}  // namespace
}  // namespace lw

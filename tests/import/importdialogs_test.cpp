// The import dialogs on their own: the choices they show and give back,
// what is remembered for the user, and the summary's table of nets left
// without a probe. The window test checks that the window uses them.

#include "importdialogs.h"
#include "tempfolder.h"

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace lw {
namespace {

// Every choice shown comes back; bottom and auto to begin with.
TEST(ImportChoicesDialog, ShowsAndGivesBackEveryChoice) {
  ImportChoicesDialog dialog;
  EXPECT_EQ(dialog.options(), ImportOptions{});
  for (const ProbeSide side : {ProbeSide::Top, ProbeSide::Both})
    for (const ProbeSize size : probeSizesOf(ProbeSize::Auto)) {
      dialog.setOptions({side, size});
      EXPECT_EQ(dialog.options(), (ImportOptions{side, size}));
    }
}

// Stored as the command line's texts; what cannot be read is the default.
TEST(ImportChoicesDialog, RemembersTheChoicesPerUser) {
  const test::TempFolder dir;
  QSettings settings(dir.path("settings.ini"), QSettings::IniFormat);
  EXPECT_EQ(ImportChoicesDialog::remembered(&settings), ImportOptions{});
  EXPECT_EQ(ImportChoicesDialog::remembered(nullptr), ImportOptions{});
  ImportChoicesDialog::remember(nullptr, {});  // no settings: nothing kept
  ImportChoicesDialog::remember(&settings, {ProbeSide::Both, ProbeSize::Mil75});
  EXPECT_EQ(settings.value("Import/Probe Side"), "both");
  EXPECT_EQ(settings.value("Import/Probe Size"), "75");
  EXPECT_EQ(ImportChoicesDialog::remembered(&settings),
            (ImportOptions{ProbeSide::Both, ProbeSize::Mil75}));
  settings.setValue("Import/Probe Size", "60");
  EXPECT_EQ(ImportChoicesDialog::remembered(&settings),
            (ImportOptions{ProbeSide::Both, ProbeSize::Auto}));
}

TEST(ImportSummaryDialog, ListsTheNetsWithoutAProbeToCopy) {
  ImportSummary summary;
  summary.unplaced = {{"GND", kReasonTooClose}, {"/A B", kReasonNoAccess}};
  ImportSummaryDialog dialog(summary);
  const QTableWidget& table = *dialog.tblUnplaced;
  ASSERT_EQ(table.rowCount(), 2);
  EXPECT_EQ(table.item(1, 0)->text(), "/A B");
  EXPECT_EQ(table.item(0, 1)->text(), kReasonTooClose);
  EXPECT_EQ(dialog.tableText(),
            "Net\tReason\nGND\tToo close to other probes\n"
            "/A B\tNo access from the probe side\n");
  dialog.cmdCopy->click();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), dialog.tableText());
  EXPECT_FALSE(dialog.tblUnplaced->isHidden());

  const ImportSummaryDialog placedAll(ImportSummary{});
  EXPECT_TRUE(placedAll.tblUnplaced->isHidden());
  EXPECT_TRUE(placedAll.cmdCopy->isHidden());
}

}  // namespace
}  // namespace lw

#pragma once

// The wire list on paper. Every page has a header (board file, date,
// surface, wired / total) and its number ("Page 3 of 12"); the table comes
// first, paged, its column titles repeated on each page and the "Wired"
// column a box to tick; then one probe map per surface listed. Paints on
// any paged device, so the PDF file and the printer get the same pages.

#include "wirelist.h"

#include <QPageLayout>
#include <QString>

class QLocale;
class QPagedPaintDevice;
class QPainter;

namespace lw {

class ProbeMaps;

struct PageHeader {
  QString boardName;  // the board file's name
  QString date;       // in the user's own date form
};

// A4, or Letter where the locale measures in inches; landscape, with
// margins.
QPageLayout wireListPageLayout(const QLocale& locale);

class WireListPages {
 public:
  // Without maps, the table alone. Both must outlive the pages.
  WireListPages(const WireList& list, ProbeMaps* maps, PageHeader header);

  // Paints every page with painter, active on device, starting on the
  // device's current page. False when progress cancelled: the device then
  // holds some of the pages, for the caller to drop (a printer's abort()).
  bool paint(QPainter& painter, QPagedPaintDevice& device,
             const ExportProgress& progress = {}) const;

 private:
  const WireList& mList;
  ProbeMaps* mMaps;
  PageHeader mHeader;
};

// Writes the pages as a PDF file, atomically: a cancelled or failed export
// leaves whatever was there. False when cancelled; throws Error naming the
// file.
bool exportWireListPdf(const WireListPages& pages, const QString& path,
                       const QPageLayout& layout,
                       const ExportProgress& progress = {});

}  // namespace lw

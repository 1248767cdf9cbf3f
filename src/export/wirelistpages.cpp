#include "wirelistpages.h"

#include "probemaps.h"
#include "savefile.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QLocale>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace lw {

namespace {

constexpr double kMarginMm = 10;
constexpr double kTablePoints = 8;
constexpr double kSmallestPoints = 5;  // narrower tables are cut short
constexpr double kHeaderPoints = 9;
constexpr int kLongestMeasured = 8;  // texts measured per column
constexpr double kPdfDotsPerInch = 1200;

const QColor kRule(120, 120, 120);
const QColor kTitleShade(225, 225, 225);
const QColor kRowShade(243, 243, 243);

QFont pageFont(double points, bool bold = false) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(points);
  font.setBold(bold);
  return font;
}

// Per column, the texts that may be the widest: the longest few by
// characters, found in one pass, so that 100,000 rows cost little.
std::vector<std::vector<QString>> longestTexts(const WireList& list) {
  std::vector<std::vector<QString>> longest(size_t(list.columnCount()));
  for (int c = 0; c < list.columnCount(); ++c) {
    auto& keep = longest[size_t(c)];
    keep.push_back(list.title(c));
    for (int r = 0; r < list.rowCount(); ++r) {
      const QString& text = list.text(r, c);
      if (int(keep.size()) > kLongestMeasured &&
          text.size() <= keep.back().size())
        continue;
      keep.push_back(text);
      std::sort(keep.begin() + 1, keep.end(),
                [](const QString& a, const QString& b) {
                  return a.size() > b.size();
                });
      if (int(keep.size()) > kLongestMeasured + 1) keep.pop_back();
    }
  }
  return longest;
}

class PagePainter {
 public:
  PagePainter(QPainter& painter, QPagedPaintDevice& device,
              const WireList& list, ProbeMaps* maps, const PageHeader& header)
      : mPainter(painter),
        mDevice(device),
        mList(list),
        mMaps(maps),
        mHeader(header) {}

  bool paint(const ExportProgress& progress);

 private:
  double mm(double millimetres) const {
    return millimetres * mDevice.logicalDpiY() / 25.4;
  }
  void layOutPage();
  void layOutTable();
  std::vector<bool> mapSurfaces() const;
  void paintFrame(WireSurfaces surfaces);
  void paintTable(int first, int end);
  void paintTicks(int column, int first, int end, double top);
  void paintMap(bool top);

  QPainter& mPainter;
  QPagedPaintDevice& mDevice;
  const WireList& mList;
  ProbeMaps* mMaps;
  const PageHeader& mHeader;

  int mPage = 0;
  int mPages = 0;
  QRectF mBody;  // between header and footer
  double mHeaderBottom = 0;
  double mFooterTop = 0;
  double mPad = 0;
  QFont mFont;
  QFont mBold;
  QFontMetricsF mMetrics{QFont()};
  double mRowHeight = 0;
  double mAscent = 0;
  double mBaseline = 0;       // from a row's top
  std::vector<double> mLeft;  // of each column
  std::vector<double> mWidth;
  bool mElide = false;
  int mRowsPerPage = 1;
};

bool PagePainter::paint(const ExportProgress& progress) {
  layOutPage();
  layOutTable();
  const int rows = mList.rowCount();
  const int tablePages = std::max(1, (rows + mRowsPerPage - 1) / mRowsPerPage);
  const std::vector<bool> maps = mapSurfaces();
  mPages = tablePages + int(maps.size());

  // Steps: one per row, and a map weighs as many as its surface's probes.
  std::vector<int> mapWeight;
  int total = rows;
  for (bool top : maps) {
    const int probes =
        mList.progress(top ? WireSurfaces::Top : WireSurfaces::Bottom).total;
    mapWeight.push_back(std::max(probes, 1));
    total += mapWeight.back();
  }
  int done = 0;
  const auto report = [&] { return !progress || progress(done, total); };

  for (int page = 0; page < tablePages; ++page) {
    if (!report()) return false;
    if (mPage > 0) mDevice.newPage();
    const int first = page * mRowsPerPage;
    const int end = std::min(rows, first + mRowsPerPage);
    paintFrame(mList.choice().surfaces);
    paintTable(first, end);
    done = end;
  }
  for (size_t i = 0; i < maps.size(); ++i) {
    if (!report()) return false;
    mDevice.newPage();
    paintFrame(maps[i] ? WireSurfaces::Top : WireSurfaces::Bottom);
    paintMap(maps[i]);
    done += mapWeight[i];
  }
  return report();
}

void PagePainter::layOutPage() {
  const QFontMetricsF header(pageFont(kHeaderPoints), &mDevice);
  mHeaderBottom = header.height() * 1.8;
  mFooterTop = mDevice.height() - header.height() * 1.6;
  mBody = QRectF(0, mHeaderBottom + mm(2), mDevice.width(),
                 mFooterTop - mHeaderBottom - mm(4));
  mPad = mm(1.2);
}

void PagePainter::layOutTable() {
  double points = kTablePoints;
  const auto longest = longestTexts(mList);
  const auto natural = [&](double pts) {
    const QFontMetricsF plain(pageFont(pts), &mDevice);
    const QFontMetricsF bold(pageFont(pts, true), &mDevice);
    std::vector<double> widths;
    for (int c = 0; c < mList.columnCount(); ++c) {
      const auto& texts = longest[size_t(c)];
      double w = bold.horizontalAdvance(texts.front());
      if (mList.isWiredColumn(c))
        w = std::max(w, plain.ascent());
      else
        for (size_t i = 1; i < texts.size(); ++i)
          w = std::max(w, plain.horizontalAdvance(texts[i]));
      widths.push_back(w + 2 * mPad);
    }
    return widths;
  };
  mWidth = natural(points);
  double sum = 0;
  for (double w : mWidth) sum += w;
  const double room = mBody.width();
  if (sum > room) {
    // Smaller type first; when even the smallest is too wide, every
    // column gives up the same share and long texts are cut short.
    points = std::max(kSmallestPoints, kTablePoints * room / sum);
    mWidth = natural(points);
    sum = 0;
    for (double w : mWidth) sum += w;
    if (sum > room) {
      for (double& w : mWidth) w *= room / sum;
      mElide = true;
    }
  }
  mFont = pageFont(points);
  mBold = pageFont(points, true);
  mMetrics = QFontMetricsF(mFont, &mDevice);
  mRowHeight = mMetrics.height() * 1.5;
  mAscent = mMetrics.ascent();
  mBaseline = (mRowHeight - mMetrics.height()) / 2 + mAscent;
  double x = 0;
  for (double w : mWidth) {
    mLeft.push_back(x);
    x += w;
  }
  mRowsPerPage = std::max(1, int(std::floor(mBody.height() / mRowHeight)) - 1);
}

std::vector<bool> PagePainter::mapSurfaces() const {
  if (!mMaps) return {};
  switch (mList.choice().surfaces) {
    case WireSurfaces::Top:
      return {true};
    case WireSurfaces::Bottom:
      return {false};
    case WireSurfaces::Both:
      break;
  }
  return {true, false};
}

void PagePainter::paintFrame(WireSurfaces surfaces) {
  ++mPage;
  const double w = mDevice.width();
  const QFont font = pageFont(kHeaderPoints);
  const QFont bold = pageFont(kHeaderPoints, true);
  const QRectF header(0, 0, w, mHeaderBottom - mm(1));
  const Progress p = mList.progress(surfaces);
  mPainter.setPen(Qt::black);
  mPainter.setFont(bold);
  mPainter.drawText(header, Qt::AlignLeft | Qt::AlignVCenter,
                    mHeader.boardName);
  mPainter.setFont(font);
  mPainter.drawText(header, Qt::AlignHCenter | Qt::AlignVCenter,
                    QStringLiteral("Surface: %1     Wired: %2 / %3")
                        .arg(wireSurfacesName(surfaces))
                        .arg(p.wired)
                        .arg(p.total));
  mPainter.drawText(header, Qt::AlignRight | Qt::AlignVCenter, mHeader.date);
  mPainter.setPen(QPen(kRule, 0));
  mPainter.drawLine(QPointF(0, mHeaderBottom), QPointF(w, mHeaderBottom));
  mPainter.setPen(Qt::black);
  mPainter.drawText(QRectF(0, mFooterTop, w, mDevice.height() - mFooterTop),
                    Qt::AlignRight | Qt::AlignBottom,
                    QStringLiteral("Page %1 of %2").arg(mPage).arg(mPages));
}

void PagePainter::paintTable(int first, int end) {
  const double width = mLeft.empty() ? 0 : mLeft.back() + mWidth.back();
  double top = mBody.top();
  mPainter.fillRect(QRectF(0, top, width, mRowHeight), kTitleShade);
  mPainter.setPen(Qt::black);
  mPainter.setFont(mBold);
  for (int c = 0; c < mList.columnCount(); ++c)
    mPainter.drawText(QPointF(mLeft[size_t(c)] + mPad, top + mBaseline),
                      mList.title(c));
  top += mRowHeight;
  mPainter.setFont(mFont);
  if (first == end) {
    mPainter.drawText(QPointF(mPad, top + mBaseline),
                      QStringLiteral("No probes to list."));
    return;
  }
  // Shades, boxes, ticks and texts each in one pass: a PDF pays for every
  // change of pen or brush.
  for (int r = first + 1; r < end; r += 2)
    mPainter.fillRect(
        QRectF(0, top + (r - first) * mRowHeight, width, mRowHeight),
        kRowShade);
  for (int c = 0; c < mList.columnCount(); ++c) {
    if (mList.isWiredColumn(c)) paintTicks(c, first, end, top);
  }
  mPainter.setPen(Qt::black);
  for (int c = 0; c < mList.columnCount(); ++c) {
    if (mList.isWiredColumn(c)) continue;
    const double x = mLeft[size_t(c)] + mPad;
    const double room = mWidth[size_t(c)] - 2 * mPad;
    double y = top + mBaseline;
    for (int r = first; r < end; ++r, y += mRowHeight) {
      const QString& text = mList.text(r, c);
      if (mElide && mMetrics.horizontalAdvance(text) > room)
        mPainter.drawText(QPointF(x, y),
                          mMetrics.elidedText(text, Qt::ElideRight, room));
      else
        mPainter.drawText(QPointF(x, y), text);
    }
  }
}

// A box to tick by hand per probe, ticked when the probe is wired.
void PagePainter::paintTicks(int column, int first, int end, double top) {
  const double side = mAscent * 0.9;
  const double left = mLeft[size_t(column)] + mPad;
  std::vector<QRectF> boxes;
  std::vector<QLineF> ticks;
  for (int r = first; r < end; ++r) {
    const double middle = top + (r - first + 0.5) * mRowHeight;
    const QRectF box(left, middle - side / 2, side, side);
    boxes.push_back(box);
    if (!mList.isWired(r)) continue;
    const QPointF a(box.left() + side * 0.2, box.top() + side * 0.55);
    const QPointF b(box.left() + side * 0.42, box.top() + side * 0.8);
    const QPointF c(box.left() + side * 0.85, box.top() + side * 0.2);
    ticks.insert(ticks.end(), {QLineF(a, b), QLineF(b, c)});
  }
  mPainter.setBrush(Qt::NoBrush);
  mPainter.setPen(QPen(Qt::black, mm(0.15)));
  mPainter.drawRects(boxes.data(), int(boxes.size()));
  mPainter.setPen(QPen(Qt::black, mm(0.35), Qt::SolidLine, Qt::RoundCap));
  mPainter.drawLines(ticks.data(), int(ticks.size()));
}

void PagePainter::paintMap(bool top) {
  const QFont font = pageFont(kHeaderPoints);
  const double line = QFontMetricsF(font, &mDevice).height() * 1.5;
  const QRectF caption(mBody.left(), mBody.top(), mBody.width(), line);
  mPainter.setFont(font);
  mPainter.setPen(Qt::black);
  mPainter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter,
                    top ? QStringLiteral("Top, seen from above")
                        : QStringLiteral("Bottom, seen from below (mirrored)"));
  // The legend: what the two probe colours mean on paper.
  double x = mBody.right();
  const double swatch = line * 0.5;
  for (const auto& [text, colour] :
       {std::pair{QStringLiteral("not wired"), kNotWiredColour},
        std::pair{QStringLiteral("wired"), kWiredColour}}) {
    const double textWidth =
        QFontMetricsF(font, &mDevice).horizontalAdvance(text);
    x -= textWidth;
    mPainter.drawText(QRectF(x, caption.top(), textWidth, line),
                      Qt::AlignLeft | Qt::AlignVCenter, text);
    x -= swatch * 1.5;
    mPainter.setBrush(QColor(colour.r, colour.g, colour.b));
    mPainter.drawEllipse(
        QRectF(x, caption.center().y() - swatch / 2, swatch, swatch));
    mPainter.setBrush(Qt::NoBrush);
    x -= swatch * 2;
  }
  const QRectF map(mBody.left(), caption.bottom(), mBody.width(),
                   mBody.bottom() - caption.bottom());
  mMaps->paint(mPainter, map, top);
}

}  // namespace

QPageLayout wireListPageLayout(const QLocale& locale) {
  const QPageSize size(locale.measurementSystem() == QLocale::ImperialUSSystem
                           ? QPageSize::Letter
                           : QPageSize::A4);
  return QPageLayout(size, QPageLayout::Landscape,
                     QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                     QPageLayout::Millimeter);
}

WireListPages::WireListPages(const WireList& list, ProbeMaps* maps,
                             PageHeader header)
    : mList(list), mMaps(maps), mHeader(std::move(header)) {}

bool WireListPages::paint(QPainter& painter, QPagedPaintDevice& device,
                          const ExportProgress& progress) const {
  return PagePainter(painter, device, mList, mMaps, mHeader).paint(progress);
}

bool exportWireListPdf(const WireListPages& pages, const QString& path,
                       const QPageLayout& layout,
                       const ExportProgress& progress) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  QPdfWriter writer(&buffer);
  writer.setPageLayout(layout);
  writer.setResolution(int(kPdfDotsPerInch));
  writer.setCreator(QStringLiteral("Loomwright"));
  writer.setTitle(QStringLiteral("Wire list"));
  QPainter painter;
  if (!painter.begin(&writer))
    throw Error(QStringLiteral("Cannot save \"%1\": the PDF writer did not "
                               "start.")
                    .arg(path));
  const bool complete = pages.paint(painter, writer, progress);
  painter.end();
  if (!complete) return false;
  writeFileAtomically(path, buffer.data());
  return true;
}

}  // namespace lw

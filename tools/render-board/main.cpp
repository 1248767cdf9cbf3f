// render-board: paints a board document to PNG seen from the top and from
// the bottom, through the same routine as the program's board view, for
// screenshots and for eyeballing generated boards.
#include "boardpicture.h"
#include "boardview.h"
#include "layertable.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QImage>
#include <QTextStream>

namespace {

// Shows the board as the program does after a load: the layer table's
// colours and the working surface's layers, access point markers off.
void showSide(const lw::BoardDocument& document, lw::BoardPicture& picture,
              lw::BoardView& view, bool fromTop) {
  lw::LayerTable table = lw::buildLayerTable(document);
  for (lw::LayerRow& row : table) {
    lw::applySurface(row, fromTop);
    picture.setLayerColour(row.number, row.colour);
    picture.setLayerVisible(row.number, row.on);
  }
  fromTop ? view.viewFromTop() : view.viewFromBottom();
  view.fitToBoard();
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("render-board"));
  QTextStream err(stderr);

  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Writes PREFIX-top.png and PREFIX-bottom.png showing the board of "
      "INPUT (.vd or .vdz)."));
  parser.addHelpOption();
  const QCommandLineOption size(
      QStringLiteral("size"), QStringLiteral("Image size (default 1200x900)."),
      QStringLiteral("WxH"), QStringLiteral("1200x900"));
  parser.addOption(size);
  const QCommandLineOption current(
      QStringLiteral("current"),
      QStringLiteral("Draw this probe as the current one (yellow, ringed)."),
      QStringLiteral("PROBE"));
  parser.addOption(current);
  parser.addPositionalArgument(QStringLiteral("INPUT"),
                               QStringLiteral("Board document to draw."));
  parser.addPositionalArgument(QStringLiteral("PREFIX"),
                               QStringLiteral("Start of the image names."));
  parser.process(app);
  const QStringList args = parser.positionalArguments();
  if (args.size() != 2) parser.showHelp(2);

  const QStringList wh = parser.value(size).split(QLatin1Char('x'));
  const int w = wh.size() == 2 ? wh[0].toInt() : 0;
  const int h = wh.size() == 2 ? wh[1].toInt() : 0;
  if (w < 16 || h < 16 || w > 10000 || h > 10000) {
    err << "render-board: the size must look like 1200x900\n";
    return 2;
  }

  lw::BoardDocument document;
  try {
    document.open(args[0]);
  } catch (const lw::Error& e) {
    err << "render-board: " << e.message() << '\n';
    return 1;
  }
  lw::BoardPicture picture;
  picture.setDocument(&document);
  lw::BoardView view;
  view.setPicture(&picture);
  picture.showEntityClass(int(lw::EntityKind::AccessPoint), false);
  for (const lw::Entity& e : document.board().entities)
    if (e.kind == lw::EntityKind::Probe)
      picture.colourProbe(e.name, {255, 0, 0});
  if (parser.isSet(current)) {
    const QString name = parser.value(current);
    if (!picture.colourProbe(name, {255, 255, 0})) {
      err << "render-board: the board has no placed probe " << name << '\n';
      return 1;
    }
    picture.setCurrentProbe(name);
  }

  QImage image(w, h, QImage::Format_RGB32);
  for (bool fromTop : {true, false}) {
    showSide(document, picture, view, fromTop);
    view.renderTo(image);
    const QString name = args[1] + (fromTop ? QStringLiteral("-top.png")
                                            : QStringLiteral("-bottom.png"));
    if (!image.save(name)) {
      err << "render-board: cannot write " << name << '\n';
      return 1;
    }
  }
  return 0;
}

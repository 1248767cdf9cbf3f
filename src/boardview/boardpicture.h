#pragma once

// What the board views draw: one board document, owned by the window that
// opened it, reduced once to a scene, with the probe colours and the layer
// and class choices the program made. Every view of the same board shares
// one picture and adds only its own viewport, so a board is read and
// reduced once however many views show it.

#include "boarddocument.h"
#include "boardrenderer.h"

#include <QHash>
#include <QObject>

#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace lw {

class BoardPicture : public QObject {
  Q_OBJECT

 public:
  explicit BoardPicture(QObject* parent = nullptr);
  ~BoardPicture() override;

  // The document to draw (nullptr: nothing). It must outlive the picture or
  // be replaced first. Layer colours and visibility start as the
  // document's, every class shown, no probe coloured; views refit. scene,
  // when given, was built from the document (on another thread, while the
  // load went on) and is used instead of building one.
  void setDocument(const BoardDocument* document,
                   std::unique_ptr<BoardScene> scene = nullptr);
  const Board& board() const;
  bool isEmpty();

  // The document changed in place (a file turned, layers added): the scene
  // is rebuilt at its next use, keeping the probe colours, and views refit.
  void reshape();

  // Colours every probe of that name until it is coloured again, also one
  // that only later takes the name; false when no probe has it now.
  bool colourProbe(const QString& name, Rgb colour);
  // Colours every probe of that file, also in scenes built later, leaves
  // the others uncoloured and forgets the colours given by name: the probes
  // of a large board in one pass, not a name at a time.
  void colourFileProbes(int file, Rgb colour);

  // The probe the wirer is at (every probe of that name; empty: none):
  // every view draws it last, ringed and labelled at any zoom. Kept across
  // reshapes, forgotten with the document.
  void setCurrentProbe(const QString& name);
  const QString& currentProbe() const noexcept { return mCurrentName; }
  // Its scene items.
  std::span<const int> currentItems();

  // Entity classes 1..8 (vias, pins, components, mechanical parts and
  // holes, access points, fiducials, tooling holes) can be hidden; probes
  // (9) and the outline (10) are always drawn. False for other codes.
  bool showEntityClass(int code, bool visible);
  bool isEntityClassShown(int code) const;

  // Status as BoardDocument::layer; the colour and visibility are the
  // picture's, which start as the document's.
  int layer(int index, Layer* out) const;
  // False for a layer the document does not have.
  bool setLayerColour(int index, Rgb colour);
  bool setLayerVisible(int index, bool visible);

  const BoardScene& scene();
  const ViewStyle& style() const noexcept { return *mStyle; }

 signals:
  // Something drawn changed: views repaint.
  void changed();
  // Only these scene items changed (their colour, or whether they are the
  // current probe): views repaint what they can touch.
  void probesChanged(const std::vector<int>& items);
  // Another document, or the same one reshaped: views refit.
  void replaced();

 private:
  struct FileColour {
    int file = 0;
    QRgb colour = 0;
  };
  void applyFileColour();
  int layerSlot(int index) const;
  void readLayerStyles();

  const BoardDocument* mDocument = nullptr;
  std::unique_ptr<BoardScene> mScene;  // built lazily from the document
  std::unique_ptr<ViewStyle> mStyle;
  // Replayed into every new scene, the file's colour first.
  std::optional<FileColour> mFileColour;
  QHash<QString, QRgb> mProbeColours;
  QString mCurrentName;
  std::vector<int> mCurrentItems;  // of mScene, found again with it
  std::vector<int> mChanged;       // what probesChanged reports
};

}  // namespace lw

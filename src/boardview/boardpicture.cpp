#include "boardpicture.h"

#include <algorithm>

namespace lw {
namespace {

const Board kNoBoard;

}  // namespace

BoardPicture::BoardPicture(QObject* parent)
    : QObject(parent), mStyle(std::make_unique<ViewStyle>()) {
  setDocument(nullptr);
}

BoardPicture::~BoardPicture() = default;

void BoardPicture::setDocument(const BoardDocument* document,
                               std::unique_ptr<BoardScene> scene) {
  mDocument = document;
  mScene = std::move(scene);
  mCurrentItems.clear();
  mFileColour.reset();
  mProbeColours.clear();
  mCurrentName.clear();
  readLayerStyles();
  mStyle->classVisible.fill(true);
  emit replaced();
  emit changed();
}

void BoardPicture::readLayerStyles() {
  mStyle->layers.clear();
  for (const Layer& layer : board().layers)
    mStyle->layers.push_back(
        {qRgb(layer.colour.r, layer.colour.g, layer.colour.b), layer.visible});
  // Entities on a layer the document does not list.
  mStyle->layers.push_back({qRgb(160, 160, 160), true});
}

const Board& BoardPicture::board() const {
  return mDocument ? mDocument->board() : kNoBoard;
}

bool BoardPicture::isEmpty() {
  return scene().items().empty();
}

void BoardPicture::reshape() {
  mScene.reset();
  // The painter indexes the styles by the scene's layer slots: a document
  // that gained or lost layers starts again from its own styles.
  if (mStyle->layers.size() != board().layers.size() + 1) readLayerStyles();
  emit replaced();
  emit changed();
}

const BoardScene& BoardPicture::scene() {
  if (!mScene) {
    mScene = std::make_unique<BoardScene>(board());
    applyFileColour();
    for (auto it = mProbeColours.cbegin(); it != mProbeColours.cend(); ++it)
      mScene->colourProbes(it.key(), it.value());
    mCurrentItems = mScene->probeItems(mCurrentName);
  }
  return *mScene;
}

void BoardPicture::setCurrentProbe(const QString& name) {
  if (name == mCurrentName) return;
  scene();  // finds the old name's items again after a reshape
  mChanged = mCurrentItems;
  mCurrentName = name;
  mCurrentItems = mScene->probeItems(name);
  mChanged.insert(mChanged.end(), mCurrentItems.begin(), mCurrentItems.end());
  emit probesChanged(mChanged);
}

std::span<const int> BoardPicture::currentItems() {
  scene();
  return mCurrentItems;
}

bool BoardPicture::colourProbe(const QString& name, Rgb colour) {
  const QRgb rgb = qRgb(colour.r, colour.g, colour.b);
  mProbeColours.insert(name, rgb);
  scene();
  const int order = mScene->colourOrderVersion();
  mChanged.clear();
  const bool found = mScene->colourProbes(name, rgb, &mChanged) > 0;
  if (mChanged.empty()) return found;
  // Where points of several colours share a pixel, a new order of colours
  // changes every such pixel, not only these probes'.
  if (mScene->colourOrderVersion() != order)
    emit changed();
  else
    emit probesChanged(mChanged);
  return found;
}

void BoardPicture::colourFileProbes(int file, Rgb colour) {
  mFileColour = FileColour{file, qRgb(colour.r, colour.g, colour.b)};
  mProbeColours.clear();
  if (mScene) applyFileColour();  // else when the scene is built
  emit changed();
}

void BoardPicture::applyFileColour() {
  if (!mFileColour) return;
  const std::vector<Entity>& entities = board().entities;
  const FileColour c = *mFileColour;
  mScene->colourAllProbes([&](int entity) {
    return entities[std::size_t(entity)].file == c.file ? c.colour : 0;
  });
}

bool BoardPicture::showEntityClass(int code, bool visible) {
  if (code < int(EntityKind::Via) || code > int(EntityKind::ToolingHole))
    return false;
  if (mStyle->classVisible[code] != visible) {
    mStyle->classVisible[code] = visible;
    emit changed();
  }
  return true;
}

bool BoardPicture::isEntityClassShown(int code) const {
  return code >= int(EntityKind::Via) && code < kEntityKindCount &&
         mStyle->classVisible[code];
}

int BoardPicture::layerSlot(int index) const {
  const auto& layers = board().layers;
  for (int slot = 0; slot < int(layers.size()); ++slot)
    if (layers[slot].index == index) return slot;
  return -1;
}

int BoardPicture::layer(int index, Layer* out) const {
  const int status = mDocument ? mDocument->layer(index, out) : kLayerListEnded;
  const int slot = layerSlot(index);
  if (status >= 0 && slot >= 0 && out) {
    const LayerStyle& style = mStyle->layers[slot];
    out->colour = {std::uint8_t(qRed(style.colour)),
                   std::uint8_t(qGreen(style.colour)),
                   std::uint8_t(qBlue(style.colour))};
    out->visible = style.visible;
  }
  return status;
}

bool BoardPicture::setLayerColour(int index, Rgb colour) {
  const int slot = layerSlot(index);
  if (slot < 0) return false;
  mStyle->layers[slot].colour = qRgb(colour.r, colour.g, colour.b);
  emit changed();
  return true;
}

bool BoardPicture::setLayerVisible(int index, bool visible) {
  const int slot = layerSlot(index);
  if (slot < 0) return false;
  if (mStyle->layers[slot].visible != visible) {
    mStyle->layers[slot].visible = visible;
    emit changed();
  }
  return true;
}

}  // namespace lw

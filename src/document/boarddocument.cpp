#include "boarddocument.h"

#include <algorithm>

namespace lw {

void BoardDocument::open(const QString& path, const ProgressFn& progress) {
  Board board = path.isEmpty() ? Board{} : readBoard(path, progress);
  mBoard = std::move(board);
  mTarget = Target::None;
  mSelected = -1;
  if (path.isEmpty() && progress) progress(1.0);
}

void BoardDocument::save(const QString& path) const {
  writeBoard(mBoard, path, Compression::None);
}

void BoardDocument::saveCompressed(const QString& path) const {
  writeBoard(mBoard, path, Compression::Gzip);
}

bool BoardDocument::isEmpty() const noexcept {
  return mBoard.files.empty() && mBoard.entities.empty();
}

int BoardDocument::listDocumentFiles(QList<int>* numbers) const {
  numbers->clear();
  for (const BoardFile& f : mBoard.files) numbers->append(f.number);
  return numbers->isEmpty() ? -1 : static_cast<int>(numbers->size());
}

std::optional<FileInformation> BoardDocument::fileInformation(
    int fileNumber) const {
  const BoardFile* f = mBoard.file(fileNumber);
  if (!f) return std::nullopt;
  return FileInformation{f->name, f->isPcb, f->visible, f->selectArgument,
                         f->rotation};
}

QList<int> BoardDocument::visiblePcbFiles() const {
  QList<int> numbers;
  for (const BoardFile& f : mBoard.files)
    if (f.isPcb && f.visible) numbers.append(f.number);
  return numbers;
}

bool BoardDocument::setFileRotation(int fileNumber, int degrees) {
  BoardFile* f = mBoard.file(fileNumber);
  if (!f || degrees % 90 != 0) return false;
  f->rotation = ((degrees % 360) + 360) % 360;
  return true;
}

RecordQuery BoardDocument::queryEntityRecords(int fileNumber,
                                              RecordKind kind) const {
  if (!mBoard.file(fileNumber)) return {-1, {}};
  EntityKind entityKind = EntityKind::Via;
  switch (kind) {
    case RecordKind::Vias:
      entityKind = EntityKind::Via;
      break;
    case RecordKind::Probes:
      entityKind = EntityKind::Probe;
      break;
    case RecordKind::AccessPoints:
      entityKind = EntityKind::AccessPoint;
      break;
  }
  RecordQuery q;
  q.records = entityRecords(mBoard, fileNumber, entityKind);
  q.status = static_cast<int>(q.records.size()) - 1;
  return q;
}

RecordQuery BoardDocument::queryComponentPinRecords(int fileNumber) const {
  if (!mBoard.file(fileNumber)) return {-1, {}};
  RecordQuery q;
  q.records = componentPinRecords(mBoard, fileNumber);
  q.status = static_cast<int>(q.records.size()) - 1;
  return q;
}

int BoardDocument::lookUpKeyword(const QString& keyword) const {
  return mBoard.keywordIndex(keyword);
}

int BoardDocument::registerKeyword(const QString& keyword) {
  if (keyword.isEmpty()) return 0;
  return mBoard.addKeyword(keyword);
}

bool BoardDocument::selectEntity(int selectArgument, int dataPosition) {
  mTarget = Target::None;
  mSelected = -1;
  if (dataPosition < 0 ||
      dataPosition >= static_cast<int>(mBoard.entities.size()))
    return false;
  const BoardFile* f = mBoard.file(mBoard.entities[dataPosition].file);
  if (!f || f->selectArgument != selectArgument) return false;
  mTarget = Target::Entity;
  mSelected = dataPosition;
  return true;
}

void BoardDocument::selectDocumentAttributes() {
  mTarget = Target::Document;
  mSelected = -1;
}

std::vector<Attribute>* BoardDocument::selectedAttributes() {
  return const_cast<std::vector<Attribute>*>(
      std::as_const(*this).selectedAttributes());
}

const std::vector<Attribute>* BoardDocument::selectedAttributes() const {
  switch (mTarget) {
    case Target::Document:
      return &mBoard.attributes;
    case Target::Entity:
      return &mBoard.entities[mSelected].attributes;
    case Target::None:
      break;
  }
  return nullptr;
}

namespace {

template <typename List>
auto* findAttribute(List& list, int keyword) {
  auto it = std::find_if(list.begin(), list.end(), [&](const Attribute& a) {
    return a.keyword == keyword;
  });
  return it == list.end() ? nullptr : &*it;
}

Attribute& findOrAddAttribute(std::vector<Attribute>& list, int keyword) {
  if (Attribute* a = findAttribute(list, keyword)) return *a;
  list.push_back(Attribute{keyword, QString(), {}});
  return list.back();
}

}  // namespace

QString BoardDocument::attributeValue(int keyword) const {
  const auto* list = selectedAttributes();
  const Attribute* a = list ? findAttribute(*list, keyword) : nullptr;
  return a ? a->value : QString();
}

std::optional<AttributeRecord> BoardDocument::attributeRecord(
    int keyword) const {
  const auto* list = selectedAttributes();
  const Attribute* a = list ? findAttribute(*list, keyword) : nullptr;
  if (!a) return std::nullopt;
  return AttributeRecord{a->value, a->display};
}

Attribute* BoardDocument::selectedAttribute(int keyword) {
  auto* list = selectedAttributes();
  if (!list || keyword <= 0 || keyword >= mBoard.keywords.size())
    return nullptr;
  return &findOrAddAttribute(*list, keyword);
}

bool BoardDocument::setAttributeValue(int keyword, const QString& value) {
  Attribute* a = selectedAttribute(keyword);
  if (a) a->value = value;  // the display record stays as it was
  return a != nullptr;
}

bool BoardDocument::setAttributeRecord(int keyword, const QString& value,
                                       const DisplayRecord& display) {
  Attribute* a = selectedAttribute(keyword);
  if (!a) return false;
  a->value = value;
  a->display = display;
  return true;
}

bool BoardDocument::renameEntity(int selectArgument, int dataPosition,
                                 const QString& newName) {
  const Target target = mTarget;
  const int selected = mSelected;
  const bool ok = selectEntity(selectArgument, dataPosition);
  if (ok) mBoard.entities[dataPosition].name = newName;
  mTarget = target;  // renaming does not move the attribute selection
  mSelected = selected;
  return ok;
}

int BoardDocument::layer(int index, Layer* out) const {
  int highest = -1;
  for (const Layer& l : mBoard.layers) {
    if (l.index == index) {
      if (out) *out = l;
      return kLayerOk;
    }
    highest = std::max(highest, l.index);
  }
  return index > highest ? kLayerListEnded : kNoLayerAtIndex;
}

int BoardDocument::layerType(int index) const {
  const Layer* l = mBoard.layer(index);
  return l ? l->type : -1;
}

}  // namespace lw

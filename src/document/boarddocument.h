#pragma once

// A board document and the operations the program performs on it: listing
// its files, querying its test entities as record sets, reading and writing
// attributes, renaming probes, rotating files and saving. Qt Core only; the
// drawing side is BoardView.

#include "board.h"
#include "boardio.h"
#include "recordset.h"

#include <QList>
#include <QString>

#include <optional>

namespace lw {

struct FileInformation {
  QString name;
  bool isPcb = false;
  bool visible = false;
  std::int16_t selectArgument = 0;
  int rotation = 0;
};

struct AttributeRecord {
  QString value;
  DisplayRecord display;
};

// Status of "get layer".
inline constexpr int kLayerOk = 0;
inline constexpr int kNoLayerAtIndex = -1;
inline constexpr int kLayerListEnded = -8;

class BoardDocument {
 public:
  BoardDocument() = default;
  explicit BoardDocument(Board board) : mBoard(std::move(board)) {}

  // "open document". An empty name empties the document. On failure throws
  // Error and keeps the document it had.
  void open(const QString& path, const ProgressFn& progress = {});
  // Atomic saves; throw Error naming the file and the reason.
  void save(const QString& path) const;
  void saveCompressed(const QString& path) const;

  const Board& board() const noexcept { return mBoard; }
  bool isEmpty() const noexcept;

  // Files: numbers in document order; status is their count, or -1 when the
  // document holds no file at all.
  int listDocumentFiles(QList<int>* numbers) const;
  std::optional<FileInformation> fileInformation(int fileNumber) const;
  // The files the program takes its probes from: visible PCB files, in
  // document order.
  QList<int> visiblePcbFiles() const;
  // Degrees are normalised to 0, 90, 180 or 270; false for an unknown file
  // or an angle that is not a multiple of 90.
  bool setFileRotation(int fileNumber, int degrees);

  // Record sets (see recordset.h). Status -1 for an unknown file number,
  // otherwise the number of records (0 when there are none).
  RecordQuery queryEntityRecords(int fileNumber, RecordKind kind) const;
  RecordQuery queryComponentPinRecords(int fileNumber) const;

  // Keywords: index > 0 for known names, 0 for unknown ones.
  int lookUpKeyword(const QString& keyword) const;
  int registerKeyword(const QString& keyword);

  // Attribute access goes through a selection, like the program's calls:
  // select an entity (by data position, within the file whose select
  // argument is given) or the document, then read or write by keyword.
  bool selectEntity(int selectArgument, int dataPosition);
  void selectDocumentAttributes();
  // The selected target's value, or "" when it lacks the attribute or
  // nothing is selected.
  QString attributeValue(int keyword) const;
  bool setAttributeValue(int keyword, const QString& value);
  std::optional<AttributeRecord> attributeRecord(int keyword) const;
  bool setAttributeRecord(int keyword, const QString& value,
                          const DisplayRecord& display);

  bool renameEntity(int selectArgument, int dataPosition,
                    const QString& newName);

  // "get layer": kLayerOk and the layer, kNoLayerAtIndex for a gap in the
  // numbering, kLayerListEnded past the highest index.
  int layer(int index, Layer* out) const;
  // Type code of the layer, or -1 when there is none at index.
  int layerType(int index) const;
  PageUnits pageUnits() const noexcept { return mBoard.units; }

 private:
  Entity* selectedEntity();
  const Entity* selectedEntity() const;
  // The selected target's attribute, added when missing; null when nothing
  // is selected or the keyword is unknown.
  Attribute* selectedAttribute(int keyword);
  std::vector<Attribute>* selectedAttributes();
  const std::vector<Attribute>* selectedAttributes() const;

  enum class Target { None, Entity, Document };
  Board mBoard;
  Target mTarget = Target::None;
  int mSelected = -1;
};

}  // namespace lw

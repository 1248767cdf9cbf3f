#pragma once

// The board document model: plain data, no behaviour beyond small lookups.
// Everything here is Qt Core only; reading and writing live in boardio.h,
// the operations the program calls live in boarddocument.h.

#include <QPointF>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace lw {

// How a CAD system displays an attribute (text height, offsets, angle, ...).
// Loomwright never interprets these thirteen numbers; it carries them
// unchanged through every read, write and rename.
struct DisplayRecord {
  std::array<double, 5> reals{};
  std::array<std::int16_t, 8> ints{};

  bool isZero() const noexcept;
  bool operator==(const DisplayRecord&) const = default;
};

// An attribute's display record, held only when it is not all zeros: most
// attributes have none, and a board of 100,000 probes has 1.5 million
// attributes. Copies are deep; equal when the records are.
class Display {
 public:
  Display() = default;
  Display(const DisplayRecord& record) { *this = record; }  // NOLINT: a value
  Display(const Display& other);
  Display& operator=(const Display& other);
  Display(Display&&) noexcept = default;
  Display& operator=(Display&&) noexcept = default;
  ~Display() = default;
  Display& operator=(const DisplayRecord& record);

  const DisplayRecord& get() const noexcept;
  operator const DisplayRecord&() const noexcept { return get(); }
  // The record to change in place; made when there is none.
  DisplayRecord& edit();

  bool operator==(const Display& other) const { return get() == other.get(); }
  bool operator==(const DisplayRecord& record) const { return get() == record; }

 private:
  std::unique_ptr<DisplayRecord> mRecord;
};

struct Attribute {
  int keyword = 0;  // index into Board::keywords, always > 0
  QString value;
  Display display;

  bool operator==(const Attribute&) const = default;
};

// Entity kinds. The numbers are the entity class codes that "show entity
// class" switches; access points (6) are the markers the program hides with
// the class display flag, probes (9) and the outline (10) are always drawn.
enum class EntityKind : std::uint8_t {
  Via = 1,
  Pin = 2,
  Component = 3,
  MechanicalPart = 4,
  MechanicalHole = 5,
  AccessPoint = 6,
  Fiducial = 7,
  ToolingHole = 8,
  Probe = 9,
  Outline = 10,
};
inline constexpr int kEntityKindCount = 11;  // codes 1..10, 0 unused

enum class Shape : std::uint8_t { Round, Square, Rectangle, Oblong };

// Which side of the board an item sits on. Through-hole items are on both.
enum class Side : std::uint8_t { Top, Bottom, Both };

struct Entity {
  EntityKind kind = EntityKind::Via;
  Shape shape = Shape::Round;
  Side side = Side::Top;
  int number = 0;   // entity number; "DATALINK" values refer to it
  int file = 0;     // number of the BoardFile it belongs to
  int layer = 0;    // index of the Layer it is drawn on
  int parent = -1;  // pins: data position of their component, else -1
  double x = 0;     // centre, page units, in the file's own (unrotated) frame
  double y = 0;
  double width = 0;   // size; round items use width as their diameter
  double height = 0;  // 0 means "same as width"
  double angle = 0;   // degrees, counter-clockwise
  QString name;       // reference designator, pin number, probe name, ...
  std::vector<QPointF> outline;  // optional polygon (outline, bodies)
  std::vector<Attribute> attributes;

  double effectiveHeight() const noexcept {
    return height > 0 ? height : width;
  }
  const Attribute* attribute(int keyword) const noexcept;
  Attribute* attribute(int keyword) noexcept;
  bool operator==(const Entity&) const = default;
};

// One file of the document. A document may hold several PCB files and
// non-PCB files (panels, drawings); the program works on the one visible PCB.
struct BoardFile {
  int number = 0;
  QString name;
  bool isPcb = false;
  bool visible = false;
  std::int16_t selectArgument = 0;  // scope passed back to the select calls
  int rotation = 0;                 // degrees: 0, 90, 180 or 270

  bool operator==(const BoardFile&) const = default;
};

struct Rgb {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  bool operator==(const Rgb&) const = default;
};

// Layer type codes the program acts on come in top/bottom pairs (1/2, 6/7,
// 15/16) plus 9 and 28, drawn on both sides. The document may use others.
struct Layer {
  int index = 0;
  QString name;
  int type = 0;
  Rgb colour;
  bool visible = true;

  bool operator==(const Layer&) const = default;
};

// Which side of the board a layer belongs to: by its type code first (1, 6,
// 15 top; 2, 7, 16 bottom), then by its name ("PROBE_TOP", "PROBE_BOT"), so
// a type-1 layer named "PROBE_BOT" is top copper. Any other layer is on
// both.
enum class LayerSide : std::uint8_t { Top, Bottom, Both };
LayerSide layerSide(int type, const QString& name);

// Page units codes and how many of each make an inch.
enum class PageUnits : int {
  Inch = 0,
  Mil = 1,
  Millimetre = 2,
  Tenth = 3,  // historic unit with 1012 per inch
  Micron = 4,
};
double unitsPerInch(PageUnits units) noexcept;

// A point turned about the origin by a file rotation: 90 gives (-y, x),
// 180 (-x, -y), 270 (y, -x); any other angle leaves it.
QPointF rotateQuarterTurns(QPointF point, int degrees) noexcept;

struct Board {
  PageUnits units = PageUnits::Millimetre;
  // keywords[0] is unused so that every known keyword has an index > 0.
  QStringList keywords{QString()};
  std::vector<BoardFile> files;
  std::vector<Layer> layers;
  std::vector<Attribute> attributes;  // document scope
  std::vector<Entity> entities;       // data position == index

  // Keyword index of name, or 0 when unknown. Exact, case-sensitive.
  int keywordIndex(const QString& name) const;
  // Index of name, adding it when unknown.
  int addKeyword(const QString& name);

  const BoardFile* file(int number) const noexcept;
  BoardFile* file(int number) noexcept;
  const Layer* layer(int index) const noexcept;

  bool operator==(const Board&) const = default;
};

}  // namespace lw

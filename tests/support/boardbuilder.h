#pragma once

// Builds small boards in tests without going through a file.

#include "board.h"

#include <QString>

#include <utility>
#include <vector>

namespace lw::test {

using Attrs = std::vector<std::pair<const char*, const char*>>;

class BoardBuilder {
 public:
  BoardBuilder() {
    mBoard.files.push_back({1, "board.pcb", true, true, 7, 0});
    mBoard.layers.push_back({0, "TOP", 1, {200, 0, 0}, true});
    mBoard.layers.push_back({1, "BOTTOM", 2, {0, 0, 200}, true});
    mBoard.layers.push_back({2, "PROBE_TOP", 100, {0, 0, 255}, true});
    mBoard.layers.push_back({3, "PROBE_BOT", 101, {0, 0, 255}, true});
  }

  // Returns the data position of the new entity.
  int add(EntityKind kind, const QString& name, int number, double x, double y,
          Side side = Side::Top, Attrs attrs = {}, int parent = -1,
          int file = 1) {
    Entity e;
    e.kind = kind;
    e.name = name;
    e.number = number;
    e.x = x;
    e.y = y;
    e.width = 1.5;
    e.side = side;
    e.file = file;
    e.parent = parent;
    e.layer = side == Side::Bottom ? 1 : 0;
    if (kind == EntityKind::Probe) e.layer = side == Side::Bottom ? 3 : 2;
    for (const auto& [k, v] : attrs)
      e.attributes.push_back(
          {mBoard.addKeyword(QString::fromUtf8(k)), QString::fromUtf8(v), {}});
    mBoard.entities.push_back(std::move(e));
    return static_cast<int>(mBoard.entities.size()) - 1;
  }

  int component(const QString& refdes, int number) {
    return add(EntityKind::Component, refdes, number, 0, 0);
  }
  int pin(int component, const QString& pin, int number, double x = 0,
          double y = 0) {
    return add(EntityKind::Pin, pin, number, x, y, Side::Top, {}, component);
  }
  int via(int number, double x = 0, double y = 0, Attrs attrs = {}) {
    return add(EntityKind::Via, QString(), number, x, y, Side::Both, attrs);
  }
  int access(int number, Attrs attrs, Side side = Side::Top) {
    return add(EntityKind::AccessPoint, QString(), number, 0, 0, side, attrs);
  }
  int probe(const QString& name, int number, double x, double y, Side side,
            Attrs attrs) {
    return add(EntityKind::Probe, name, number, x, y, side, attrs);
  }

  // A probe numbered after its data position, 1.5 wide.
  int probe(const QString& name, double x, double y, Side side = Side::Top) {
    const int number = static_cast<int>(mBoard.entities.size()) + 1;
    return add(EntityKind::Probe, name, number, x, y, side);
  }

  // Gives an entity its drawn size and shape (height 0: as wide as it is
  // long); returns its data position.
  int sized(int entity, double width, Shape shape = Shape::Round,
            double height = 0) {
    Entity& e = mBoard.entities[entity];
    e.width = width;
    e.shape = shape;
    e.height = height;
    return entity;
  }

  // A 100 x 80 outline from (0, 0) on a layer of its own: index 5, so that
  // index 4 is a gap in the numbering, of type 28, drawn on both sides.
  int outline() {
    mBoard.layers.push_back({5, "OUTLINE", 28, {240, 240, 240}, true});
    const int e = add(EntityKind::Outline, QString(), 0, 0, 0);
    mBoard.entities[e].layer = 5;
    mBoard.entities[e].outline = {{0, 0}, {100, 0}, {100, 80}, {0, 80}};
    return e;
  }

  Board& board() { return mBoard; }
  Board take() { return std::move(mBoard); }

 private:
  Board mBoard;
};

}  // namespace lw::test

#include "format_sample.h"

#include <QFile>

#include <gtest/gtest.h>

#include <limits>

namespace lw::test {

namespace {

Attribute attribute(Board& board, const QString& name, const QString& value,
                    DisplayRecord display = {}) {
  return Attribute{board.addKeyword(name), value, display};
}

}  // namespace

Board sampleBoard() {
  Board b;
  b.units = PageUnits::Mil;
  b.addKeyword(QStringLiteral("UNUSED_KEYWORD"));  // kept although unused
  b.files = {
      {1, QStringLiteral("Main PCB"), true, true, 1, 90},
      {2, QStringLiteral("Panel \"A\"\\B"), false, false, -32768, 270},
      {-7, QString(), true, false, 32767, 0},
  };
  b.layers = {
      {1, QStringLiteral("TOP"), 1, {255, 0, 0}, true},
      {2, QStringLiteral("BOTTOM"), 2, {0, 0, 255}, false},
      {9, QStringLiteral("DRILL"), 9, {}, true},
      {0, QStringLiteral("Zero"), -3, {1, 2, 3}, true},
  };
  DisplayRecord display;
  display.reals = {1.5, -0.25, 1e-300, 12345.678, 0.1};
  display.ints = {1, -1, 32767, -32768, 0, 7, 0, 42};
  b.attributes = {
      attribute(b, QStringLiteral("WIRING_ROT"), QStringLiteral("90")),
      attribute(b, QStringLiteral("WIRING_EMPTY"), QString()),
      attribute(b, QStringLiteral("WITH_DISPLAY"), QStringLiteral("x"),
                display),
  };

  const auto add = [&b](EntityKind kind, int number, int file, int layer) {
    Entity& e = b.entities.emplace_back();
    e.kind = kind;
    e.number = number;
    e.file = file;
    e.layer = layer;
    return b.entities.size() - 1;
  };

  Entity& outline = b.entities[add(EntityKind::Outline, 1, 1, 0)];
  outline.outline = {{0, 0}, {100.5, 0}, {100.5, 80}, {-0.125, 80}};

  const auto component = add(EntityKind::Component, 2, 1, 1);
  b.entities[component].name = QStringLiteral("R1");
  b.entities[component].shape = Shape::Rectangle;
  b.entities[component].width = 5;
  b.entities[component].height = 2.5;
  b.entities[component].angle = 45;
  b.entities[component].attributes = {
      attribute(b, QStringLiteral("PART"), QStringLiteral("10k 1%"))};

  for (int pin = 1; pin <= 2; ++pin) {
    Entity& p = b.entities[add(EntityKind::Pin, 2 + pin, 1, 1)];
    p.parent = int(component);
    p.name = QString::number(pin);
    p.x = pin * 2.54;
    p.y = -1e-7;
    p.width = 0.8;
    p.side = Side::Both;
    p.shape = Shape::Oblong;
  }

  Entity& via = b.entities[add(EntityKind::Via, 5, 1, 9)];
  via.side = Side::Both;
  via.x = 0.1 + 0.2;  // not a short decimal
  via.y = 1e21;
  via.width = std::numeric_limits<double>::min();
  via.attributes = {
      attribute(b, QStringLiteral("NETNAME"), QStringLiteral("GND")),
      attribute(b, QStringLiteral("TEST_ACCESS"), QStringLiteral("T"))};

  Entity& access = b.entities[add(EntityKind::AccessPoint, 6, 1, 1)];
  access.x = 2.54;
  access.attributes = {
      attribute(b, QStringLiteral("DATALINK"), QStringLiteral("3")),
      attribute(b, QStringLiteral("NETNAME"), QString())};

  Entity& probe = b.entities[add(EntityKind::Probe, 7, 1, 2)];
  probe.side = Side::Bottom;
  probe.shape = Shape::Square;
  probe.name = QStringLiteral("P1 \u00e4\u00df \u6d4b\u8bd5 \U0001F50C");
  probe.width = 1.27;
  probe.x = -3.5;
  probe.angle = -90;
  DisplayRecord probeDisplay;
  probeDisplay.ints[7] = 1;
  probe.attributes = {
      attribute(b, QStringLiteral("DATALINK"), QStringLiteral("6")),
      attribute(b, QStringLiteral("PROBE_WIRED"), QStringLiteral("1"),
                probeDisplay),
      // A keyword twice, control characters and a made-up name: user data.
      attribute(b, QStringLiteral("DATALINK"), QStringLiteral("999")),
      attribute(b, QStringLiteral("NOTE"),
                QStringLiteral("tab\there\nline\x01 \"q\" \\ /")),
      attribute(b, QStringLiteral("\u30e9\u30d9\u30eb"),
                QStringLiteral("\u00e9")),
  };

  add(EntityKind::Fiducial, 7, 2, 0);  // same number as the probe: legal
  add(EntityKind::ToolingHole, 0, -7, 0);
  Entity& mech = b.entities[add(EntityKind::MechanicalPart, 9, 2, 0)];
  mech.outline = {{1, 1}, {2, 2}};
  add(EntityKind::MechanicalHole, -10, 2, 2);
  return b;
}

Board viaBoard(int count) {
  Board b;
  b.files.emplace_back().number = 1;
  b.entities.resize(std::size_t(count));
  for (Entity& e : b.entities) e.file = 1;
  return b;
}

QByteArray readBytes(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(file.write(bytes), bytes.size());
}

}  // namespace lw::test

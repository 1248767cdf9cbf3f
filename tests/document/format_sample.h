#pragma once

// A board that uses every kind, field, enum value and attribute feature of
// the model, for format and operation tests.

#include "board.h"

#include <QByteArray>
#include <QString>

namespace lw::test {

Board sampleBoard();
// One file numbered 1 holding count plain vias.
Board viaBoard(int count);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

}  // namespace lw::test

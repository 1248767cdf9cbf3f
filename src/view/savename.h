#pragma once

// How a name typed into a save dialog becomes the file that is written.

#include <QString>

namespace lw {

struct SaveTarget {
  QString path;
  bool compressed = false;
};

// "Save VD File": board. -> board.vd; names ending .vd or .vdz (any case)
// keep their name; anything else gets ".vd" appended (board.txt ->
// board.txt.vd), and so does a bare ".vd".
SaveTarget saveTargetFor(QString name);

}  // namespace lw

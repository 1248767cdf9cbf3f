#include "savename.h"

namespace lw {

SaveTarget saveTargetFor(QString name) {
  if (name.endsWith(u'.')) name += QStringLiteral("vd");
  if (name.size() > 3 && name.right(3).toLower() == QStringLiteral(".vd"))
    return {name, false};
  if (name.size() > 4 && name.right(4).toLower() == QStringLiteral(".vdz"))
    return {name, true};
  return {name + QStringLiteral(".vd"), false};
}

}  // namespace lw

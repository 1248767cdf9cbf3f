#include "savename.h"

#include "boardio.h"

namespace lw {

SaveTarget saveTargetFor(QString name) {
  if (name.endsWith(u'.')) name += QStringLiteral("vd");
  if (const auto compression = compressionForName(name))
    return {name, *compression == Compression::Gzip};
  return {name + QStringLiteral(".vd"), false};
}

}  // namespace lw

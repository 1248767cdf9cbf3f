#pragma once

#include "error.h"

#include <QByteArray>
#include <QString>

namespace lw {

// Replaces path with data atomically: the bytes go to a temporary file beside
// it, which takes the target's place only once complete. Throws Error naming
// the file and the reason; the previous file is then untouched.
void writeFileAtomically(const QString& path, const QByteArray& data);

}  // namespace lw

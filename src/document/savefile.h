#pragma once

#include "error.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace lw {

// Replaces path with data atomically: the bytes go to a temporary file beside
// it, which takes the target's place only once completely written and synced
// to the disk. Throws Error naming the file and the reason (a full disk is
// "the disk is full"); the previous file is then untouched. A target that is
// a folder, a named pipe or a device is refused, never replaced.
void writeFileAtomically(const QString& path, const QByteArray& data);

// The steps of a save that can fail on the disk, in their order.
enum class SaveStep { Write, Sync, Rename };

// For tests: failures that only a broken or full disk would cause. The hook
// is asked before each step (before each piece of data, for writes, with
// the bytes written so far); an errno it returns fails that step as the
// system would have. An empty hook, the default, injects nothing.
void setSaveFaultHook(std::function<int(SaveStep, qint64 written)> hook);

}  // namespace lw

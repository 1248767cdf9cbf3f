#pragma once

// Opening a file that is not a regular file can block for ever (a named
// pipe waits for a writer) or never end (a device reads without end and
// reports no size), so every command that reads or replaces a file the
// user named asks here first, before opening it.

#include <QString>

namespace lw {

// Why path is no file to read or replace, in the user's words: "no such
// file", "it is a folder", "it is a named pipe", "it is a device", "it is a
// socket", "it is not a regular file"; "" for a regular file or a symbolic
// link to one, and when the file system will not say (opening it then
// names the reason).
QString notRegularFileReason(const QString& path);

// Throws Error "Cannot open "path": reason." unless path names a regular
// file.
void requireRegularFile(const QString& path);

}  // namespace lw

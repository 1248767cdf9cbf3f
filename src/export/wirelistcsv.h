#pragma once

// The wire list as CSV for a spreadsheet or a script (RFC 4180): UTF-8
// without a byte order mark, CR LF line ends, the column titles as the
// first record, a field quoted when it holds a comma, a quote or a line
// break, quotes inside doubled; numbers in document form whatever the
// locale.

#include "wirelist.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace lw {

// nullopt when progress cancelled.
std::optional<QByteArray> wireListCsv(const WireList& list,
                                      const ExportProgress& progress = {});

// Writes the CSV to path atomically: a cancelled or failed export leaves
// whatever was there. False when cancelled; throws Error naming the file.
bool exportWireListCsv(const WireList& list, const QString& path,
                       const ExportProgress& progress = {});

}  // namespace lw

#pragma once

// Giving every probe of a document its new name, and writing the result.
// Qt Core only; the renumbering dialog asks the questions.

#include "boarddocument.h"
#include "boardio.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace lw {

struct ProbeRename {
  int dataPosition = 0;  // the probe entity's place in the document
  QString name;
};

// Select argument of the first visible PCB file in file order, 0 when the
// document has none.
std::int16_t findPcbSelectArgument(const BoardDocument& document);

// Renames each probe and sets its "REFNAME" value to the same text, keeping
// that attribute's display record; a probe without one gets one with a zero
// record, so name and "REFNAME" always agree. Throws Error when a position
// is not a probe of the visible PCB file; the document may then be partly
// renamed, so callers work on a copy (writeRenumberedDocument does).
void applyProbeNames(BoardDocument& document,
                     const std::vector<ProbeRename>& renames);

// Renames a copy of the document and writes it to fileName; only once the
// file is written does the copy replace the document. On any failure
// throws Error (naming the file and the reason) with document untouched.
void writeRenumberedDocument(BoardDocument& document,
                             const std::vector<ProbeRename>& renames,
                             const QString& fileName, Compression compression);

}  // namespace lw

#pragma once

// Importing an IPC-D-356 / IPC-D-356A test netlist as a board document with
// probes placed: what the command line's "import" and the window's
// "Import IPC-D-356..." call. Qt Core only. The same file and options always
// give the same board. See docs/import.md.

#include "board.h"
#include "error.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <map>
#include <optional>
#include <vector>

namespace lw {

enum class ProbeSide { Bottom, Top, Both };
// Auto gives each net the largest of the fixed sizes that fits.
enum class ProbeSize {
  Auto = 0,
  Mil100 = 100,
  Mil75 = 75,
  Mil50 = 50,
  Mil39 = 39
};

struct ImportOptions {
  ProbeSide side = ProbeSide::Bottom;
  ProbeSize probeSize = ProbeSize::Auto;
  bool operator==(const ImportOptions&) const = default;
};

// A net left without a probe, and why (one of the reason texts below).
struct UnplacedNet {
  QString net;
  QString reason;
  bool operator==(const UnplacedNet&) const = default;
};

struct ImportSummary {
  QString fileName;
  QString units;        // as the file gave them, e.g. "CUST 0"
  bool latin1 = false;  // read as Latin-1: the text is not valid UTF-8
  PageUnits pageUnits = PageUnits::Mil;
  int lines = 0;
  int featureRecords = 0;  // 3x7 and 0x7 records read
  int components = 0;
  int pins = 0;
  int vias = 0;
  int toolingHoles = 0;
  int fiducials = 0;
  int nets = 0;  // named nets; "N/C" and blank are none
  int accessPointsTop = 0;
  int accessPointsBottom = 0;
  int noConnectFeatures = 0;  // pins and vias on "N/C": never probed
  int unnamedFeatures = 0;    // pins and vias with a blank net field
  int probesPlaced = 0;
  std::map<int, int> placedBySize;  // probe size in mil -> probes placed
  int unplacedNoAccess = 0;         // no pad or via reachable from the side
  int unplacedPadTooSmall = 0;      // every reachable pad below the minimum
  int unplacedTooClose = 0;         // every acceptable pad too near a probe
  int bottomLayer = 0;  // access layer number of the bottom; 0 when none
  bool outlineFromFile = false;
  bool maskNamesOpenSides = false;
  // Designators with surface pads on both sides (a writer cut two names to
  // the same six characters): one part per side.
  QStringList splitDesignators;
  std::map<QString, int> skippedRecords;  // record code -> lines not used
  int skippedLines = 0;                   // lines that could not be read
  QStringList problems;                   // "line N: ...", for the first
  QStringList duplicates;  // "line N repeats line M": features left out
  std::vector<UnplacedNet> unplaced;  // in the order of the nets
  ImportOptions options;
};

struct ImportResult {
  Board board;
  ImportSummary summary;
};

// Throws Error when the file cannot be read, holds no usable feature record,
// uses units that cannot be converted or goes past one of the limits of
// ipc356limits.h.
// Malformed lines are skipped and listed in the summary's problems.
ImportResult importIpc356(const QString& path, const ImportOptions& options);
// The same for text already in memory; fileName names the board's file.
ImportResult importIpc356Text(QByteArrayView text, const QString& fileName,
                              const ImportOptions& options);

// Whether text begins like an IPC-D-356 netlist: its first line that is not
// blank is a comment ("C"), a parameter ("P") or a test record ("317",
// "327", "367", "999").
bool looksLikeIpc356(QByteArrayView text);

// Several lines for the user, ending with a line break; the first gives the
// number of skipped lines. No control character of the file reaches them.
QString formatSummary(const ImportSummary& summary);
// Every net without a probe as "net<TAB>reason" lines, to paste into a
// spreadsheet.
QString formatUnplaced(const ImportSummary& summary);

// The sizes a choice stands for, largest first: one, or all for Auto.
std::vector<ProbeSize> probeSizesOf(ProbeSize size);
// Narrowest pad side a probe of a fixed size may land on (docs/import.md).
double minimumPadMils(ProbeSize size) noexcept;
// "bottom", "top", "both"; "auto", "100", "75", "50", "39". The texts are
// also how the choices are stored.
std::optional<ProbeSide> probeSideFromText(QStringView text);
std::optional<ProbeSize> probeSizeFromText(QStringView text);
QString probeSideText(ProbeSide side);
QString probeSizeText(ProbeSize size);

// Texts of "PLACEMENT_REASON" on unplaced probes.
inline constexpr const char* kReasonNoAccess = "No access from the probe side";
inline constexpr const char* kReasonPadTooSmall = "Pads below the minimum size";
inline constexpr const char* kReasonTooClose = "Too close to other probes";

}  // namespace lw

#pragma once

// Reads the text of an IPC-D-356 or IPC-D-356A test netlist into plain data,
// in the file's own terms: continuations merged, net aliases resolved,
// lengths converted to page units. Nothing here knows the board model.

#include "board.h"
#include "error.h"
#include "ipc356limits.h"
#include "netlisttext.h"

#include <QByteArrayView>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <map>
#include <utility>
#include <vector>

namespace lw::ipc356 {

// The second digit of a 3x7 record.
enum class FeatureType : std::uint8_t {
  BlindVia = 0,        // 307
  ThroughHole = 1,     // 317
  Smd = 2,             // 327
  ToolingFeature = 3,  // 337, fiducials and other optical marks
  ToolingHole = 4,     // 347
  UnplatedHole = 6,    // 367
};

// One record line of a feature: the primary record or a 0x7 continuation.
struct PadRecord {
  int access = -1;  // access layer number (0 both sides, 1 top, ...), -1 none
  int mask = -1;    // solder mask digit 0..3, -1 when the record has none
};

struct Feature {
  FeatureType type = FeatureType::ThroughHole;
  int line = 0;  // line of the primary record, from 1
  QString net;   // full name (aliases resolved); empty when the field is blank
  QString refdes;
  QString pin;
  bool midpoint = false;
  bool unplated = false;  // hole marked U
  double hole = 0;        // hole diameter, page units; 0 when none
  double x = 0;
  double y = 0;
  double width = 0;   // 0 when the record gives no size
  double height = 0;  // 0 when blank: same as width
  double angle = 0;   // degrees
  std::vector<PadRecord> pads;
};

struct Netlist {
  PageUnits units = PageUnits::Mil;
  QString unitsText;  // as the file wrote it ("CUST 0"); empty when absent
  // Parameter records other than UNITS and NNAME, in file order.
  std::vector<std::pair<QString, QString>> parameters;
  std::vector<Feature> features;
  std::vector<std::vector<QPointF>> boardEdges;  // one chain per outline
  TextEncoding encoding = TextEncoding::Utf8;
  int lines = 0;
  int featureRecords = 0;  // 3x7 and 0x7 lines read
  int bottomLayer = 0;     // highest access layer number above 1, else 0
  std::map<QString, int> skipped;  // record code -> lines of records not used
  // Lines that could not be read and were skipped: malformed records, lines
  // that are no record, text after the end record.
  int skippedLines = 0;
  QStringList problems;    // "line 12: ..." for the first of those lines
  QStringList duplicates;  // "line 40 repeats line 12": features left out
};

// Parses text; sourceName only labels messages. Throws Error when the text
// holds no usable feature record, names units it cannot convert or goes
// past one of the limits.
Netlist readNetlist(QByteArrayView text, const QString& sourceName,
                    const ImportLimits& limits = {});

}  // namespace lw::ipc356

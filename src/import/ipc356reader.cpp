#include "ipc356reader.h"

#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <numbers>
#include <optional>

namespace lw::ipc356 {
namespace {

// Fixed columns of a feature record, counted from 0.
constexpr int kNetBegin = 3;
constexpr int kNetEnd = 17;
constexpr int kRefBegin = 20;
constexpr int kRefEnd = 26;
constexpr int kPinBegin = 27;
constexpr int kPinEnd = 31;
constexpr int kMidpoint = 31;
constexpr int kHole = 32;  // 'D', then four digits
constexpr int kPlating = 37;
constexpr int kAccess = 38;  // 'A', then two digits
constexpr int kX = 41;       // 'X', then sign and six digits
constexpr int kY = 49;
constexpr int kWidth = 57;  // 'X', then four digits
constexpr int kHeight = 62;
constexpr int kRotation = 67;  // 'R', then three digits
constexpr int kMask = 72;      // 'S', then one digit
constexpr int kOutlineData = 17;
// One message for each skipped line; a file of nothing but malformed lines
// keeps those of its first lines only, and the count goes on.
constexpr int kProblemsKept = 1000;

QByteArrayView columns(QByteArrayView line, qsizetype begin, qsizetype end) {
  if (begin >= line.size()) return {};
  return line.sliced(begin, std::min(end, line.size()) - begin);
}

char at(QByteArrayView line, qsizetype i) {
  return i < line.size() ? line[i] : ' ';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

struct Number {
  enum Status { Blank, Ok, Bad } status = Blank;
  long long value = 0;
};

// Generators pad numbers with spaces or zeros and may leave out the sign.
Number parseNumber(QByteArrayView field) {
  field = field.trimmed();
  if (field.isEmpty()) return {};
  qsizetype i = 0;
  const bool negative = field[0] == '-';
  if (field[0] == '+' || field[0] == '-') {
    ++i;
    while (i < field.size() && field[i] == ' ') ++i;
  }
  if (i == field.size() || field.size() - i > 15) return {Number::Bad, 0};
  long long value = 0;
  for (; i < field.size(); ++i) {
    const char c = field[i];
    if (c < '0' || c > '9') return {Number::Bad, 0};
    value = value * 10 + (c - '0');
  }
  return {Number::Ok, negative ? -value : value};
}

std::optional<FeatureType> featureType(char digit) {
  switch (digit) {
    case '0':
      return FeatureType::BlindVia;
    case '1':
      return FeatureType::ThroughHole;
    case '2':
      return FeatureType::Smd;
    case '3':
      return FeatureType::ToolingFeature;
    case '4':
      return FeatureType::ToolingHole;
    case '6':
      return FeatureType::UnplatedHole;
    default:
      return std::nullopt;
  }
}

// The fields of one feature line, lengths still in file units.
struct FeatureLine {
  QByteArrayView net;
  QString refdes;
  QString pin;
  bool midpoint = false;
  char plating = ' ';
  long long hole = 0;
  PadRecord pad;
  std::optional<long long> x;
  std::optional<long long> y;
  long long width = 0;
  long long height = 0;
  long long rotation = 0;
};

class Parser {
 public:
  Parser(QByteArrayView text, const QString& sourceName,
         const ImportLimits& limits)
      : mText(text), mSource(sourceName), mLimits(limits) {}

  void parse();
  Netlist finish();

 private:
  enum class Last { Other, Feature, Outline, Skipped };

  void line(QByteArrayView line);
  void parameter(QByteArrayView line);
  void comment(QByteArrayView line);
  void feature(QByteArrayView line, FeatureType type, bool continuation);
  bool readFields(QByteArrayView line, FeatureLine& out);
  bool readLength(QByteArrayView line, int letterColumn, char letter,
                  int digits, const char* what, long long& out);
  void outline(QByteArrayView line, bool continuation);
  void skip(QByteArrayView code);
  void problem(const QString& message);
  void countRecord();
  void dropRepeats();
  QString field(QByteArrayView bytes) const;
  QString quoted(QByteArrayView bytes) const;
  void resolveNets();
  void applyUnits();

  NetlistText mText;
  QString mSource;
  ImportLimits mLimits;
  Netlist mNet;
  std::vector<QByteArray> mRawNets;  // per feature, before alias lookup
  QHash<QString, QString> mAliases;  // alias (without NNAME) -> full name
  // Net field -> full name, from comments that pair the two.
  QHash<QString, QString> mCommentNames;
  int mLine = 0;
  Last mLast = Last::Other;
  bool mEnded = false;
  bool mOutlineBroken = false;
  std::optional<long long> mOutlineX;
  std::optional<long long> mOutlineY;
  std::vector<std::vector<std::pair<long long, long long>>> mEdges;
  // Per feature, its records as written: from its record to the end of its
  // last continuation.
  std::vector<QByteArrayView> mRecords;
};

void Parser::parse() {
  QByteArrayView l;
  while (mText.nextLine(l)) {
    ++mLine;
    line(l);
  }
  mNet.lines = mLine;
  mNet.encoding = mText.encoding();
}

void Parser::line(QByteArrayView l) {
  if (l.trimmed().isEmpty()) return;
  const char kind = l[0];
  if (kind == 'C') {
    if (!mEnded) comment(l);
    return;
  }
  if (mEnded) {
    problem(QStringLiteral("text after the end record 999 is ignored"));
    return;
  }
  const QByteArrayView code = l.first(std::min<qsizetype>(3, l.size()));
  if (kind == 'P') {
    parameter(l);
    mLast = Last::Other;
    return;
  }
  if (code == "999") {
    mEnded = true;
    return;
  }
  const bool primary = kind == '3';
  const bool continuation = kind == '0';
  if ((primary || continuation) && code.size() == 3 && code[2] == '7') {
    if (const auto type = featureType(code[1])) {
      feature(l, *type, continuation);
      return;
    }
  }
  if (code == "389" || (code == "089" && mLast == Last::Outline)) {
    outline(l, continuation);
    return;
  }
  // Records are C, P or a three-digit code; records of other codes are not
  // used, and their continuations follow them unused.
  if (code.size() < 3 || !isDigit(code[0]) || !isDigit(code[1]) ||
      !isDigit(code[2])) {
    problem(QStringLiteral("\"%1\" is not an IPC-D-356 record code")
                .arg(quoted(code)));
    return;
  }
  skip(code);
  if (primary) mLast = Last::Skipped;
}

void Parser::parameter(QByteArrayView l) {
  const QByteArrayView body = l.sliced(1).trimmed();
  qsizetype split = 0;
  while (split < body.size() && body[split] != ' ' && body[split] != '\t')
    ++split;
  const QString name = mText.decode(body.first(split));
  const QString value = field(body.sliced(split));
  if (name.isEmpty()) return;
  if (name == QLatin1String("UNITS")) {
    mNet.unitsText = value.simplified();
    if (mNet.unitsText == QLatin1String("CUST"))
      problem(QStringLiteral(
          "UNITS CUST without a number is read as CUST 0 (0.0001 inch)"));
  } else if (name.startsWith(QLatin1String("NNAME")) && name.size() > 5) {
    mAliases.insert(name.mid(5), value);
  } else {
    mNet.parameters.emplace_back(name, value);
  }
}

// Some writers keep the full name of a net whose name they had to shorten
// only in a comment: "C  CAD Netname : FULL --- IPC Netname : SHORT".
void Parser::comment(QByteArrayView l) {
  static const QRegularExpression pairing(
      QStringLiteral(R"(^C\s+CAD\s+Net\s*name\s*:\s*(.*?)\s*---\s*IPC\s+)"
                     R"(Net\s*name\s*:\s*(.*?)\s*$)"),
      QRegularExpression::CaseInsensitiveOption);
  const QString line = mText.decode(l);
  if (!line.contains(QLatin1String("---"))) return;  // most comments
  const QRegularExpressionMatch m = pairing.match(line);
  if (m.hasMatch() && !m.capturedView(1).isEmpty() &&
      !m.capturedView(2).isEmpty())
    mCommentNames.insert(m.captured(2), m.captured(1));
}

bool Parser::readLength(QByteArrayView l, int letterColumn, char letter,
                        int digits, const char* what, long long& out) {
  if (at(l, letterColumn) != letter) return true;
  const Number n =
      parseNumber(columns(l, letterColumn + 1, letterColumn + 1 + digits));
  if (n.status == Number::Bad || n.value < 0) {
    problem(QStringLiteral("the %1 \"%2\" is not a valid number")
                .arg(QLatin1String(what),
                     quoted(columns(l, letterColumn + 1,
                                    letterColumn + 1 + digits))));
    return false;
  }
  out = n.value;
  return true;
}

bool Parser::readFields(QByteArrayView l, FeatureLine& f) {
  f.net = columns(l, kNetBegin, kNetEnd).trimmed();
  f.refdes = field(columns(l, kRefBegin, kRefEnd));
  f.pin = field(columns(l, kPinBegin, kPinEnd));
  f.midpoint = at(l, kMidpoint) == 'M';
  f.plating = at(l, kPlating);
  if (!readLength(l, kHole, 'D', 4, "hole diameter", f.hole)) return false;
  if (at(l, kAccess) == 'A') {
    const Number n = parseNumber(columns(l, kAccess + 1, kAccess + 3));
    if (n.status != Number::Ok || n.value < 0) {
      problem(QStringLiteral("the access code \"%1\" is not a layer number")
                  .arg(quoted(columns(l, kAccess, kAccess + 3))));
      return false;
    }
    f.pad.access = static_cast<int>(n.value);
  }
  for (const auto& [column, slot, name] :
       {std::tuple{kX, &f.x, "X coordinate"},
        std::tuple{kY, &f.y, "Y coordinate"}}) {
    if (at(l, column) != (column == kX ? 'X' : 'Y')) continue;
    const Number n = parseNumber(columns(l, column + 1, column + 8));
    if (n.status == Number::Bad) {
      problem(QStringLiteral("the %1 \"%2\" is not a number")
                  .arg(QLatin1String(name),
                       quoted(columns(l, column + 1, column + 8))));
      return false;
    }
    if (n.status == Number::Ok) *slot = n.value;
  }
  if (!readLength(l, kWidth, 'X', 4, "pad width", f.width) ||
      !readLength(l, kHeight, 'Y', 4, "pad height", f.height))
    return false;
  if (at(l, kRotation) == 'R') {
    const Number n = parseNumber(columns(l, kRotation + 1, kRotation + 4));
    if (n.status == Number::Bad) {
      problem(QStringLiteral("the rotation \"%1\" is not a number")
                  .arg(quoted(columns(l, kRotation + 1, kRotation + 4))));
      return false;
    }
    f.rotation = n.value;
  }
  // Some writers put the mask field one column left of its place.
  const int maskColumn = at(l, kMask) == 'S'       ? kMask
                         : at(l, kMask - 1) == 'S' ? kMask - 1
                                                   : -1;
  if (maskColumn >= 0) {
    const char digit = at(l, maskColumn + 1);
    if (digit >= '0' && digit <= '3') f.pad.mask = digit - '0';
  }
  return true;
}

void Parser::feature(QByteArrayView l, FeatureType type, bool continuation) {
  FeatureLine f;
  if (!readFields(l, f)) {
    if (!continuation) mLast = Last::Skipped;
    return;
  }
  if (continuation) {
    if (mLast != Last::Feature) {
      problem(QStringLiteral(
          "a continuation record without a feature record before it"));
      return;
    }
    // Continuations add the other side's pad or the hole of one feature.
    Feature& into = mNet.features.back();
    countRecord();
    const QByteArrayView last = l.trimmed();
    mRecords.back() =
        QByteArrayView(mRecords.back().data(), last.data() + last.size());
    if (f.pad.access >= 0) into.pads.push_back(f.pad);
    if (into.hole == 0 && f.hole > 0) {
      into.hole = static_cast<double>(f.hole);
      into.unplated = f.plating == 'U';
    }
    if (into.width == 0 && f.width > 0) {
      into.width = static_cast<double>(f.width);
      into.height = static_cast<double>(f.height);
    }
    return;
  }
  if (!f.x || !f.y) {
    problem(QStringLiteral("the feature record has no X and Y position"));
    mLast = Last::Skipped;
    return;
  }
  if (f.pad.access < 0) {
    const bool onTop =
        type == FeatureType::Smd || type == FeatureType::ToolingFeature;
    f.pad.access = onTop ? 1 : 0;
  }
  Feature out;
  out.type = type;
  out.line = mLine;
  out.refdes = f.refdes;
  out.pin = f.pin;
  out.midpoint = f.midpoint;
  out.unplated = f.plating == 'U' || type == FeatureType::UnplatedHole;
  out.hole = static_cast<double>(f.hole);
  out.x = static_cast<double>(*f.x);
  out.y = static_cast<double>(*f.y);
  out.width = static_cast<double>(f.width);
  out.height = static_cast<double>(f.height);
  out.angle = static_cast<double>(f.rotation);
  out.pads.push_back(f.pad);
  mNet.features.push_back(std::move(out));
  mRawNets.emplace_back(f.net.toByteArray());
  countRecord();
  mRecords.push_back(l.trimmed());
  mLast = Last::Feature;
}

// One point of a board edge chain at i: "X…Y…", "X…" or "Y…".
struct EdgePoint {
  std::optional<long long> x;
  std::optional<long long> y;
  bool signedValue = false;
  qsizetype end = 0;  // past the point; 0 when nothing readable is there
};

EdgePoint readEdgePoint(QByteArrayView l, qsizetype i) {
  EdgePoint p;
  for (const char letter : {'X', 'Y'}) {
    if (i >= l.size() || l[i] != letter) continue;
    qsizetype end = i + 1;
    if (end < l.size() && (l[end] == '+' || l[end] == '-')) {
      p.signedValue = true;
      ++end;
    }
    while (end < l.size() && l[end] >= '0' && l[end] <= '9') ++end;
    const Number n = parseNumber(l.sliced(i + 1, end - i - 1));
    if (n.status != Number::Ok) break;
    (letter == 'X' ? p.x : p.y) = n.value;
    i = end;
    p.end = end;
  }
  if (i < l.size() && l[i] != ' ' && l[i] != '*') p.end = 0;
  return p;
}

qsizetype skipBlanks(QByteArrayView l, qsizetype i) {
  while (i < l.size() && l[i] == ' ') ++i;
  return i;
}

// The standard puts the drawing (line) width before the points, as an
// unsigned "X…Y…" pair; some writers leave it out and start with a vertex.
// A leading pair followed by a whole point is taken for the width: writers
// that start with a vertex go on with a point giving only X or only Y.
qsizetype pastDrawingSize(QByteArrayView l, qsizetype i) {
  i = skipBlanks(l, i);
  const EdgePoint size = readEdgePoint(l, i);
  if (size.end == 0 || !size.x || !size.y || size.signedValue) return i;
  const EdgePoint next = readEdgePoint(l, skipBlanks(l, size.end));
  return next.end != 0 && next.x && next.y ? size.end : i;
}

void Parser::outline(QByteArrayView l, bool continuation) {
  qsizetype i = continuation ? 3 : kOutlineData;
  if (!continuation) {
    if (columns(l, 3, kOutlineData).trimmed() != "BOARD_EDGE") {
      skip(l.first(3));
      mLast = Last::Skipped;
      return;
    }
    mEdges.emplace_back();
    mOutlineX.reset();
    mOutlineY.reset();
    mLast = Last::Outline;
    i = pastDrawingSize(l, i);
  }
  // A chain of points; a point may name only X or only Y, keeping the other.
  while (i < l.size()) {
    const char c = l[i];
    if (c == ' ') {
      ++i;
      continue;
    }
    if (c == '*') {
      mEdges.emplace_back();
      ++i;
      continue;
    }
    const EdgePoint p = readEdgePoint(l, i);
    if (p.end == 0) {
      problem(QStringLiteral("the board edge point \"%1\" is not readable")
                  .arg(quoted(l.sliced(i).trimmed())));
      mOutlineBroken = true;
      return;
    }
    if (p.x) mOutlineX = p.x;
    if (p.y) mOutlineY = p.y;
    i = p.end;
    if (!mOutlineX || !mOutlineY) {
      problem(QStringLiteral("the board edge starts without both X and Y"));
      mOutlineBroken = true;
      return;
    }
    mEdges.back().emplace_back(*mOutlineX, *mOutlineY);
  }
}

void Parser::skip(QByteArrayView code) {
  ++mNet.skipped[QString::fromLatin1(code)];
}

void Parser::problem(const QString& message) {
  ++mNet.skippedLines;
  if (mNet.problems.size() < kProblemsKept)
    mNet.problems.append(QStringLiteral("line %1: %2").arg(mLine).arg(message));
}

// Memory follows the features kept: the file is refused before they pass
// the bound.
void Parser::countRecord() {
  if (++mNet.featureRecords <= mLimits.featureRecords) return;
  throw Error(QStringLiteral("%1 holds more than %2 feature records (line "
                             "%3); Loomwright imports netlists of at most "
                             "%2.")
                  .arg(mSource)
                  .arg(mLimits.featureRecords)
                  .arg(mLine));
}

// A feature whose records repeat an earlier feature's adds nothing but a
// second pin on the same spot: it is left out and listed. Sorting hashes
// finds the repeats in a fraction of what a hash set filled while reading
// costs (the record limit already bounds the memory).
void Parser::dropRepeats() {
  const int count = static_cast<int>(mRecords.size());
  const size_t seed = QHashSeed::globalSeed();
  std::vector<std::pair<size_t, int>> order;  // hash, feature
  order.reserve(mRecords.size());
  for (int i = 0; i < count; ++i)
    order.emplace_back(qHash(mRecords[i], seed), i);
  std::sort(order.begin(), order.end());
  std::vector<int> repeats(mRecords.size(), -1);  // -> the earlier feature
  for (size_t a = 0; a < order.size();) {
    size_t b = a + 1;
    while (b < order.size() && order[b].first == order[a].first) ++b;
    for (size_t i = a + 1; i < b; ++i) {
      const int later = order[i].second;
      for (size_t j = a; j < i && repeats[later] < 0; ++j) {
        const int earlier = order[j].second;
        if (repeats[earlier] < 0 && mRecords[earlier] == mRecords[later])
          repeats[later] = earlier;
      }
    }
    a = b;
  }
  for (int i = 0; i < count; ++i) {
    if (repeats[i] < 0) continue;
    const int line = mNet.features[i].line;
    const int first = mNet.features[repeats[i]].line;
    if (mNet.duplicates.size() == mLimits.duplicateFeatures) {
      throw Error(QStringLiteral("In %1 more than %2 features repeat earlier "
                                 "ones exactly (line %3 repeats line %4); "
                                 "Loomwright does not guess which records "
                                 "of such a file are meant.")
                      .arg(mSource)
                      .arg(mLimits.duplicateFeatures)
                      .arg(line)
                      .arg(first));
    }
    mNet.duplicates.append(
        QStringLiteral("line %1 repeats line %2").arg(line).arg(first));
  }
  int kept = 0;
  for (int i = 0; i < count; ++i) {
    if (repeats[i] >= 0) continue;
    if (kept != i) {
      mNet.features[kept] = std::move(mNet.features[i]);
      mRawNets[kept] = std::move(mRawNets[i]);
    }
    ++kept;
  }
  mNet.features.resize(kept);
  mRawNets.resize(kept);
}

QString Parser::field(QByteArrayView bytes) const {
  return mText.decode(bytes.trimmed());
}

QString Parser::quoted(QByteArrayView bytes) const {
  return printable(mText.decode(bytes));
}

void Parser::resolveNets() {
  // Aliases are looked up with and without their NNAME prefix; a name paired
  // in a comment serves only where no parameter record names the net.
  for (size_t i = 0; i < mNet.features.size(); ++i) {
    QString net = mText.decode(mRawNets[i]);
    auto it = mAliases.constFind(net);
    if (it == mAliases.constEnd() && net.startsWith(QLatin1String("NNAME")))
      it = mAliases.constFind(net.mid(5));
    if (it != mAliases.constEnd())
      net = *it;
    else
      net = mCommentNames.value(net, net);
    mNet.features[i].net = std::move(net);
  }
}

void Parser::applyUnits() {
  // File lengths are in 0.0001 inch (CUST 0 and 2) or 0.001 mm (CUST 1).
  const QString& units = mNet.unitsText;
  double divisor = 10;  // 0.0001 inch -> mil
  double degreesPerUnit = 1;
  // A bare CUST was told as a problem where it was read.
  if (units.isEmpty() || units == QLatin1String("CUST") ||
      units == QLatin1String("CUST 0")) {
    mNet.units = PageUnits::Mil;
  } else if (units == QLatin1String("CUST 1")) {
    mNet.units = PageUnits::Millimetre;
    divisor = 1000;
  } else if (units == QLatin1String("CUST 2")) {
    mNet.units = PageUnits::Mil;
    degreesPerUnit = 180 / std::numbers::pi;
  } else {
    throw Error(QStringLiteral("%1 gives its units as \"%2\", which cannot be "
                               "read. Known units are CUST 0, CUST 1 and "
                               "CUST 2.")
                    .arg(mSource, printable(units)));
  }
  for (Feature& f : mNet.features) {
    f.x /= divisor;
    f.y /= divisor;
    f.hole /= divisor;
    f.width /= divisor;
    f.height /= divisor;
    f.angle *= degreesPerUnit;
  }
  if (mOutlineBroken) return;
  for (const auto& chain : mEdges) {
    if (chain.size() < 3) continue;
    std::vector<QPointF> points;
    points.reserve(chain.size());
    for (const auto& [x, y] : chain)
      points.emplace_back(static_cast<double>(x) / divisor,
                          static_cast<double>(y) / divisor);
    mNet.boardEdges.push_back(std::move(points));
  }
}

Netlist Parser::finish() {
  if (mNet.features.empty()) {
    QString message = QStringLiteral(
                          "%1 holds no test points: no readable IPC-D-356 "
                          "feature record (317, 327, ...) was found.")
                          .arg(mSource);
    if (!mNet.problems.isEmpty())
      message += QStringLiteral(" First problem: ") + mNet.problems.first();
    throw Error(message);
  }
  dropRepeats();
  resolveNets();
  applyUnits();
  for (const Feature& f : mNet.features)
    for (const PadRecord& p : f.pads)
      if (p.access > 1) mNet.bottomLayer = std::max(mNet.bottomLayer, p.access);
  return std::move(mNet);
}

}  // namespace

Netlist readNetlist(QByteArrayView text, const QString& sourceName,
                    const ImportLimits& limits) {
  Parser parser(text, sourceName, limits);
  parser.parse();
  return parser.finish();
}

}  // namespace lw::ipc356

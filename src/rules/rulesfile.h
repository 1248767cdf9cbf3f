#pragma once

// The rules file, default.rules: which probe grid columns show and the sort
// priority list, kept from one document to the next. Latin-1 text, CR LF:
//
//   Loomwright Rules File
//   6 Dec 2024                    date written (C locale); never read
//   (empty)
//   .ColumnGrid 1 0 Probe #       one per rules grid row, hidden ones too
//   (empty)
//   .SortOrder RefDes             one per sort list entry, in order
//
// The layout is positional: after trimming blanks (not tabs) a column line
// has its visible flag at character 13, its sort-key flag at 15 and its name
// from 17 on; a sort line has its entry from 12 on. Markers are read
// case-blind; everything else is ignored, so short and odd lines are
// harmless. A column line without a name (under 17 characters) is ignored;
// so is one whose flags are not 0 or 1, and that is told.
//
// A real file holds a few dozen lines; a file above kMaxRulesFileBytes or
// kMaxRulesFileLines is refused rather than read into the window.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace lw {

inline constexpr qint64 kMaxRulesFileBytes = 1 << 20;
inline constexpr int kMaxRulesFileLines = 10000;

struct ColumnRule {
  bool visible = true;   // shows the column
  bool sortKey = false;  // ticks "Sort Key"
  QString name;          // a probe grid column title, matched exactly
  bool operator==(const ColumnRule&) const = default;
};

struct Rules {
  std::vector<ColumnRule> columns;  // in file order; later lines win
  QStringList sortOrder;            // index 0 is applied first
  QStringList ignored;  // "line 7 (...): why", for lines read and not used
};

// Where the rules file lives: the user's own, written by "Save Rules", and
// the one shipped beside the executable, which is only read.
struct RulesFileLocations {
  QString user;
  QString shipped;

  // There is a file to read, good or bad.
  bool available() const;
};

// Rules read from one of the files, and why the user's was passed over.
struct RulesRead {
  Rules rules;
  QString path;         // the file read
  QString userProblem;  // the user's file could not be read; or ""
};

// Reads the user's file when it exists, else the shipped one; a user's file
// that cannot be read gives way to the shipped one, and userProblem says
// why. Throws Error naming the file when no file can be read.
RulesRead readRules(const RulesFileLocations& files);

// Throws Error, without a file name, for text of more than
// kMaxRulesFileLines lines.
Rules parseRules(QByteArrayView data);

// Names that cannot make the round trip are left out and listed in leftOut:
// characters beyond Latin-1, line breaks, trailing blanks (trimmed away when
// read back).
QByteArray serializeRules(const Rules& rules, QDate date,
                          QStringList* leftOut = nullptr);

// Throws Error naming the file when it cannot be read.
Rules readRulesFile(const QString& path);
// Creates the folder when missing and replaces the file atomically; throws
// Error naming the file and the reason. Returns the names left out.
QStringList writeRulesFile(const QString& path, const Rules& rules, QDate date);

}  // namespace lw

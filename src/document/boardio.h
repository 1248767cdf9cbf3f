#pragma once

// Reading and writing board documents: ".vd" is UTF-8 JSON, ".vdz" the same
// bytes as a gzip stream. The format is described in docs/vd-format.md.

#include "board.h"
#include "error.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <string_view>

namespace lw {

enum class Compression { None, Gzip };

// How a file name asks to be written, by its extension in any letter case:
// ".vd" plain, ".vdz" compressed; nothing for any other name, or for a name
// that is only the extension (".vd"). Every command that writes a document
// under a name the user gave decides with this.
std::optional<Compression> compressionForName(const QString& fileName);

// Whether a file's first bytes are those of a board document: gzip, or a
// JSON object (after white space and a UTF-8 byte order mark). When they
// are and reading fails, the document is damaged; otherwise the file is of
// another kind.
bool startsLikeBoardDocument(QByteArrayView head);

// Called with rising fractions from 0 to 1 while a document is read.
using ProgressFn = std::function<void(double fraction)>;

inline constexpr int kFormatVersion = 1;
inline constexpr const char* kFormatName = "loomwright-board";

// Reads a document; gzip is recognised by its magic bytes, not by the name.
// Throws Error naming the file and what is wrong (with the JSON path or the
// byte offset where there is one). Never returns a half-read board.
Board readBoard(const QString& path, const ProgressFn& progress = {});

// Parses the JSON text of a document. sourceName only labels messages.
Board parseBoard(std::string_view json, const QString& sourceName,
                 const ProgressFn& progress = {});

// The JSON text of a document: deterministic (same board, same bytes) and
// independent of the process locale. Throws Error for a board that breaks a
// rule the reader enforces (docs/vd-format.md), which could not be reopened.
QByteArray serializeBoard(const Board& board);

// Writes atomically: the previous file survives any failure. Throws Error.
void writeBoard(const Board& board, const QString& path,
                Compression compression);

}  // namespace lw

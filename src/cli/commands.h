#pragma once

// The commands of loomwright-cli. Each takes its operands, already counted
// by the dispatcher, and returns an exit status; lw::Error escapes to the
// dispatcher, which reports it.

#include <QStringList>
#include <QTextStream>

namespace lw {

// Reads its own options: FILE [--json].
int infoCommand(const QStringList& operands, QTextStream& out,
                QTextStream& err);
int validateCommand(const QStringList& operands, QTextStream& out,
                    QTextStream& err);
int convertCommand(const QStringList& operands, QTextStream& out,
                   QTextStream& err);
// Reads its own options: FILE -o OUT [--side S] [--probe-size N] [--strict];
// --strict refuses a netlist with any skipped line.
int importCommand(const QStringList& operands, QTextStream& out,
                  QTextStream& err);
// Reads its own options: FILE -o OUT [--surface S] [--unwired].
int exportCommand(const QStringList& operands, QTextStream& out,
                  QTextStream& err);

}  // namespace lw

#pragma once

// loomwright-cli: batch work on board documents without the window.
//
//   loomwright-cli info FILE [--json]  units, files, layers, entity counts,
//                                      wiring progress
//   loomwright-cli validate FILE       can Loomwright load it?
//   loomwright-cli convert IN OUT      .vd <-> .vdz by OUT's extension
//   loomwright-cli import NET -o OUT   a board from an IPC-D-356 netlist
//   loomwright-cli export FILE -o OUT  the wire list as CSV or PDF

#include <QStringList>
#include <QTextStream>

namespace lw {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed =
    1;  // a file could not be read, written or used
inline constexpr int kExitUsage = 2;  // the command line was wrong

// Runs one command line; args are the arguments after the program name.
// Results go to out, messages naming the file at fault to err.
int runCli(const QStringList& args, QTextStream& out, QTextStream& err);

}  // namespace lw

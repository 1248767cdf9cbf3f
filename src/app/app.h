#pragma once

class QApplication;

namespace lw {

// Parses the command line (FILE, --help, --version), opens the main window
// and runs the event loop. Returns the exit status.
int runApplication(QApplication& app);

}  // namespace lw

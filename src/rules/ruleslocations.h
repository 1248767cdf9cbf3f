#pragma once

// Where the program finds the rules file. The user's own comes first
// (~/.config/Loomwright/Loomwright/default.rules, written by "Save Rules");
// then the one shipped with the program: in share/loomwright of the prefix
// an installed program runs from (never beside /usr/bin/loomwright), else
// beside the executable, as in a build folder.

#include "rulesfile.h"

namespace lw {

// The shipped file for a program in executableFolder: the first that
// exists of <prefix>/share/loomwright/default.rules and
// <executableFolder>/default.rules; the latter when neither does.
QString shippedRulesFile(const QString& executableFolder);

// The user's file and the shipped one, for both programs alike.
RulesFileLocations standardRulesLocations(const QString& executableFolder);

}  // namespace lw

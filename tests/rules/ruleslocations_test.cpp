// Where both programs look for the rules file, installed or in a build
// folder: never beside /usr/bin/loomwright for an installed one.
#include "ruleslocations.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

namespace lw {
namespace {

TEST(RulesLocations, UsersOwnThenInstalledThenBesideTheProgram) {
  const struct {
    bool installed, beside;
    const char* shipped;
  } cases[] = {{true, true, "share/loomwright/default.rules"},
               {true, false, "share/loomwright/default.rules"},
               {false, true, "bin/default.rules"},
               {false, false, "bin/default.rules"}};
  for (const auto& c : cases) {
    const test::TempFolder prefix;
    QDir().mkpath(prefix.path("bin"));
    if (c.installed) prefix.write("share/loomwright/default.rules", "x");
    if (c.beside) prefix.write("bin/default.rules", "x");
    EXPECT_EQ(shippedRulesFile(prefix.path("bin")), prefix.path(c.shipped))
        << c.installed << c.beside;
  }
  const test::TempFolder home;
  qputenv("XDG_CONFIG_HOME", home.path("config").toUtf8());
  EXPECT_EQ(standardRulesLocations(home.path("bin")).user,
            home.path("config/Loomwright/Loomwright/default.rules"));
  qunsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace lw

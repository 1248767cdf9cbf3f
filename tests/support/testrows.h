#pragma once

// Test data rows in one call each: row("name", cell, cell, ...).

#include <QTest>

namespace lw::test {

inline void row(const char* name, const auto&... cells) {
  (QTest::newRow(name) << ... << cells);
}

}  // namespace lw::test

// Every file in tests/data/bad is refused with a message that names the file
// and says what is wrong; none crashes, hangs or yields a half-read board.

#include "boardio.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lw {
namespace {

// Each file, then after ": " what its message must tell the user.
const QString kCases = R"(
empty.vd: the file is empty
whitespace-only.vd: not valid JSON: parse error at line 3, column 1
not-json.vd: not valid JSON: parse error at line 1
binary.vd: not valid JSON
truncated.vd: unexpected end of input
truncated.vdz: the compressed data ends early
damaged.vdz: the compressed data is damaged
trailing-bytes-after-gzip.vdz: unexpected bytes after the compressed data
empty-gzip.vdz: the compressed document is empty
not-an-object.vd: not a Loomwright board document
wrong-format.vd: not a Loomwright board document ("format" is "other-board")
no-format.vd: not a Loomwright board document (no "format")
future-version.vd: version: the document was written by a newer Loomwright (format version 2
version-zero.vd: version: unknown format version 0
version-not-whole.vd: version: expected a whole number
no-version.vd: version: missing
trailing-content.vd: not valid JSON: parse error at line 11
invalid-utf8.vd: UTF-8
nan.vd: not valid JSON: parse error at line 9
infinite-number.vd: entities[0].x: the number is out of range
int-beyond-32-bit.vd: entities[0].n: 2147483648 is out of range (-2147483648 to 2147483647)
display-int-beyond-16-bit.vd: entities[0].a[0][2][5]: 32768 is out of range
display-wrong-length.vd: entities[0].a[0][2]: expected 13 numbers: 5 reals and 8 integers
select-beyond-16-bit.vd: files[0].select: 40000 is out of range
colour-out-of-range.vd: layers[0].colour[1]: 256 is out of range
negative-size.vd: entities[0].w: a size must not be negative
wrong-type-number.vd: entities[0].x: expected a number
wrong-type-string.vd: entities[0].name: expected a string
wrong-type-entity.vd: entities[0]: expected an object
unknown-kind.vd: entities[0].k: unknown kind "vai" (expected via, pin, component,
unknown-shape.vd: entities[0].sh: unknown shape "hexagon"
unknown-side.vd: entities[0].s: unknown side "left"
unknown-units.vd: units: unknown units "furlong"
unknown-key.vd: entities[0]: unknown key "wdth"
repeated-key.vd: entities[0]: key "x" repeated
missing-kind.vd: entities[0]: "k" (the kind) is missing
missing-file-key.vd: entities[0]: "f" (the file) is missing
file-without-number.vd: files[0]: "number" is missing
duplicate-file-number.vd: files[1].number: file number 1 repeated
duplicate-layer-index.vd: layers[1].index: layer index 1 repeated
unknown-file-reference.vd: entities[1].f: no file has number 2
unknown-layer-reference.vd: entities[0].l: no layer has index 7
pin-without-component.vd: entities[0]: a pin needs "c"
pin-on-missing-entity.vd: entities[0].c: there is no entity 5
pin-on-non-component.vd: entities[1].c: entity 0 is not a component
component-on-non-pin.vd: entities[1].c: only pins belong to a component
bad-rotation.vd: files[0].rotation: 45 is not 0, 90, 180 or 270
odd-outline.vd: entities[0].o: expected x and y pairs
empty-keyword.vd: keywords[0]: a keyword must not be empty
duplicate-keyword.vd: keywords[1]: keyword "A" repeated
empty-attribute-name.vd: entities[0].a[0][0]: an attribute name must not be empty
attribute-not-a-pair.vd: entities[0].a[0]: expected [name, value] or [name, value, display]
deeply-nested.vd: entities[0]: expected an object
deeply-nested-unclosed.vd: not valid JSON
zero-byte.vd: not valid JSON: a zero byte at byte offset 2
)";

void expectRefused(const QString& path, const QString& hint) {
  QString message;
  try {
    readBoard(path);
  } catch (const Error& e) {
    message = e.message();
  }
  EXPECT_TRUE(message.startsWith("Cannot open \"" +
                                 QDir::toNativeSeparators(path) + "\": ") &&
              message.contains(hint))
      << "message: " << message.toStdString()
      << "\nexpected: " << hint.toStdString();
}

TEST(FormatBad, EveryCorpusFileIsRefusedWithItsReason) {
  QHash<QString, QString> hints;
  for (const QString& row : kCases.split('\n', Qt::SkipEmptyParts))
    hints.insert(row.section(": ", 0, 0), row.section(": ", 1));
  const QDir bad(LW_TEST_DATA "/bad");
  const QStringList files = bad.entryList({"*.vd", "*.vdz"}, QDir::Files);
  EXPECT_EQ(files.size(), hints.size()) << "a row without its file";
  for (const QString& file : files) {
    EXPECT_TRUE(hints.contains(file)) << "no row for " << file.toStdString();
    expectRefused(bad.filePath(file), hints.value(file, "?"));
  }
}

TEST(FormatBad, MissingUnreadableFilesAndFoldersAreNamed) {
  QTemporaryDir dir(QDir::tempPath() + "/lw bad XXXXXX");
  expectRefused(dir.filePath("gone.vd"), "no such file");
  expectRefused(dir.path(), "it is a folder");
  QFile file(dir.filePath("locked.vd"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("{}") == 2);
  file.close();
  file.setPermissions(QFileDevice::Permissions());
  if (!file.open(QIODevice::ReadOnly))  // root reads it anyway
    expectRefused(file.fileName(), "Permission denied");
}

}  // namespace
}  // namespace lw

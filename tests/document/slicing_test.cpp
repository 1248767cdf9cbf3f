// The entity array read a slice at a time gives what the whole text gives,
// wherever slices and pieces of text are cut: inside strings that hold
// brackets, braces, commas, escaped quotes, backslashes and \u escapes,
// inside numbers and between entities. What the slices cannot read is read
// whole, so every message stays the one the whole text gives.

#include "vdformat.h"
#include "vdslicer.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace lw;

namespace {

const std::string kHead =
    "\xEF\xBB\xBF"
    R"({"format":"loomwright-board",
"version":1,"keywords":["N"],"files":[{"number":1,"name":"entities"}],
"attributes":[["N","\"entities\":[{"]],"entities" :
)";

struct Outcome {
  std::optional<Board> board;
  std::string message;
};

template <class Fn>
Outcome outcomeOf(Fn read) {
  try {
    return {read(), {}};
  } catch (const vd::Problem& p) {
    return {std::nullopt, p.what()};
  }
}

vd::PaddedBuffer bytesOf(const std::string& text, bool packed) {
  const QByteArray b = packed ? vd::gzip(QByteArray::fromStdString(text))
                              : QByteArray::fromStdString(text);
  return vd::PaddedBuffer(b.constData(), std::size_t(b.size()));
}

// Each text after kHead, and whether slices read it.
const std::pair<std::string, bool> kCases[] = {
    {"[]}", true},
    {" [ \n ] } \n", true},
    {R"([{"k":"via","f":1,"name":"a]b,c}d{e[f"}]})", true},
    {R"([{"k":"via","f":1,"name":"\"],[{\"","x":-12.5e-3},
        {"k":"pin","c":2,"f":1,"name":"\\","a":[["N","\\\""],["M","\u005d,"]]},
        {"k":"component","f":1,"o":[1,2,3,4],"name":"\u0022}\\\\"}
       ]})",
     true},
    {R"([{"k":"probe","f":1,"a":[["N","1",[0,0,0,0,0,1,2,3,4,5,6,7,8]]]},
        {"k":"via","f":1,"name":"ä😀","a":[["Q",""]]}]})",
     true},
    // Names missing from the keyword table, met first in different slices:
    // numbered in the order the document first uses them.
    {R"([{"k":"via","f":1,"a":[["P","1"],["Q","2"]]},
        {"k":"via","f":1,"a":[["R","3"],["Q","4"]]},
        {"k":"via","f":1,"a":[["S","5"],["P","6"],["R","7"]]},
        {"k":"via","f":1,"a":[["T","8"],["S","9"]]}]})",
     true},
    // Laid out otherwise, or refused: read whole.
    {R"([{"k":"via","f":1}],"units":"mil"})", false},
    {R"([{"k":"via","f":1},]})", false},
    {R"([,{"k":"via","f":1}]})", false},
    {R"([{"k":"via","f":1},,{"k":"via","f":1}]})", false},
    {R"([{"k":"via","f":1}]} x)", false},
    {R"([{"k":"via","f":1}]}})", false},
    {R"([{"k":"via","f":1}}})", false},
    {R"([{"k":"via","f":1},{"k":"vai","f":1}]})", false},
    {R"([{"k":"via","f":1},{"k":"via","f":1,"name":"x)", false},
    {R"({"k":"via","f":1}})", false},
};

TEST(SlicedRead, GivesWhatTheWholeTextGives) {
  for (const auto& [rest, sliced] : kCases) {
    const std::string text = kHead + rest;
    for (const bool packed : {false, true}) {
      const Outcome whole =
          outcomeOf([&] { return vd::decodeWhole(bytesOf(text, packed), {}); });
      for (const std::size_t sliceBytes : {0, 1, 2, 7, 40, 1 << 20}) {
        const vd::PaddedBuffer bytes = bytesOf(text, packed);
        const std::optional<Board> board =
            vd::parseSliced(bytes.data(), bytes.size(), sliceBytes, {});
        const std::string where = rest + " packed " + std::to_string(packed) +
                                  " slice " + std::to_string(sliceBytes);
        EXPECT_EQ(board.has_value(), sliced) << where;
        if (board) {
          EXPECT_EQ(board, whole.board) << where;
        }
      }
      const Outcome decoded = outcomeOf(
          [&] { return vd::decodeDocument(bytesOf(text, packed), {}); });
      EXPECT_EQ(decoded.board, whole.board) << rest;
      EXPECT_EQ(decoded.message, whole.message) << rest;
    }
  }
}

// The key that opens the entity array is the top-level one, not a string
// or a key of the same name further in; an escaped key is read whole.
TEST(SlicedRead, OnlyTheTopLevelKeyOpensTheEntities) {
  const std::string text = R"({"format":"loomwright-board","version":1,
"files":[{"number":1,"name":"\"entities\":["}],
"attributes":[["entities",":[\""]],"entit\u0069es":[{"k":"via","f":1}]})";
  const vd::PaddedBuffer bytes = bytesOf(text, false);
  EXPECT_FALSE(vd::parseSliced(bytes.data(), bytes.size(), 1, {}));
  EXPECT_EQ(vd::decodeDocument(bytesOf(text, false), {}).entities.size(), 1u);
}

// Text fed a byte at a time is handed on as the head with an empty array,
// then every entity in a slice of its own once a slice may be one byte,
// an escaped quote, brackets and commas in strings cut nothing.
TEST(SlicedRead, SlicesHoldWholeEntities) {
  std::vector<std::string> pieces;
  std::vector<std::size_t> objects;
  const auto keep = [&](const char* text, std::size_t size) {
    pieces.emplace_back(text, size);
  };
  vd::EntitySlicer slicer(
      1, keep, [&](const char* text, std::size_t size, std::size_t count) {
        keep(text, size);
        objects.push_back(count);
      });
  const std::string text =
      R"({"a":[1,{"b":2}], "entities" : [ {"n":"\\"}, [",]\"{"],3 ] }  )";
  for (char c : text) {
    *slicer.room(1) = c;
    ASSERT_TRUE(slicer.append(1));
  }
  EXPECT_TRUE(slicer.finished());
  EXPECT_EQ(slicer.handedOn(), text.size() - 4);
  const std::vector<std::string> expected = {
      R"({"a":[1,{"b":2}], "entities" : []})", R"([ {"n":"\\"}])",
      R"([ [",]\"{"]])", "[3 ]"};
  EXPECT_EQ(pieces, expected);
  // Objects in the entity array, not in its items or strings.
  EXPECT_EQ(objects, (std::vector<std::size_t>{1, 0, 0}));
}

}  // namespace

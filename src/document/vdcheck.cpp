// The rules a document must keep to be read back: checked after reading and
// before writing, so that a save never produces a file that cannot be opened.

#include "recordset.h"
#include "vdformat.h"

#include <algorithm>
#include <cmath>
#include <future>
#include <string>
#include <thread>
#include <vector>

namespace lw::vd {

namespace {

std::string at(const char* array, std::size_t index) {
  return std::string(array) + '[' + std::to_string(index) + ']';
}

// Names and values reach the program in records whose fields character 5
// separates: one inside a name would shift every field after it.
bool holdsSeparator(const QString& text) {
  return text.contains(kFieldSeparator);
}

std::string separatorProblem(const std::string& path, const std::string& what,
                             QString text) {
  constexpr qsizetype kMax = 60;  // keep messages readable
  if (text.size() > kMax) text = text.left(kMax) + QStringLiteral("...");
  text.replace(kFieldSeparator, QStringLiteral("<U+0005>"));
  return path + ": " + what + " \"" + text.toStdString() +
         "\" holds the control character U+0005, which Loomwright uses "
         "between fields and no name or value may hold";
}

// Sorted numbers with a cache of the last hit: entities come in runs on the
// same file and layer.
class NumberSet {
 public:
  template <class Range, class Key>
  NumberSet(const Range& range, Key key) {
    for (const auto& item : range) mNumbers.push_back(key(item));
    std::sort(mNumbers.begin(), mNumbers.end());
  }

  // The first number that occurs twice, if any.
  const int* repeated() const {
    auto it = std::adjacent_find(mNumbers.begin(), mNumbers.end());
    return it == mNumbers.end() ? nullptr : &*it;
  }

  bool contains(int n) {
    if (mHit && n == mLast) return true;
    mHit = std::binary_search(mNumbers.begin(), mNumbers.end(), n);
    mLast = n;
    return mHit;
  }

 private:
  std::vector<int> mNumbers;
  int mLast = 0;
  bool mHit = false;
};

// path() builds the owner's JSON path, only when there is a problem.
template <class PathFn>
std::string checkAttributes(const Board& board,
                            const std::vector<Attribute>& attributes,
                            PathFn path) {
  for (std::size_t i = 0; i < attributes.size(); ++i) {
    const Attribute& a = attributes[i];
    if (a.keyword <= 0 || a.keyword >= board.keywords.size())
      return path() + at("", i) + "[0]: no keyword has index " +
             std::to_string(a.keyword);
    if (holdsSeparator(a.value))
      return separatorProblem(path() + at("", i) + "[1]", "the value", a.value);
    const DisplayRecord& display = a.display;
    for (std::size_t r = 0; r < display.reals.size(); ++r)
      if (!std::isfinite(display.reals[r]))
        return path() + at("", i) + at("[2]", r) + ": not a finite number";
  }
  return {};
}

std::string checkHeader(const Board& board) {
  if (int(board.units) < 0 || std::size_t(board.units) >= kUnitNames.size())
    return "units: unknown units code " + std::to_string(int(board.units));
  // Slot 0 is never written; a name there would be lost.
  if (!board.keywords.isEmpty() && !board.keywords[0].isEmpty())
    return "keywords: the unused first slot holds \"" +
           board.keywords[0].toStdString() + "\"";
  std::vector<QString> keywords(
      board.keywords.begin() + (board.keywords.isEmpty() ? 0 : 1),
      board.keywords.end());
  for (std::size_t i = 0; i < keywords.size(); ++i) {
    if (keywords[i].isEmpty()) return at("keywords", i) + ": empty keyword";
    if (holdsSeparator(keywords[i]))
      return separatorProblem(at("keywords", i), "the keyword", keywords[i]);
  }
  std::sort(keywords.begin(), keywords.end());
  if (auto it = std::adjacent_find(keywords.begin(), keywords.end());
      it != keywords.end())
    return "keywords[" + std::to_string(board.keywords.lastIndexOf(*it) - 1) +
           "]: keyword \"" + it->toStdString() + "\" repeated";

  for (std::size_t i = 0; i < board.files.size(); ++i) {
    const int r = board.files[i].rotation;
    if (r != 0 && r != 90 && r != 180 && r != 270)
      return at("files", i) + ".rotation: " + std::to_string(r) +
             " is not 0, 90, 180 or 270";
  }
  return checkAttributes(board, board.attributes,
                         [] { return std::string("attributes"); });
}

template <class T>
std::string repeatedNumber(const std::vector<T>& items, int T::*field,
                           const char* array, const char* key,
                           const char* what) {
  NumberSet set(items, [field](const T& t) { return t.*field; });
  const int* n = set.repeated();
  if (!n) return {};
  std::size_t last = items.size();
  while (last-- > 0 && items[last].*field != *n) {
  }
  return at(array, last) + "." + key + ": " + what + " " + std::to_string(*n) +
         " repeated";
}

bool isFinite(const Entity& e) noexcept {
  auto finite = [](double v) { return std::isfinite(v); };
  return finite(e.x) && finite(e.y) && finite(e.width) && finite(e.height) &&
         finite(e.angle) &&
         std::all_of(e.outline.begin(), e.outline.end(), [&](const QPointF& p) {
           return finite(p.x()) && finite(p.y());
         });
}

std::string numberProblem(const Entity& e, const std::string& path) {
  const std::pair<const char*, double> values[] = {{".x", e.x},
                                                   {".y", e.y},
                                                   {".w", e.width},
                                                   {".h", e.height},
                                                   {".r", e.angle}};
  for (const auto& [key, v] : values)
    if (!std::isfinite(v)) return path + key + ": not a finite number";
  for (std::size_t i = 0; i < e.outline.size(); ++i) {
    const bool xOk = std::isfinite(e.outline[i].x());
    if (!xOk || !std::isfinite(e.outline[i].y()))
      return path + at(".o", 2 * i + (xOk ? 1 : 0)) + ": not a finite number";
  }
  return path + (e.width < 0 ? ".w" : ".h") + ": a size must not be negative";
}

bool hasComponent(const Board& board, const Entity& e) noexcept {
  if (e.kind != EntityKind::Pin) return e.parent == -1;
  return e.parent >= 0 && std::size_t(e.parent) < board.entities.size() &&
         board.entities[std::size_t(e.parent)].kind == EntityKind::Component;
}

std::string componentProblem(const Board& board, const Entity& e,
                             const std::string& path) {
  if (e.kind != EntityKind::Pin)
    return path + ".c: only pins belong to a component";
  if (e.parent < 0)
    return path + ": a pin needs \"c\", the data position of its component";
  if (std::size_t(e.parent) >= board.entities.size())
    return path + ".c: there is no entity " + std::to_string(e.parent);
  return path + ".c: entity " + std::to_string(e.parent) +
         " is not a component";
}

// The first problem among entities [begin, end).
std::string checkEntities(const Board& board, std::size_t begin,
                          std::size_t end) {
  NumberSet files(board.files, [](const BoardFile& f) { return f.number; });
  NumberSet layers(board.layers, [](const Layer& l) { return l.index; });
  for (std::size_t i = begin; i < end; ++i) {
    const Entity& e = board.entities[i];
    auto path = [i] { return at("entities", i); };
    if (int(e.kind) < 1 || int(e.kind) >= kEntityKindCount)
      return path() + ".k: unknown kind code " + std::to_string(int(e.kind));
    if (std::size_t(e.shape) >= kShapeNames.size())
      return path() + ".sh: unknown shape code " + std::to_string(int(e.shape));
    if (std::size_t(e.side) >= kSideNames.size())
      return path() + ".s: unknown side code " + std::to_string(int(e.side));
    if (!files.contains(e.file))
      return path() + ".f: no file has number " + std::to_string(e.file);
    // Layer 0 means "on no layer" unless a layer has that index.
    if (e.layer != 0 && !layers.contains(e.layer))
      return path() + ".l: no layer has index " + std::to_string(e.layer);
    if (!hasComponent(board, e)) return componentProblem(board, e, path());
    if (!isFinite(e) || e.width < 0 || e.height < 0)
      return numberProblem(e, path());
    if (holdsSeparator(e.name))
      return separatorProblem(
          path() + ".name",
          "the " + std::string(kKindNames[std::size_t(e.kind)]) + " name",
          e.name);
    if (std::string p =
            checkAttributes(board, e.attributes, [&] { return path() + ".a"; });
        !p.empty())
      return p;
  }
  return {};
}

// A large board's entities are checked in parts, one per core, most of
// them cold in memory after the read; the first part with a problem names
// the first problem, as one pass would.
std::string checkEntities(const Board& board) {
  constexpr std::size_t kPartSize = 100'000;
  const std::size_t count = board.entities.size();
  const std::size_t parts = std::clamp<std::size_t>(
      std::min<std::size_t>(count / kPartSize,
                            std::thread::hardware_concurrency()),
      1, 4);
  std::vector<std::future<std::string>> others;
  for (std::size_t k = 1; k < parts; ++k)
    others.push_back(std::async(std::launch::async, [&board, k, parts, count] {
      return checkEntities(board, count * k / parts, count * (k + 1) / parts);
    }));
  std::string problem = checkEntities(board, 0, count / parts);
  for (std::future<std::string>& other : others) {
    std::string p = other.get();
    if (problem.empty()) problem = std::move(p);
  }
  return problem;
}

}  // namespace

std::string findProblem(const Board& board) {
  if (std::string p = checkHeader(board); !p.empty()) return p;
  if (std::string p = repeatedNumber(board.files, &BoardFile::number, "files",
                                     "number", "file number");
      !p.empty())
    return p;
  if (std::string p = repeatedNumber(board.layers, &Layer::index, "layers",
                                     "index", "layer index");
      !p.empty())
    return p;
  return checkEntities(board);
}

}  // namespace lw::vd

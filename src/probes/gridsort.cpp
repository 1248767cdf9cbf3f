#include "gridsort.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

namespace lw {
namespace {

// std::from_chars is the C-locale reading without allocating; QLocale is only
// asked when that fails, because it costs ten times more per cell.
std::optional<double> readCNumber(QStringView text) {
  char buffer[64];
  if (text.size() >= qsizetype(sizeof buffer)) return std::nullopt;
  qsizetype n = 0;
  for (QChar ch : text) {
    if (ch.unicode() > 0x7f) return std::nullopt;
    buffer[n++] = char(ch.unicode());
  }
  const char* begin = buffer;
  // from_chars has no leading "+"; the regional reading accepts it.
  if (n > 1 && buffer[0] == '+' && buffer[1] != '-') ++begin;
  double value = 0;
  auto [end, error] = std::from_chars(begin, buffer + n, value);
  if (error != std::errc() || end != buffer + n) return std::nullopt;
  return value;
}

bool sameAsC(const QLocale& locale) {
  return locale.decimalPoint() == u"." && locale.negativeSign() == u"-" &&
         locale.positiveSign() == u"+" && locale.zeroDigit() == u"0";
}

bool hasDigit(QStringView text) {
  return std::any_of(text.begin(), text.end(),
                     [](QChar ch) { return ch.isDigit(); });
}

// Qt writes a direction mark into the negative sign of Arabic, Persian and
// Hebrew locales ("\u061C-1\u066B5") but does not read it back; it only
// orders the text for display.
bool isDirectionMark(QChar ch) {
  return ch == u'\u200E' || ch == u'\u200F' || ch == u'\u061C';
}

QString withoutDirectionMarks(QStringView text) {
  QString plain = text.toString();
  plain.removeIf(isDirectionMark);
  return plain;
}

struct Key {
  double number = 0;
  QStringView text;
  bool isNumber = false;
};

bool genericLess(const Key& a, const Key& b) {
  if (a.isNumber != b.isNumber) return a.isNumber;
  if (a.isNumber) return a.number < b.number;
  return a.text < b.text;
}

bool numericLess(const Key& a, const Key& b) {
  if (a.isNumber != b.isNumber) return a.isNumber;
  if (a.isNumber && a.number != b.number) return a.number < b.number;
  return a.text < b.text;
}

// `regional` is null when it reads like the C locale, else it rejects group
// separators.
std::optional<double> readNumber(QStringView text, const QLocale* regional) {
  const QStringView trimmed = text.trimmed();
  if (trimmed.isEmpty()) return std::nullopt;
  std::optional<double> value = readCNumber(trimmed);
  if (!value && regional && hasDigit(trimmed)) {
    bool ok = false;
    const double v =
        std::any_of(trimmed.begin(), trimmed.end(), isDirectionMark)
            ? regional->toDouble(withoutDirectionMarks(trimmed), &ok)
            : regional->toDouble(trimmed, &ok);
    if (ok) value = v;
  }
  // A NaN would break the ordering the sort relies on.
  if (value && !std::isfinite(*value)) return std::nullopt;
  return value;
}

std::optional<QLocale> strictRegional(const QLocale& regional) {
  if (sameAsC(regional)) return std::nullopt;
  QLocale strict = regional;
  strict.setNumberOptions(QLocale::RejectGroupSeparator);
  return strict;
}

}  // namespace

std::optional<double> readGridNumber(QStringView text,
                                     const QLocale& regional) {
  const std::optional<QLocale> strict = strictRegional(regional);
  return readNumber(text, strict ? &*strict : nullptr);
}

std::vector<int> gridSortOrder(const std::vector<QStringView>& cells,
                               GridOrder order, const QLocale& regional) {
  // Keys are read once up front: parsing inside the comparator costs ten
  // times the sort itself.
  const std::optional<QLocale> strict = strictRegional(regional);
  std::vector<Key> keys(cells.size());
  for (size_t i = 0; i < cells.size(); ++i) {
    keys[i].text = cells[i];
    if (auto number = readNumber(cells[i], strict ? &*strict : nullptr)) {
      keys[i].isNumber = true;
      keys[i].number = *number;
    }
  }
  std::vector<int> result(cells.size());
  std::iota(result.begin(), result.end(), 0);
  auto less = order == GridOrder::Generic ? genericLess : numericLess;
  std::stable_sort(result.begin(), result.end(), [&](int a, int b) {
    return less(keys[size_t(a)], keys[size_t(b)]);
  });
  return result;
}

}  // namespace lw

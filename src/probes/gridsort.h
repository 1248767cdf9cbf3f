#pragma once

// How grid cells compare when the grid is sorted by a column.
//
// A cell reads as a number when its whole text, trimmed, parses as a finite
// double either in the C locale ("." decimal, "-" sign) or in the regional
// format passed in (e.g. "-1,5" under German): the probe grid shows document
// coordinates in regional form while sizes and names stay in C form. Group
// separators are not accepted ("1,500" is a text under English), so that a
// list like "1,2" never sorts as twelve. "nan" and "inf" are texts.
//
// Generic order: two numbers compare by value; a number comes before any text
// (the empty cell is a text); two texts compare case-sensitively by UTF-16
// code unit, so "P10" sorts before "P2" and "B" before "a".
//
// Numeric order (used once, by the renumbering dialog): numbers by value,
// then texts, like generic order, but cells that are otherwise equal are
// ordered by their text. Each run of equal keys is then one exact text, so
// equal texts always end up next to each other ("012", "12", "012" sorts to
// "012", "012", "12").
#include <QLocale>
#include <QStringView>

#include <optional>
#include <vector>

namespace lw {

enum class GridOrder { Generic, Numeric };

std::optional<double> readGridNumber(QStringView text, const QLocale& regional);

// The stable ascending order of `cells`: result[i] is the index of the cell
// that goes to place i. Cells with equal keys keep their relative order.
std::vector<int> gridSortOrder(const std::vector<QStringView>& cells,
                               GridOrder order, const QLocale& regional);

}  // namespace lw

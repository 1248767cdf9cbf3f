#include "rulesgrid.h"

#include "probetable.h"

namespace lw {

namespace {

const QString kOne = QStringLiteral("1");
const QString kZero = QStringLiteral("0");

}  // namespace

void buildRulesGrid(GridModel& rules, const GridModel& probes) {
  using namespace rules_grid;
  const Redraw before = rules.redraw();
  rules.setRedraw(Redraw::Off);
  rules.setRows(0);
  rules.setColumns(3);
  rules.appendRow(u"Visible\tSort Key\tColumn");
  rules.setRows(probes.columns() + 1);
  for (int c = 0; c < probes.columns(); ++c) {
    const int row = c + 1;
    const QString& title = probes.text(0, c);
    rules.setText(row, kVisible, probes.isColumnHidden(c) ? kZero : kOne);
    rules.setText(row, kSortKey, kZero);
    rules.setText(row, kColumn, title);
    rules.setRowHidden(row, isInternalColumnTitle(title));
  }
  rules.setBooleanColumn(kVisible);
  rules.setBooleanColumn(kSortKey);
  rules.setRedraw(before);
}

std::vector<ColumnRule> columnRules(const GridModel& rules) {
  using namespace rules_grid;
  std::vector<ColumnRule> out;
  out.reserve(size_t(std::max(rules.rows() - 1, 0)));
  for (int r = 1; r < rules.rows(); ++r)
    out.push_back({rules.text(r, kVisible) == kOne,
                   rules.text(r, kSortKey) == kOne, rules.text(r, kColumn)});
  return out;
}

void applyColumnRules(GridModel& rules, const std::vector<ColumnRule>& lines) {
  using namespace rules_grid;
  for (const ColumnRule& line : lines) {
    for (int r = 1; r < rules.rows(); ++r) {
      if (rules.text(r, kColumn) != line.name) continue;
      rules.setText(r, kVisible, line.visible ? kOne : kZero);
      rules.setText(r, kSortKey, line.sortKey ? kOne : kZero);
    }
  }
}

void applyVisibility(const GridModel& rules, GridModel& probes) {
  const int rows = std::min(rules.rows(), probes.columns() + 1);
  for (int r = 1; r < rows; ++r)
    probes.setColumnHidden(r - 1, rules.text(r, rules_grid::kVisible) != kOne);
}

QString toggledFlag(const QString& flag) {
  return flag == kZero ? kOne : kZero;
}

}  // namespace lw

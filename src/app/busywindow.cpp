#include "busywindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace lw {

BusyWindow::BusyWindow(QWidget* parent)
    : QDialog(parent), lblText(new QLabel(this)), pb1(new QProgressBar(this)) {
  setObjectName("frmBusy");
  setWindowTitle(QStringLiteral("Loomwright Busy"));
  setModal(false);
  lblText->setObjectName("lblText");
  pb1->setObjectName("pb1");
  pb1->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblText);
  layout->addWidget(pb1);
  setMinimumWidth(360);
}

void BusyWindow::setText(const QString& text) {
  lblText->setText(text);
  repaint();
}

void BusyWindow::setMaximum(int maximum) {
  pb1->setMaximum(maximum);
  repaint();
}

void BusyWindow::setValue(int value) {
  pb1->setValue(value);
  repaint();
}

int BusyWindow::value() const {
  return pb1->value();
}
int BusyWindow::maximum() const {
  return pb1->maximum();
}
QString BusyWindow::text() const {
  return lblText->text();
}

}  // namespace lw

#include "busywindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace lw {

BusyWindow::BusyWindow(QWidget* parent)
    : QDialog(parent),
      lblText(new QLabel(this)),
      lblPhase(new QLabel(this)),
      pb1(new QProgressBar(this)) {
  setObjectName("frmBusy");
  setWindowTitle(QStringLiteral("Loomwright Busy"));
  setModal(false);  // input waits (see the header), focus stays put
  lblText->setObjectName("lblText");
  lblPhase->setObjectName("lblPhase");
  pb1->setObjectName("pb1");
  pb1->setTextVisible(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblText);
  layout->addWidget(lblPhase);
  layout->addWidget(pb1);
  setMinimumWidth(360);
}

namespace {

void letTheWindowSystemDraw() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

void BusyWindow::setText(const QString& text) {
  lblText->setText(text);
  letTheWindowSystemDraw();
}

void BusyWindow::setPhase(const QString& phase) {
  lblPhase->setText(phase);
  letTheWindowSystemDraw();
}

QString BusyWindow::phase() const {
  return lblPhase->text();
}

void BusyWindow::setMaximum(int maximum) {
  pb1->setMaximum(maximum);
  letTheWindowSystemDraw();
}

void BusyWindow::setValue(int value) {
  pb1->setValue(value);
  letTheWindowSystemDraw();
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

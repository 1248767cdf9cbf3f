#pragma once

// Shows what a long load is doing. It has no behaviour of its own: the load
// sets its text, phase and progress. The load does not return to the event
// loop until it is done, so each change lets the window system draw (this
// window and the main window behind it) while user input waits: the load
// cannot be entered twice and nothing is clicked half-way.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace lw {

class BusyWindow : public QDialog {
  Q_OBJECT

 public:
  explicit BusyWindow(QWidget* parent = nullptr);

  void setText(const QString& text);
  // What the load does now, in words ("Reading board").
  void setPhase(const QString& phase);
  QString phase() const;
  void setMaximum(int maximum);
  void setValue(int value);
  int value() const;
  int maximum() const;
  QString text() const;

  QLabel* lblText;
  QLabel* lblPhase;
  QProgressBar* pb1;
};

}  // namespace lw

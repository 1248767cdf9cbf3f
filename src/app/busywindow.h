#pragma once

// Shows what a long load is doing. It has no behaviour of its own: the load
// sets its text and progress and it repaints at once, because the load does
// not return to the event loop until it is done.

#include <QDialog>

class QLabel;
class QProgressBar;

namespace lw {

class BusyWindow : public QDialog {
  Q_OBJECT

 public:
  explicit BusyWindow(QWidget* parent = nullptr);

  void setText(const QString& text);
  void setMaximum(int maximum);
  void setValue(int value);
  int value() const;
  int maximum() const;
  QString text() const;

  QLabel* lblText;
  QProgressBar* pb1;
};

}  // namespace lw

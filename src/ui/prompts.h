#pragma once

// Every question the program asks the user goes through this interface:
// message boxes, file dialogs and the program's own small dialogs. The
// window uses QtPrompts; tests answer with a scripted implementation.

#include <QString>

class QDialog;
class QWidget;

namespace lw {

class Prompts {
 public:
  enum class Icon { None, Information, Warning, Stop };
  // ReadOnlyCancel: "Open Read-Only" (Answer::ReadOnly) or Cancel.
  enum class Buttons { Ok, YesNo, YesNoCancel, ReadOnlyCancel };
  enum class Answer { Ok, Yes, No, Cancel, ReadOnly };

  virtual ~Prompts() = default;

  virtual Answer message(QWidget* parent, const QString& title,
                         const QString& text, Icon icon, Buttons buttons) = 0;
  // File dialogs return the chosen name, or an empty text when cancelled.
  // startName is the name last chosen in a dialog of the same window.
  virtual QString openFileName(QWidget* parent, const QString& filter,
                               const QString& startName) = 0;
  // Does not ask about replacing a file: the caller asks, for the name it
  // will really write (confirmReplace).
  virtual QString saveFileName(QWidget* parent, const QString& filter,
                               const QString& startName) = 0;
  // Shows a dialog of the program's own, set up by the caller, until the
  // user closes it: QDialog::Accepted or QDialog::Rejected.
  virtual int exec(QDialog& dialog);
};

// True when path does not exist yet, or the user agreed to replace it.
bool confirmReplace(Prompts& prompts, QWidget* parent, const QString& path);

class QtPrompts final : public Prompts {
 public:
  Answer message(QWidget* parent, const QString& title, const QString& text,
                 Icon icon, Buttons buttons) override;
  QString openFileName(QWidget* parent, const QString& filter,
                       const QString& startName) override;
  QString saveFileName(QWidget* parent, const QString& filter,
                       const QString& startName) override;
};

}  // namespace lw

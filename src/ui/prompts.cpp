#include "prompts.h"

#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace lw {

int Prompts::exec(QDialog& dialog) {
  return dialog.exec();
}

Prompts::Answer QtPrompts::message(QWidget* parent, const QString& title,
                                   const QString& text, Icon icon,
                                   Buttons buttons) {
  QMessageBox box(parent);
  QPushButton* readOnly = nullptr;
  box.setWindowTitle(title);
  box.setText(text);
  switch (icon) {
    case Icon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
    case Icon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case Icon::Warning:
      box.setIcon(QMessageBox::Warning);
      break;
    case Icon::Stop:
      box.setIcon(QMessageBox::Critical);
      break;
  }
  switch (buttons) {
    case Buttons::Ok:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case Buttons::YesNoCancel:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No |
                             QMessageBox::Cancel);
      break;
    case Buttons::ReadOnlyCancel:
      readOnly = box.addButton(QStringLiteral("Open Read-Only"),
                               QMessageBox::AcceptRole);
      box.addButton(QMessageBox::Cancel);
      box.setDefaultButton(QMessageBox::Cancel);
      break;
  }
  const int chosen = box.exec();
  if (readOnly && box.clickedButton() == readOnly) return Answer::ReadOnly;
  switch (chosen) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    case QMessageBox::Ok:
      return Answer::Ok;
    default:
      return Answer::Cancel;
  }
}

QString QtPrompts::openFileName(QWidget* parent, const QString& filter,
                                const QString& startName) {
  return QFileDialog::getOpenFileName(parent, QString(), startName, filter);
}

QString QtPrompts::saveFileName(QWidget* parent, const QString& filter,
                                const QString& startName) {
  return QFileDialog::getSaveFileName(parent, QString(), startName, filter,
                                      nullptr,
                                      QFileDialog::DontConfirmOverwrite);
}

bool confirmReplace(Prompts& prompts, QWidget* parent, const QString& path) {
  if (!QFileInfo::exists(path)) return true;
  return prompts.message(
             parent, QStringLiteral("Loomwright"),
             QStringLiteral("%1 already exists.\nDo you want to replace it?")
                 .arg(QDir::toNativeSeparators(path)),
             Prompts::Icon::Information,
             Prompts::Buttons::YesNo) == Prompts::Answer::Yes;
}

}  // namespace lw

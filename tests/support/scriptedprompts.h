#pragma once

// Answers the program's questions in tests and remembers what was asked.

#include "prompts.h"

#include <QDialog>
#include <QQueue>
#include <QStringList>

#include <functional>

namespace lw::test {

class ScriptedPrompts final : public Prompts {
 public:
  struct Message {
    QString title;
    QString text;
    Icon icon;
    Buttons buttons;
  };

  QQueue<Answer> answers;  // next message answers; Ok/Cancel when empty
  QQueue<QString>
      fileNames;  // next file dialog answers; "" (cancel) when empty
  QList<Message> messages;
  QStringList dialogStarts;  // the start name each file dialog was given
  // The program's own dialogs: each is given to the next handler, which may
  // change its controls and returns its result; accepted as it stands when
  // there is none. Their class names are kept in the order shown.
  QQueue<std::function<int(QDialog&)>> dialogAnswers;
  QStringList dialogsShown;

  Answer message(QWidget*, const QString& title, const QString& text, Icon icon,
                 Buttons buttons) override {
    messages.append({title, text, icon, buttons});
    if (!answers.isEmpty()) return answers.dequeue();
    return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
  }
  QString openFileName(QWidget*, const QString&,
                       const QString& start) override {
    dialogStarts.append(start);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
  }
  QString saveFileName(QWidget*, const QString&,
                       const QString& start) override {
    dialogStarts.append(start);
    return fileNames.isEmpty() ? QString() : fileNames.dequeue();
  }

  int exec(QDialog& dialog) override {
    dialogsShown.append(dialog.metaObject()->className());
    return dialogAnswers.isEmpty() ? QDialog::Accepted
                                   : dialogAnswers.dequeue()(dialog);
  }

  QString lastText() const {
    return messages.isEmpty() ? QString() : messages.last().text;
  }

  // Every message as "title|icon|buttons|text", to compare in one go.
  QStringList told() const {
    static const char* icons[] = {"None", "Information", "Warning", "Stop"};
    static const char* buttons[] = {"Ok", "YesNo", "YesNoCancel",
                                    "ReadOnlyCancel"};
    QStringList all;
    for (const Message& m : messages)
      all << QStringList{m.title, icons[int(m.icon)], buttons[int(m.buttons)],
                         m.text}
                 .join('|');
    return all;
  }
};

}  // namespace lw::test

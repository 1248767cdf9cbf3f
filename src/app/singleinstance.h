#pragma once

// One Loomwright per user takes the documents opened from the desktop. A
// start with a file first offers it to a program already running, which
// opens it in its own window (asking about unsaved work first), and ends;
// without one it runs and listens for the starts after it. The meeting
// point is a local socket only its user may open.

#include <QObject>
#include <QStringList>

class QLocalServer;

namespace lw {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // socketPath: where the running program listens.
  explicit SingleInstance(QString socketPath, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Gives files to the running program; false when none took them within
  // timeoutMs.
  bool handOff(const QStringList& files, int timeoutMs = 3000) const;

  // Listens for later starts; false when another program listens already.
  // A socket left by a program that ended without closing it is replaced.
  bool listen();

 signals:
  void filesReceived(const QStringList& files);

 private:
  void accept();

  QString mSocketPath;
  QLocalServer* mServer;
};

// The meeting point of the user running this program, in the user's own
// runtime folder.
QString defaultInstanceSocket();

}  // namespace lw

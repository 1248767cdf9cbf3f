#include "singleinstance.h"

#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace lw {

namespace {

constexpr char kTaken = 'k';  // the answer once the files are received
constexpr int kProbeMs = 500;

}  // namespace

SingleInstance::SingleInstance(QString socketPath, QObject* parent)
    : QObject(parent),
      mSocketPath(std::move(socketPath)),
      mServer(new QLocalServer(this)) {
  mServer->setSocketOptions(QLocalServer::UserAccessOption);
  connect(mServer, &QLocalServer::newConnection, this, &SingleInstance::accept);
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::handOff(const QStringList& files, int timeoutMs) const {
  QLocalSocket socket;
  socket.connectToServer(mSocketPath);
  if (!socket.waitForConnected(timeoutMs)) return false;
  // Length-prefixed, so any name (even one holding a line break) arrives.
  QByteArray message;
  QDataStream out(&message, QIODevice::WriteOnly);
  out << files;
  socket.write(message);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // Only an answer says the files were taken; a program that hung or died
  // meanwhile leaves them to this start.
  if (!socket.waitForReadyRead(timeoutMs)) return false;
  return socket.read(1) == QByteArray(1, kTaken);
}

bool SingleInstance::listen() {
  // The server would take the name over even from a running program (it
  // moves a socket of the user's access into place), so ask first whether
  // one answers; what is left there then is a crashed program's socket.
  QLocalSocket probe;
  probe.connectToServer(mSocketPath);
  if (probe.waitForConnected(kProbeMs)) return false;
  QLocalServer::removeServer(mSocketPath);
  return mServer->listen(mSocketPath);
}

void SingleInstance::accept() {
  while (QLocalSocket* socket = mServer->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      QDataStream in(socket);
      in.startTransaction();
      QStringList files;
      in >> files;
      if (!in.commitTransaction()) return;  // the rest is on its way
      socket->write(QByteArray(1, kTaken));
      socket->flush();
      emit filesReceived(files);
    });
  }
}

QString defaultInstanceSocket() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation))
      .filePath(QStringLiteral("loomwright.socket"));
}

}  // namespace lw

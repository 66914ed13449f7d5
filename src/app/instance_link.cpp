#include "app/instance_link.h"

#include <unistd.h>

#include <QDataStream>
#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>
#include <cctype>
#include <utility>

namespace orv::app {

namespace {

// A hand-over: this word, then the list of paths; the application answers
// with one byte once it has them.
constexpr quint32 kHandOver = 0x4F52564C;  // "ORVL"
constexpr char kTaken = 'k';
// More than any list of paths a command line gives.
constexpr qint64 kMostBytes = qint64(1) << 20;

}  // namespace

InstanceLink::InstanceLink(QString socketPath, QObject* parent)
    : QObject(parent), socketPath_(std::move(socketPath)) {
  connect(&server_, &QLocalServer::newConnection, this, &InstanceLink::take);
}

QString InstanceLink::defaultSocketPath() {
  QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (folder.isEmpty()) folder = QDir::tempPath();
  QByteArray display = qgetenv("WAYLAND_DISPLAY");
  if (display.isEmpty()) display = qgetenv("DISPLAY");
  for (char& c : display)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-')) c = '_';
  return folder + QString("/orvanel-%1-%2.socket").arg(getuid()).arg(QString::fromLatin1(display));
}

bool InstanceLink::handOver(const QStringList& paths, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(socketPath_);
  if (!socket.waitForConnected(timeoutMs)) return false;
  QByteArray message;
  QDataStream out(&message, QIODevice::WriteOnly);
  out.setVersion(QDataStream::Qt_6_0);
  out << kHandOver << paths;
  socket.write(message);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  char answer = 0;
  return socket.getChar(&answer) && answer == kTaken;
}

bool InstanceLink::listen() {
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  if (server_.listen(socketPath_)) return true;
  // Nobody answered at the socket (handOver failed first), so it is left
  // over from an application that ended without removing it.
  if (server_.serverError() != QAbstractSocket::AddressInUseError) return false;
  QLocalServer::removeServer(socketPath_);
  return server_.listen(socketPath_);
}

void InstanceLink::take() {
  while (QLocalSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (socket->bytesAvailable() > kMostBytes) {
        socket->abort();
        socket->deleteLater();
        return;
      }
      QDataStream in(socket);
      in.setVersion(QDataStream::Qt_6_0);
      in.startTransaction();
      quint32 word = 0;
      QStringList paths;
      in >> word >> paths;
      if (!in.commitTransaction()) return;  // the rest is still on its way
      if (word != kHandOver) {
        socket->abort();
        socket->deleteLater();
        return;
      }
      socket->putChar(kTaken);
      socket->flush();
      socket->disconnectFromServer();
      emit filesHandedOver(paths);
    });
  }
}

}  // namespace orv::app

// One application per display: a second `orvanel FILE...` hands its files to
// the application already running there, through a local socket in the
// user's runtime folder, and ends.
#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <QStringList>

namespace orv::app {

class InstanceLink : public QObject {
  Q_OBJECT

 public:
  // The link at the socket [socketPath].
  explicit InstanceLink(QString socketPath, QObject* parent = nullptr);

  // The socket of this user's application on this display.
  static QString defaultSocketPath();

  // Hands [paths] (absolute; none asks for a new document) to the
  // application listening at the socket; true when it took them within
  // [timeoutMs].
  bool handOver(const QStringList& paths, int timeoutMs = 3000);

  // Takes the hand-overs of later starts from now on. A socket left behind
  // by an application that ended is replaced; false when the socket cannot
  // be made.
  bool listen();

 signals:
  // Files handed over (an empty list: a new document wanted).
  void filesHandedOver(const QStringList& paths);

 private:
  void take();

  QString socketPath_;
  QLocalServer server_;
};

}  // namespace orv::app

// A second start hands its files to the running application: through the
// socket (paths with spaces and non-ASCII letters, a request for a new
// document), past a socket left over by an application that ended, and
// into windows only once a run is over.
#include "app/instance_link.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QSignalSpy>
#include <cstring>
#include <thread>

#include "app/application.h"
#include "app/worksheet_window.h"
#include "files.h"
#include "scripted_dialogs.h"

namespace orv::test {
namespace {

using app::InstanceLink;

// Hands [paths] over from a thread of its own, as a second process would,
// while this thread's event loop lets the listening side answer.
bool handOverFromAnotherThread(const QString& socket, const QStringList& paths,
                               QSignalSpy& received) {
  bool taken = false;
  std::thread start([&] { taken = InstanceLink(socket).handOver(paths, 5000); });
  received.wait(5000);
  start.join();
  return taken;
}

TEST(InstanceLink, HandsPathsAndNewDocumentRequestsToTheListeningApplication) {
  TempDir dir;
  const QString socket = QString::fromStdString(dir.path("link.socket"));
  InstanceLink running(socket);
  ASSERT_TRUE(running.listen());
  QSignalSpy received(&running, &InstanceLink::filesHandedOver);

  const QStringList paths = {"/a folder/one.ov", QString::fromUtf8("/r\u00E9sum\u00E9/two.ov")};
  EXPECT_TRUE(handOverFromAnotherThread(socket, paths, received));
  ASSERT_EQ(received.size(), 1);
  EXPECT_EQ(received[0][0].toStringList(), paths);

  EXPECT_TRUE(handOverFromAnotherThread(socket, {}, received));
  ASSERT_EQ(received.size(), 2);
  EXPECT_TRUE(received[1][0].toStringList().isEmpty());
}

TEST(InstanceLink, NobodyListeningMeansStartingAfreshPastALeftOverSocket) {
  TempDir dir;
  const QString socket = QString::fromStdString(dir.path("link.socket"));
  EXPECT_FALSE(InstanceLink(socket).handOver({"/x.ov"}, 500));

  // The socket of an application that was killed: bound, never removed.
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, dir.path("link.socket").c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
  EXPECT_FALSE(InstanceLink(socket).handOver({"/x.ov"}, 500));
  InstanceLink next(socket);
  EXPECT_TRUE(next.listen());
}

TEST(InstanceLink, HandedOverFilesOpenWhenTheRunIsOver) {
  TempDir dir;
  dir.put("a.ov", "1+1=\n");
  ScriptedDialogs dialogs;
  app::Application application(dialogs);
  const QString a = QString::fromStdString(dir.path("a.ov"));

  application.setBusy(true);
  application.openHandedOver({a});
  application.openHandedOver({});
  EXPECT_TRUE(application.windows().empty());
  application.setBusy(false);
  ASSERT_EQ(application.windows().size(), 2u);
  EXPECT_EQ(application.findFile(a), application.windows()[0]);
  EXPECT_TRUE(application.windows()[1]->filePath().isEmpty());

  // A file already open comes to the front instead of opening twice.
  application.openHandedOver({a});
  EXPECT_EQ(application.windows().size(), 2u);
}

}  // namespace
}  // namespace orv::test

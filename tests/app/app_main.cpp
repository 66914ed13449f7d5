// The application tests run on Qt's offscreen platform with a settings store
// of their own.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const QString config = QDir::tempPath() + "/orvanel-app-test-" + QString::number(getpid());
  QDir().mkpath(config);
  setenv("XDG_CONFIG_HOME", config.toLocal8Bit().constData(), 1);
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Orvanel");
  QApplication::setApplicationName("Orvanel");
  ::testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
  QDir(config).removeRecursively();
  return status;
}

// Runs the window's tests on Qt's offscreen platform: they need no display and show nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  // Qt and the tests' devices run threads, so a death test starts a new process of its own.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  QApplication app(argc, argv);
  // The window keeps its choices in the user's settings: here they go to a folder of the run's
  // own, removed afterwards, so no test reads or changes the real ones.
  QTemporaryDir settings;
  if (!settings.isValid()) return 1;
  for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
    QSettings::setPath(format, QSettings::UserScope, settings.path() + QStringLiteral("/user"));
    QSettings::setPath(format, QSettings::SystemScope, settings.path() + QStringLiteral("/system"));
  }
  return RUN_ALL_TESTS();
}

// Test entry: one QApplication per test program, offscreen, with a private
// configuration folder so that no test reads or writes the user's settings.
#include <QApplication>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  // Tests that run the built programs find them through the build folder.
  if (qEnvironmentVariableIsEmpty("QVR_BUILD_DIR")) qputenv("QVR_BUILD_DIR", QVR_BUILD_DIR);
  QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
  // The web-browser module, loaded later, needs the contexts shared from the start.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

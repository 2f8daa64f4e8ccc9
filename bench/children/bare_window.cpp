// A bare Qt window: shown once, then the process ends. The yardstick of the
// start-up benchmarks.
#include <QApplication>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(800, 600);
  window.show();
  QApplication::processEvents();
  std::fflush(nullptr);
  std::_Exit(0);
}

#include "platform/forms/Program.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "platform/forms/Dialogs.h"
#include "platform/forms/Form.h"
#include "platform/values/VbError.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"

namespace platform {
namespace {
QString& FolderOverride() {
  static QString folder;
  return folder;
}
double& TestWidth() {
  static double w = 0;
  return w;
}
double& TestHeight() {
  static double h = 0;
  return h;
}
int& ScreenPointer() {
  static int p = 0;
  return p;
}
std::function<void()>& EndHandler() {
  static std::function<void()> handler;
  return handler;
}
}  // namespace

QString ProgramFolder() {
  if (!FolderOverride().isEmpty()) return FolderOverride();
  return QCoreApplication::applicationDirPath();
}

void SetProgramFolder(const QString& folder) { FolderOverride() = folder; }

QString AppFolderFrom(const QString& programFolder) {
  QString folder = RTrim(programFolder);
  if (folder.endsWith(u'/') || folder.endsWith(u'\\')) folder.chop(1);
  return folder;
}

QString CommandLine(int argc, char** argv) {
  QStringList parts;
  for (int i = 1; i < argc; ++i) parts << QString::fromLocal8Bit(argv[i]);
  return parts.join(u' ');
}

double Screen::Width() {
  if (TestWidth() > 0) return TestWidth();
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? PixelsToTwips(s->geometry().width()) : 15360;
}

double Screen::Height() {
  if (TestHeight() > 0) return TestHeight();
  const QScreen* s = QGuiApplication::primaryScreen();
  return s ? PixelsToTwips(s->geometry().height()) : 11520;
}

void Screen::SetTestSize(double widthTwips, double heightTwips) {
  TestWidth() = widthTwips;
  TestHeight() = heightTwips;
}

void Screen::SetMousePointer(int pointer) {
  if (ScreenPointer() != 0) QApplication::restoreOverrideCursor();
  ScreenPointer() = pointer;
  if (pointer != 0) QApplication::setOverrideCursor(QCursor(CursorOf(pointer)));
}

int Screen::MousePointer() { return ScreenPointer(); }

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void WaitForEvents(int maxMs) {
  // A single-shot timer bounds the wait; WaitForMoreEvents sleeps until an
  // event (input, a timer, a socket) arrives.
  QTimer wake;
  wake.setSingleShot(true);
  wake.start(std::max(0, maxMs));
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const VbError& e) {
    MsgBox(QStringLiteral("Unexpected Error: ") + e.Description(), vbCritical, QStringLiteral(" Error"));
  } catch (const ProgramEnded&) {
    // The end was caught by a test's handler; nothing runs after it.
  }
}

void SetEndHandler(std::function<void()> handler) { EndHandler() = std::move(handler); }

void End() {
  if (EndHandler()) {
    EndHandler()();
    throw ProgramEnded{};
  }
  std::fflush(nullptr);
  std::_Exit(0);
}

}  // namespace platform

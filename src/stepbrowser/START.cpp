#include "stepbrowser/START.h"

#include <memory>

#include "stepbrowser/GLOBAL.h"
#include "stepbrowser/frmMain.h"

namespace stepbrowser::START {
namespace {
std::unique_ptr<frmMain>& Kept() {
  static std::unique_ptr<frmMain> window;
  return window;
}
}  // namespace

void Main() {
  GLOBAL::FormBackColour = QColor(184, 212, 252);
  Kept() = std::make_unique<frmMain>();
  Kept()->Show();
}

frmMain* MainWindow() { return Kept().get(); }

void DropMainWindow() { Kept().reset(); }

}  // namespace stepbrowser::START

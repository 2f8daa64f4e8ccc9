#include "platform/forms/Form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "platform/forms/Twips.h"

namespace platform {
namespace {
std::vector<Form*>& LoadedForms() {
  static std::vector<Form*> forms;
  return forms;
}

// The form whose Activate ran last.
QPointer<Form>& ActiveForm() {
  static QPointer<Form> form;
  return form;
}

// Enter and the keypad's Enter press the command button that has the
// keyboard focus, as every button of the desktop the forms were written for
// does; Qt leaves that to the auto-default buttons of dialogs. It looks at
// the key before the button does, so that a default button too is pressed
// once per key press: a held key's repeats press nothing. Dialogs (message
// boxes, the file dialog, the name prompt) and menus keep their own keys.
class EnterPressesFocusedButton : public QObject {
 public:
  using QObject::QObject;

  static void Install() {
    static QPointer<EnterPressesFocusedButton> installed;
    if (installed || !qApp) return;
    installed = new EnterPressesFocusedButton(qApp);
    qApp->installEventFilter(installed);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) return false;
    if (event->type() == QEvent::KeyRelease) {
      lastRelease_ = {key->key(), key->timestamp()};
      return false;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || !qobject_cast<Form*>(button->window())) return false;
    if (!IsRepeat(*key)) button->click();
    return true;
  }

 private:
  // X11 repeats a held key as a release and a press at the same moment;
  // Qt marks the pair as a repeat only when both are already queued.
  bool IsRepeat(const QKeyEvent& press) const {
    if (press.isAutoRepeat()) return true;
    return press.timestamp() != 0 && lastRelease_ == std::pair{press.key(), press.timestamp()};
  }

  std::pair<int, quint64> lastRelease_{0, 0};
};
}  // namespace

Form::Form(QWidget* parent) : QWidget(parent, Qt::Window) {
  EnterPressesFocusedButton::Install();
  client_ = new QWidget(this);
  client_->setObjectName(QStringLiteral("client"));
  client_->setAutoFillBackground(false);
}

Form::~Form() {
  auto& forms = LoadedForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  if (modalLoop_) modalLoop_->quit();
}

QMenuBar* Form::MenuBar() {
  if (!menuBar_) {
    menuBar_ = new QMenuBar(this);
    menuBar_->setNativeMenuBar(false);
    PlaceClient();
  }
  return menuBar_;
}

double Form::Left() const { return platform::Left(this); }
double Form::Top() const { return platform::Top(this); }
double Form::Width() const { return platform::Width(this); }
double Form::Height() const { return platform::Height(this); }
void Form::SetLeft(double twips) {
  positionSet_ = true;
  platform::SetLeft(this, twips);
}
void Form::SetTop(double twips) {
  positionSet_ = true;
  platform::SetTop(this, twips);
}
void Form::SetWidth(double twips) { platform::SetWidth(this, twips); }
void Form::SetHeight(double twips) { platform::SetHeight(this, twips); }
double Form::ScaleWidth() const { return PixelsToTwips(client_->width()); }
double Form::ScaleHeight() const { return PixelsToTwips(client_->height()); }
double Form::FrameExtraWidth() const { return PixelsToTwips(frameGeometry().width() - width()); }
double Form::FrameExtraHeight() const { return PixelsToTwips(frameGeometry().height() - height()); }

int Form::WindowState() const {
  if (windowState() & Qt::WindowMinimized) return vbMinimized;
  if (windowState() & Qt::WindowMaximized) return vbMaximized;
  return vbNormal;
}

void Form::SetWindowState(int state) {
  setWindowState(state == vbMinimized ? Qt::WindowMinimized
                 : state == vbMaximized ? Qt::WindowMaximized
                                        : Qt::WindowNoState);
}

Qt::CursorShape CursorOf(int pointer) {
  switch (pointer) {
    case vbCrosshair: return Qt::CrossCursor;
    case vbIbeam: return Qt::IBeamCursor;
    case vbSizeWE: return Qt::SizeHorCursor;
    case vbUpArrow: return Qt::UpArrowCursor;
    case vbHourglass: return Qt::WaitCursor;
    case vbNoDrop: return Qt::ForbiddenCursor;
    default: return Qt::ArrowCursor;
  }
}

void Form::SetMousePointer(int pointer) {
  mousePointer_ = pointer;
  if (pointer == vbDefault) unsetCursor();
  else setCursor(CursorOf(pointer));
}

void Form::SetBackColor(const QColor& colour) {
  QPalette p = palette();
  p.setColor(QPalette::Window, colour);
  setPalette(p);
  setAutoFillBackground(true);
}

QColor Form::BackColor() const { return palette().color(QPalette::Window); }

void Form::Load() {
  if (loaded_) return;
  loaded_ = true;
  LoadedForms().push_back(this);
  Form_Load();
}

void Form::Show(int modal, QWidget* owner) {
  Load();
  if (!loaded_) return;  // Form_Load unloaded it
  if (owner && parentWidget() != owner) {
    const Qt::WindowFlags flags = windowFlags();
    setParent(owner, flags | Qt::Window);
  }
  if (modal) {
    OwnBy(owner ? owner->window() : BlockedWindow());
    setWindowModality(Qt::ApplicationModal);
    show();
    BringToFront();
    if (!isVisible() || modalLoop_) return;
    QEventLoop loop;
    modalLoop_ = &loop;
    QPointer<Form> self(this);
    loop.exec(QEventLoop::DialogExec);
    if (self) {
      modalLoop_ = nullptr;
      setWindowModality(Qt::NonModal);
    }
    return;
  }
  show();
  BringToFront();
}

QWidget* Form::BlockedWindow() const {
  for (QWidget* w : {QApplication::activeModalWidget(), QApplication::activeWindow()})
    if (w && w->window() != this && w->isVisible()) return w->window();
  for (Form* f : Forms())
    if (f != this && f->isVisible()) return f;
  return nullptr;
}

void Form::OwnBy(QWidget* over) {
  // Only a dialog gets the window manager's "transient for" mark (X11's
  // WM_TRANSIENT_FOR), which keeps it over its window and places it there.
  if (windowType() != Qt::Dialog) setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
  if (!over) return;
  winId();
  over->winId();
  windowHandle()->setTransientParent(over->windowHandle());
  if (positionSet_ || (testAttribute(Qt::WA_Moved) && !placedOverOwner_)) return;
  QRect r(QPoint(), frameGeometry().size());
  r.moveCenter(over->frameGeometry().center());
  if (const QScreen* screen = over->screen()) {
    const QRect area = screen->availableGeometry();
    r.moveLeft(std::max(area.left(), std::min(r.left(), area.right() + 1 - r.width())));
    r.moveTop(std::max(area.top(), std::min(r.top(), area.bottom() + 1 - r.height())));
  }
  move(r.topLeft());
  placedOverOwner_ = true;
}

void Form::BringToFront() {
  // The offscreen platform has no window order (and says so on every call).
  if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
  raise();
  activateWindow();
}

void Form::Hide() { hide(); }

bool Form::Unload() { return RunUnload(vbFormCode); }

bool Form::RunUnload(int unloadMode) {
  if (!loaded_) {
    hide();
    return true;
  }
  int cancel = 0;
  Form_QueryUnload(cancel, unloadMode);
  if (cancel) return false;
  Form_Unload(cancel);
  if (cancel) return false;
  loaded_ = false;
  auto& forms = LoadedForms();
  forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
  hide();
  return true;
}

const std::vector<Form*>& Form::Forms() { return LoadedForms(); }

void Form::PlaceClient() {
  const int top = menuBar_ ? menuBar_->sizeHint().height() : 0;
  if (menuBar_) menuBar_->setGeometry(0, 0, width(), top);
  client_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void Form::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceClient();
  if (!loaded_ || inResize_) return;
  // A resize made by the handler itself (a minimum size) runs it again, as
  // the original's Resize event does, but not without end.
  inResize_ = true;
  Form_Resize();
  inResize_ = false;
}

void Form::closeEvent(QCloseEvent* event) {
  if (RunUnload(vbFormControlMenu)) event->accept();
  else event->ignore();
}

void Form::ActivateOnce() {
  const bool justShown = activePending_;
  activePending_ = false;
  if (!isVisible() || !loaded_) return;
  // Activate belongs to a showing or to a change between the program's
  // forms; a message box, a file dialog or another application handing the
  // activation back is not one.
  if (justShown || ActiveForm() != this) {
    ActiveForm() = this;
    Form_Activate();
  }
  Form_GotFocus();
}

void Form::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow() && isVisible()) ActivateOnce();
}

void Form::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  PlaceClient();
  // Activate once per showing even where the platform does not activate
  // new windows (offscreen, no window manager).
  activePending_ = true;
  QTimer::singleShot(0, this, [this] {
    if (activePending_) ActivateOnce();
  });
}

void Form::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  activePending_ = false;
  if (modalLoop_) modalLoop_->quit();
}

}  // namespace platform

#pragma once
// A window of the programs, with the life cycle and the geometry the forms
// were written against: Load / Activate / Resize / QueryUnload / Unload
// events, modal and modeless Show, Hide, Unload, and Left, Top, Width,
// Height (the window) and ScaleWidth, ScaleHeight (its client area) in twips.
// In every form, Enter and the keypad's Enter press the command button that
// has the keyboard focus, once per key press.
#include <QColor>
#include <QEventLoop>
#include <QPointer>
#include <QWidget>
#include <vector>

class QMenuBar;

namespace platform {

enum WindowStateEnum { vbNormal = 0, vbMinimized = 1, vbMaximized = 2 };
enum UnloadModeEnum { vbFormControlMenu = 0, vbFormCode = 1, vbAppWindows = 2, vbAppTaskManager = 3 };
enum MousePointerEnum { vbDefault = 0, vbArrow = 1, vbCrosshair = 2, vbIbeam = 3, vbSizeWE = 9, vbUpArrow = 10,
                        vbHourglass = 11, vbNoDrop = 12 };

class Form : public QWidget {
  Q_OBJECT

 public:
  explicit Form(QWidget* parent = nullptr);
  ~Form() override;

  // The area controls are placed in (below the menu bar, when there is one).
  QWidget* Client() const { return client_; }
  QMenuBar* MenuBar();  // made on first use

  double Left() const;
  double Top() const;
  double Width() const;
  double Height() const;
  void SetLeft(double twips);
  void SetTop(double twips);
  void SetWidth(double twips);
  void SetHeight(double twips);
  double ScaleWidth() const;
  double ScaleHeight() const;
  // What the window manager's frame (borders, caption) adds to the window's
  // width and height, twips: 0 without a window manager, and until it has
  // framed the window, a little after the first showing.
  double FrameExtraWidth() const;
  double FrameExtraHeight() const;

  QString Caption() const { return windowTitle(); }
  void SetCaption(const QString& caption) { setWindowTitle(caption); }
  int WindowState() const;
  void SetWindowState(int state);
  void SetMousePointer(int pointer);
  int MousePointer() const { return mousePointer_; }
  void SetBackColor(const QColor& colour);
  QColor BackColor() const;

  bool IsLoaded() const { return loaded_; }
  // Runs Form_Load once per load; Show loads first when needed.
  void Load();
  // modal 1: returns once the window is hidden or unloaded. A modal window
  // is a dialog of the window it blocks (the owner, else the active window,
  // else the program's first visible form): the desktop keeps it over that
  // window, and unless the program placed it, it opens centred over it.
  void Show(int modal = 0, QWidget* owner = nullptr);
  void Hide();
  // Asks Form_QueryUnload (mode vbFormCode) and runs Form_Unload; returns false when cancelled.
  bool Unload();
  bool IsShownModal() const { return modalLoop_ != nullptr; }

  // The loaded forms, in the order they were loaded (the original's Forms collection).
  static const std::vector<Form*>& Forms();

 protected:
  virtual void Form_Load() {}
  // At each showing, and when the activation comes from another form of the
  // program (not back from a message box or another application).
  virtual void Form_Activate() {}
  // At every activation.
  virtual void Form_GotFocus() {}
  virtual void Form_Resize() {}
  virtual void Form_QueryUnload(int& cancel, int unloadMode) { (void)cancel; (void)unloadMode; }
  virtual void Form_Unload(int& cancel) { (void)cancel; }

  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  bool RunUnload(int unloadMode);
  void PlaceClient();
  void ActivateOnce();
  void BringToFront();
  QWidget* BlockedWindow() const;
  void OwnBy(QWidget* over);

  QWidget* client_;
  QMenuBar* menuBar_ = nullptr;
  bool loaded_ = false;
  bool inResize_ = false;
  bool activePending_ = false;
  int mousePointer_ = 0;
  bool positionSet_ = false;      // the program placed the window itself
  bool placedOverOwner_ = false;  // the last position came from OwnBy
  QEventLoop* modalLoop_ = nullptr;
};

// The cursor shape of a pointer number.
Qt::CursorShape CursorOf(int pointer);

}  // namespace platform

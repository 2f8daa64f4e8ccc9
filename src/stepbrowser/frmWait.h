#pragma once
// Varnok's print-progress window (" Job in progress"). A caller shows it and
// enables tmrWait; the bar then fills one step every half second from its
// minimum and the window hides itself once the bar is full. Regaining the
// focus starts the bar again.
#include <QLabel>
#include <QProgressBar>

#include "platform/forms/Form.h"
#include "platform/forms/Timer.h"

namespace stepbrowser {

class frmWait : public platform::Form {
  Q_OBJECT

 public:
  explicit frmWait(QWidget* parent = nullptr);
  ~frmWait() override;

  // The bar runs from 0 to 10: full after five seconds, gone half a second later.
  static constexpr int kBarMinimum = 0;
  static constexpr int kBarMaximum = 10;

  QLabel* lblWait;
  QLabel* imgWait;
  QProgressBar* prgWait;
  platform::Timer tmrWait{this, 500};  // disabled until the caller enables it

  // Event handlers.
  void Form_GotFocus() override;
  void tmrWait_Timer();
};

}  // namespace stepbrowser

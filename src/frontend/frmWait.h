#pragma once
// The please-wait window shown before a section starts: it holds the launch
// for one timer interval from the moment it gets the focus, then hides,
// which ends the caller's modal Show.
#include "platform/forms/Form.h"
#include "platform/forms/Timer.h"

class QLabel;

namespace frontend {

class frmWait : public platform::Form {
  Q_OBJECT

 public:
  explicit frmWait(QWidget* parent = nullptr);

  QLabel* lblWait;
  QLabel* imgWait;
  platform::Timer* tmrWait;

  void tmrWait_Timer();

 protected:
  void Form_GotFocus() override;
  void Form_Unload(int& cancel) override;
};

}  // namespace frontend

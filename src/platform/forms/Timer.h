#pragma once
// The original's timer control: an interval in milliseconds (0 never fires),
// an Enabled switch that restarts the count, a Tag, and a handler.
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>

namespace platform {

class Timer : public QObject {
  Q_OBJECT
 public:
  explicit Timer(QObject* parent = nullptr, int interval = 0);

  int Interval() const { return interval_; }
  void SetInterval(int ms);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  QString Tag;

  std::function<void()> OnTimer;
  // Runs the handler as a tick would (tests).
  void Fire();

 private:
  void Restart();
  QTimer timer_;
  int interval_ = 0;
  bool enabled_ = false;
};

}  // namespace platform

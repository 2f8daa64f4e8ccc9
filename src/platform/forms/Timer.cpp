#include "platform/forms/Timer.h"

namespace platform {

Timer::Timer(QObject* parent, int interval) : QObject(parent), interval_(interval) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, [this] { Fire(); });
}

void Timer::SetInterval(int ms) {
  interval_ = ms;
  Restart();
}

void Timer::SetEnabled(bool enabled) {
  enabled_ = enabled;
  Restart();
}

void Timer::Fire() {
  if (OnTimer) OnTimer();
}

void Timer::Restart() {
  timer_.stop();
  if (enabled_ && interval_ > 0) timer_.start(interval_);
}

}  // namespace platform

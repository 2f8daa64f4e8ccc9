#include "platform/values/Clock.h"

#include "platform/values/VbValues.h"

namespace platform {
namespace {
std::function<QDateTime()>& Source() {
  static std::function<QDateTime()> source;
  return source;
}
}  // namespace

QDateTime Clock::Now() { return Source() ? Source()() : QDateTime::currentDateTime(); }

double Clock::NowSerial() { return ToDateSerial(Now()); }

double Clock::SecondsSinceMidnight() { return Now().time().msecsSinceStartOfDay() / 1000.0; }

void Clock::SetSource(std::function<QDateTime()> source) { Source() = std::move(source); }

}  // namespace platform

#pragma once
// The one source of the time of day: Now, Timer and the date serial of now.
// Tests can put a clock of their own in place.
#include <QDateTime>
#include <functional>

namespace platform {

class Clock {
 public:
  static QDateTime Now();
  static double NowSerial();           // Now as a date serial
  static double SecondsSinceMidnight();  // the original's Timer

  // Replaces the clock (tests); an empty function restores the real one.
  static void SetSource(std::function<QDateTime()> source);
};

}  // namespace platform

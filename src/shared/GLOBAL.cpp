#include "shared/GLOBAL.h"

#include <cmath>

#include "platform/values/Clock.h"
#include "platform/forms/Program.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"

namespace shared::GLOBAL {
namespace {
constexpr std::size_t kMaxPositions = 32768;  // 0 To 32767
}

void SortKeysWithPayload(std::vector<std::int32_t>& keys, std::vector<std::int32_t>& items) {
  if (keys.size() > kMaxPositions) platform::Raise(platform::err::Overflow);
  if (items.size() < keys.size()) platform::Raise(platform::err::SubscriptOutOfRange);
  const std::size_t n = keys.size();
  for (std::size_t i = 0; i < n; ++i) {
    std::size_t a = i;
    for (std::size_t j = i + 1; j < n; ++j)
      if (keys[j] < keys[a]) a = j;
    if (a != i) {
      std::swap(keys[i], keys[a]);
      std::swap(items[i], items[a]);
    }
  }
}

int BinarySearchText(const QString& key, const std::vector<QString>& list) {
  if (list.size() > kMaxPositions) platform::Raise(platform::err::Overflow);
  const QString wanted = platform::Trim(key);
  int lo = 0;
  int hi = static_cast<int>(list.size()) - 1;
  while (lo <= hi) {
    const int mid = static_cast<int>(platform::RoundHalfEven((lo + hi) / 2.0));
    const int c = platform::CompareText(wanted, list[static_cast<std::size_t>(mid)]);
    if (c == 0) return mid;
    if (c < 0) hi = mid - 1;
    else lo = mid + 1;
  }
  return -1;
}

void Pause(float seconds) {
  if (!(seconds > 0)) return;
  double start = platform::Clock::SecondsSinceMidnight();
  for (;;) {
    const double now = platform::Clock::SecondsSinceMidnight();
    const double elapsed = now - start;
    if (elapsed >= seconds) return;
    // Sleep until an event comes or the pause is over, whichever is first.
    const double remainingMs = (seconds - elapsed) * 1000.0;
    platform::WaitForEvents(static_cast<int>(std::ceil(std::min(remainingMs, 86400000.0))));
    if (platform::Clock::SecondsSinceMidnight() < start) start -= 86400.0;
  }
}

}  // namespace shared::GLOBAL

#include "platform/richtext/RtfListMarkers.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace platform {

QString RtfListNumber(std::int32_t n, std::int32_t nfc) {
  switch (nfc) {
    case 1:
    case 2: {
      if (n < 1 || n > 3999) break;
      static const char* const kRoman[] = {"m", "cm", "d", "cd", "c", "xc", "l", "xl", "x", "ix", "v", "iv", "i"};
      static const int kValue[] = {1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1};
      QString roman;
      for (int i = 0; i < 13; ++i) {
        for (; n >= kValue[i]; n -= kValue[i]) roman += QLatin1StringView(kRoman[i]);
      }
      return nfc == 1 ? roman.toUpper() : roman;
    }
    case 3:
    case 4: {
      if (n < 1 || n > 26 * 32) break;
      const QChar letter((nfc == 3 ? u'A' : u'a') + (n - 1) % 26);
      return QString((n - 1) / 26 + 1, letter);
    }
    case 5: {
      const int tens = n % 100;
      const char* suffix = tens >= 11 && tens <= 13 ? "th" : n % 10 == 1 ? "st" : n % 10 == 2 ? "nd" : n % 10 == 3 ? "rd" : "th";
      return QString::number(n) + QLatin1StringView(suffix);
    }
    case 22: return n >= 0 && n < 10 ? QStringLiteral("0%1").arg(n) : QString::number(n);
    case 23:
    case 255: return {};
    default: break;
  }
  return QString::number(n);
}

QString RtfPnCount::Marker(const RtfPnLevel& pn) {
  if (pn.skip) return {};
  const RtfListLevel& level = pn.level;
  const bool outline = pn.kind < 10;
  const auto at = static_cast<std::size_t>(outline ? pn.kind : 0);
  const bool goesOn = outline ? kind_ > 0 && kind_ < 10 : kind_ == pn.kind && nfc_ == level.nfc && text_ == level.text;
  if (!goesOn) End();
  kind_ = pn.kind;
  nfc_ = level.nfc;
  text_ = level.text;
  std::int32_t& number = number_[at];
  if (!started_[at]) {
    number = level.start;
  } else if (number < INT32_MAX) {
    ++number;
  }
  started_[at] = true;
  std::fill(started_.begin() + static_cast<std::ptrdiff_t>(at) + 1, started_.end(), false);
  QString marker;
  const QString& text = level.text;
  const qsizetype length = text.isEmpty() ? 0 : std::min<qsizetype>(text.at(0).unicode(), text.size() - 1);
  for (qsizetype i = 1; i <= length; ++i) {
    const char16_t c = text.at(i).unicode();
    if (c == 0) {
      marker += RtfListNumber(number, level.nfc);
    } else if (c >= 0x20 || c == '\t') {
      marker += QChar(c);
    }
  }
  return marker.isEmpty() ? marker : marker + QLatin1Char('\t');
}

}  // namespace platform

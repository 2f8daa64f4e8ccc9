// Field values of Jet and ACE files from their stored bytes.
#include "platform/data/JetValues.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>

namespace platform::jet {

namespace {

unsigned Byte(QByteArrayView bytes, qsizetype at) { return static_cast<unsigned char>(bytes[at]); }

std::uint32_t Le32(QByteArrayView bytes, qsizetype at) {
  return Byte(bytes, at) | Byte(bytes, at + 1) << 8 | Byte(bytes, at + 2) << 16 | std::uint32_t{Byte(bytes, at + 3)} << 24;
}

// A run of digits as a whole number; nullopt for anything but digits.
std::optional<std::uint64_t> Digits(QByteArrayView bytes) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(bytes.data(), bytes.data() + bytes.size(), value);
  if (error != std::errc() || end != bytes.data() + bytes.size()) return std::nullopt;
  return value;
}

}  // namespace

QString TextOf(QByteArrayView stored) {
  QString text;
  text.reserve(stored.size());
  const auto unit = [&](qsizetype at) { return QChar(static_cast<char16_t>(Byte(stored, at) | Byte(stored, at + 1) << 8)); };
  if (stored.size() >= 2 && Byte(stored, 0) == 0xFF && Byte(stored, 1) == 0xFE) {
    bool compressed = true;
    for (qsizetype at = 2; at < stored.size();) {
      if (Byte(stored, at) == 0) {
        compressed = !compressed;
        ++at;
      } else if (compressed) {
        text += QChar(static_cast<char16_t>(Byte(stored, at++)));
      } else if (at + 1 < stored.size()) {
        text += unit(at);
        at += 2;
      } else {
        break;
      }
    }
    return text;
  }
  for (qsizetype at = 0; at + 1 < stored.size(); at += 2) text += unit(at);
  return text;
}

std::optional<QString> GuidOf(QByteArrayView stored) {
  if (stored.size() != 16) return std::nullopt;
  // The first three groups are little-endian numbers, the last two bytes as they lie.
  static constexpr std::array<int, 16> kOrder = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  QString text = QStringLiteral("{");
  for (int i = 0; i < 16; ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += u'-';
    text += QStringLiteral("%1").arg(Byte(stored, kOrder[i]), 2, 16, QChar(u'0')).toUpper();
  }
  return text + u'}';
}

std::optional<double> ExtendedDateOf(QByteArrayView stored) {
  if (stored.size() != 42 || stored[19] != ':' || stored[39] != ':' || stored[40] < '0' || stored[40] > '9' ||
      stored[41] != 0)
    return std::nullopt;
  const auto days = Digits(stored.sliced(0, 19));
  const auto ticks = Digits(stored.sliced(20, 19));
  // Year 1 to 9999, a time within its day.
  constexpr std::uint64_t kLastDay = 3652058;
  constexpr std::uint64_t kTicksPerDay = 864000000000;
  if (!days || !ticks || *days > kLastDay || *ticks >= kTicksPerDay) return std::nullopt;
  // Day 693593 is 30 December 1899; before it the time counts away from zero, as in every date serial.
  const auto whole = static_cast<long double>(static_cast<std::int64_t>(*days) - 693593);
  const long double fraction = static_cast<long double>(*ticks) / kTicksPerDay;
  return static_cast<double>(whole < 0 ? whole - fraction : whole + fraction);
}

std::optional<QByteArrayView> CalculatedResultOf(QByteArrayView stored) {
  constexpr qsizetype kHeader = 20;
  if (stored.size() < kHeader) return std::nullopt;
  const std::uint32_t length = Le32(stored, kHeader - 4);
  if (length > static_cast<std::uint64_t>(stored.size() - kHeader)) return std::nullopt;
  return stored.sliced(kHeader, length);
}

std::optional<double> CalculatedDecimalOf(QByteArrayView result) {
  if (result.size() < 4) return std::nullopt;
  // The length counts the scale, the sign and the digits; 0 leaves it to the result's own.
  const unsigned counted = Byte(result, 0) | Byte(result, 1) << 8;
  const qsizetype length = counted > 0 ? counted : result.size() - 2;
  const qsizetype size = std::min<qsizetype>((length - 2) / 4 * 4, 16);
  const unsigned scale = Byte(result, 2);
  if (size < 4 || 4 + size > result.size() || scale > 28) return std::nullopt;
  // A leading group of four bytes is one little-endian word, the rest
  // groups of eight; the groups themselves stand most significant first.
  std::array<unsigned char, 16> digits{};
  for (qsizetype i = 0, at = 4; i < size;) {
    const qsizetype group = (i == 0 && size % 8 != 0) ? 4 : 8;
    for (qsizetype k = 0; k < group; ++k) digits[i + k] = static_cast<unsigned char>(result[at + group - 1 - k]);
    i += group;
    at += group;
  }
  unsigned __int128 whole = 0;
  for (qsizetype i = 0; i < size; ++i) whole = whole << 8 | digits[i];
  if (whole == 0) return 0.0;
  // Through its decimal text, so that the double is the one nearest the decimal.
  std::string text;
  for (; whole > 0; whole /= 10) text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(whole % 10)));
  if (text.size() <= scale) text.insert(text.begin(), scale + 1 - text.size(), '0');
  if (scale > 0) text.insert(text.end() - scale, '.');
  if (Byte(result, 3) != 0) text.insert(text.begin(), '-');
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

}  // namespace platform::jet

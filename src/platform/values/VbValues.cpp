#include "platform/values/VbValues.h"

#include <cmath>

#include "platform/values/VbError.h"

namespace platform {

double RoundHalfEven(double value) {
  if (!std::isfinite(value)) return value;
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

int CInt(double value) {
  const double r = RoundHalfEven(value);
  if (!(r >= -32768.0 && r <= 32767.0)) Raise(err::Overflow);
  return static_cast<int>(r);
}

std::int32_t CLng(double value) {
  const double r = RoundHalfEven(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) Raise(err::Overflow);
  return static_cast<std::int32_t>(r);
}

double Int(double value) { return std::floor(value); }
double Fix(double value) { return std::trunc(value); }

double Val(const QString& text) {
  QString s;
  s.reserve(text.size());
  for (QChar c : text)
    if (c != u' ' && c != u'\t' && c != u'\n') s.append(c);
  if (s.size() >= 2 && s[0] == u'&') {
    const QChar kind = s[1].toUpper();
    int base = kind == u'H' ? 16 : kind == u'O' ? 8 : 0;
    if (base) {
      std::int64_t n = 0;
      int i = 2;
      for (; i < s.size(); ++i) {
        const int d = s[i].isDigit() ? s[i].digitValue()
                      : (base == 16 && s[i].toUpper() >= u'A' && s[i].toUpper() <= u'F')
                          ? s[i].toUpper().unicode() - 'A' + 10
                          : -1;
        if (d < 0 || d >= base) break;
        n = n * base + d;
        if (n > 0xFFFFFFFFLL) break;
      }
      // Eight hex digits or fewer fit a 32-bit pattern; four or fewer a 16-bit one.
      if (base == 16 && i - 2 <= 4 && n > 0x7FFF) n -= 0x10000;
      else if (n > 0x7FFFFFFF && n <= 0xFFFFFFFFLL) n -= 0x100000000LL;
      return static_cast<double>(n);
    }
  }
  // Longest prefix of the form [sign] digits [. digits] [E|D [sign] digits].
  int i = 0;
  const int n = static_cast<int>(s.size());
  std::string number;
  if (i < n && (s[i] == u'+' || s[i] == u'-')) number += static_cast<char>(s[i++].unicode());
  bool digits = false;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') { number += static_cast<char>(s[i++].unicode()); digits = true; }
  if (i < n && s[i] == u'.') {
    number += '.';
    ++i;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') { number += static_cast<char>(s[i++].unicode()); digits = true; }
  }
  if (!digits) return 0.0;
  if (i < n && (s[i] == u'E' || s[i] == u'e' || s[i] == u'D' || s[i] == u'd')) {
    int j = i + 1;
    std::string exponent = "e";
    if (j < n && (s[j] == u'+' || s[j] == u'-')) exponent += static_cast<char>(s[j++].unicode());
    bool expDigits = false;
    while (j < n && s[j] >= u'0' && s[j] <= u'9') { exponent += static_cast<char>(s[j++].unicode()); expDigits = true; }
    if (expDigits) number += exponent;
  }
  const double v = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(v)) Raise(err::Overflow);
  return v;
}

QString NumberText(double value, int digits) {
  if (value == 0.0) return QStringLiteral("0");
  if (std::isnan(value)) return QStringLiteral("NaN");
  QString s = QString::number(value, 'g', digits);
  // Qt writes "1e+16"; the original writes "1E+16".
  const qsizetype e = s.indexOf(u'e');
  if (e >= 0) {
    QString mantissa = s.left(e);
    QString exponent = s.mid(e + 1);
    const QChar sign = exponent.at(0);
    exponent = exponent.mid(1);
    while (exponent.size() > 2 && exponent.startsWith(u'0')) exponent.remove(0, 1);
    s = mantissa + u'E' + sign + exponent;
  }
  return s;
}

QString SingleText(double value) { return NumberText(static_cast<double>(static_cast<float>(value)), 7); }

QString Trim(const QString& text) { return LTrim(RTrim(text)); }

QString LTrim(const QString& text) {
  qsizetype i = 0;
  while (i < text.size() && text[i] == u' ') ++i;
  return text.mid(i);
}

QString RTrim(const QString& text) {
  qsizetype n = text.size();
  while (n > 0 && text[n - 1] == u' ') --n;
  return text.left(n);
}

int InStr(int start, const QString& haystack, const QString& needle, bool ignoreCase) {
  if (start < 1) Raise(err::InvalidProcedureCall);
  if (start > haystack.size()) return needle.isEmpty() && start == haystack.size() + 1 ? start : 0;
  if (needle.isEmpty()) return start;
  const qsizetype p = haystack.indexOf(needle, start - 1, ignoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive);
  return p < 0 ? 0 : static_cast<int>(p) + 1;
}

int CompareText(const QString& a, const QString& b) {
  const int c = QString::compare(a.toCaseFolded(), b.toCaseFolded(), Qt::CaseSensitive);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

namespace {
const QDate kEpoch(1899, 12, 30);
}

double ToDateSerial(const QDateTime& moment) {
  const double days = static_cast<double>(kEpoch.daysTo(moment.date()));
  const double fraction = moment.time().msecsSinceStartOfDay() / 86400000.0;
  return days >= 0 ? days + fraction : days - fraction;
}

QDateTime FromDateSerial(double serial) {
  const double whole = std::trunc(serial);
  const double fraction = std::fabs(serial - whole);
  const QDate date = kEpoch.addDays(static_cast<qint64>(whole));
  const auto ms = static_cast<int>(std::llround(fraction * 86400000.0));
  return QDateTime(date, QTime(0, 0)).addMSecs(ms);
}

Variant Variant::Null() {
  Variant v;
  v.type_ = Type::Null;
  return v;
}

Variant Variant::Date(double serial) {
  Variant v;
  v.type_ = Type::Date;
  v.double_ = serial;
  return v;
}

QString Variant::ToText() const {
  switch (type_) {
    case Type::Empty: return QString();
    case Type::Null: Raise(err::InvalidUseOfNull);
    case Type::Boolean: return integer_ ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Integer: return QString::number(integer_);
    case Type::Double: return NumberText(double_);
    case Type::Text: return text_;
    case Type::Date: {
      const QDateTime m = FromDateSerial(double_);
      if (double_ == std::trunc(double_)) return m.date().toString(QStringLiteral("dd/MM/yyyy"));
      return m.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    }
  }
  return QString();
}

double Variant::ToDouble() const {
  switch (type_) {
    case Type::Empty: return 0.0;
    case Type::Null: Raise(err::InvalidUseOfNull);
    case Type::Boolean:
    case Type::Integer: return static_cast<double>(integer_);
    case Type::Double:
    case Type::Date: return double_;
    case Type::Text: {
      bool ok = false;
      const double v = Trim(text_).toDouble(&ok);
      if (!ok) Raise(err::TypeMismatch);
      return v;
    }
  }
  return 0.0;
}

int Variant::ToInteger() const { return CInt(ToDouble()); }
std::int32_t Variant::ToLong() const { return CLng(ToDouble()); }

bool Variant::ToBoolean() const {
  if (type_ == Type::Text) {
    const QString t = Trim(text_);
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) return true;
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) return false;
  }
  return ToDouble() != 0.0;
}

double Variant::ToDateSerial() const {
  if (type_ == Type::Null) Raise(err::InvalidUseOfNull);
  return ToDouble();
}

bool Variant::operator==(const Variant& other) const {
  if (type_ != other.type_) return false;
  switch (type_) {
    case Type::Empty:
    case Type::Null: return true;
    case Type::Boolean:
    case Type::Integer: return integer_ == other.integer_;
    case Type::Double:
    case Type::Date: return double_ == other.double_;
    case Type::Text: return text_ == other.text_;
  }
  return false;
}

}  // namespace platform

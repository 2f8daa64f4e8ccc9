#pragma once
// The value rules the programs were written against: rounding halves to even,
// 16- and 32-bit whole numbers that overflow, Val, number texts, Trim, InStr,
// case-insensitive text comparison, date serials, and field values with Null.
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace platform {

// The line break of every message text: carriage return and line feed.
inline const QString vbCrLf = QStringLiteral("\r\n");

// Nearest whole number, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
double RoundHalfEven(double value);
// Whole numbers of 16 and 32 bits, rounded halves to even; error 6 "Overflow"
// beyond their range (16 bits: -32,768 to 32,767).
int CInt(double value);
std::int32_t CLng(double value);
// Integer part rounding down (Int) and toward zero (Fix).
double Int(double value);
double Fix(double value);

// The leading number of a text: blanks, tabs and line feeds are skipped, "."
// is the only decimal point, "&H" and "&O" prefixes are read; no number is 0.
double Val(const QString& text);

// A number as the original writes it: at most `digits` significant digits,
// no trailing zeros, no leading blank ("30", "12.5", "16.66667", "-0.5").
QString NumberText(double value, int digits = 15);
// Single-precision text: seven significant digits.
QString SingleText(double value);

// Blanks only (not tabs) are trimmed, as the original's Trim does.
QString Trim(const QString& text);
QString LTrim(const QString& text);
QString RTrim(const QString& text);

// 1-based position of needle in haystack from 1-based start, 0 when absent.
int InStr(int start, const QString& haystack, const QString& needle, bool ignoreCase = false);
inline int InStr(const QString& haystack, const QString& needle, bool ignoreCase = false) {
  return InStr(1, haystack, needle, ignoreCase);
}

// The case-insensitive text comparison used for names everywhere (binary
// search, SQL "=" and ORDER BY on names): -1, 0 or 1.
int CompareText(const QString& a, const QString& b);
inline bool TextEquals(const QString& a, const QString& b) { return CompareText(a, b) == 0; }

// Date serials: days since 30 December 1899, the time of day as the fraction.
double ToDateSerial(const QDateTime& moment);
QDateTime FromDateSerial(double serial);

// A field value: Empty, Null, a Boolean, a whole number, a Double, a text or
// a date (held as its serial). Turning Null into text or a number raises
// error 94 "Invalid use of Null".
class Variant {
 public:
  enum class Type { Empty, Null, Boolean, Integer, Double, Text, Date };

  Variant() = default;
  Variant(bool value) : type_(Type::Boolean), integer_(value ? -1 : 0) {}  // NOLINT
  Variant(int value) : type_(Type::Integer), integer_(value) {}            // NOLINT
  Variant(std::int64_t value) : type_(Type::Integer), integer_(value) {}   // NOLINT
  Variant(double value) : type_(Type::Double), double_(value) {}           // NOLINT
  Variant(const QString& value) : type_(Type::Text), text_(value) {}       // NOLINT
  Variant(const char* value) : type_(Type::Text), text_(QString::fromUtf8(value)) {}  // NOLINT
  static Variant Null();
  static Variant Date(double serial);

  Type type() const { return type_; }
  bool IsNull() const { return type_ == Type::Null; }
  bool IsEmpty() const { return type_ == Type::Empty; }

  QString ToText() const;         // CStr
  double ToDouble() const;        // CDbl; a text that is no number: error 13
  int ToInteger() const;          // CInt
  std::int32_t ToLong() const;    // CLng
  bool ToBoolean() const;         // CBool
  double ToDateSerial() const;    // CDate as a serial

  // For the data layer: the raw stored value (text, whole number, double).
  std::int64_t RawInteger() const { return integer_; }
  double RawDouble() const { return double_; }
  const QString& RawText() const { return text_; }

  bool operator==(const Variant& other) const;

 private:
  Type type_ = Type::Empty;
  std::int64_t integer_ = 0;
  double double_ = 0;
  QString text_;
};

}  // namespace platform

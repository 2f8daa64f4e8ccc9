#include "platform/values/VbValues.h"

#include <gtest/gtest.h>

#include "platform/values/VbError.h"

using namespace platform;

namespace {
std::int32_t ErrorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const VbError& e) {
    return e.Number();
  }
  return 0;
}
}  // namespace

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(0.5), 0);
  EXPECT_EQ(RoundHalfEven(1.5), 2);
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(-3.5), -4);
  EXPECT_EQ(RoundHalfEven(2.4999), 2);
  EXPECT_EQ(RoundHalfEven(32767.5), 32768);
  EXPECT_EQ(CInt(2.5), 2);
  EXPECT_EQ(CInt(3.5), 4);
  EXPECT_EQ(CLng(32767.5), 32768);
}

TEST(Rounding, IntegerOverflowsAbove32767) {
  EXPECT_EQ(CInt(32767.4), 32767);
  EXPECT_EQ(CInt(-32768), -32768);
  EXPECT_EQ(ErrorOf([] { CInt(32767.5); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CInt(32768); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CInt(-32768.6); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CLng(2147483648.0); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { CInt(std::nan("")); }), err::Overflow);
}

TEST(Rounding, IntRoundsDown) {
  EXPECT_EQ(Int(2.9), 2);
  EXPECT_EQ(Int(-2.1), -3);
  EXPECT_EQ(Fix(-2.9), -2);
}

TEST(Val, ReadsTheLeadingNumberOnly) {
  EXPECT_EQ(Val("2.5"), 2.5);
  EXPECT_EQ(Val("  12 34 abc"), 1234);
  EXPECT_EQ(Val("3.5 questions"), 3.5);
  EXPECT_EQ(Val(""), 0);
  EXPECT_EQ(Val("abc"), 0);
  EXPECT_EQ(Val("-7"), -7);
  EXPECT_EQ(Val("1,5"), 1);  // only "." is a decimal point
  EXPECT_EQ(Val("1.2.3"), 1.2);
  EXPECT_EQ(Val("1e3"), 1000);
  EXPECT_EQ(Val("1e"), 1);
  EXPECT_EQ(Val("&HFF"), 255);
  EXPECT_EQ(Val("&HFFFF"), -1);
  EXPECT_EQ(Val("&O17"), 15);
  EXPECT_EQ(Val("."), 0);
}

TEST(NumberText, SinglePrecisionKeepsSevenDigits) {
  EXPECT_EQ(SingleText(1800.0 / 60), "30");
  EXPECT_EQ(SingleText(750.0 / 60), "12.5");
  EXPECT_EQ(SingleText(1000.0 / 60), "16.66667");
  EXPECT_EQ(SingleText(0), "0");
  EXPECT_EQ(SingleText(-0.5), "-0.5");
  EXPECT_EQ(NumberText(3630), "3630");
  EXPECT_EQ(NumberText(0.1 + 0.2), "0.3");
  EXPECT_EQ(NumberText(1e16), "1E+16");
}

TEST(Texts, TrimTakesBlanksOnly) {
  EXPECT_EQ(Trim("  a b  "), "a b");
  EXPECT_EQ(Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(RTrim("x  "), "x");
  EXPECT_EQ(LTrim("  x "), "x ");
}

TEST(Texts, InStrIsOneBased) {
  EXPECT_EQ(InStr("Assessment test", "assessment", true), 1);
  EXPECT_EQ(InStr("Assessment test", "assessment"), 0);
  EXPECT_EQ(InStr("abc", "c"), 3);
  EXPECT_EQ(InStr(2, "abab", "ab"), 3);
  EXPECT_EQ(InStr("abc", ""), 1);
  EXPECT_EQ(InStr("", "a"), 0);
}

TEST(Texts, CompareTextIgnoresCase) {
  EXPECT_EQ(CompareText("ABOS", "abos"), 0);
  EXPECT_LT(CompareText("", "a"), 0);
  EXPECT_LT(CompareText("Able", "baker"), 0);
  EXPECT_GT(CompareText("baker", "Able"), 0);
  EXPECT_NE(CompareText("abos ", "abos"), 0);
}

TEST(DateSerial, CountsDaysFrom30December1899) {
  EXPECT_EQ(ToDateSerial(QDateTime(QDate(1899, 12, 30), QTime(0, 0))), 0);
  EXPECT_EQ(ToDateSerial(QDateTime(QDate(1900, 1, 1), QTime(12, 0))), 2.5);
  EXPECT_EQ(ToDateSerial(QDateTime(QDate(2026, 12, 8), QTime(0, 0))), 46364);
  const QDateTime m(QDate(2026, 12, 8), QTime(19, 11, 15));
  EXPECT_EQ(FromDateSerial(ToDateSerial(m)), m);
}

TEST(Variant, NullRaisesInvalidUseOfNull) {
  const Variant null = Variant::Null();
  EXPECT_TRUE(null.IsNull());
  EXPECT_EQ(ErrorOf([&] { (void)null.ToText(); }), err::InvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { (void)null.ToInteger(); }), err::InvalidUseOfNull);
  EXPECT_EQ(ErrorOf([&] { (void)null.ToBoolean(); }), err::InvalidUseOfNull);
}

TEST(Variant, ConvertsLikeTheOriginal) {
  EXPECT_EQ(Variant(true).ToText(), "True");
  EXPECT_EQ(Variant(true).ToInteger(), -1);
  EXPECT_EQ(Variant(42).ToText(), "42");
  EXPECT_EQ(Variant(2.5).ToInteger(), 2);
  EXPECT_EQ(Variant("3.5").ToInteger(), 4);
  EXPECT_EQ(Variant(40000).ToLong(), 40000);
  EXPECT_EQ(ErrorOf([] { (void)Variant(40000).ToInteger(); }), err::Overflow);
  EXPECT_EQ(ErrorOf([] { (void)Variant("abc").ToDouble(); }), err::TypeMismatch);
  EXPECT_EQ(Variant("x"), Variant(QString("x")));
  EXPECT_FALSE(Variant(1) == Variant(1.0));
}

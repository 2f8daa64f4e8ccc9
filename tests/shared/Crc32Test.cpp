#include <gtest/gtest.h>
#include <iconv.h>
#include <zlib.h>

#include <QString>
#include <random>
#include <string>

#include "platform/values/VbError.h"
#include "shared/modCRC32.h"

using shared::modCRC32::ComputeStringCrc32;

namespace {

std::int32_t ZlibCrc(const std::string& bytes) {
  const uLong crc = crc32(0L, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(crc));
}

// Decodes Windows-1252 bytes with the C library's converter, an oracle
// independent of the program's own table.
QString FromWindows1252(const std::string& bytes) {
  iconv_t cd = iconv_open("UTF-8", "WINDOWS-1252");
  EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(bytes.data());
  size_t inLeft = bytes.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  EXPECT_NE(rc, static_cast<size_t>(-1));
  out.resize(out.size() - outLeft);
  return QString::fromUtf8(out.data(), static_cast<qsizetype>(out.size()));
}

bool DefinedIn1252(unsigned char b) { return b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D; }

}  // namespace

TEST(Crc32, PublishedCheckValueAndEmptyText) {
  EXPECT_EQ(ComputeStringCrc32(QStringLiteral("123456789")), static_cast<std::int32_t>(0xCBF43926u));
  EXPECT_EQ(ComputeStringCrc32(QString()), 0);
  EXPECT_EQ(ComputeStringCrc32(QStringLiteral("")), 0);
}

TEST(Crc32, TableIsTheStandardOneAndFilledOnce) {
  shared::modCRC32::InitCrc32Table();
  ASSERT_TRUE(shared::modCRC32::Crc32TableReady);
  const z_crc_t* reference = get_crc_table();
  for (int n = 0; n < 256; ++n)
    EXPECT_EQ(static_cast<std::uint32_t>(shared::modCRC32::Crc32Table[n]), static_cast<std::uint32_t>(reference[n]))
        << "entry " << n;
  EXPECT_EQ(shared::modCRC32::Crc32Table[0], 0);
  EXPECT_EQ(static_cast<std::uint32_t>(shared::modCRC32::Crc32Table[1]), 0x77073096u);
  EXPECT_EQ(static_cast<std::uint32_t>(shared::modCRC32::Crc32Table[255]), 0x2D02EF8Du);
}

TEST(Crc32, ShiftRight8IsLogical) {
  using shared::modCRC32::ShiftRight8;
  EXPECT_EQ(ShiftRight8(-1), 0x00FFFFFF);
  EXPECT_EQ(ShiftRight8(static_cast<std::int32_t>(0x80000000u)), 0x00800000);
  EXPECT_EQ(ShiftRight8(0x12345678), 0x00123456);
  EXPECT_EQ(ShiftRight8(0xFF), 0);
}

TEST(Crc32, AgreesWithZlibOnRandomWindows1252Texts) {
  std::mt19937 gen(20240611);
  std::uniform_int_distribution<int> length(0, 400);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int sample = 0; sample < 2000; ++sample) {
    std::string bytes;
    const int n = length(gen);
    while (static_cast<int>(bytes.size()) < n) {
      const auto b = static_cast<unsigned char>(byte(gen));
      if (DefinedIn1252(b)) bytes.push_back(static_cast<char>(b));
    }
    const QString text = FromWindows1252(bytes);
    ASSERT_EQ(text.size(), static_cast<qsizetype>(bytes.size()));
    ASSERT_EQ(ComputeStringCrc32(text), ZlibCrc(bytes)) << "sample " << sample << " of length " << n;
  }
}

TEST(Crc32, CharactersOutsideTheCodePage) {
  // The five bytes Windows-1252 leaves undefined travel as the C1 controls.
  for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
    EXPECT_EQ(ComputeStringCrc32(QString(QChar(b))), ZlibCrc(std::string(1, static_cast<char>(b))));
  // Characters without a byte become "?", as the system's conversion does.
  EXPECT_EQ(ComputeStringCrc32(QString::fromUtf8("a\xE4\xB8\xAD" "b")), ZlibCrc("a?b"));
  EXPECT_EQ(ComputeStringCrc32(QString(QChar(0x0080))), ZlibCrc("?"));
  // The euro sign is byte 0x80.
  EXPECT_EQ(ComputeStringCrc32(QString(QChar(0x20AC))), ZlibCrc("\x80"));
}

TEST(Crc32, LengthLimit) {
  const QString longest(32767, QLatin1Char('x'));
  EXPECT_EQ(ComputeStringCrc32(longest), ZlibCrc(std::string(32767, 'x')));
  try {
    (void)ComputeStringCrc32(QString(32768, QLatin1Char('x')));
    FAIL() << "a text of 32,768 characters got a CRC";
  } catch (const platform::VbError& e) {
    EXPECT_EQ(e.Number(), platform::err::Overflow);
    EXPECT_EQ(e.Description(), QStringLiteral("Overflow"));
  }
}

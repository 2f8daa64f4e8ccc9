#include "platform/RtfCodePage.h"

namespace platform {

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsMultiByte(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361 ||
         codePage == 65001;
}

QByteArray DecoderNameFor(int codePage) {
  switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default: break;
  }
  const QByteArray number = QByteArray::number(codePage);
  for (const QByteArray& name : {"windows-" + number, "cp" + number, "ibm-" + number}) {
    if (QStringDecoder(name.constData()).isValid()) return name;
  }
  return {};
}

}  // namespace

char16_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
  return byte;
}

int UnicodeToCp1252(char16_t ch) {
  if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return ch;
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == ch) return 0x80 + i;
  }
  return -1;
}

RtfCodePage::RtfCodePage() {
  for (int b = 0; b < 256; ++b) table_[b] = Cp1252ToUnicode(static_cast<unsigned char>(b));
}

RtfCodePage::RtfCodePage(int codePage) : RtfCodePage() {
  if (codePage == 1252 || codePage <= 0) return;
  const QByteArray name = DecoderNameFor(codePage);
  if (name.isEmpty()) return;  // unknown pages read as 1252
  number_ = codePage;
  decoderName_ = name;
  singleByte_ = !IsMultiByte(codePage);
  if (!singleByte_) return;
  for (int b = 0x80; b < 256; ++b) {
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    const char byte = static_cast<char>(b);
    const QString one = decoder(QByteArrayView(&byte, 1));
    table_[b] = one.size() == 1 ? one.at(0).unicode() : char16_t(0xFFFD);
  }
}

QString RtfCodePage::Decode(const QByteArray& bytes) const {
  if (singleByte_) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* o = out.data();
    for (char c : bytes) *o++ = QChar(table_[static_cast<unsigned char>(c)]);
    return out;
  }
  QStringDecoder decoder(decoderName_.constData());
  return decoder(bytes);
}

}  // namespace platform

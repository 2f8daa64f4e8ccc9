#include "platform/richtext/RtfCodePage.h"

#include <map>
#include <mutex>

namespace platform {

namespace {

constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Lead bytes of the double-byte pages.
bool IsLead(int codePage, int b) {
  switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
  }
}

bool IsDoubleByte(int codePage) {
  return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950;
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

int CodePageOfCharset(int charset) {
  switch (charset) {
    case 0: return 1252;
    case 2: return kSymbolCodePage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177:
    case 181: return 1255;
    case 178:
    case 179:
    case 180: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
  }
}

void AppendCharacter(QString& text, char32_t c) {
  if (QChar::requiresSurrogates(c)) {
    text += QChar(QChar::highSurrogate(c));
    text += QChar(QChar::lowSurrogate(c));
  } else {
    text += QChar(static_cast<char16_t>(c));
  }
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
  singleByte_ = !IsDoubleByte(codePage) && codePage != 65001;
  if (!singleByte_) {
    for (int b = 0x80; b < 256; ++b) leads_[b] = IsLead(codePage, b);
  }
  for (int b = 0x80; b < 256; ++b) {
    if (leads_[b]) continue;
    QStringDecoder decoder(name.constData(), QStringConverter::Flag::Stateless);
    const char byte = static_cast<char>(b);
    const QString one = decoder(QByteArrayView(&byte, 1));
    table_[b] = one.size() == 1 ? one.at(0).unicode() : char16_t(0xFFFD);
  }
}

RtfCodePage::RtfCodePage(std::optional<RtfSymbolFont> font) {
  number_ = kSymbolCodePage;
  chart_ = font.has_value();
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    table_[b] = chart_ ? SymbolFontCharacter(*font, byte) : b < 0x80 ? char32_t(b) : 0xF000 + char32_t(b);
  }
}

QString RtfCodePage::Decode(const QByteArray& bytes) const {
  if (singleByte_) {
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) AppendCharacter(out, table_[static_cast<unsigned char>(c)]);
    return out;
  }
  // Stateless: a lead byte left at the end becomes a replacement character
  // instead of waiting for more.
  QStringDecoder decoder(decoderName_.constData(), QStringConverter::Flag::Stateless);
  return decoder(bytes);
}

std::shared_ptr<const RtfCodePage> SharedCodePage(int number) {
  // Building a page asks the converter library; documents name few pages.
  static std::mutex lock;
  static std::map<int, std::shared_ptr<const RtfCodePage>> cache;
  const std::lock_guard<std::mutex> guard(lock);
  auto it = cache.find(number);
  if (it != cache.end()) return it->second;
  auto page = std::make_shared<const RtfCodePage>(number);
  if (cache.size() < 64) cache.emplace(number, page);
  return page;
}

std::shared_ptr<const RtfCodePage> FontCodePage(QStringView name, int charset, int cpg) {
  static const std::array<std::shared_ptr<const RtfCodePage>, 7> symbols = [] {
    std::array<std::shared_ptr<const RtfCodePage>, 7> pages;
    pages[0] = std::make_shared<const RtfCodePage>(std::nullopt);
    for (int f = 0; f < 6; ++f) {
      pages[static_cast<std::size_t>(f) + 1] = std::make_shared<const RtfCodePage>(static_cast<RtfSymbolFont>(f));
    }
    return pages;
  }();
  if (const auto font = SymbolFontOfName(name.trimmed())) return symbols[static_cast<std::size_t>(*font) + 1];
  const int page = cpg > 0 ? cpg : CodePageOfCharset(charset);
  if (page == kSymbolCodePage) return symbols[0];
  return page > 0 ? SharedCodePage(page) : nullptr;
}

}  // namespace platform

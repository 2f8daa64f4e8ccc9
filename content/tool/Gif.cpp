// A GIF writer: the image reduced to a 256-colour palette and compressed with
// LZW, variable code width from 9 to 12 bits, as GIF readers expect.
#include <QHash>

#include "Content.h"

namespace content {
namespace {

class CodeWriter {
 public:
  void Put(int code, int width) {
    bits_ |= static_cast<quint32>(code) << count_;
    count_ += width;
    while (count_ >= 8) {
      bytes_.append(static_cast<char>(bits_ & 0xFF));
      bits_ >>= 8;
      count_ -= 8;
    }
  }
  QByteArray Finish() {
    if (count_ > 0) bytes_.append(static_cast<char>(bits_ & 0xFF));
    bits_ = 0;
    count_ = 0;
    return bytes_;
  }

 private:
  QByteArray bytes_;
  quint32 bits_ = 0;
  int count_ = 0;
};

void PutWord(QByteArray& out, int value) {
  out.append(static_cast<char>(value & 0xFF));
  out.append(static_cast<char>((value >> 8) & 0xFF));
}

QByteArray Compress(const QImage& indexed) {
  constexpr int kClear = 256;
  constexpr int kEnd = 257;
  constexpr int kLimit = 4095;
  CodeWriter writer;
  QHash<quint32, int> table;
  int width = 9;
  int next = kEnd + 1;
  auto output = [&](int code) {
    writer.Put(code, width);
    // The reader widens its codes one step behind the writer's table.
    if (next >= (1 << width) && width < 12) ++width;
  };
  output(kClear);
  int current = -1;
  for (int y = 0; y < indexed.height(); ++y) {
    const uchar* line = indexed.constScanLine(y);
    for (int x = 0; x < indexed.width(); ++x) {
      const int pixel = line[x];
      if (current < 0) {
        current = pixel;
        continue;
      }
      const quint32 key = (static_cast<quint32>(current) << 8) | static_cast<quint32>(pixel);
      const auto found = table.constFind(key);
      if (found != table.constEnd()) {
        current = *found;
        continue;
      }
      output(current);
      current = pixel;
      if (next >= kLimit) {
        output(kClear);
        table.clear();
        next = kEnd + 1;
        width = 9;
      } else {
        table.insert(key, next++);
      }
    }
  }
  if (current >= 0) output(current);
  output(kEnd);
  return writer.Finish();
}

}  // namespace

QByteArray EncodeGif(const QImage& image) {
  QImage indexed = image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_Indexed8, Qt::DiffuseDither);
  QList<QRgb> palette = indexed.colorTable();
  palette.resize(256, qRgb(0, 0, 0));

  QByteArray out("GIF89a");
  PutWord(out, indexed.width());
  PutWord(out, indexed.height());
  out.append(static_cast<char>(0xF7));  // global palette of 256 colours, 8 bits each
  out.append('\0');                     // background colour
  out.append('\0');                     // square pixels
  for (QRgb colour : palette) {
    out.append(static_cast<char>(qRed(colour)));
    out.append(static_cast<char>(qGreen(colour)));
    out.append(static_cast<char>(qBlue(colour)));
  }
  out.append(',');
  PutWord(out, 0);
  PutWord(out, 0);
  PutWord(out, indexed.width());
  PutWord(out, indexed.height());
  out.append('\0');  // no local palette, not interlaced
  out.append(static_cast<char>(8));  // minimum code size
  const QByteArray data = Compress(indexed);
  for (qsizetype at = 0; at < data.size(); at += 255) {
    const qsizetype length = qMin<qsizetype>(255, data.size() - at);
    out.append(static_cast<char>(length));
    out.append(data.constData() + at, length);
  }
  out.append('\0');
  out.append(';');
  return out;
}

}  // namespace content

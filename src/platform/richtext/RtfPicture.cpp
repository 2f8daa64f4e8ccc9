#include "platform/richtext/RtfPicture.h"

#include <QBuffer>
#include <QImageReader>

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform {

namespace {

// Deflate codes 258 bytes in two bits at best.
constexpr std::int64_t kDeflateRatio = 1032;
// A progressive JPEG passes over the whole picture once per scan; encoders
// write about ten.
constexpr int kMaxJpegScans = 100;

std::uint32_t Be32(const unsigned char* p) {
  return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

int Be16(const unsigned char* p) { return p[0] << 8 | p[1]; }

bool IsLetter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Samples per pixel of a PNG colour type at a bit depth; 0 where the two do
// not go together.
int PngChannels(int colourType, int depth) {
  const bool wide = depth == 8 || depth == 16;
  const bool any = wide || depth == 1 || depth == 2 || depth == 4;
  switch (colourType) {
    case 0: return any ? 1 : 0;
    case 2: return wide ? 3 : 0;
    case 3: return any && depth != 16 ? 1 : 0;
    case 4: return wide ? 2 : 0;
    case 6: return wide ? 4 : 0;
    default: return 0;
  }
}

RtfPictureClaim CheckPng(const QByteArray& data) {
  static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  const auto* d = reinterpret_cast<const unsigned char*>(data.constData());
  const std::int64_t n = data.size();
  if (n < 8 || std::memcmp(d, kSignature, 8) != 0) return {};
  QByteArray kept(data.constData(), 8);
  std::uint32_t width = 0, height = 0;
  int depth = 0, colourType = 0, channels = 0, paletteEntries = 0;
  bool header = false, imageData = false, imageDataEnded = false, end = false;
  std::int64_t imageBytes = 0;
  for (std::int64_t at = 8; !end; ) {
    if (n - at < 12) return {};  // cut short before its end
    const std::uint32_t length = Be32(d + at);
    if (length > 0x7FFFFFFFu || length > n - at - 12) return {};
    const unsigned char* type = d + at + 4;
    if (!IsLetter(type[0]) || !IsLetter(type[1]) || !IsLetter(type[2]) || !IsLetter(type[3])) return {};
    const std::string_view name(reinterpret_cast<const char*>(type), 4);
    const unsigned char* body = type + 4;
    if (imageData && name != "IDAT") imageDataEnded = true;
    bool keep = true;
    if (!header) {
      if (name != "IHDR" || length != 13) return {};
      width = Be32(body);
      height = Be32(body + 4);
      depth = body[8];
      colourType = body[9];
      channels = PngChannels(colourType, depth);
      if (width == 0 || height == 0 || width > 0x7FFFFFFFu || height > 0x7FFFFFFFu || channels == 0 ||
          body[10] != 0 || body[11] != 0 || body[12] > 1) {
        return {};
      }
      header = true;
    } else if (name == "PLTE") {
      if (imageData || paletteEntries > 0 || length == 0 || length % 3 != 0 || length > 768) return {};
      paletteEntries = static_cast<int>(length / 3);
    } else if (name == "IDAT") {
      if (imageDataEnded) return {};
      imageData = true;
      imageBytes += length;
    } else if (name == "IEND") {
      end = true;
    } else if (name == "tRNS") {
      const std::uint32_t allowed = colourType == 0 ? 2 : colourType == 2 ? 6 : colourType == 3 ? paletteEntries : 0;
      keep = !imageData && (colourType == 3 ? length <= allowed && length > 0 : length == allowed);
    } else if (name == "IHDR" || (type[0] & 0x20) == 0) {
      return {};  // a second header, or a part no decoder can do without
    } else {
      keep = false;
    }
    if (keep) kept.append(data.constData() + at, 12 + length);
    at += 12 + length;
  }
  if (!imageData || (colourType == 3 && paletteEntries == 0)) return {};
  // The filtered rows the image data must inflate to.
  const std::int64_t rowBytes = (std::int64_t{width} * channels * depth + 7) / 8 + 1;
  const std::int64_t most = kDeflateRatio * imageBytes;
  if (rowBytes > most || std::int64_t{height} > most / rowBytes) return {};
  RtfPictureClaim claim;
  claim.size = QSize(static_cast<int>(width), static_cast<int>(height));
  claim.decodedBytes = std::int64_t{width} * height * (depth == 16 ? 8 : 4);
  claim.decoderData = kept;
  return claim;
}

RtfPictureClaim CheckJpeg(const QByteArray& data) {
  const auto* d = reinterpret_cast<const unsigned char*>(data.constData());
  const std::int64_t n = data.size();
  if (n < 4 || d[0] != 0xFF || d[1] != 0xD8) return {};
  int width = 0, height = 0, components = 0;
  int h[4] = {}, v[4] = {};
  int scans = 0;
  std::int64_t entropyBytes = 0;
  for (std::int64_t at = 2;;) {
    if (at >= n || d[at] != 0xFF) return {};
    while (at < n && d[at] == 0xFF) ++at;
    if (at >= n) return {};
    const int marker = d[at++];
    if (marker == 0xD9) break;  // the end of the picture
    if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
    if (n - at < 2) return {};
    const int length = Be16(d + at);
    if (length < 2 || length > n - at) return {};
    const unsigned char* body = d + at + 2;
    const int bodyLength = length - 2;
    switch (marker) {
      case 0xC0:  // baseline, extended and progressive frames with
      case 0xC1:  // Huffman codes: what the decoder reads; arithmetic,
      case 0xC2:  // lossless and hierarchical frames are not
        if (components > 0 || bodyLength < 6 || body[0] != 8) return {};
        height = Be16(body + 1);
        width = Be16(body + 3);
        components = body[5];
        if (width == 0 || height == 0 || components < 1 || components > 4 || bodyLength != 6 + 3 * components) {
          return {};
        }
        for (int c = 0; c < components; ++c) {
          h[c] = body[7 + 3 * c] >> 4;
          v[c] = body[7 + 3 * c] & 15;
          if (h[c] < 1 || h[c] > 4 || v[c] < 1 || v[c] > 4) return {};
        }
        break;
      case 0xC4:  // Huffman tables
      case 0xDB:  // quantisation tables
      case 0xDD:  // restart interval
      case 0xFE:  // comment
        break;
      case 0xDA: {  // a scan: its header, then its coded data up to the next marker
        if (components == 0 || bodyLength < 1 || body[0] < 1 || body[0] > 4 || bodyLength != 1 + 2 * body[0] + 3 ||
            ++scans > kMaxJpegScans) {
          return {};
        }
        at += length;
        const std::int64_t start = at;
        while (at + 1 < n && !(d[at] == 0xFF && d[at + 1] != 0 && (d[at + 1] < 0xD0 || d[at + 1] > 0xD7))) ++at;
        if (at + 1 >= n) return {};
        entropyBytes += at - start;
        continue;
      }
      default:
        if (marker < 0xE0 || marker > 0xEF) return {};  // application data passes; nothing else does
        break;
    }
    at += length;
  }
  if (scans == 0) return {};
  // Every 8x8 block of every component costs its scan a bit at least.
  int hMax = 1, vMax = 1;
  for (int c = 0; c < components; ++c) {
    hMax = std::max(hMax, h[c]);
    vMax = std::max(vMax, v[c]);
  }
  std::int64_t blocks = 0;
  for (int c = 0; c < components; ++c) {
    const std::int64_t w = (std::int64_t{width} * h[c] + hMax - 1) / hMax;
    const std::int64_t ht = (std::int64_t{height} * v[c] + vMax - 1) / vMax;
    blocks += ((w + 7) / 8) * ((ht + 7) / 8);
  }
  if (blocks > entropyBytes * 8) return {};
  RtfPictureClaim claim;
  claim.size = QSize(width, height);
  claim.decodedBytes = std::int64_t{width} * height * 4;
  claim.decoderData = data;
  return claim;
}

}  // namespace

RtfPictureClaim CheckRtfPicture(const QByteArray& data, RtfPictureKind kind) {
  return kind == RtfPictureKind::Png ? CheckPng(data) : CheckJpeg(data);
}

QImage DecodeRtfPicture(const QByteArray& data, RtfPictureKind kind, std::int64_t& budget) {
  const RtfPictureClaim claim = CheckRtfPicture(data, kind);
  if (claim.size.isEmpty() || claim.decodedBytes > budget) return {};
  QBuffer buffer;
  buffer.setData(claim.decoderData);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, kind == RtfPictureKind::Png ? "png" : "jpeg");
  reader.setAutoDetectImageFormat(false);  // the kind the markup names, and no other
  QImage image = reader.read();
  // Turned a quarter by its orientation note, it has the same pixels.
  if (image.isNull() || (image.size() != claim.size && image.size() != claim.size.transposed())) return {};
  budget -= image.sizeInBytes();
  return image;
}

}  // namespace platform

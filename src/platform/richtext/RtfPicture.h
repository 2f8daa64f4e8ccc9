#pragma once
// Pictures of rich-text markup, decoded only when their data holds together:
// every chunk or segment that a PNG or JPEG names lies within the bytes the
// document gives, the parts a decoder needs are all there, and the size the
// picture claims is one those bytes can fill (deflate packs at most 1032
// bytes into one; a JPEG spends at least one bit on every 8x8 block). Only
// then does Qt's decoder see it, under the allocation limit the program has
// set for Qt's image reader, so that a small damaged picture cannot make the
// reader allocate or work far beyond it.
#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstdint>

namespace platform {

enum class RtfPictureKind : std::uint8_t { Png, Jpeg };

// What the pictures of one document may take together, in bytes of decoded
// pixels: as much as the largest picture the programs load.
inline constexpr std::int64_t kRtfPictureBudget = std::int64_t{256} << 20;

// What a picture's data says of itself, read without decoding it: the size
// in pixels (empty when the data does not hold together) and the bytes its
// decoded pixels take at most.
struct RtfPictureClaim {
  QSize size;
  std::int64_t decodedBytes = 0;
  // The data the decoder is given: a PNG's chunks that make its pixels
  // (image header, palette, transparency, image data, end) without its
  // texts, profiles and other notes, which say nothing of what is shown.
  QByteArray decoderData;
};

RtfPictureClaim CheckRtfPicture(const QByteArray& data, RtfPictureKind kind);

// Decodes the picture when it holds together and its decoded pixels fit in
// what is left of `budget` (which they then take from it); a null image
// otherwise.
QImage DecodeRtfPicture(const QByteArray& data, RtfPictureKind kind, std::int64_t& budget);

}  // namespace platform

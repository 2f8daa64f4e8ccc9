// The training database's picture files. Their sizes cover each way the
// question window places a picture (at its first size, 11715 x 8415 twips):
// in the band above the question (up to about 260 pixels high), beside it
// (taller, up to about 350 x 360 pixels), in the picture window (larger),
// and the square class of 6701 to 6899 twips (447 to 459 pixels) that is
// shown at 4560 twips. The names carry no extension; the formats vary.
#include <QBuffer>
#include <QImageWriter>

#include "Content.h"

namespace content {

QList<PictureFile> SamplePictures() {
  using art::Subject;
  auto picture = [](const char* name, Subject subject, QSize size, const char* format) {
    return PictureFile{QString::fromLatin1(name), subject, size, QByteArray(format), art::SubjectTitle(subject)};
  };
  return {
      // Collision regulations: one picture of each placement.
      picture("colreg1_Q1_1", Subject::CrossingSituation, {320, 220}, "png"),   // band
      picture("colreg1_Q1_2", Subject::HeadOnSituation, {300, 320}, "bmp"),     // beside
      picture("colreg1_Q1_3", Subject::Overtaking, {640, 480}, "jpg"),          // picture window (too tall)
      picture("colreg1_Q1_6", Subject::CompassCard, {453, 453}, "gif"),         // square class
      // Lights and shapes, two-part: the second parts of questions 2 and 5
      // have no picture of their own and fall back to the first part's.
      picture("lights_Q1_1", Subject::NavigationLights, {453, 453}, "png"),     // square class
      picture("lights_Q2_1", Subject::NavigationLights, {280, 200}, "gif"),     // band
      picture("lights_Q1_2", Subject::DayShapes, {400, 240}, "jpg"),            // band
      picture("lights_Q1_4", Subject::DayShapes, {340, 300}, "png"),            // beside
      picture("lights_Q2_4", Subject::DayShapes, {460, 460}, "bmp"),            // just above the square class: window
      picture("lights_Q1_5", Subject::DayShapes, {447, 447}, "jpg"),            // lower edge of the square class
      // Buoyage: question and answer pictures.
      picture("buoy_Q1_1", Subject::LateralBuoys, {360, 240}, "gif"),
      picture("buoy_A1_1", Subject::LateralBuoys, {300, 320}, "png"),
      picture("buoy_Q1_2", Subject::CardinalMarks, {320, 330}, "jpg"),
      picture("buoy_A1_2", Subject::CardinalMarks, {459, 459}, "bmp"),          // upper edge of the square class
      picture("buoy_Q1_4", Subject::LateralBuoys, {480, 200}, "png"),
      // Chartwork: a picture too wide for the band goes to the picture window.
      picture("chart_Q1_1", Subject::ChartExtract, {820, 240}, "png"),
      picture("chart_Q1_2", Subject::CompassCard, {240, 240}, "gif"),
      picture("chart_Q1_5", Subject::ChartExtract, {446, 446}, "jpg"),          // just below the square class
      // Stability and load lines.
      picture("stab_Q1_1", Subject::Stability, {340, 330}, "png"),
      picture("stab_Q1_4", Subject::Stability, {900, 700}, "jpg"),
      picture("loadline_Q1_1", Subject::LoadLine, {300, 200}, "bmp"),
      picture("loadline_Q1_3", Subject::LoadLine, {520, 230}, "png"),
      // Steps of the man overboard guide: band, square class, window.
      picture("mob_10", Subject::Lifebuoy, {320, 240}, "png"),
      picture("mob_20", Subject::Lifebuoy, {400, 300}, "jpg"),
      picture("mob_30", Subject::ChartExtract, {453, 453}, "gif"),
      picture("mob_40", Subject::CompassCard, {640, 500}, "bmp"),
      picture("mob_110", Subject::ShipProfile, {500, 260}, "png"),
      // The coastal passage: a chart at its start and midway.
      picture("pass_5", Subject::ChartExtract, {480, 300}, "png"),
      picture("pass_300", Subject::CardinalMarks, {360, 280}, "jpg"),
      picture("pass_600", Subject::LateralBuoys, {360, 280}, "gif"),
  };
}

QByteArray EncodePicture(const QImage& image, const QByteArray& format) {
  if (format == "gif") return EncodeGif(image);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format == "jpg" ? QByteArray("jpeg") : format);
  if (format == "jpg") writer.setQuality(88);
  const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
  if (!writer.write(opaque)) throw LayoutError("cannot encode a picture as " + format.toStdString());
  return bytes;
}

}  // namespace content

#pragma once
// Writes the sample movie (content/make-sample-movie: test pattern and tone,
// MPEG-1 program stream, 352 x 288, 25 frames a second) for a test.
#include <QImage>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport {

// What content/make-sample-movie is asked for; a path ending in .mpg must
// keep to MPEG-1's rates.
struct MovieSpec {
  int seconds = 4;
  QString size = QStringLiteral("352x288");
  int rate = 25;
  bool sound = true;
  bool framed = false;  // a white border 6 pixels wide round the picture
  int rotate = 0;       // the stream's rotation (an MP4 file), as phones write it
  int keyint = 12;      // frames from one key frame to the next
};

// Empty on success, else what went wrong.
QString MakeSampleMovie(const QString& path, int seconds = 4);
QString MakeSampleMovie(const QString& path, const MovieSpec& spec);

// Writes a 440 Hz tone of `seconds` with no picture: MPEG layer III for a
// path ending in .mp3, AAC in MP4 for .m4a; with `cover`, a 600 x 600 cover
// picture stored in the file. Empty on success, else what went wrong.
QString MakeSampleSound(const QString& path, double seconds, bool cover = false);

// The seconds of sound, and of sound that is not silence, in a WAVE file
// libmpv's "pcm" output wrote; `closed` once the output has finished it.
struct WrittenSound {
  bool closed = false;
  double seconds = 0;
  double audibleSeconds = 0;
};
WrittenSound ReadWrittenSound(const QString& path);

// Frame `frame` of a movie as ffmpeg shows it (turned as its stream says); a
// null image when ffmpeg fails.
QImage MovieFrame(const QString& path, int frame);
// The mean difference of two images' colour components, 0..255; 255 when
// their sizes differ.
double MeanDifference(const QImage& a, const QImage& b);

// A test suite that shares one sample movie, made once for the suite under
// the file name File::kName gives (names with blanks and several dots test
// the title and the open command).
template <typename File>
class SampleMovieSuite : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<QTemporaryDir>();
    movie_ = folder_->filePath(QString::fromUtf8(File::kName));
    makeError_ = MakeSampleMovie(movie_);
  }
  static void TearDownTestSuite() { folder_.reset(); }
  void SetUp() override { ASSERT_TRUE(makeError_.isEmpty()) << makeError_.toStdString(); }

  static inline std::unique_ptr<QTemporaryDir> folder_;
  static inline QString movie_;
  static inline QString makeError_;
};

}  // namespace testsupport

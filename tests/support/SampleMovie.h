#pragma once
// Writes the sample movie (content/make-sample-movie: test pattern and tone,
// MPEG-1 program stream, 352 x 288, 25 frames a second) for a test.
#include <QString>

namespace testsupport {

// Empty on success, else what went wrong.
QString MakeSampleMovie(const QString& path, int seconds = 4);

}  // namespace testsupport

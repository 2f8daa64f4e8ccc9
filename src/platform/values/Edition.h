#pragma once
// The edition code built into every program: "OOW" or "MM".
#include <QString>

#ifndef QVR_EDITION_CODE
#define QVR_EDITION_CODE "OOW"
#endif

namespace platform {
inline QString EditionCode() { return QStringLiteral(QVR_EDITION_CODE); }
}  // namespace platform

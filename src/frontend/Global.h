#pragma once
// Values every part of the front-end shares.
#include <QString>

namespace frontend {

// The program's folder without a trailing separator; set once at start-up.
extern QString AppFolder;

}  // namespace frontend

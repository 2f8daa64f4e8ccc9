#pragma once
// Varnok's program-wide values (those of the log-on dialog, the windows'
// back colour among them, are in LogOnGlobals.h).
#include <QString>

#include "stepbrowser/LogOnGlobals.h"

namespace stepbrowser::GLOBAL {

inline QString CommandLine;    // the text after the program's name (set by main)
inline QString AppFolder;      // the program's folder, without a trailing separator
inline QString StepTableName;  // the whole command line, untrimmed
inline int TextFontSize = 8;   // points; the step text

}  // namespace stepbrowser::GLOBAL

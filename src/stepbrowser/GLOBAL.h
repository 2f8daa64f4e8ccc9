#pragma once
// Varnok's program-wide values.
#include <QColor>
#include <QString>

namespace stepbrowser::GLOBAL {

inline QString CommandLine;    // the text after the program's name (set by main)
inline QColor FormBackColour;  // the main window's back colour (set by START::Main)
inline QString AppFolder;      // the program's folder, without a trailing separator
inline QString StepTableName;  // the whole command line, untrimmed
inline int TextFontSize = 8;   // points; the step text

}  // namespace stepbrowser::GLOBAL

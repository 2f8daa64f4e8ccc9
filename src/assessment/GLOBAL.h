#pragma once
// Pellorin's program-wide values.
#include <QString>

namespace assessment::GLOBAL {

inline QString CommandLine;          // the text after the program's name (set by main)
inline QString AppFolder;            // the program's folder, without a trailing separator
inline QString TestId;               // the test identifier from the command line
inline bool AnswerPeekMode = false;  // switched on by the answer-peek code
inline int TextFontSize = 8;         // points; question and answer text
inline double SavedTop = 0;          // twips; kept at unload
inline double SavedLeft = 0;
inline int PartState = 0;

// The code that, after the identifier and one blank, switches answer-peek mode on.
inline const QString kAnswerPeekCode = QStringLiteral("t00lbarne527");

}  // namespace assessment::GLOBAL

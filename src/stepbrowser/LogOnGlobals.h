#pragma once
// Varnok's program-wide values that the log-on dialog reads and sets: the
// caller's mode and offered name in, the outcome of the log-on out.
#include <QColor>
#include <QString>

namespace stepbrowser::GLOBAL {

// Back colour of the browser's windows, RGB(184, 212, 252).
extern QColor FormBackColour;

// Set by the caller before the dialog is shown: "Assessor" or "Candidate",
// and the name offered to a candidate.
extern QString LogOnMode;
extern QString DefaultCandidateName;

// The outcome. UserType ("Assessor" or "Candidate") changes only with an
// accepted check; UserName and UserPassword hold what was last taken from the
// boxes.
extern bool LogOnAccepted;
extern QString UserType;
extern QString UserName;
extern QString UserPassword;

}  // namespace stepbrowser::GLOBAL

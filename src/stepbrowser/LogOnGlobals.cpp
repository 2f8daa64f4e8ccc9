#include "stepbrowser/LogOnGlobals.h"

namespace stepbrowser::GLOBAL {

QColor FormBackColour(184, 212, 252);
QString LogOnMode;
QString DefaultCandidateName;
bool LogOnAccepted = false;
QString UserType;
QString UserName;
QString UserPassword;

}  // namespace stepbrowser::GLOBAL

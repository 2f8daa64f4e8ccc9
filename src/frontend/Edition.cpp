#include "frontend/Edition.h"

namespace frontend {

EditionValues EditionFor(const QString& code) {
  EditionValues v;
  if (code == QLatin1String("OOW")) {
    v.editionTitle = QStringLiteral("QVRV 5 - OOW");
    v.caption = QStringLiteral(" Dunstal's Tarrowby Examiner for Officers of the Watch - version 5");
    v.catalogFolder = QStringLiteral("/QVRV5_OOW/db/");
    v.backdropKey = QStringLiteral("QVROOWBackdrop");
  } else {
    v.editionTitle = QStringLiteral("QVRV 5 - Mates Masters");
    v.caption = QStringLiteral(" Dunstal's Tarrowby Examiner for Mates / Masters - version 5");
    v.catalogFolder = QStringLiteral("/QVRV5_MM/db/");
    v.backdropKey = QStringLiteral("QVRMMBackdrop");
  }
  v.iconKey = QStringLiteral("main") + v.editionTitle;
  v.catalogFileName = v.editionTitle + QStringLiteral(".mdb");
  return v;
}

}  // namespace frontend

#pragma once
// What the front-end's edition code selects.
#include <QString>

namespace frontend {

struct EditionValues {
  QString editionTitle;      // "QVRV 5 - OOW"
  QString caption;           // the main window's caption
  QString iconKey;           // window icon in imlIcons
  QString catalogFileName;   // editionTitle & ".mdb"
  QString catalogFolder;     // appended to AppFolder: "/QVRV5_OOW/db/"
  QString backdropKey;       // list backdrop in imlRightPanel
};

// "OOW" first, then "MM"; any other code gets the "MM" values, as the
// comparisons fall through to the second edition.
EditionValues EditionFor(const QString& code);

}  // namespace frontend

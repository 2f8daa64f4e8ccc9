#pragma once
// The results and training databases as Pellorin and Varnok open them: file
// names, passwords and modes of their data controls, the controls' Error
// event, and the recovery offered when a database step fails at start-up.
#include <QString>
#include <functional>

#include "platform/data/Data.h"
#include "platform/values/VbError.h"

namespace shared {

inline const QString kResultsDatabase = QStringLiteral("QVRResults.mdb");
inline const QString kTrainingDatabase = QStringLiteral("TKBTraining.mdb");
inline const QString kResultsPassword = QStringLiteral("pirowask");
inline const QString kTrainingPassword = QStringLiteral("tr@vund");

// AppFolder & "\db\" & file, with "/" as the separator.
inline QString DatabasePath(const QString& appFolder, const QString& fileName) {
  return appFolder + QStringLiteral("/db/") + fileName;
}

// Points a data control at the results database (read/write) or at the
// training database (read-only).
void ConnectResultsDatabase(platform::DataControl& control, const QString& appFolder);
void ConnectTrainingDatabase(platform::DataControl& control, const QString& appFolder);

// The data control's Error event: silent while the main window is hidden
// (the start-up handlers deal with the failure); while it is visible, the
// " Error" box naming the database and the end of the program.
void DataControlError(bool mainWindowVisible, const QString& appFolder, const QString& fileName,
                      const QString& description);
// Installs DataControlError on a control. The callbacks are asked at the
// moment of the failure.
void AttachDataControlError(platform::DataControl& control, std::function<bool()> mainWindowVisible,
                            std::function<QString()> appFolder, const QString& fileName);

// True when a path chosen in the file dialog names the expected file: its
// last characters, ignoring case, are "/" & file.
bool IsExpectedDatabaseName(const QString& chosenPath, const QString& fileName);

enum class Recovery {
  Retry,   // the user pointed at a file of the expected name: run the failing step again
  GiveUp,  // the fatal message was shown: unload the main window and stop
};

// The handler of a failing database step at start-up. A provider failure
// (&H80004005) offers the file dialog when the file is missing, and names
// the failure when the file is there; any other error shows
// "Unexpected Error: " & its description. The caller resets the mouse
// pointer first when it showed the hourglass.
Recovery RecoverDatabaseStep(const platform::VbError& error, const QString& appFolder, const QString& fileName);

}  // namespace shared

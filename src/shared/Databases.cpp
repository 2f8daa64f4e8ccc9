#include "shared/Databases.h"

namespace shared {

void ConnectResultsDatabase(platform::DataControl& control, const QString& appFolder) {
  control.ConnectionString = platform::JetConnectionString(DatabasePath(appFolder, kResultsDatabase), kResultsPassword);
  control.Mode = platform::adModeReadWrite;
}

void ConnectTrainingDatabase(platform::DataControl& control, const QString& appFolder) {
  control.ConnectionString =
      platform::JetConnectionString(DatabasePath(appFolder, kTrainingDatabase), kTrainingPassword);
  control.Mode = platform::adModeRead;
}

}  // namespace shared

// The data controls' Error event and the recovery of a failing database
// step; kept apart from the connection set-up so that neither needs the other.
#include "shared/Databases.h"

#include <QFileInfo>

#include "platform/forms/Dialogs.h"
#include "platform/system/Paths.h"
#include "platform/forms/Program.h"
#include "platform/values/VbValues.h"

namespace shared {

void DataControlError(bool mainWindowVisible, const QString& appFolder, const QString& fileName,
                      const QString& description) {
  if (!mainWindowVisible) return;
  platform::MsgBox(QStringLiteral("Unable to connect to your database") + platform::vbCrLf + DatabasePath(appFolder, fileName) +
                       platform::vbCrLf + description + platform::vbCrLf + QStringLiteral("Try to uninstall then reinstall the program."),
                   platform::vbCritical, QStringLiteral(" Error"));
  platform::End();
}

void AttachDataControlError(platform::DataControl& control, std::function<bool()> mainWindowVisible,
                            std::function<QString()> appFolder, const QString& fileName) {
  control.Error = [visible = std::move(mainWindowVisible), folder = std::move(appFolder), fileName](
                      std::int32_t, const QString& description) {
    DataControlError(visible(), folder(), fileName, description);
  };
}

bool IsExpectedDatabaseName(const QString& chosenPath, const QString& fileName) {
  const QString tail = QStringLiteral("/") + fileName;
  return chosenPath.size() >= tail.size() && chosenPath.right(tail.size()).toUpper() == tail.toUpper();
}

Recovery RecoverDatabaseStep(const platform::VbError& error, const QString& appFolder, const QString& fileName) {
  const QString expected = DatabasePath(appFolder, fileName);
  if (error.Number() != platform::err::ProviderFailure) {
    platform::MsgBox(QStringLiteral("Unexpected Error: ") + error.Description(), platform::vbCritical,
                     QStringLiteral("Fatal error"));
    return Recovery::GiveUp;
  }
  // A file that is there but cannot be opened or written (read-only,
  // locked, damaged, not a database) is not found by choosing it again:
  // the user is told why, once.
  if (QFileInfo(platform::ResolvePath(expected)).isFile()) {
    platform::MsgBox(QStringLiteral("The file ") + fileName + QStringLiteral(" cannot be used:") + platform::vbCrLf +
                         expected + platform::vbCrLf + error.Description() + platform::vbCrLf +
                         QStringLiteral("Please put this right and restart the program."),
                     platform::vbCritical, QStringLiteral("Fatal error"));
    return Recovery::GiveUp;
  }
  platform::FileDialogRequest request;
  request.title = QStringLiteral("Select ") + fileName + QStringLiteral(" (was expected in ") + expected +
                  QStringLiteral(")");
  request.filter = QStringLiteral("(*.MDB)|*.mdb");
  const QString chosen = platform::ShowOpenDialog(request);
  if (IsExpectedDatabaseName(chosen, fileName)) return Recovery::Retry;
  platform::MsgBox(QStringLiteral("The file ") + fileName + QStringLiteral(" must be copied in") + platform::vbCrLf + expected +
                       QStringLiteral(".") + platform::vbCrLf + QStringLiteral("Please restart the program when done."),
                   platform::vbCritical, QStringLiteral("Fatal error"));
  return Recovery::GiveUp;
}

}  // namespace shared

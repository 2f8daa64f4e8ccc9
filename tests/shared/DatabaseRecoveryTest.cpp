#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/forms/Program.h"
#include "platform/values/VbError.h"
#include "shared/Databases.h"

using shared::IsExpectedDatabaseName;
using shared::Recovery;
using shared::RecoverDatabaseStep;

namespace {
const platform::VbError kMissing(platform::err::ProviderFailure,
                                 QStringLiteral("Could not find file '/opt/qvr/db/QVRResults.mdb'."));
}

TEST(ExpectedDatabaseName, OnlyTheExpectedNameAfterASeparatorCounts) {
  const QString file = QStringLiteral("QVRResults.mdb");
  EXPECT_TRUE(IsExpectedDatabaseName(QStringLiteral("/media/usb/QVRResults.mdb"), file));
  EXPECT_TRUE(IsExpectedDatabaseName(QStringLiteral("/home/me/QVRRESULTS.MDB"), file));
  EXPECT_TRUE(IsExpectedDatabaseName(QStringLiteral("/qvrresults.mdb"), file));
  EXPECT_FALSE(IsExpectedDatabaseName(QStringLiteral("/media/usb/OldQVRResults.mdb"), file));
  EXPECT_FALSE(IsExpectedDatabaseName(QStringLiteral("QVRResults.mdb"), file));
  EXPECT_FALSE(IsExpectedDatabaseName(QStringLiteral("/media/usb/QVRResults.mdb.bak"), file));
  EXPECT_FALSE(IsExpectedDatabaseName(QStringLiteral("/media/usb/TKBTraining.mdb"), file));
  EXPECT_FALSE(IsExpectedDatabaseName(QString(), file));
}

TEST(RecoverDatabaseStep, ChosenFileOfTheExpectedNameRetries) {
  testsupport::ScriptedResponder responder;
  responder.files.push_back(QStringLiteral("/media/usb/backup/qvrresults.MDB"));
  EXPECT_EQ(RecoverDatabaseStep(kMissing, QStringLiteral("/opt/qvr"), QStringLiteral("QVRResults.mdb")),
            Recovery::Retry);
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  EXPECT_EQ(responder.fileRequests[0].title,
            QStringLiteral("Select QVRResults.mdb (was expected in /opt/qvr/db/QVRResults.mdb)"));
  EXPECT_EQ(responder.fileRequests[0].filter, QStringLiteral("(*.MDB)|*.mdb"));
  EXPECT_TRUE(responder.boxes.empty());
}

TEST(RecoverDatabaseStep, CancelShowsTheCopyInMessage) {
  testsupport::ScriptedResponder responder;  // no file scripted: the dialog is cancelled
  EXPECT_EQ(RecoverDatabaseStep(kMissing, QStringLiteral("/opt/qvr"), QStringLiteral("TKBTraining.mdb")),
            Recovery::GiveUp);
  ASSERT_EQ(responder.fileRequests.size(), 1u);
  EXPECT_EQ(responder.fileRequests[0].title,
            QStringLiteral("Select TKBTraining.mdb (was expected in /opt/qvr/db/TKBTraining.mdb)"));
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt,
            QStringLiteral("The file TKBTraining.mdb must be copied in\r\n/opt/qvr/db/TKBTraining.mdb.\r\n"
                           "Please restart the program when done."));
  EXPECT_EQ(responder.boxes[0].style, 16);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal error"));
}

TEST(RecoverDatabaseStep, FileOfAnotherNameGivesUp) {
  testsupport::ScriptedResponder responder;
  responder.files.push_back(QStringLiteral("/media/usb/MyQVRResults.mdb"));
  EXPECT_EQ(RecoverDatabaseStep(kMissing, QString(), QStringLiteral("QVRResults.mdb")), Recovery::GiveUp);
  ASSERT_EQ(responder.boxes.size(), 1u);
  // A program in "/" has the empty AppFolder.
  EXPECT_EQ(responder.boxes[0].prompt,
            QStringLiteral("The file QVRResults.mdb must be copied in\r\n/db/QVRResults.mdb.\r\n"
                           "Please restart the program when done."));
}

TEST(RecoverDatabaseStep, OtherErrorsAreUnexpected) {
  testsupport::ScriptedResponder responder;
  EXPECT_EQ(RecoverDatabaseStep(platform::VbError(platform::err::InvalidUseOfNull), QStringLiteral("/opt/qvr"),
                                QStringLiteral("QVRResults.mdb")),
            Recovery::GiveUp);
  EXPECT_TRUE(responder.fileRequests.empty());
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("Unexpected Error: Invalid use of Null"));
  EXPECT_EQ(responder.boxes[0].style, 16);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral("Fatal error"));

  responder.boxes.clear();
  EXPECT_EQ(RecoverDatabaseStep(platform::VbError(platform::err::NotValidPassword), QStringLiteral("/opt/qvr"),
                                QStringLiteral("QVRResults.mdb")),
            Recovery::GiveUp);
  EXPECT_TRUE(responder.fileRequests.empty());
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, QStringLiteral("Unexpected Error: Not a valid password."));
}

TEST(DataControlError, SilentWhileTheMainWindowIsHidden) {
  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher ends;
  shared::DataControlError(false, QStringLiteral("/opt/qvr"), QStringLiteral("QVRResults.mdb"),
                           QStringLiteral("Could not find file '/opt/qvr/db/QVRResults.mdb'."));
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(ends.ends, 0);
}

TEST(DataControlError, VisibleWindowShowsTheErrorBoxAndEnds) {
  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher ends;
  EXPECT_THROW(shared::DataControlError(true, QStringLiteral("/opt/qvr"), QStringLiteral("TKBTraining.mdb"),
                                        QStringLiteral("Disk I/O error")),
               platform::ProgramEnded);
  EXPECT_EQ(ends.ends, 1);
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt,
            QStringLiteral("Unable to connect to your database\r\n/opt/qvr/db/TKBTraining.mdb\r\nDisk I/O error\r\n"
                           "Try to uninstall then reinstall the program."));
  EXPECT_EQ(responder.boxes[0].style, 16);
  EXPECT_EQ(responder.boxes[0].title, QStringLiteral(" Error"));
}

#pragma once
// A training database with step tables, in an application folder of its
// own, and the browser's main window loaded against it.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "../assessment/QtPrinters.h"
#include "../assessment/TestDatabases.h"
#include "TestSupport.h"
#include "platform/forms/Program.h"
#include "stepbrowser/GLOBAL.h"
#include "stepbrowser/frmMain.h"

namespace steptables {

using platform::Variant;

struct StepRow {
  Variant id;
  Variant step;
};

// A step in rich text whose plain text is `text`.
inline QString Rtf(const QString& text) {
  return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + text + QStringLiteral("\\par}");
}

// Rows with IDs 1 .. n and the texts "Step text 1" .. "Step text n".
inline QList<StepRow> NumberedSteps(int n) {
  QList<StepRow> rows;
  rows.reserve(n);
  for (int i = 1; i <= n; ++i) rows.append({Variant(i), Variant(Rtf(QStringLiteral("Step text %1").arg(i)))});
  return rows;
}

class Training {
 public:
  explicit Training(const QString& appFolder) : db(appFolder) { db.CreateTraining(); }

  // The table (ID, Step) with its TableList row.
  void AddStepTable(const QString& name, const Variant& description, const QList<StepRow>& rows,
                    const Variant& picName = Variant::Null(), const Variant& parts = Variant(-1)) {
    db.AddTableListRow(Variant(name), description, parts, Variant(false), Variant(false), picName);
    CreateStepTable(name, rows);
  }

  void CreateStepTable(const QString& name, const QList<StepRow>& rows) {
    auto c = testdb::Databases::Open(db.TrainingPath(), shared::kTrainingPassword);
    platform::CreateTable(*c, name, {{"ID", platform::ColumnType::Integer}, {"Step", platform::ColumnType::Memo}});
    c->Execute(QStringLiteral("BEGIN"));
    const QString insert = QStringLiteral("INSERT INTO %1 (ID, Step) VALUES (?, ?)").arg(platform::QuoteIdentifier(name));
    for (const StepRow& r : rows) c->Execute(insert, {r.id, r.step});
    c->Execute(QStringLiteral("COMMIT"));
  }

  void Execute(const QString& sql) { testdb::Databases::Open(db.TrainingPath(), shared::kTrainingPassword)->Execute(sql); }

  testdb::Databases db;
};

// An application folder, the program folder pointed at it (with a trailing
// separator, as the system gives it), a fixed screen, the dialog responder
// and the end catcher.
class BrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    training = std::make_unique<Training>(dir.path() + QStringLiteral("/app"));
    platform::SetProgramFolder(AppFolder() + QStringLiteral("/"));
    platform::Screen::SetTestSize(15360, 11520);
    stepbrowser::GLOBAL::FormBackColour = QColor(184, 212, 252);
  }
  void TearDown() override {
    form.reset();
    platform::Screen::SetMousePointer(platform::vbDefault);
    platform::SetProgramFolder(QString());
    platform::Screen::SetTestSize(0, 0);
    stepbrowser::GLOBAL::CommandLine.clear();
    stepbrowser::GLOBAL::TextFontSize = 8;
  }

  QString AppFolder() const { return training->db.AppFolder(); }

  // Loads and shows the window with this command line, then lets its first
  // activation run; false when the program ended.
  bool Start(const QString& commandLine) {
    stepbrowser::GLOBAL::CommandLine = commandLine;
    form = std::make_unique<stepbrowser::frmMain>();
    try {
      form->Show();
    } catch (const platform::ProgramEnded&) {
      return false;
    }
    QTest::qWait(0);
    QCoreApplication::processEvents();
    return true;
  }

  QTemporaryDir dir;
  std::unique_ptr<Training> training;
  testsupport::ScriptedResponder responder;
  testsupport::EndCatcher ends;
  std::unique_ptr<stepbrowser::frmMain> form;
};

}  // namespace steptables

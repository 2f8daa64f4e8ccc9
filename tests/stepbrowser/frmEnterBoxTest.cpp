// The log-on dialog against a real results database: set-up by mode, the
// exact check, the add-assessor road with its messages, the stored rows,
// closing, and the failures of the data control.
#include "stepbrowser/frmEnterBox.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "../assessment/TestDatabases.h"
#include "TestSupport.h"
#include "platform/data/Data.h"
#include "shared/Databases.h"
#include "stepbrowser/LogOnGlobals.h"

static void RegisterPictures() { Q_INIT_RESOURCE(stepbrowser_images); }

using platform::Variant;
using stepbrowser::frmEnterBox;
namespace G = stepbrowser::GLOBAL;

namespace {

using Person = std::array<QString, 3>;

const QString kTryAgain =
    "To add a new assessor, you must first enter an existing assessor name/password.\r\nPlease try again.";
const QString kProved = "Correct assessor name/password.\r\nPlease enter now the NEW assessor name and password.";
const QString kInvalidNew = "Please enter an valid new assessor name/password.";
const QString kInvalidTitle = "Invalid assessor name/password";

struct StoredRow {
  Variant testId, typeTest, name, password, status, abos;
};

class EnterBox : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterPictures();
    ASSERT_TRUE(dir.isValid());
    db = std::make_unique<testdb::Databases>(dir.path());
    db->CreateResults(1);
    db->AddTest("T1", "Deck4", {10});  // a test's own row: no name, no password
    AddPerson("Capt. Hale", "Sextant9", "Assessor");
    AddPerson("Ann Lowe", "helm", "Deck4");
    shared::ConnectResultsDatabase(adoAccess, dir.path());
    box = std::make_unique<frmEnterBox>();
    box->adoAccess = &adoAccess;
    G::LogOnMode.clear();
    G::DefaultCandidateName.clear();
    G::LogOnAccepted = false;
    G::UserType = "untouched";
    G::UserName.clear();
    G::UserPassword.clear();
  }
  void TearDown() override { box.reset(); }

  void AddPerson(const Variant& name, const Variant& password, const Variant& type) {
    auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
    c->Execute("INSERT INTO TestList (NamePerson, Password, TypeTest) VALUES (?, ?, ?)", {name, password, type});
  }

  std::vector<StoredRow> Stored() {
    auto c = testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword);
    platform::Recordset rs;
    rs.Open(*c, "TestList");
    std::vector<StoredRow> rows;
    for (; !rs.IsEOF(); rs.MoveNext())
      rows.push_back({rs.Value("TestID"), rs.Value("TypeTest"), rs.Value("NamePerson"), rs.Value("Password"),
                      rs.Value("StatusTest"), rs.Value("ABOS")});
    return rs.Close(), rows;
  }

  // Shows the dialog (modeless) in a mode and lets its activation run.
  void Activate(const QString& mode) {
    G::LogOnMode = mode;
    box->Show();
    QApplication::processEvents();
  }

  void Type(const QString& name, const QString& password) {
    box->txtInput[0]->setText(name);
    box->txtInput[1]->setText(password);
  }

  // The assessor's proof, ending with the confirm button on view.
  void Prove() {
    Activate("Assessor");
    Type("Capt. Hale", "Sextant9");
    box->cmdAdd_Click();
    ASSERT_TRUE(box->cmdConfirm->isVisibleTo(box.get()));
  }

  QTemporaryDir dir;
  std::unique_ptr<testdb::Databases> db;
  platform::DataControl adoAccess;
  std::unique_ptr<frmEnterBox> box;
  testsupport::ScriptedResponder responder;
};

bool Shown(QWidget* w) { return w->isVisibleTo(w->window()); }

TEST_F(EnterBox, CandidateModeOffersTheNameAndAsksForThePassword) {
  G::DefaultCandidateName = "Ann Lowe";
  box->txtInput[1]->setText("left over");
  Activate("Candidate");

  EXPECT_EQ(box->Caption(), " Log on");
  EXPECT_EQ(box->lblTitle[1]->text(), "Enter the name:");
  EXPECT_EQ(box->lblTitle[2]->text(), "Enter the password (pay attention to the case):");
  EXPECT_EQ(box->BackColor(), QColor(184, 212, 252));
  EXPECT_EQ(box->txtInput[0]->text(), "Ann Lowe");
  EXPECT_EQ(box->txtInput[1]->text(), "");
  EXPECT_EQ(box->focusWidget(), box->txtInput[1]);
  EXPECT_TRUE(Shown(box->img3RD));
  EXPECT_FALSE(Shown(box->imgCapt));
  EXPECT_TRUE(Shown(box->cmdOK));
  EXPECT_FALSE(Shown(box->cmdAdd));
  EXPECT_FALSE(Shown(box->cmdConfirm));
  // Every row that can log on, in the table's order; the test's own row has no name.
  EXPECT_EQ(box->PersonList,
            (std::vector<Person>{{"Capt. Hale", "Sextant9", "Assessor"}, {"Ann Lowe", "helm", "Deck4"}}));
  EXPECT_TRUE(responder.boxes.empty());

  box->txtInput[1]->setText("Sextant9");
  EXPECT_EQ(box->txtInput[1]->displayText(), "********");
}

TEST_F(EnterBox, ControlsCarryTheirTipsAndPictures) {
  EXPECT_EQ(box->cmdOK->toolTip(), "Check name / password");
  EXPECT_EQ(box->cmdAdd->toolTip(),
            "Enter a valid existing assessor name/password and click here to create a new one.");
  EXPECT_EQ(box->cmdConfirm->toolTip(), "Click here to confirm the new assessor name/password.");
  EXPECT_EQ(box->imgCapt->toolTip(), "Assessor name/password requested");
  EXPECT_EQ(box->img3RD->toolTip(), "Candidate or assessor name/password requested");
  for (QPushButton* b : {box->cmdOK, box->cmdAdd, box->cmdConfirm}) EXPECT_FALSE(b->icon().isNull());
  EXPECT_NE(box->imgCapt->pixmap().toImage(), box->img3RD->pixmap().toImage());
  // The confirm button stands where the add button stands.
  EXPECT_EQ(box->cmdConfirm->geometry(), box->cmdAdd->geometry());
  EXPECT_EQ(box->imgCapt->geometry(), box->img3RD->geometry());
  EXPECT_EQ(box->txtInput[1]->echoMode(), QLineEdit::Password);
}

TEST_F(EnterBox, AssessorModeEmptiesBothBoxesAndReadsAssessorRowsOnly) {
  G::DefaultCandidateName = "Ann Lowe";
  Type("someone", "something");
  Activate("Assessor");

  EXPECT_EQ(box->txtInput[0]->text(), "");
  EXPECT_EQ(box->txtInput[1]->text(), "");
  EXPECT_EQ(box->focusWidget(), box->txtInput[0]);
  EXPECT_TRUE(Shown(box->imgCapt));
  EXPECT_FALSE(Shown(box->img3RD));
  EXPECT_TRUE(Shown(box->cmdOK));
  EXPECT_TRUE(Shown(box->cmdAdd));
  EXPECT_FALSE(Shown(box->cmdConfirm));
  EXPECT_EQ(box->PersonList, (std::vector<Person>{{"Capt. Hale", "Sextant9", "Assessor"}}));
}

TEST_F(EnterBox, AnotherModeLeavesTheControlsAsTheyWereAndReadsEveryRow) {
  // Never set up by a mode: only the check is offered.
  Activate("Supervisor");
  EXPECT_TRUE(Shown(box->cmdOK));
  EXPECT_FALSE(Shown(box->cmdAdd));
  EXPECT_FALSE(Shown(box->cmdConfirm));
  EXPECT_TRUE(Shown(box->img3RD));
  EXPECT_EQ(box->PersonList.size(), 2u);

  box->Hide();
  Activate("Assessor");
  box->Hide();
  Type("typed", "kept");
  Activate("assessor");  // not the exact word
  EXPECT_EQ(box->txtInput[0]->text(), "typed");
  EXPECT_EQ(box->txtInput[1]->text(), "kept");
  EXPECT_TRUE(Shown(box->imgCapt));
  EXPECT_TRUE(Shown(box->cmdAdd));
  EXPECT_EQ(box->PersonList.size(), 2u);
}

TEST_F(EnterBox, OnlyAnExactNameAndPasswordAreAccepted) {
  G::DefaultCandidateName = "Capt. Hale";
  const std::vector<std::pair<QString, QString>> refused{
      {"capt. hale", "Sextant9"}, {"Capt. Hale", "sextant9"}, {"CAPT. HALE", "SEXTANT9"},
      {" Capt. Hale", "Sextant9"}, {"Capt. Hale", "Sextant9 "}, {"Capt.Hale", "Sextant9"},
      {"Capt. Hale", ""},          {"", "Sextant9"},           {"Capt. Hale", "helm"},
      {"Capt. Hale'--", "x' or '1'='1"}};
  for (const auto& [name, password] : refused) {
    G::LogOnAccepted = true;
    Activate("Candidate");
    Type(name, password);
    box->cmdOK->click();
    EXPECT_FALSE(G::LogOnAccepted) << name.toStdString() << " / " << password.toStdString();
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(G::UserName, name);
    EXPECT_EQ(G::UserPassword, password);
    EXPECT_EQ(G::UserType, "untouched");
  }
  EXPECT_TRUE(responder.boxes.empty());

  Activate("Candidate");
  Type("Ann Lowe", "helm");
  box->cmdOK->click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(G::UserType, "Candidate");
  EXPECT_EQ(G::UserName, "Ann Lowe");
  EXPECT_EQ(G::UserPassword, "helm");
}

TEST_F(EnterBox, AnAssessorMayLogOnAsACandidate) {
  G::DefaultCandidateName = "Capt. Hale";
  Activate("Candidate");
  box->txtInput[1]->setText("Sextant9");
  box->cmdOK_Click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Assessor");

  Activate("Assessor");
  Type("Ann Lowe", "helm");  // a candidate in assessor mode
  box->cmdOK_Click();
  EXPECT_FALSE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Assessor");
}

TEST_F(EnterBox, TheFirstOfTwoMatchingRowsDecidesTheType) {
  AddPerson("Ann Lowe", "helm", "Assessor");  // after her candidate row
  AddPerson("Bo Strand", "wake", "Assessor");
  AddPerson("Bo Strand", "wake", "Deck2");
  Activate("Candidate");
  Type("Ann Lowe", "helm");
  box->cmdOK_Click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Candidate");

  Activate("Candidate");
  Type("Bo Strand", "wake");
  box->cmdOK_Click();
  EXPECT_EQ(G::UserType, "Assessor");

  // Assessor mode reads only her assessor row.
  Activate("Assessor");
  Type("Ann Lowe", "helm");
  box->cmdOK_Click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Assessor");
}

TEST_F(EnterBox, BothBoxesEmptyAreRefusedWithoutAMessageEvenAgainstAnEmptyRow) {
  AddPerson("", "", "Assessor");
  for (const QString mode : {"Candidate", "Assessor"}) {
    G::LogOnAccepted = true;
    Activate(mode);
    ASSERT_EQ(box->PersonList.back(), (Person{"", "", "Assessor"})) << mode.toStdString();
    Type("", "");
    box->cmdOK_Click();
    EXPECT_FALSE(G::LogOnAccepted);
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(G::UserType, "untouched");
  }
  EXPECT_TRUE(responder.boxes.empty());
}

TEST_F(EnterBox, RowsWithANullNameOrPasswordCannotLogOn) {
  AddPerson("Bob", Variant::Null(), "Assessor");
  AddPerson(Variant::Null(), "tide", "Assessor");
  AddPerson("Cy", "sea", Variant::Null());
  Activate("Candidate");
  EXPECT_TRUE(responder.boxes.empty());
  EXPECT_EQ(box->PersonList, (std::vector<Person>{{"Capt. Hale", "Sextant9", "Assessor"},
                                                  {"Ann Lowe", "helm", "Deck4"},
                                                  {"Cy", "sea", ""}}));
  for (const auto& [name, password] : {std::pair<QString, QString>{"Bob", ""}, {"", "tide"}}) {
    Activate("Candidate");
    Type(name, password);
    box->cmdOK_Click();
    EXPECT_FALSE(G::LogOnAccepted) << name.toStdString();
  }
  Activate("Candidate");
  Type("Cy", "sea");
  box->cmdOK_Click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Candidate");

  Activate("Assessor");  // "Bob" cannot prove himself either
  Type("Bob", "");
  box->cmdAdd_Click();
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, kTryAgain);
}

TEST_F(EnterBox, AddAssessorRefusalsShowTheirMessageAndChangeNothing) {
  Activate("Assessor");
  const std::vector<std::pair<QString, QString>> refused{
      {"", ""}, {"Capt. Hale", "sextant9"}, {"Ann Lowe", "helm"}, {"Capt. Hale", ""}};
  for (const auto& [name, password] : refused) {
    responder.boxes.clear();
    Type(name, password);
    box->cmdAdd->click();
    ASSERT_EQ(responder.boxes.size(), 1u) << name.toStdString();
    EXPECT_EQ(responder.boxes[0].prompt, kTryAgain);
    EXPECT_EQ(responder.boxes[0].style, 64);
    EXPECT_EQ(responder.boxes[0].title, kInvalidTitle);
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(Shown(box->cmdOK));
    EXPECT_TRUE(Shown(box->cmdAdd));
    EXPECT_FALSE(Shown(box->cmdConfirm));
    EXPECT_EQ(box->txtInput[0]->text(), name);
    EXPECT_EQ(box->txtInput[1]->text(), password);
    EXPECT_FALSE(G::LogOnAccepted);
  }
}

TEST_F(EnterBox, AProvedAssessorGetsTheConfirmButtonAndEmptyBoxes) {
  Activate("Assessor");
  Type("Capt. Hale", "Sextant9");
  box->cmdAdd->click();
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, kProved);
  EXPECT_EQ(responder.boxes[0].style, 32);
  EXPECT_EQ(responder.boxes[0].title, "Enter new assessor name/password");
  EXPECT_FALSE(Shown(box->cmdOK));
  EXPECT_FALSE(Shown(box->cmdAdd));
  EXPECT_TRUE(Shown(box->cmdConfirm));
  EXPECT_EQ(box->txtInput[0]->text(), "");
  EXPECT_EQ(box->txtInput[1]->text(), "");
  EXPECT_TRUE(box->isVisible());
  EXPECT_EQ(G::UserName, "Capt. Hale");
  EXPECT_EQ(G::UserPassword, "Sextant9");
  EXPECT_FALSE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "untouched");
}

TEST_F(EnterBox, ConfirmWithAnEmptyBoxStoresNothing) {
  Prove();
  responder.boxes.clear();
  const size_t before = Stored().size();
  for (const auto& [name, password] : {std::pair<QString, QString>{"New Mate", ""}, {"", "secret"}, {"", ""}}) {
    Type(name, password);
    box->cmdConfirm->click();
    EXPECT_TRUE(box->isVisible());
    EXPECT_TRUE(Shown(box->cmdConfirm));
    EXPECT_FALSE(G::LogOnAccepted);
  }
  ASSERT_EQ(responder.boxes.size(), 3u);
  for (const auto& b : responder.boxes) {
    EXPECT_EQ(b.prompt, kInvalidNew);
    EXPECT_EQ(b.style, 64);
    EXPECT_EQ(b.title, kInvalidTitle);
  }
  EXPECT_EQ(Stored().size(), before);
  EXPECT_EQ(G::UserName, "Capt. Hale");  // the refused boxes were not taken
}

TEST_F(EnterBox, AConfirmedAssessorIsStoredWholeAndFoundAtTheNextActivation) {
  const QString name = "Mrs O'Hara \"Kit\"";
  const QString password = "a'b\"c; DROP TABLE TestList; --  ";
  Prove();
  const size_t before = Stored().size();
  Type(name, password);
  box->cmdConfirm->click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(G::UserName, name);
  EXPECT_EQ(G::UserPassword, password);
  EXPECT_EQ(G::UserType, "untouched");

  const auto rows = Stored();
  ASSERT_EQ(rows.size(), before + 1);
  const StoredRow& added = rows.back();
  EXPECT_EQ(added.name, Variant(name));
  EXPECT_EQ(added.password, Variant(password));
  EXPECT_EQ(added.typeTest, Variant("Assessor"));
  EXPECT_TRUE(added.testId.IsNull());
  EXPECT_TRUE(added.status.IsNull());
  EXPECT_TRUE(added.abos.IsNull());

  Activate("Assessor");
  EXPECT_EQ(box->PersonList.back(), (Person{name, password, "Assessor"}));
  Type(name, password);
  box->cmdOK_Click();
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Assessor");
}

TEST_F(EnterBox, AnAssessorAddedTwiceIsStoredTwice) {
  for (int i = 0; i < 2; ++i) {
    Prove();
    Type("New Mate", "Bridge 2");
    box->cmdConfirm_Click();
    EXPECT_TRUE(G::LogOnAccepted);
  }
  const auto rows = Stored();
  ASSERT_EQ(rows.size(), 5u);
  for (size_t i = 3; i < 5; ++i) {
    EXPECT_EQ(rows[i].name, Variant("New Mate"));
    EXPECT_EQ(rows[i].password, Variant("Bridge 2"));
    EXPECT_EQ(rows[i].typeTest, Variant("Assessor"));
  }
  Activate("Assessor");
  EXPECT_EQ(box->PersonList.size(), 3u);
}

TEST_F(EnterBox, AnAssessorIsStoredEvenWhenTestListWasEmptiedMeanwhile) {
  Prove();
  testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword)->Execute("DELETE FROM TestList");
  Type("New Mate", "Bridge 2");
  box->cmdConfirm->click();
  EXPECT_TRUE(G::LogOnAccepted);
  const auto rows = Stored();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].name, Variant("New Mate"));
}

TEST_F(EnterBox, AnEmptyTestListAcceptsNobodyAndSaysNothing) {
  testdb::Databases::Open(db->ResultsPath(), shared::kResultsPassword)->Execute("DELETE FROM TestList");
  G::DefaultCandidateName = "Ann Lowe";
  Activate("Candidate");
  EXPECT_TRUE(box->PersonList.empty());
  box->txtInput[1]->setText("helm");
  box->cmdOK_Click();
  EXPECT_FALSE(G::LogOnAccepted);
  EXPECT_TRUE(responder.boxes.empty());
  Activate("Assessor");
  Type("Capt. Hale", "Sextant9");
  box->cmdAdd_Click();
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, kTryAgain);
}

TEST_F(EnterBox, ClosingTheWindowGivesNotAccepted) {
  Activate("Assessor");
  Type("Capt. Hale", "Sextant9");
  G::LogOnAccepted = true;
  box->close();
  EXPECT_FALSE(G::LogOnAccepted);
  EXPECT_FALSE(box->isVisible());
  EXPECT_FALSE(box->IsLoaded());
}

TEST_F(EnterBox, AModalShowReturnsWithTheResult) {
  G::LogOnMode = "Candidate";
  G::DefaultCandidateName = "Ann Lowe";
  QTimer::singleShot(30, box.get(), [this] {
    box->txtInput[1]->setText("helm");
    QTest::mouseClick(box->cmdOK, Qt::LeftButton);
  });
  box->Show(1);
  EXPECT_FALSE(box->isVisible());
  EXPECT_TRUE(G::LogOnAccepted);
  EXPECT_EQ(G::UserType, "Candidate");
  EXPECT_EQ(G::UserName, "Ann Lowe");

  // Closed from its title bar while shown modally.
  QTimer::singleShot(30, box.get(), [this] { box->close(); });
  box->Show(1);
  EXPECT_FALSE(G::LogOnAccepted);
}

TEST_F(EnterBox, AFailedReadLeavesNobodyToMatch) {
  Activate("Candidate");
  ASSERT_EQ(box->PersonList.size(), 2u);
  box->Hide();
  const QString missing = dir.path() + "/elsewhere";
  shared::ConnectResultsDatabase(adoAccess, missing);
  Activate("Candidate");
  box->Hide();
  box->adoAccess = nullptr;  // a caller that handed over no data control
  Activate("Candidate");
  ASSERT_EQ(responder.boxes.size(), 2u);
  EXPECT_EQ(responder.boxes[0].prompt,
            "Unexpected Error: Could not find file '" + missing + "/db/QVRResults.mdb'.");
  EXPECT_EQ(responder.boxes[0].style, 16);
  EXPECT_EQ(responder.boxes[0].title, " Error");
  EXPECT_EQ(responder.boxes[1].prompt, "Unexpected Error: Object variable or With block variable not set");
  EXPECT_TRUE(box->PersonList.empty());
  Type("Ann Lowe", "helm");
  box->cmdOK_Click();
  EXPECT_FALSE(G::LogOnAccepted);
}

TEST_F(EnterBox, AStoreThatFailsLeavesTheDialogOpenAndNotAccepted) {
  Prove();
  responder.boxes.clear();
  const size_t before = Stored().size();
  adoAccess.Mode = platform::adModeRead;  // a caller that connected read-only
  Type("New Mate", "Bridge 2");
  box->cmdConfirm->click();
  ASSERT_EQ(responder.boxes.size(), 1u);
  EXPECT_EQ(responder.boxes[0].prompt, "Unexpected Error: Cannot update. Database or object is read-only.");
  EXPECT_FALSE(G::LogOnAccepted);
  EXPECT_TRUE(box->isVisible());
  EXPECT_TRUE(Shown(box->cmdConfirm));
  EXPECT_EQ(Stored().size(), before);
}

}  // namespace

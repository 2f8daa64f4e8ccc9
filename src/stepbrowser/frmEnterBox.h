#pragma once
// Varnok's log-on dialog. It checks a name and a password against the rows
// of TestList and, in assessor mode, lets an assessor who has just proved
// himself add another assessor. The caller sets GLOBAL::LogOnMode (and
// DefaultCandidateName for a candidate), hands over the data control, shows
// the dialog modally and reads GLOBAL::LogOnAccepted, UserType, UserName and
// UserPassword once it has closed.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <array>
#include <vector>

#include "platform/data/Data.h"
#include "platform/forms/Form.h"

namespace stepbrowser {

class frmEnterBox : public platform::Form {
  Q_OBJECT

 public:
  explicit frmEnterBox(QWidget* parent = nullptr);
  ~frmEnterBox() override;

  // The browser main window's second data control. The caller connects it to
  // the database that holds TestList, the results database
  // (shared::ConnectResultsDatabase), before the dialog is shown.
  platform::DataControl* adoAccess = nullptr;

  // Controls. lblTitle has the indexes 1 (name) and 2 (password) only.
  std::array<QLabel*, 3> lblTitle{};
  std::array<QLineEdit*, 2> txtInput{};  // 0 name, 1 password
  QPushButton* cmdOK;
  QPushButton* cmdAdd;
  QPushButton* cmdConfirm;  // stands where cmdAdd stands
  QLabel* imgCapt;          // assessor mode
  QLabel* img3RD;           // candidate mode

  // The TestList rows read at the last activation, in the recordset's order:
  // name, password, type. Rows with a Null name or password cannot log on and
  // are left out; a Null type reads as "".
  std::vector<std::array<QString, 3>> PersonList;

  // Event handlers.
  void Form_Activate() override;
  void Form_QueryUnload(int& cancel, int unloadMode) override;
  void cmdOK_Click();
  void cmdAdd_Click();
  void cmdConfirm_Click();

 private:
  void ReadPersonList(const QString& filter);
  // The first row whose name and password equal the boxes exactly, or -1.
  int FindPerson() const;
  bool BothBoxesEmpty() const;
  platform::DataControl& Data() const;
};

}  // namespace stepbrowser

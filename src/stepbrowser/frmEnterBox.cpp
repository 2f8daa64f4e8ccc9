#include "stepbrowser/frmEnterBox.h"

#include <QApplication>
#include <QProxyStyle>
#include <algorithm>

#include "platform/forms/Dialogs.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "stepbrowser/LogOnGlobals.h"

namespace stepbrowser {
namespace {

const QString kAssessor = QStringLiteral("Assessor");
const QString kCandidate = QStringLiteral("Candidate");
const QString kInvalidTitle = QStringLiteral("Invalid assessor name/password");

// Layout, twips.
constexpr double kClientWidth = 6300;
constexpr double kClientHeight = 2940;
constexpr double kMargin = 240;
constexpr double kPicture = 720;
constexpr double kColumnLeft = kMargin + kPicture + kMargin;
constexpr double kColumnWidth = kClientWidth - kColumnLeft - kMargin;
constexpr double kLabelHeight = 300;
constexpr double kBoxHeight = 360;
constexpr double kButton = 840;
constexpr double kButtonGap = 120;
constexpr double kButtonTop = 1860;

// The password box masks with asterisks whatever the desktop's style would use.
class AsteriskStyle : public QProxyStyle {
 public:
  explicit AsteriskStyle(QWidget* owner) : QProxyStyle(QApplication::style()->name()) { setParent(owner); }
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* returnData) const override {
    if (hint == SH_LineEdit_PasswordCharacter) return u'*';
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
};

QPushButton* PictureButton(QWidget* parent, const QString& key, const QString& toolTip, double left) {
  auto* button = new QPushButton(parent);
  const platform::ImageList pictures(QStringLiteral("frmEnterBox"));
  if (pictures.Exists(key)) {
    const QPixmap face = pictures.ListImage(key);
    button->setIcon(face);
    button->setIconSize(face.size());
  }
  button->setToolTip(toolTip);
  button->setAccessibleName(toolTip);
  platform::Move(button, left, kButtonTop, kButton, kButton);
  return button;
}

QLabel* Picture(QWidget* parent, const QString& key, const QString& toolTip) {
  auto* image = new QLabel(parent);
  const platform::ImageList pictures(QStringLiteral("frmEnterBox"));
  if (pictures.Exists(key)) image->setPixmap(pictures.ListImage(key));
  image->setScaledContents(true);
  image->setToolTip(toolTip);
  platform::Move(image, kMargin, kMargin, kPicture, kPicture);
  return image;
}

}  // namespace

frmEnterBox::frmEnterBox(QWidget* parent) : platform::Form(parent) {
  SetCaption(QStringLiteral(" Log on"));
  QWidget* area = Client();

  imgCapt = Picture(area, QStringLiteral("imgCapt"), QStringLiteral("Assessor name/password requested"));
  img3RD = Picture(area, QStringLiteral("img3RD"), QStringLiteral("Candidate or assessor name/password requested"));
  imgCapt->hide();

  lblTitle[1] = new QLabel(QStringLiteral("Enter the name:"), area);
  platform::Move(lblTitle[1], kColumnLeft, kMargin, kColumnWidth, kLabelHeight);
  txtInput[0] = new QLineEdit(area);
  platform::Move(txtInput[0], kColumnLeft, kMargin + kLabelHeight, kColumnWidth, kBoxHeight);

  lblTitle[2] = new QLabel(QStringLiteral("Enter the password (pay attention to the case):"), area);
  platform::Move(lblTitle[2], kColumnLeft, 1020, kColumnWidth, kLabelHeight);
  txtInput[1] = new QLineEdit(area);
  txtInput[1]->setStyle(new AsteriskStyle(txtInput[1]));
  txtInput[1]->setEchoMode(QLineEdit::Password);
  platform::Move(txtInput[1], kColumnLeft, 1020 + kLabelHeight, kColumnWidth, kBoxHeight);
  for (int i = 1; i <= 2; ++i) lblTitle[i]->setBuddy(txtInput[i - 1]);

  const double okLeft = kColumnLeft + kColumnWidth - kButton;
  const double addLeft = okLeft - kButtonGap - kButton;
  cmdAdd = PictureButton(area, QStringLiteral("logonAdd"),
                         QStringLiteral("Enter a valid existing assessor name/password and click here to create a new one."),
                         addLeft);
  cmdConfirm = PictureButton(area, QStringLiteral("logonConfirm"),
                             QStringLiteral("Click here to confirm the new assessor name/password."), addLeft);
  cmdOK = PictureButton(area, QStringLiteral("logonOK"), QStringLiteral("Check name / password"), okLeft);
  // Until a mode says otherwise, only the check is offered.
  cmdAdd->hide();
  cmdConfirm->hide();
  QWidget::setTabOrder(txtInput[0], txtInput[1]);
  QWidget::setTabOrder(txtInput[1], cmdAdd);
  QWidget::setTabOrder(cmdAdd, cmdConfirm);
  QWidget::setTabOrder(cmdConfirm, cmdOK);

  connect(cmdOK, &QPushButton::clicked, this, [this] { platform::RunHandler([this] { cmdOK_Click(); }); });
  connect(cmdAdd, &QPushButton::clicked, this, [this] { platform::RunHandler([this] { cmdAdd_Click(); }); });
  connect(cmdConfirm, &QPushButton::clicked, this,
          [this] { platform::RunHandler([this] { cmdConfirm_Click(); }); });

  SetBackColor(GLOBAL::FormBackColour);
  SetWidth(kClientWidth);
  SetHeight(kClientHeight);
  setFixedSize(size());
  SetLeft((platform::Screen::Width() - Width()) / 2);
  SetTop((platform::Screen::Height() - Height()) / 2);
}

frmEnterBox::~frmEnterBox() = default;

void frmEnterBox::Form_Activate() {
  platform::RunHandler([this] {
    SetBackColor(GLOBAL::FormBackColour);
    QString filter;
    if (GLOBAL::LogOnMode == kAssessor) {
      imgCapt->show();
      img3RD->hide();
      filter = QStringLiteral(" where TypeTest = 'Assessor'");
      txtInput[0]->clear();
      txtInput[1]->clear();
      cmdOK->show();
      cmdConfirm->hide();
      cmdAdd->show();
      txtInput[0]->setFocus();
    } else if (GLOBAL::LogOnMode == kCandidate) {
      imgCapt->hide();
      img3RD->show();
      txtInput[0]->setText(GLOBAL::DefaultCandidateName);
      txtInput[1]->clear();
      cmdOK->show();
      cmdConfirm->hide();
      cmdAdd->hide();
      txtInput[1]->setFocus();
    }
    ReadPersonList(filter);
  });
}

platform::DataControl& frmEnterBox::Data() const {
  if (!adoAccess) platform::Raise(platform::err::ObjectNotSet);
  return *adoAccess;
}

void frmEnterBox::ReadPersonList(const QString& filter) {
  // A read that fails leaves nobody to match, never the rows of an earlier one.
  PersonList.clear();
  platform::DataControl& data = Data();
  data.CommandType = platform::adCmdUnknown;
  data.Parameters.clear();
  data.RecordSource = QStringLiteral("Select NamePerson, Password, TypeTest from TestList") + filter;
  data.Refresh();
  platform::Recordset& rs = *data.GetRecordset();
  std::vector<std::array<QString, 3>> rows;
  rows.reserve(static_cast<size_t>(std::max(0, rs.RecordCount())));
  // Walked to the end rather than counted, so the list is the rows that were read.
  while (!rs.IsEOF()) {
    const platform::Variant name = rs.Value(QStringLiteral("NamePerson"));
    const platform::Variant password = rs.Value(QStringLiteral("Password"));
    const platform::Variant type = rs.Value(QStringLiteral("TypeTest"));
    if (!name.IsNull() && !password.IsNull())
      rows.push_back({name.ToText(), password.ToText(), type.IsNull() ? QString() : type.ToText()});
    rs.MoveNext();
  }
  rs.Close();
  PersonList = std::move(rows);
}

bool frmEnterBox::BothBoxesEmpty() const { return txtInput[0]->text().isEmpty() && txtInput[1]->text().isEmpty(); }

int frmEnterBox::FindPerson() const {
  const QString name = txtInput[0]->text();
  const QString password = txtInput[1]->text();
  for (size_t i = 0; i < PersonList.size(); ++i)
    if (PersonList[i][0] == name && PersonList[i][1] == password) return static_cast<int>(i);
  return -1;
}

void frmEnterBox::cmdOK_Click() {
  GLOBAL::UserName = txtInput[0]->text();
  GLOBAL::UserPassword = txtInput[1]->text();
  if (!BothBoxesEmpty()) {
    const int row = FindPerson();
    if (row >= 0) {
      GLOBAL::LogOnAccepted = true;
      GLOBAL::UserType = PersonList[static_cast<size_t>(row)][2] == kAssessor ? kAssessor : kCandidate;
      Hide();
      return;
    }
  }
  GLOBAL::LogOnAccepted = false;
  Hide();
}

void frmEnterBox::cmdAdd_Click() {
  GLOBAL::UserName = txtInput[0]->text();
  GLOBAL::UserPassword = txtInput[1]->text();
  if (BothBoxesEmpty() || FindPerson() < 0) {
    platform::MsgBox(QStringLiteral("To add a new assessor, you must first enter an existing assessor "
                                    "name/password.\r\nPlease try again."),
                     platform::vbInformation, kInvalidTitle);
    return;
  }
  platform::MsgBox(
      QStringLiteral("Correct assessor name/password.\r\nPlease enter now the NEW assessor name and password."),
      platform::vbOKOnly + platform::vbQuestion, QStringLiteral("Enter new assessor name/password"));
  cmdOK->hide();
  cmdAdd->hide();
  cmdConfirm->show();
  txtInput[0]->clear();
  txtInput[1]->clear();
  txtInput[0]->setFocus();
}

void frmEnterBox::cmdConfirm_Click() {
  if (txtInput[0]->text().isEmpty() || txtInput[1]->text().isEmpty()) {
    platform::MsgBox(QStringLiteral("Please enter an valid new assessor name/password."), platform::vbInformation,
                     kInvalidTitle);
    return;
  }
  GLOBAL::UserName = txtInput[0]->text();
  GLOBAL::UserPassword = txtInput[1]->text();
  platform::DataControl& data = Data();
  data.CommandType = platform::adCmdUnknown;
  data.Parameters.clear();
  data.RecordSource = QStringLiteral("TestList");
  data.Refresh();
  platform::Recordset& rs = *data.GetRecordset();
  // An empty table has no last row to move to; the new row is appended all the same.
  if (rs.RecordCount() > 0) rs.MoveLast();
  rs.AddNew();
  rs.SetValue(QStringLiteral("NamePerson"), GLOBAL::UserName);
  rs.SetValue(QStringLiteral("Password"), GLOBAL::UserPassword);
  rs.SetValue(QStringLiteral("TypeTest"), kAssessor);
  rs.Update();
  rs.Close();
  GLOBAL::LogOnAccepted = true;
  Hide();
}

void frmEnterBox::Form_QueryUnload(int& cancel, int unloadMode) {
  (void)cancel;
  (void)unloadMode;
  GLOBAL::LogOnAccepted = false;
}

}  // namespace stepbrowser

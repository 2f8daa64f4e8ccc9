#include "stepbrowser/frmMain.h"

#include "platform/forms/Dialogs.h"
#include "platform/values/Edition.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"
#include "shared/Databases.h"
#include "shared/GLOBAL.h"
#include "shared/frmPicOverSize.h"
#include "stepbrowser/GLOBAL.h"

// The resource function lives in the global namespace.
static void RegisterStepBrowserPictures() { Q_INIT_RESOURCE(stepbrowser_images); }

namespace stepbrowser {

using platform::Variant;
using platform::VbError;

namespace {

// The design sizes of the controls (twips).
constexpr double kMinHeight = 8415;
constexpr double kMinWidth = 11715;
constexpr double kUpDownWidth = 345;
constexpr double kUpDownHeight = 600;
constexpr double kStepBoxWidth = 660;
constexpr double kStepBoxHeight = 600;
constexpr double kExitWidth = 1140;
constexpr double kExitHeight = 660;
constexpr int kStepNumberPoints = 14;

// The step text's paragraphs stand off both edges of the box.
constexpr int kStepIndent = 210;

// A field's position, found as Value finds it by name (error 3265 when absent).
int FieldPosition(const platform::Recordset& rs, const QString& name) {
  for (int i = 0; i < rs.FieldCount(); ++i)
    if (platform::CompareText(rs.FieldName(i), name) == 0) return i;
  platform::Raise(platform::err::ItemNotFound,
                  QStringLiteral("Item cannot be found in the collection corresponding to the requested name or "
                                 "ordinal."));
}
}  // namespace

frmMain::frmMain(QWidget* parent) : Form(parent) {
  RegisterStepBrowserPictures();
  setObjectName(QStringLiteral("frmMain"));
  SetCaption(QStringLiteral(" Browsing section"));
  QWidget* client = Client();

  imgBackGround = new QLabel(client);
  imgBackGround->setObjectName(QStringLiteral("imgBackGround"));
  imgBackGround->setScaledContents(true);

  auto mouseDown = [this](void (frmMain::*handler)(int, int, double, double)) {
    return [this, handler](int button, int shift, double x, double y) {
      platform::RunHandler([&] { (this->*handler)(button, shift, x, y); });
    };
  };
  picPicture = new platform::PictureBox(client);
  picPicture->setObjectName(QStringLiteral("picPicture"));
  picPicture->SetToolTipText(QStringLiteral("Right-click = separate window"));
  picPicture->MouseDown = mouseDown(&frmMain::picPicture_MouseDown);
  imgPicture = new platform::ImageBox(client);
  imgPicture->setObjectName(QStringLiteral("imgPicture"));
  imgPicture->SetToolTipText(QStringLiteral("Right-click = separate window"));
  imgPicture->MouseDown = mouseDown(&frmMain::imgPicture_MouseDown);

  rtfAnswer = new platform::RichTextBox(client);
  rtfAnswer->setObjectName(QStringLiteral("rtfAnswer"));
  platform::Move(rtfAnswer, 120, 5200, 10000, 3100);
  connect(rtfAnswer, &platform::RichTextBox::MouseUp, this, [this](int button, int shift, double x, double y) {
    platform::RunHandler([&] { rtfAnswer_MouseUp(button, shift, x, y); });
  });

  updStep = new platform::UpDown(client);
  updStep->setObjectName(QStringLiteral("updStep"));
  platform::Move(updStep, 10500, 6900, kUpDownWidth, kUpDownHeight);
  // Before the first activation no step is shown; it shows step 1 itself.
  updStep->Change = [this] {
    if (Activated) platform::RunHandler([&] { updStep_Change(); });
  };

  txtStepNum = new platform::TextBox(client);
  txtStepNum->setObjectName(QStringLiteral("txtStepNum"));
  txtStepNum->SetToolTipText(QStringLiteral("Enter step number"));
  txtStepNum->setAlignment(Qt::AlignCenter);
  QFont numberFont = txtStepNum->font();
  numberFont.setPointSize(kStepNumberPoints);
  numberFont.setBold(true);
  txtStepNum->setFont(numberFont);
  platform::Move(txtStepNum, 10850, 6900, kStepBoxWidth, kStepBoxHeight);
  txtStepNum->Change = [this] { platform::RunHandler([&] { txtStepNum_Change(); }); };
  txtStepNum->GotFocus = [this] { platform::RunHandler([&] { txtStepNum_GotFocus(); }); };
  txtStepNum->LostFocus = [this] { platform::RunHandler([&] { txtStepNum_LostFocus(); }); };
  txtStepNum->KeyPress = [this](int& keyAscii) { platform::RunHandler([&] { txtStepNum_KeyPress(keyAscii); }); };

  cmdExit = new QPushButton(client);
  cmdExit->setObjectName(QStringLiteral("cmdExit"));
  cmdExit->setText(QStringLiteral("Exit"));
  cmdExit->setToolTip(QStringLiteral("Exit the program"));
  platform::Move(cmdExit, 10500, 7600, kExitWidth, kExitHeight);
  connect(cmdExit, &QPushButton::clicked, this, [this] { platform::RunHandler([&] { cmdExit_Click(); }); });

  mnuAction = new shared::FontSizeMenu(this, QStringLiteral("Pop up menu"), GLOBAL::TextFontSize,
                                       {[this](int points) { rtfAnswer->SetFontSize(points); }});

  setTabOrder(rtfAnswer, updStep);
  setTabOrder(updStep, txtStepNum);
  setTabOrder(txtStepNum, cmdExit);

  auto visible = [this] { return isVisible(); };
  auto folder = [] { return GLOBAL::AppFolder; };
  shared::AttachDataControlError(adoAccMainTest, visible, folder, shared::kTrainingDatabase);
  shared::AttachDataControlError(adoAccess, visible, folder, shared::kTrainingDatabase);
}

frmMain::~frmMain() = default;

void frmMain::Form_Load() {
  // 1: the edition's look
  const bool mm = platform::EditionCode() == QLatin1String("MM");
  const platform::ImageList& images = mm ? ilsMM : ilsOOW;
  const QString prefix = mm ? QStringLiteral("mm") : QStringLiteral("oow");
  txtStepNum->SetBackColor(mm ? QColor(255, 172, 40) : QColor(251, 159, 60));
  imgBackGround->setPixmap(images.ListImage(prefix + QStringLiteral("FormBackdrop")));
  const QPixmap exitFace = images.ListImage(prefix + QStringLiteral("Exit"));
  cmdExit->setIcon(QIcon(exitFace));
  cmdExit->setIconSize(exitFace.size());
  cmdExit->setText(QString());
  // 2
  SetHeight(kMinHeight);
  SetWidth(kMinWidth);
  SetLeft((platform::Screen::Width() - Width()) / 2);
  SetTop(0.005 * platform::Screen::Height());
  // 3
  GLOBAL::TextFontSize = 8;
  // 4
  if (GLOBAL::CommandLine.isEmpty()) {
    platform::MsgBox(QStringLiteral("No table name given to the program.") + platform::vbCrLf +
                         QStringLiteral("Sorry, the program will be closed."),
                     platform::vbCritical, QStringLiteral(" Error"));
    Unload();
    return;
  }
  GLOBAL::StepTableName = GLOBAL::CommandLine;
  // 5
  GLOBAL::AppFolder = platform::AppFolderFrom(platform::ProgramFolder());

  try {
    // 6, 7
    DatabaseStep(
        [&] {
          shared::ConnectTrainingDatabase(adoAccMainTest, GLOBAL::AppFolder);
          adoAccMainTest.CommandType = platform::adCmdUnknown;
          // The collation makes the order the one the binary search compares by.
          adoAccMainTest.RecordSource =
              QStringLiteral("Select DBName, DBDescription from TableList order by DBName collate %1")
                  .arg(QLatin1String(platform::kTextCollation));
          adoAccMainTest.Parameters.clear();
          adoAccMainTest.Refresh();
        },
        false);
    // 8
    DatabaseStep(
        [&] {
          platform::Recordset& rs = *adoAccMainTest.GetRecordset();
          const int n = platform::CInt(rs.RecordCount());
          TableNames.assign(static_cast<std::size_t>(n) + 1, QString());
          TableDescriptions.assign(static_cast<std::size_t>(n) + 1, QString());
          for (std::size_t i = 1; !rs.IsEOF() && i <= static_cast<std::size_t>(n); ++i) {
            TableNames[i] = rs.Value(QStringLiteral("DBName")).ToText();
            TableDescriptions[i] = rs.Value(QStringLiteral("DBDescription")).ToText();
            rs.MoveNext();
          }
          rs.Close();
        },
        false);
  } catch (const Abandoned&) {
    return;
  }
  // 9, 10
  const int k = shared::GLOBAL::BinarySearchText(GLOBAL::StepTableName, TableNames);
  const QString edition = QStringLiteral(" QVRV 5 ") + (mm ? QStringLiteral("MM") : QStringLiteral("OOW"));
  CaptionBase = k != -1 ? edition + QStringLiteral(": section ") + TableDescriptions[static_cast<std::size_t>(k)] +
                              QStringLiteral(" ")
                        : edition + QStringLiteral(": Step by Step");
  SetCaption(CaptionBase);
  // 11: Enter in the step box must not end the program.
  SetBackColor(GLOBAL::FormBackColour);
  cmdExit->setAutoDefault(false);
  cmdExit->setDefault(false);
  // 12
  rtfAnswer->setVisible(true);
  cmdExit->setVisible(true);
  updStep->setVisible(true);
  txtStepNum->setVisible(true);
  picPicture->setVisible(false);
  imgPicture->setVisible(false);
  // 13
  try {
    LoadStepTable();
  } catch (const Abandoned&) {
  }
}

void frmMain::DatabaseStep(const std::function<void()>& step, bool resetPointer) {
  for (;;) {
    try {
      step();
      return;
    } catch (const VbError& e) {
      if (resetPointer) platform::Screen::SetMousePointer(platform::vbDefault);
      if (shared::RecoverDatabaseStep(e, GLOBAL::AppFolder, shared::kTrainingDatabase) == shared::Recovery::Retry)
        continue;
      Unload();  // ends the program
      throw Abandoned{};
    }
  }
}

void frmMain::Refuse(const QString& reason, bool resetPointer) {
  // The busy pointer would stand over the message's button.
  if (resetPointer) platform::Screen::SetMousePointer(platform::vbDefault);
  platform::MsgBox(reason + platform::vbCrLf + QStringLiteral("Sorry, the program will be closed."), platform::vbCritical,
                   QStringLiteral(" Error"));
  Unload();  // ends the program
  throw Abandoned{};
}

void frmMain::LoadStepTable() {
  // 1, 2
  platform::Screen::SetMousePointer(platform::vbHourglass);
  // 3: the version record must be there, though nothing of it is shown.
  DatabaseStep(
      [&] {
        shared::ConnectTrainingDatabase(adoAccMainTest, GLOBAL::AppFolder);
        adoAccMainTest.CommandType = platform::adCmdTableDirect;
        adoAccMainTest.RecordSource = QStringLiteral("TableID");
        adoAccMainTest.Parameters.clear();
        adoAccMainTest.Refresh();
        platform::Recordset& rs = *adoAccMainTest.GetRecordset();
        (void)rs.Value(QStringLiteral("VersionMain"));
        (void)rs.Value(QStringLiteral("VersionSec"));
        (void)rs.Value(QStringLiteral("Description"));
        rs.Close();
      },
      true);
  // 4: the name comes from the command line, so it is bound, never pasted.
  DatabaseStep(
      [&] {
        adoAccMainTest.CommandType = platform::adCmdUnknown;
        adoAccMainTest.RecordSource = QStringLiteral("Select * from TableList where DBName = ? collate %1")
                                          .arg(QLatin1String(platform::kTextCollation));
        adoAccMainTest.Parameters = {Variant(GLOBAL::StepTableName)};
        adoAccMainTest.Refresh();
      },
      true);
  if (adoAccMainTest.GetRecordset()->RecordCount() != 1)
    Refuse(QStringLiteral("No valid table name given to the program."), true);
  // 5
  int questionParts = 0;
  QString picturePrefix;
  DatabaseStep(
      [&] {
        platform::Recordset& rs = *adoAccMainTest.GetRecordset();
        questionParts = rs.Value(QStringLiteral("QuestionParts")).ToInteger();
        (void)rs.Value(QStringLiteral("QuestionPic")).ToBoolean();
        (void)rs.Value(QStringLiteral("AnswerPic")).ToBoolean();
        const Variant picName = rs.Value(QStringLiteral("PicName"));
        picturePrefix = picName.IsNull() ? kNoPicture : picName.ToText();
        rs.Close();
      },
      true);
  // 6
  if (questionParts != -1) Refuse(QStringLiteral("No valid table name. Not a step by step table."), true);
  // 7: the table's name is quoted as a name, whatever it holds.
  DatabaseStep(
      [&] {
        adoAccMainTest.CommandType = platform::adCmdUnknown;
        adoAccMainTest.RecordSource = QStringLiteral("Select * from ") +
                                      platform::QuoteIdentifier(GLOBAL::StepTableName) +
                                      QStringLiteral(" order by ID");
        adoAccMainTest.Parameters.clear();
        adoAccMainTest.Refresh();
        Steps.assign(static_cast<std::size_t>(adoAccMainTest.GetRecordset()->RecordCount()) + 1, {});
      },
      true);
  // 8
  int n = 0;
  DatabaseStep(
      [&] {
        platform::Recordset& rs = *adoAccMainTest.GetRecordset();
        n = 0;
        // The fields are looked up once, not on every row.
        const int stepField = FieldPosition(rs, QStringLiteral("Step"));
        const int idField = picturePrefix != kNoPicture ? FieldPosition(rs, QStringLiteral("ID")) : -1;
        for (; !rs.IsEOF(); rs.MoveNext()) {
          const Variant step = rs.Value(stepField);
          if (step.IsNull()) continue;
          n = platform::CInt(static_cast<double>(n) + 1);  // steps are counted in 16 bits
          auto& row = Steps[static_cast<std::size_t>(n)];
          row[0] = step.ToText();
          row[1] = idField >= 0 ? picturePrefix + QStringLiteral("_") + rs.Value(idField).ToText() : kNoPicture;
        }
        rs.Close();
      },
      true);
  // 9
  StepCount = n;
  updStep->SetMin(1);
  updStep->SetMax(n);
  updStep->SetValue(1);
  // As many digits as the last step's number has: 3 from 100 steps on.
  txtStepNum->SetMaxLength(static_cast<int>(QString::number(n).size()));
  FitStepNumberFont();
  // 10
  if (n == 0) Refuse(QStringLiteral("Invalid table."), true);
  // 11
  platform::Screen::SetMousePointer(platform::vbDefault);
}

// The design's 14 points leave room for two digits; a longer number gets
// the largest size below that which shows it whole, whatever the font.
void frmMain::FitStepNumberFont() {
  QFont font = txtStepNum->font();
  for (int points = kStepNumberPoints; points > 1; --points) {
    font.setPointSize(points);
    bool fits = true;
    for (char16_t digit = u'0'; digit <= u'9' && fits; ++digit)
      fits = txtStepNum->ShowsWhole(QString(txtStepNum->MaxLength(), QChar(digit)), font);
    if (fits) break;
  }
  txtStepNum->setFont(font);
}

void frmMain::Form_Activate() {
  if (Activated) return;
  Activated = true;
  platform::RunHandler([&] { updStep_Change(); });
  // A first picture too large for this window stands in the picture window.
  if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().SetFocus();
}

void frmMain::Form_Resize() {
  if (WindowState() == platform::vbMinimized) return;
  platform::RunHandler([&] {
    // 1
    if (Height() < kMinHeight) SetHeight(kMinHeight);
    if (Width() < kMinWidth) SetWidth(kMinWidth);
    const double H = platform::RoundHalfEven(ScaleHeight());
    const double W = platform::RoundHalfEven(ScaleWidth());
    // 2
    imgBackGround->setVisible(false);
    platform::Move(imgBackGround, 0, 0, W, H);
    imgBackGround->setVisible(true);
    imgBackGround->lower();
    // 3 to 6
    platform::SetHeight(rtfAnswer, 0.37 * H);
    platform::SetWidth(rtfAnswer, 0.97 * W - platform::Width(updStep) - platform::Width(txtStepNum));
    platform::SetLeft(rtfAnswer, 0.01 * W);
    platform::SetTop(rtfAnswer, 0.99 * H - platform::Height(rtfAnswer));
    const double textRight = platform::Left(rtfAnswer) + platform::Width(rtfAnswer);
    // 7, 8: the Exit button centred in the strip right of the text
    platform::SetLeft(cmdExit, (textRight + W - platform::Width(cmdExit)) / 2);
    platform::SetTop(cmdExit, 0.98 * H - platform::Height(cmdExit));
    // 9 to 12
    platform::SetLeft(updStep, textRight + 0.01 * W);
    platform::SetTop(updStep, platform::Top(cmdExit) - platform::Height(updStep) - 0.02 * H);
    platform::SetLeft(txtStepNum, platform::Left(updStep) + 1.01 * platform::Width(updStep));
    platform::SetTop(txtStepNum, platform::Top(updStep));
    // 13, 14
    UpperAreaHeight = static_cast<long>(platform::RoundHalfEven(platform::Top(rtfAnswer) - 0.01 * H));
    SideAreaHeight = UpperAreaHeight;
    UpperAreaWidth = static_cast<long>(platform::RoundHalfEven(0.98 * W));
    SideAreaWidth = UpperAreaWidth;
    // 15
    if (CurrentStep > 0) ShowStepPicture(ShownPictureName);
  });
}

void frmMain::Form_Unload(int& cancel) {
  (void)cancel;
  for (platform::DataControl* control : {&adoAccMainTest, &adoAccess})
    if (control->GetRecordset()) control->DetachRecordset();
  // Every other window, the most recently loaded first.
  const std::vector<platform::Form*> loaded = Form::Forms();
  for (auto it = loaded.rbegin(); it != loaded.rend(); ++it)
    if (*it != this) (*it)->Unload();
  platform::End();
}

void frmMain::cmdExit_Click() { Unload(); }

void frmMain::updStep_Change() {
  CurrentStep = updStep->Value();
  if (shared::frmPicOverSize::Visible()) shared::frmPicOverSize::Instance().Hide();
  rtfAnswer->SetTextRTF(QString());
  SetCaption(CaptionBase + QStringLiteral("> step ") + QString::number(CurrentStep));
  const auto& step = Steps[static_cast<std::size_t>(CurrentStep)];
  CurrentStepText = step[0];
  CurrentPictureName = step[1];
  ShowStepText();
  ShowStepPicture(CurrentPictureName);
}

void frmMain::ShowStepText() {
  rtfAnswer->SetTextRTF(CurrentStepText);
  rtfAnswer->SetSelStart(0);
  rtfAnswer->SetSelLength(static_cast<int>(CurrentStepText.size()));
  rtfAnswer->SetSelIndent(kStepIndent);
  rtfAnswer->SetSelRightIndent(kStepIndent);
  rtfAnswer->SetSelFontSize(GLOBAL::TextFontSize);
  rtfAnswer->SetSelStart(0);
}

shared::PictureSite frmMain::PictureSite() {
  shared::PictureSite site;
  site.mode = shared::PictureMode::Step;
  site.owner = this;
  site.picPicture = picPicture;
  site.imgPicture = imgPicture;
  site.AppFolder = GLOBAL::AppFolder;
  site.FormWidth = Width();
  site.UpperAreaHeight = UpperAreaHeight;
  site.UpperAreaWidth = UpperAreaWidth;
  site.SideAreaHeight = SideAreaHeight;
  site.SideAreaWidth = SideAreaWidth;
  site.ShownPictureName = &ShownPictureName;
  return site;
}

void frmMain::ShowStepPicture(const QString& pictureName) { shared::ShowPicture(PictureSite(), pictureName); }

void frmMain::picPicture_MouseDown(int Button, int Shift, double X, double Y) {
  shared::picPicture_MouseDown(PictureSite(), Button, Shift, X, Y);
}

void frmMain::imgPicture_MouseDown(int Button, int Shift, double X, double Y) {
  shared::imgPicture_MouseDown(PictureSite(), Button, Shift, X, Y);
}

void frmMain::txtStepNum_KeyPress(int& KeyAscii) {
  const bool accepted = (KeyAscii >= '0' && KeyAscii <= '9') || KeyAscii == 8 || KeyAscii == 46 || KeyAscii == 45;
  if (!accepted) {
    KeyAscii = 0;
    return;
  }
  // A one-character box takes the key in place of what it held.
  if (txtStepNum->MaxLength() == 1) txtStepNum->SetText(QString(QChar(KeyAscii)));
}

void frmMain::txtStepNum_Change() {
  const QString text = txtStepNum->Text();
  if (text.isEmpty()) {
    txtStepNum->SetFocus();
    return;
  }
  const double n = platform::RoundHalfEven(platform::Val(text));
  if (n > updStep->Max() || n < 1) {
    txtStepNum->SetText(QString());
    return;
  }
  updStep->SetValue(static_cast<int>(n));
}

void frmMain::txtStepNum_GotFocus() {
  txtStepNum->SetSelStart(0);
  txtStepNum->SetSelLength(txtStepNum->MaxLength());
}

void frmMain::txtStepNum_LostFocus() {
  if (txtStepNum->Text().isEmpty()) txtStepNum->SetText(QStringLiteral("0"));
}

void frmMain::rtfAnswer_MouseUp(int Button, int Shift, double X, double Y) {
  (void)Shift;
  if (Button != 2) return;
  const QPoint at(platform::TwipsToPixels(X), platform::TwipsToPixels(Y));
  mnuAction->PopupMenu(rtfAnswer->mapToGlobal(at));
}

}  // namespace stepbrowser

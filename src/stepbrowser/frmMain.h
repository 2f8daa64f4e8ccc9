#pragma once
// Varnok's main window. Loading it checks the step table named on the
// command line and reads all of its steps; from the first activation on it
// shows one step at a time: the rich text in the bottom band, the picture
// above it, the up/down arrows and the step-number box beside the text.
#include <QLabel>
#include <QPushButton>
#include <array>
#include <functional>
#include <vector>

#include "platform/data/Data.h"
#include "platform/forms/Form.h"
#include "platform/forms/ImageList.h"
#include "platform/forms/Picture.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/forms/TextBox.h"
#include "platform/forms/UpDown.h"
#include "shared/FontSizeMenu.h"
#include "shared/PictureDisplay.h"

namespace stepbrowser {

// The marker of a step without a picture.
inline const QString kNoPicture = QStringLiteral("~NO~");

class frmMain : public platform::Form {
  Q_OBJECT

 public:
  explicit frmMain(QWidget* parent = nullptr);
  ~frmMain() override;

  // Controls.
  platform::RichTextBox* rtfAnswer;
  platform::TextBox* txtStepNum;
  platform::UpDown* updStep;
  QLabel* imgBackGround;
  QPushButton* cmdExit;
  platform::PictureBox* picPicture;
  platform::ImageBox* imgPicture;
  shared::FontSizeMenu* mnuAction;  // "Pop up menu"
  platform::DataControl adoAccMainTest;  // every read of the training database
  platform::DataControl adoAccess;       // the log-on dialog's
  platform::ImageList ilsOOW{QStringLiteral("ilsOOW")};
  platform::ImageList ilsMM{QStringLiteral("ilsMM")};

  // Start-up results.
  bool Activated = false;
  QString CaptionBase;
  std::vector<QString> TableNames;         // [0] empty; 1 .. N in DBName order
  std::vector<QString> TableDescriptions;  // same indices
  // Row k (1 .. StepCount): the step's rich text and its picture name.
  std::vector<std::array<QString, 2>> Steps;
  int StepCount = 0;

  // The largest picture placed in the window (twips), set by the layout.
  long UpperAreaHeight = 0;
  long SideAreaHeight = 0;
  long UpperAreaWidth = 0;
  long SideAreaWidth = 0;

  // The step view.
  long CurrentStep = 0;
  QString CurrentStepText;
  QString CurrentPictureName;
  QString ShownPictureName;

  // Event handlers.
  void Form_Load() override;
  void Form_Activate() override;
  void Form_Resize() override;
  void Form_Unload(int& cancel) override;
  void cmdExit_Click();
  void updStep_Change();
  void txtStepNum_Change();
  void txtStepNum_GotFocus();
  void txtStepNum_KeyPress(int& KeyAscii);
  void txtStepNum_LostFocus();
  void rtfAnswer_MouseUp(int Button, int Shift, double X, double Y);
  void picPicture_MouseDown(int Button, int Shift, double X, double Y);
  void imgPicture_MouseDown(int Button, int Shift, double X, double Y);

 private:
  struct Abandoned {};

  void LoadStepTable();
  void FitStepNumberFont();
  void ShowStepText();
  void ShowStepPicture(const QString& pictureName);
  // What the shared picture display needs of this window at this moment.
  shared::PictureSite PictureSite();

  // Runs one database step of the start-up; a file confirmed in the
  // recovery runs it again, anything else unloads the window.
  void DatabaseStep(const std::function<void()>& step, bool resetPointer);
  // The start-up's refusal: the message, then the end of the program.
  [[noreturn]] void Refuse(const QString& reason, bool resetPointer);
};

}  // namespace stepbrowser

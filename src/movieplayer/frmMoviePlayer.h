#pragma once
// The front-end's movie window: plays one movie file, paused at its first
// frame when it opens, with its title, playing time and total length, a
// position bar, and buttons for play, pause, rewind, normal size, clip
// volume, mute and close. StartMovie shows it modally.
#include <QLabel>
#include <QPoint>
#include <QPushButton>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "platform/forms/Picture.h"
#include "movieplayer/MciOperations.h"
#include "platform/forms/Form.h"
#include "platform/forms/Timer.h"

class QFrame;

namespace movieplayer {

class frmMoviePlayer : public platform::Form {
 public:
  // Without operations the window uses the platform's media control and mixer.
  explicit frmMoviePlayer(MciOperations* operations = nullptr, QWidget* parent = nullptr);
  ~frmMoviePlayer() override;

  // Shows the movie at Filename (a full path) and returns when the window closes.
  void StartMovie(const QString& Filename);
  // The computer's master volume in percent; True when it was set.
  bool SetMasterVolume(std::int32_t VolumeLevel);

  // The playing time and the total length as minutes:seconds ("01:15").
  static QString PlayingTimeText(double seconds);
  static QString TotalTimeText(double seconds);
  // The file name of MoviePath up to its first "." (the whole name without one).
  QString GetMovieTitle() const;

  // Controls.
  QFrame* FrameVideo;
  QFrame* FrameBlank;
  QLabel* LbTitle;
  QFrame* FrameTime;
  QLabel* Lbcaption;
  QLabel* LbCurrentTime;
  QLabel* lbTimeDivider;
  QLabel* LbTotalTime;
  platform::ImageBox* imgPosition;
  platform::ImageBox* imgPosBar;
  QFrame* FrameControls;
  QPushButton* CmdPlay;
  QPushButton* CmdPause;
  QPushButton* CmdClose;
  QPushButton* cmdRewind;
  QPushButton* cmdNormalSize;
  std::array<QPushButton*, 2> cmdVolume;
  QPushButton* cmdMute;
  platform::Timer* TimerAtEndFile;

  // Fields.
  QString MoviePath;
  QString TotalFramesText;
  QString FramesPerSecondText;
  QString CurrentFrameText;
  QString ElapsedSecondsText;
  std::int32_t VideoWidth = 0;
  std::int32_t VideoHeight = 0;
  QPoint CursorPos;
  bool DraggingKnob = false;
  QString LastMciResult;
  std::int16_t ClipVolume = 0;
  bool MasterVolumeMode = false;
  bool Muted = false;

  // Event handlers.
  void CmdPlay_Click();
  void CmdPause_Click();
  void cmdRewind_Click();
  void cmdNormalSize_Click();
  void CmdClose_Click();
  void TimerAtEndFile_Timer();
  void imgPosBar_MouseDown(int Button, int Shift, double X, double Y);
  void imgPosBar_MouseMove(int Button, int Shift, double X, double Y);
  void imgPosBar_MouseUp(int Button, int Shift, double X, double Y);
  void imgPosition_Click();
  void cmdVolume_Click(int Index);
  void cmdMute_Click();

 protected:
  void Form_Load() override;
  void Form_Resize() override;
  void Form_Unload(int& Cancel) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void OpenMovie();
  void CloseMovie();
  // The controls as designed: a window loaded again starts from them.
  void ApplyDesign();
  bool VideoSizeKnown() const;
  // The picture at Normal Size, pixels: the video's own size where the
  // window, framed, fits the screen's available area with it; else the
  // largest size of the same proportions that does.
  QSize FittedPicture() const;
  // The window at Normal Size, and the smallest it can be made: the picture
  // (never narrower than the buttons) above the controls; a picture size the
  // device does not know gives the designed window.
  double VideoAreaWidth() const;
  double VideoAreaHeight() const;
  // Width with the window manager's frame.
  double OuterWidth() const;
  // What the window manager's frame adds to the window, pixels: the most it
  // has added in any state (a maximised window loses its borders, and Qt
  // learns of the change after the window's new size); before it has framed
  // this window, what it added to the program's other windows.
  QSize FrameExtent() const;
  void NoteFrame();
  // Once the window manager has framed the window it opened, the frame is
  // brought within the screen's available area.
  void KeepOnScreen();
  // The frame the knob's place stands for.
  std::int32_t KnobFrame() const;
  // Puts the knob under the pointer during a drag.
  void FollowPointer();
  void ShowPlay(bool visible, bool enabled);
  void ShowPause(bool visible, bool enabled);

  std::unique_ptr<MciOperations> ownOperations_;
  MciOperations* mci_;
  double gripX_ = 0;  // where in the knob the drag took hold, twips
  bool placing_ = false;  // shown, and not yet seen framed
  QSize largestFrame_;
};

}  // namespace movieplayer

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

 private:
  void OpenMovie();
  void CloseMovie();
  // The controls as designed: a window loaded again starts from them.
  void ApplyDesign();
  bool VideoSizeKnown() const;
  // The window at Normal Size, and the smallest it can be made: the video
  // at its own size (never narrower than the buttons) above the controls; a
  // picture size the device does not know gives the designed window.
  double VideoAreaWidth() const;
  double VideoAreaHeight() const;
  // Width with the window manager's frame.
  double OuterWidth() const;
  // The frame the knob's place stands for.
  std::int32_t KnobFrame() const;
  // Puts the knob under the pointer during a drag.
  void FollowPointer();
  void ShowPlay(bool visible, bool enabled);
  void ShowPause(bool visible, bool enabled);

  std::unique_ptr<MciOperations> ownOperations_;
  MciOperations* mci_;
  double gripX_ = 0;  // where in the knob the drag took hold, twips
};

}  // namespace movieplayer

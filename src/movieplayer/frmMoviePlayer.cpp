#include "movieplayer/frmMoviePlayer.h"

#include <QApplication>
#include <QCursor>
#include <QFrame>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "platform/forms/Dialogs.h"
#include "platform/media/MediaControl.h"
#include "platform/forms/Program.h"
#include "platform/forms/Twips.h"
#include "platform/values/VbValues.h"

namespace movieplayer {
namespace {

const QString kAlias = QStringLiteral("movie");
const QString kDeviceType = QStringLiteral("MPEGVideo");
const QString kChannel = QStringLiteral("BothChannels");

// The window below the video: title line, position bar and buttons (the
// window manager's frame, where there is one, comes on top).
constexpr double kControlsHeight = 1500;
constexpr double kDesignWidth = 4680;
constexpr double kDesignHeight = 5370;
// The button frame's width: no window is narrower.
constexpr double kButtonFrameWidth = 4695;
constexpr int kFontSize = 8;
// The label boxes were measured for a narrower face than ours; at 7 points
// the texts fit them as they did at 8 there.
constexpr int kLabelFontSize = 7;

const QColor kOrange(255, 128, 0);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);

void Paint(QWidget* widget, const QColor& background, const QColor& text = QColor()) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, background);
  if (text.isValid()) palette.setColor(QPalette::WindowText, text);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetFontSize(QWidget* widget, int points) {
  QFont font = widget->font();
  font.setPointSize(points);
  widget->setFont(font);
}

void SetFace(QPushButton* button, const QColor& colour) {
  QPalette palette = button->palette();
  palette.setColor(QPalette::Button, colour);
  button->setPalette(palette);
}

// The position track: a sunken groove, 244 x 10 pixels.
QPixmap TrackPicture() {
  QPixmap picture(244, 10);
  picture.fill(QColor(192, 192, 192));
  QPainter painter(&picture);
  painter.setPen(QColor(128, 128, 128));
  painter.drawLine(0, 3, 243, 3);
  painter.drawLine(0, 3, 0, 6);
  painter.setPen(Qt::black);
  painter.drawLine(1, 4, 242, 4);
  painter.setPen(Qt::white);
  painter.drawLine(0, 6, 243, 6);
  painter.drawLine(243, 3, 243, 6);
  return picture;
}

// The knob: a raised block, 30 x 10 pixels.
QPixmap KnobPicture() {
  QPixmap picture(30, 10);
  picture.fill(QColor(192, 192, 192));
  QPainter painter(&picture);
  painter.setPen(Qt::white);
  painter.drawLine(0, 0, 28, 0);
  painter.drawLine(0, 0, 0, 8);
  painter.setPen(QColor(128, 128, 128));
  painter.drawLine(1, 8, 28, 8);
  painter.drawLine(28, 1, 28, 8);
  painter.setPen(Qt::black);
  painter.drawLine(0, 9, 29, 9);
  painter.drawLine(29, 0, 29, 9);
  painter.drawLine(14, 2, 14, 6);
  return picture;
}

QFrame* NewFrame(QWidget* parent, const QColor& colour) {
  auto* frame = new QFrame(parent);
  frame->setFrameShape(QFrame::NoFrame);
  Paint(frame, colour);
  return frame;
}

QLabel* NewLabel(QWidget* parent, const QString& caption) {
  auto* label = new QLabel(caption, parent);
  Paint(label, Qt::black, kRed);
  SetFontSize(label, kLabelFontSize);
  return label;
}

QPushButton* NewButton(QWidget* parent, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  SetFontSize(button, kFontSize);
  button->setAutoDefault(false);
  return button;
}

// Minutes and seconds, two digits at least: the minutes from the rounded
// time, the seconds what is left of it (never below 0).
QString MinutesSeconds(double seconds, double (*roundSeconds)(double)) {
  const auto minutes = static_cast<std::int64_t>(platform::Fix(platform::RoundHalfEven(seconds) / 60.0));
  const auto rest = static_cast<std::int64_t>(std::max(0.0, roundSeconds(seconds - 60.0 * static_cast<double>(minutes))));
  return QStringLiteral("%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(rest, 2, 10, QLatin1Char('0'));
}

double RoundAwayFromZero(double value) { return std::round(value); }

}  // namespace

frmMoviePlayer::frmMoviePlayer(MciOperations* operations, QWidget* parent) : platform::Form(parent) {
  if (operations == nullptr) {
    ownOperations_ = std::make_unique<MciOperations>();
    operations = ownOperations_.get();
  }
  mci_ = operations;

  QWidget* client = Client();
  FrameVideo = NewFrame(client, kOrange);
  FrameBlank = NewFrame(client, Qt::black);
  LbTitle = NewLabel(FrameBlank, QString());
  FrameTime = NewFrame(client, Qt::black);
  Lbcaption = NewLabel(FrameTime, QStringLiteral("Playing Time :"));
  LbCurrentTime = NewLabel(FrameTime, QString());
  lbTimeDivider = NewLabel(FrameTime, QStringLiteral("/"));
  LbTotalTime = NewLabel(FrameTime, QString());
  imgPosition = new platform::ImageBox(client);
  imgPosition->SetPicture(platform::StdPicture(TrackPicture()));
  imgPosBar = new platform::ImageBox(client);
  imgPosBar->SetPicture(platform::StdPicture(KnobPicture()));
  FrameControls = NewFrame(client, kOrange);
  CmdPlay = NewButton(FrameControls, QStringLiteral("&Play"));
  CmdPause = NewButton(FrameControls, QStringLiteral("Pa&use"));
  CmdClose = NewButton(FrameControls, QStringLiteral("&Close"));
  cmdRewind = NewButton(FrameControls, QStringLiteral("&Rewind"));
  cmdNormalSize = NewButton(FrameControls, QStringLiteral("&Normal Size"));
  cmdVolume[0] = NewButton(FrameControls, QStringLiteral("- Volume"));
  cmdVolume[1] = NewButton(FrameControls, QStringLiteral("+ Volume"));
  cmdMute = NewButton(FrameControls, QStringLiteral("Mute"));
  TimerAtEndFile = new platform::Timer(this, 100);
  // The title line begins under the foot of the video frame: the picture
  // stays whole above it.
  FrameVideo->raise();

  SetCaption(QStringLiteral(" Tarrowby Movie Player"));
  SetBackColor(kOrange);
  SetFontSize(this, kFontSize);

  connect(CmdPlay, &QPushButton::clicked, this, [this] { CmdPlay_Click(); });
  connect(CmdPause, &QPushButton::clicked, this, [this] { CmdPause_Click(); });
  connect(CmdClose, &QPushButton::clicked, this, [this] { CmdClose_Click(); });
  connect(cmdRewind, &QPushButton::clicked, this, [this] { cmdRewind_Click(); });
  connect(cmdNormalSize, &QPushButton::clicked, this, [this] { cmdNormalSize_Click(); });
  connect(cmdVolume[0], &QPushButton::clicked, this, [this] { cmdVolume_Click(0); });
  connect(cmdVolume[1], &QPushButton::clicked, this, [this] { cmdVolume_Click(1); });
  connect(cmdMute, &QPushButton::clicked, this, [this] { cmdMute_Click(); });
  TimerAtEndFile->OnTimer = [this] { TimerAtEndFile_Timer(); };
  imgPosBar->MouseDown = [this](int b, int s, double x, double y) { imgPosBar_MouseDown(b, s, x, y); };
  imgPosBar->MouseMove = [this](int b, int s, double x, double y) { imgPosBar_MouseMove(b, s, x, y); };
  imgPosBar->MouseUp = [this](int b, int s, double x, double y) { imgPosBar_MouseUp(b, s, x, y); };
  imgPosition->Click = [this] { imgPosition_Click(); };

  ApplyDesign();
}

frmMoviePlayer::~frmMoviePlayer() {
  // A window that goes without being unloaded still lets go of its device.
  if (IsLoaded()) CloseMovie();
  TimerAtEndFile->SetEnabled(false);
  DraggingKnob = false;
}

void frmMoviePlayer::ApplyDesign() {
  SetWindowState(platform::vbNormal);
  SetWidth(kDesignWidth);
  SetHeight(kDesignHeight);
  platform::Move(FrameVideo, 0, 0, 4695, 3375);
  platform::Move(FrameBlank, 0, 3360, 3855, 430);
  platform::Move(LbTitle, 120, 195, 390, 195);
  LbTitle->setText(QStringLiteral("Title :"));
  platform::Move(FrameTime, 2160, 3360, 2595, 430);
  platform::Move(Lbcaption, 360, 195, 990, 195);
  Lbcaption->adjustSize();
  platform::Move(LbCurrentTime, 1440, 200, 435, 195);
  LbCurrentTime->clear();
  platform::Move(lbTimeDivider, 1905, 200, 165, 195);
  platform::Move(LbTotalTime, 2040, 200, 435, 195);
  LbTotalTime->clear();
  platform::Move(imgPosition, 480, 3960, 3690, 180);
  platform::Move(imgPosBar, 480, 3980, 450, 150);
  imgPosBar->raise();
  platform::Move(FrameControls, 0, 4440, 4695, 975);
  platform::Move(CmdPlay, 120, 120, 1035, 315);
  platform::Move(CmdPause, 120, 120, 1035, 315);
  platform::Move(CmdClose, 120, 480, 1035, 315);
  platform::Move(cmdRewind, 1200, 120, 1035, 315);
  platform::Move(cmdNormalSize, 1200, 480, 1035, 315);
  platform::Move(cmdVolume[0], 2400, 120, 1035, 315);
  platform::Move(cmdVolume[1], 3480, 120, 1035, 315);
  platform::Move(cmdMute, 2880, 480, 1035, 315);
  SetFontSize(cmdMute, kFontSize);
  SetFace(cmdMute, QApplication::palette().color(QPalette::Button));
  ShowPlay(true, true);
  ShowPause(false, true);
  TimerAtEndFile->SetEnabled(false);
  SetMousePointer(platform::vbDefault);
}

void frmMoviePlayer::StartMovie(const QString& Filename) {
  MoviePath = Filename;
  Show(1);
}

bool frmMoviePlayer::SetMasterVolume(std::int32_t VolumeLevel) { return mci_->SetMasterVolume(VolumeLevel); }

QString frmMoviePlayer::PlayingTimeText(double seconds) { return MinutesSeconds(seconds, platform::RoundHalfEven); }

QString frmMoviePlayer::TotalTimeText(double seconds) { return MinutesSeconds(seconds, RoundAwayFromZero); }

QString frmMoviePlayer::GetMovieTitle() const {
  const QString name = MoviePath.section(u'/', -1);
  const qsizetype dot = name.indexOf(u'.');
  return dot < 0 ? name : name.left(dot);
}

bool frmMoviePlayer::VideoSizeKnown() const { return VideoWidth > 0 && VideoHeight > 0; }

QSize frmMoviePlayer::FittedPicture() const {
  const QSize own(VideoWidth, VideoHeight);
  const QScreen* shownOn = screen();
  if (!VideoSizeKnown() || shownOn == nullptr) return own;
  const QRect area = shownOn->availableGeometry();
  const QSize frame = FrameExtent();
  const double roomWidth = area.width() - frame.width();
  const double roomHeight = area.height() - frame.height() - platform::TwipsToPixels(kControlsHeight);
  if (VideoWidth <= roomWidth && VideoHeight <= roomHeight) return own;
  const double scale = std::max(0.0, std::min(roomWidth / VideoWidth, roomHeight / VideoHeight));
  return QSize(std::max(1, static_cast<int>(std::floor(VideoWidth * scale))),
               std::max(1, static_cast<int>(std::floor(VideoHeight * scale))));
}

double frmMoviePlayer::VideoAreaWidth() const {
  return VideoSizeKnown() ? std::max(FittedPicture().width() * 15.0, kButtonFrameWidth) : kDesignWidth;
}

double frmMoviePlayer::VideoAreaHeight() const {
  return VideoSizeKnown() ? FittedPicture().height() * 15.0 + kControlsHeight : kDesignHeight;
}

QSize frmMoviePlayer::FrameExtent() const {
  const QSize own = largestFrame_.expandedTo(frameGeometry().size() - size());
  if (own.width() > 0 || own.height() > 0) return own;
  QSize widest(0, 0);
  for (const QWidget* other : QApplication::topLevelWidgets())
    if (other != this && other->isVisible()) widest = widest.expandedTo(other->frameGeometry().size() - other->size());
  return widest;
}

void frmMoviePlayer::showEvent(QShowEvent* event) {
  platform::Form::showEvent(event);
  placing_ = true;
  QTimer::singleShot(0, this, [this] { KeepOnScreen(); });
  // Without a window manager no frame ever comes.
  QTimer::singleShot(2000, this, [this] {
    KeepOnScreen();
    placing_ = false;
  });
}

void frmMoviePlayer::NoteFrame() { largestFrame_ = largestFrame_.expandedTo(frameGeometry().size() - size()); }

void frmMoviePlayer::moveEvent(QMoveEvent* event) {
  platform::Form::moveEvent(event);
  NoteFrame();
  // A window manager that frames the window moves it into the frame.
  if (placing_) KeepOnScreen();
}

void frmMoviePlayer::KeepOnScreen() {
  if (!placing_ || !isVisible() || WindowState() != platform::vbNormal || screen() == nullptr) return;
  const QRect area = screen()->availableGeometry();
  if (frameGeometry().width() > area.width() || frameGeometry().height() > area.height()) {
    SetWidth(VideoAreaWidth());
    SetHeight(VideoAreaHeight());
  }
  const QRect framed = frameGeometry();
  const int left = std::max(area.left(), std::min(framed.left(), area.right() + 1 - framed.width()));
  const int top = std::max(area.top(), std::min(framed.top(), area.bottom() + 1 - framed.height()));
  if (left != framed.left() || top != framed.top()) move(pos() + QPoint(left - framed.left(), top - framed.top()));
  if (frameGeometry() != geometry()) placing_ = false;
}

double frmMoviePlayer::OuterWidth() const {
  // The window manager's frame, where there is one and it says how wide.
  return Width() + platform::PixelsToTwips(frameGeometry().width() - geometry().width());
}

void frmMoviePlayer::Form_Load() {
  ApplyDesign();
  CloseMovie();
  OpenMovie();
  VideoWidth = mci_->MciGetDestinationSize(kAlias, QStringLiteral("cx"));
  VideoHeight = mci_->MciGetDestinationSize(kAlias, QStringLiteral("cy"));
  ClipVolume = 50;
  LastMciResult = mci_->MciSetVolume(kAlias, kChannel, 50);
  Muted = false;
  MasterVolumeMode = false;
  TotalFramesText = QString::number(mci_->MciGetLengthFrames(kAlias));
  LbTotalTime->setText(TotalTimeText(mci_->MciGetLengthMs(kAlias) / 1000.0));
  SetWidth(VideoAreaWidth());
  SetHeight(VideoAreaHeight());
  // Opened again at the size it had (the designed window of a sound, say),
  // the window gets no resize when it shows; its layout is due all the same.
  if (!testAttribute(Qt::WA_PendingResizeEvent)) Form_Resize();
}

void frmMoviePlayer::OpenMovie() {
  LastMciResult = mci_->MciOpenVideo(MoviePath, platform::MciWindowHandle(FrameVideo), kAlias, kDeviceType);
  FramesPerSecondText = QString::number(mci_->MciGetFramesPerSecond(kAlias));
  LbTitle->setText(QStringLiteral("Title : ") + GetMovieTitle());
  LbTitle->adjustSize();
  TimerAtEndFile->SetEnabled(true);
  LastMciResult = mci_->MciSeekAndPlay(kAlias, 0);
  LastMciResult = mci_->MciPause(kAlias);
}

void frmMoviePlayer::CloseMovie() {
  LastMciResult = mci_->MciClose(kAlias);
  if (LastMciResult == QLatin1String("Success")) TimerAtEndFile->SetEnabled(false);
}

void frmMoviePlayer::Form_Unload(int&) {
  CloseMovie();
  // The timer goes with the window, whatever the device answered.
  TimerAtEndFile->SetEnabled(false);
  DraggingKnob = false;
}

void frmMoviePlayer::Form_Resize() {
  NoteFrame();
  if (Width() <= VideoAreaWidth()) SetWidth(VideoAreaWidth());
  if (Height() <= VideoAreaHeight()) SetHeight(VideoAreaHeight());

  platform::SetWidth(FrameVideo, ScaleWidth());
  platform::SetHeight(FrameVideo, ScaleHeight() - 1500);
  platform::SetLeft(FrameVideo, ScaleWidth() / 2 - platform::Width(FrameVideo) / 2);

  platform::SetTop(FrameBlank, platform::Height(FrameVideo) - 120);
  platform::SetLeft(FrameBlank, platform::Left(FrameVideo));
  platform::SetWidth(FrameBlank, platform::Width(FrameVideo));

  platform::SetTop(FrameTime, platform::Height(FrameVideo) - 120);
  platform::SetLeft(FrameTime, platform::Left(FrameVideo) + platform::Width(FrameVideo) - platform::Width(FrameTime));

  // Centred on the outer width, as the original does.
  platform::SetTop(FrameControls, ScaleHeight() - platform::Height(FrameControls) + 100);
  platform::SetLeft(FrameControls, OuterWidth() / 2 - platform::Width(FrameControls) / 2);

  platform::SetTop(imgPosition, platform::Top(FrameBlank) + platform::Height(FrameBlank) + 100);
  platform::SetLeft(imgPosition, OuterWidth() / 2 - platform::Width(imgPosition) / 2);

  platform::SetTop(imgPosBar, platform::Top(imgPosition) + 10);
  platform::SetLeft(imgPosBar, platform::Left(imgPosition));

  // A picture narrower than the buttons keeps its share of the frame's
  // width, centred; any other fills the frame.
  std::int32_t left = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  const int pictureWidth = FittedPicture().width();
  if (VideoSizeKnown() && pictureWidth * 15.0 < kButtonFrameWidth) {
    width = static_cast<std::int32_t>(std::lround(FrameVideo->width() * pictureWidth * 15.0 / kButtonFrameWidth));
    height = FrameVideo->height();
    left = (FrameVideo->width() - width) / 2;
  }
  LastMciResult = mci_->MciPutWindow(platform::MciWindowHandle(FrameVideo), kAlias, left, 0, width, height);
}

void frmMoviePlayer::ShowPlay(bool visible, bool enabled) {
  CmdPlay->setVisible(visible);
  CmdPlay->setEnabled(enabled);
}

void frmMoviePlayer::ShowPause(bool visible, bool enabled) {
  CmdPause->setVisible(visible);
  CmdPause->setEnabled(enabled);
}

void frmMoviePlayer::CmdPlay_Click() {
  LastMciResult = mci_->MciPlayRange(kAlias, platform::NumberText(platform::Val(CurrentFrameText)), QStringLiteral("0"));
  if (LastMciResult == QLatin1String("Success")) {
    ShowPlay(false, false);
    ShowPause(true, true);
  }
}

void frmMoviePlayer::CmdPause_Click() {
  LastMciResult = mci_->MciPause(kAlias);
  if (LastMciResult == QLatin1String("Success")) {
    ShowPlay(true, true);
    ShowPause(false, false);
  }
}

void frmMoviePlayer::cmdRewind_Click() {
  LastMciResult = mci_->MciSeekAndPlay(kAlias, 0);
  LastMciResult = mci_->MciPause(kAlias);
  ShowPlay(true, true);
  ShowPause(false, false);
}

void frmMoviePlayer::cmdNormalSize_Click() {
  SetWindowState(platform::vbNormal);
  SetHeight(VideoAreaHeight());
  SetWidth(VideoAreaWidth());
}

void frmMoviePlayer::CmdClose_Click() { Unload(); }

void frmMoviePlayer::TimerAtEndFile_Timer() {
  const std::int32_t percent = mci_->MciGetPercentPlayed(kAlias);
  CurrentFrameText = QString::number(mci_->MciGetPosition(kAlias));
  const double current = platform::Val(CurrentFrameText);
  // Without a rate or a length (a movie the device could not measure) the
  // time stands at 0 and the knob at the start of the track.
  const double rate = platform::Val(FramesPerSecondText);
  ElapsedSecondsText = rate > 0 ? platform::NumberText(current / rate) : QStringLiteral("0");
  const double total = platform::Val(TotalFramesText);
  const double travel = platform::Width(imgPosition) - 450;
  platform::SetLeft(imgPosBar, (total > 0 ? platform::Int(current / total * travel) : 0) + platform::Left(imgPosition));
  LbCurrentTime->setText(PlayingTimeText(platform::Val(ElapsedSecondsText)));

  if (percent == 100) {
    ShowPlay(true, false);
    ShowPause(false, false);
  } else if (mci_->MciGetMode(kAlias) == QLatin1String("playing")) {
    ShowPlay(false, false);
    ShowPause(true, true);
  } else {
    ShowPlay(true, true);
    ShowPause(false, false);
  }
}

std::int32_t frmMoviePlayer::KnobFrame() const {
  const double total = platform::Val(TotalFramesText);
  const double share = (platform::Left(imgPosBar) - platform::Left(imgPosition)) / (platform::Width(imgPosition) - platform::Width(imgPosBar));
  return static_cast<std::int32_t>(platform::Int(total * share));
}

void frmMoviePlayer::FollowPointer() {
  SetMousePointer(platform::vbArrow);
  CursorPos = QCursor::pos();
  // The knob keeps the grip point under the pointer.
  platform::SetLeft(imgPosBar,
                    platform::PixelsToTwips(imgPosBar->parentWidget()->mapFromGlobal(CursorPos).x()) - gripX_);
}

void frmMoviePlayer::imgPosBar_MouseDown(int Button, int, double X, double) {
  if (Button != 1) return;
  DraggingKnob = true;
  gripX_ = X;
  QPointer<frmMoviePlayer> self(this);
  // The release (or the knob reaching an end) clears DraggingKnob; a window
  // unloaded meanwhile ends the drag too.
  while (self && DraggingKnob && IsLoaded()) {
    FollowPointer();
    platform::WaitForEvents(50);
  }
  if (self) DraggingKnob = false;
}

void frmMoviePlayer::imgPosBar_MouseMove(int, int, double, double) {
  // During a drag the knob first catches up with the pointer that moved, so
  // that the ends are judged where the knob is going, not where it was.
  if (DraggingKnob) FollowPointer();
  const double trackLeft = platform::Left(imgPosition);
  const double lastLeft = trackLeft + platform::Width(imgPosition) - platform::Width(imgPosBar);
  if (platform::Left(imgPosBar) <= trackLeft) {
    platform::SetLeft(imgPosBar, trackLeft);
    imgPosBar_MouseUp(1, 0, 0, 0);
  } else if (lastLeft <= platform::Left(imgPosBar)) {
    platform::SetLeft(imgPosBar, lastLeft);
    imgPosBar_MouseUp(1, 0, 0, 0);
  }
}

void frmMoviePlayer::imgPosBar_MouseUp(int, int, double, double) {
  const QString mode = mci_->MciGetMode(kAlias);
  const double trackLeft = platform::Left(imgPosition);
  const double lastLeft = trackLeft + platform::Width(imgPosition) - platform::Width(imgPosBar);
  if (platform::Left(imgPosBar) <= trackLeft) {
    platform::SetLeft(imgPosBar, trackLeft);
  } else if (platform::Left(imgPosBar) >= lastLeft) {
    platform::SetLeft(imgPosBar, lastLeft);
  }
  LastMciResult = mci_->MciSeekAndPlay(kAlias, KnobFrame());
  if (mode != QLatin1String("playing")) mci_->MciPause(kAlias);
  DraggingKnob = false;
}

void frmMoviePlayer::imgPosition_Click() {
  const QString mode = mci_->MciGetMode(kAlias);
  CursorPos = QCursor::pos();
  platform::SetLeft(imgPosBar, platform::PixelsToTwips(imgPosBar->parentWidget()->mapFromGlobal(CursorPos).x()));
  const double lastLeft = platform::Left(imgPosition) + platform::Width(imgPosition) - platform::Width(imgPosBar);
  if (lastLeft <= platform::Left(imgPosBar)) platform::SetLeft(imgPosBar, lastLeft);
  LastMciResult = mci_->MciSeekAndPlay(kAlias, KnobFrame());
  if (mode != QLatin1String("playing")) mci_->MciPause(kAlias);
}

void frmMoviePlayer::cmdVolume_Click(int Index) {
  if (Index != 0 && Index != 1) return;
  if (MasterVolumeMode) {
    ClipVolume = static_cast<std::int16_t>(Index == 0 ? std::max(0, ClipVolume - 10) : std::min(100, ClipVolume + 10));
    SetMasterVolume(ClipVolume);
    return;
  }
  if (Index == 0) {
    ClipVolume = static_cast<std::int16_t>(std::max(0, ClipVolume - 10));
    mci_->MciSetVolume(kAlias, kChannel, ClipVolume);
    return;
  }
  ClipVolume = static_cast<std::int16_t>(ClipVolume + 10);
  if (ClipVolume <= 100) {
    mci_->MciSetVolume(kAlias, kChannel, ClipVolume);
    return;
  }
  ClipVolume = 100;
  mci_->MciSetVolume(kAlias, kChannel, 100);
  const int answer = platform::MsgBox(QStringLiteral("The volume level for this clip is already at 100%\r"
                                                     "Do you wish to adjust the Master Volume"),
                                      platform::vbYesNo);
  if (answer != platform::vbYes) return;
  ClipVolume = 50;
  MasterVolumeMode = true;
  SetMasterVolume(50);
  platform::MsgBox(QStringLiteral("The volume control buttons will now adjust your computer's Master Volume\r"
                                  "The Master volume is currently set to 50%"),
                   platform::vbOKOnly);
}

void frmMoviePlayer::cmdMute_Click() {
  if (!Muted) {
    mci_->MciSetVolume(kAlias, kChannel, 0);
    Muted = true;
    platform::SetLeft(cmdMute, platform::Left(cmdMute) - 480);
    platform::SetWidth(cmdMute, platform::Width(cmdMute) + 1080);
    SetFace(cmdMute, kYellow);
    SetFontSize(cmdMute, 16);
  } else {
    // In master-volume mode the clip was left at full volume.
    mci_->MciSetVolume(kAlias, kChannel, MasterVolumeMode ? 100 : ClipVolume);
    Muted = false;
    SetFontSize(cmdMute, kFontSize);
    platform::SetLeft(cmdMute, platform::Left(cmdMute) + 480);
    platform::SetWidth(cmdMute, platform::Width(cmdMute) - 1080);
    SetFace(cmdMute, QApplication::palette().color(QPalette::Button));
  }
}

}  // namespace movieplayer

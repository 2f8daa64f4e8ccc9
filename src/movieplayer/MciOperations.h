#pragma once
// The movie player's media-control operations: each builds one or a few
// command texts for the media device, sends them and turns the answers into
// "Success" or an error text, a number (-1 on failure) or a mode word; and
// SetMasterVolume on the computer's mixer. The sender, the window-size lookup
// and the mixer can be replaced so that tests see the exact command texts.
#include <QSize>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/media/Mixer.h"

namespace movieplayer {

class MciOperations {
 public:
  // Sends one command; answers 0 or an error code, and the reply text.
  using Sender = std::function<int(const QString& command, QString* reply)>;
  using ErrorText = std::function<QString(int code)>;
  // The outer size of a window in pixels; 0 x 0 when there is no such window.
  using WindowSize = std::function<QSize(std::int32_t window)>;

  // The platform's media control, widget sizes and the ALSA mixer.
  MciOperations();
  // Stand-ins; the mixer is not owned and must outlive the operations.
  MciOperations(Sender send, ErrorText errorText, WindowSize windowSize, platform::Mixer* mixer);
  ~MciOperations();
  MciOperations(const MciOperations&) = delete;
  MciOperations& operator=(const MciOperations&) = delete;

  // Opens the movie at `moviePath` in the window `parent` (a handle from
  // platform::MciWindowHandle). The path goes in double quotes, so that blanks
  // do no harm; a double quote in it is doubled.
  QString MciOpenVideo(const QString& moviePath, std::int32_t parent, const QString& alias, const QString& deviceType);
  // A FROM of value 0 is sent as "0"; a TO of value 0 becomes the length in frames.
  QString MciPlayRange(const QString& alias, const QString& from, const QString& to);
  QString MciClose(const QString& alias);
  QString MciPause(const QString& alias);
  // The device's mode word ("playing", "paused", "stopped"), or "ERROR".
  QString MciGetMode(const QString& alias);
  // Leave the device in frame format.
  std::int32_t MciGetLengthFrames(const QString& alias);
  std::int32_t MciGetLengthMs(const QString& alias);
  // The result of the seek; the play is sent whatever the seek answered.
  QString MciSeekAndPlay(const QString& alias, std::int32_t position);
  std::int32_t MciGetPosition(const QString& alias);
  // A width or height of 0 puts the window's own size into both first.
  QString MciPutWindow(std::int32_t window, const QString& alias, std::int32_t left, std::int32_t top, std::int32_t& width,
                       std::int32_t& height);
  // 0..100; -1 when a query failed; 0 when the arithmetic fails (length 0).
  std::int32_t MciGetPercentPlayed(const QString& alias);
  // -1 when a query failed or the movie lasts 0 milliseconds.
  std::int32_t MciGetFramesPerSecond(const QString& alias);
  // sizeWord "cx" (width) or "cy" (height), any case; -1 for another word, a
  // failed query or a reply of fewer than four fields.
  std::int32_t MciGetDestinationSize(const QString& alias, const QString& sizeWord);
  // volume in percent 0..100, else "out of volume" and nothing is sent.
  QString MciSetVolume(const QString& alias, const QString& channel, std::int32_t volume);
  std::int32_t MciGetVolume(const QString& alias, const QString& channel);

  // Sets the master volume to VolumeLevel percent of its control's maximum.
  bool SetMasterVolume(std::int32_t VolumeLevel);

 private:
  QString ResultText(int code) const;
  // The leading number of a reply, rounded halves to even; -1 on failure.
  std::int32_t Query(const QString& command);

  Sender send_;
  ErrorText errorText_;
  WindowSize windowSize_;
  std::unique_ptr<platform::Mixer> ownMixer_;
  platform::Mixer* mixer_;
};

}  // namespace movieplayer

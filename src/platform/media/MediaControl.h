#pragma once
// Media control in the string form the movie player was written against:
// "open \"<path>\" type MPEGVideo Alias movie parent <handle> Style 1073741824",
// "status movie position", "setaudio movie Volume to 500", ... Devices are
// kept by alias and play on libmpv; a device opened with a parent window
// draws its picture in a child widget of it. Commands run on the
// user-interface thread only and complete before they return, except a seek:
// it returns at once, every later command finds the device at the place
// sought, and "status A ready" answers "false" until the picture is there.
#include <QString>
#include <QWidget>
#include <cstdint>

namespace platform {

// The device's answers other than 0, with the media control interface's numbers.
namespace mcierr {
constexpr int UnrecognizedKeyword = 259;
constexpr int UnrecognizedCommand = 261;
constexpr int InvalidDeviceName = 263;
constexpr int CannotLoadDriver = 266;
constexpr int MissingCommandString = 267;
constexpr int MissingStringArgument = 269;
constexpr int BadInteger = 270;
constexpr int MissingParameter = 273;
constexpr int FileNotFound = 275;
constexpr int DeviceNotReady = 276;
constexpr int OutOfRange = 282;
constexpr int DuplicateAlias = 289;
constexpr int MissingDeviceName = 292;
constexpr int BadTimeFormat = 293;
constexpr int NoClosingQuote = 294;
constexpr int InvalidFile = 296;
constexpr int CreateWindow = 347;
}  // namespace mcierr

// Carries out one command. Returns 0 or an error code; the reply of a status
// or where command goes to *reply (emptied for the other commands; may be null).
//
// Commands, keywords case-insensitive, numbers in the device's time format
// (a file of sound without a picture counts 25 frames a second):
//   open <path or "path"> [type MPEGVideo] [alias A] [parent H] [style S]
//     (in a quoted word "" stands for one double quote: "say ""cheese"".mpg")
//   close A | play A [from F] [to T] | pause A | seek A to N
//   set A time format frames|ms|milliseconds
//   status A mode|length|position|ready|volume|left volume|right volume
//   put A window at L T W H | where A destination
//   setaudio A [left|right] volume to V (0..1000)
int MciSendString(const QString& command, QString* reply);

// The text of an error code; 0 gives the text for a command carried out, an
// unknown code an empty text.
QString MciGetErrorString(int code);

// The audio output devices opened from now on use: "null" in tests, empty
// for libmpv's own choice; an output that writes a file ("pcm", what is
// played as WAVE) writes it to `file`.
void MciSetAudioOutput(const QString& driver, const QString& file = QString());

// The number that names a widget as a window in commands ("parent H"); the
// same number for the same widget, 0 for none. The widget keeps no native
// window for it.
std::int32_t MciWindowHandle(QWidget* widget);
// The widget of a handle; null when it is unknown or its widget has gone.
QWidget* MciWindowOfHandle(qint64 handle);

}  // namespace platform

#include "platform/media/MediaControl.h"

#include "platform/media/MpvLibrary.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QStringList>
#include <QThreadPool>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <clocale>
#include <cmath>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace platform {
namespace {

struct AudioOutputChoice {
  QString driver;
  QString file;
};

AudioOutputChoice& AudioOutput() {
  static AudioOutputChoice choice;
  return choice;
}

// Opening decodes the first picture; a slow disk or a software renderer can
// take a while. A seek that has not landed by its time-out counts as landed.
constexpr int kOpenTimeoutMs = 15000;
constexpr int kSeekTimeoutMs = 5000;
constexpr std::uint64_t kWatchPosition = 1;
constexpr std::uint64_t kFileOpened = 2;
// Seeks are numbered from here on, so that their answers are told apart.
constexpr std::uint64_t kFirstSeek = 1000;
// The largest picture the renderer draws; a larger window stretches it.
constexpr int kLargestPicture = 8192;
// A file with sound and no picture is counted in frames of this rate.
constexpr double kSoundFramesPerSecond = 25;

// Splits a command at blanks; a double-quoted piece is one word without its
// quotes, and in it two double quotes in a row stand for one.
int SplitWords(const QString& text, QStringList* words) {
  words->clear();
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n) {
    while (i < n && text.at(i).isSpace()) ++i;
    if (i >= n) break;
    if (text.at(i) == u'"') {
      QString word;
      for (++i;; ++i) {
        if (i >= n) return mcierr::NoClosingQuote;
        if (text.at(i) != u'"') {
          word += text.at(i);
        } else if (i + 1 < n && text.at(i + 1) == u'"') {
          word += u'"';
          ++i;
        } else {
          break;
        }
      }
      words->append(word);
      ++i;
    } else {
      const qsizetype start = i;
      while (i < n && !text.at(i).isSpace()) ++i;
      words->append(text.mid(start, i - start));
    }
  }
  return 0;
}

bool ParseInteger(const QString& word, qint64* value) {
  bool ok = false;
  *value = word.toLongLong(&ok, 10);
  return ok;
}

// Reads the words after the device name one keyword at a time.
class Words {
 public:
  Words(const QStringList& words, int first) : words_(words), at_(first) {}
  bool AtEnd() const { return at_ >= words_.size(); }
  bool Take(const char* keyword) {
    if (AtEnd() || words_.at(at_).compare(QLatin1String(keyword), Qt::CaseInsensitive) != 0) return false;
    ++at_;
    return true;
  }
  // The next word as a text argument; false when there is none.
  bool Text(QString* value) {
    if (AtEnd()) return false;
    *value = words_.at(at_++);
    return true;
  }
  // The next word as a whole number: 0, or the error to answer.
  int Integer(qint64* value) {
    if (AtEnd()) return mcierr::MissingParameter;
    if (!ParseInteger(words_.at(at_), value)) return mcierr::BadInteger;
    ++at_;
    return 0;
  }

 private:
  const QStringList& words_;
  int at_;
};

// Widgets named in commands by number, as window handles name windows.
std::map<std::int32_t, QPointer<QWidget>>& Handles() {
  // Kept to the very end: widgets may go after static objects have.
  static auto* handles = new std::map<std::int32_t, QPointer<QWidget>>;
  return *handles;
}

// The picture of a device: the frames libmpv's software renderer draws,
// stretched over this widget. It is an ordinary widget with no window of its
// own, so it draws wherever Qt draws: X11 with or without a compositor,
// Wayland, offscreen. When it goes (its parent closing before the device
// does), the player goes with it.
class VideoSurface : public QWidget {
 public:
  explicit VideoSurface(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }
  ~VideoSurface() override {
    if (onGone) onGone();
  }
  std::function<void()> onGone;
  QImage frame;  // its lines may be longer than the picture
  QSize picture;

  // The size in the screen's pixels.
  QSize Shown() const { return (QSizeF(size()) * devicePixelRatioF()).toSize(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    if (picture.isEmpty()) {
      painter.fillRect(rect(), Qt::black);
      return;
    }
    if (Shown() != picture) painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), frame, QRect(QPoint(0, 0), picture));
  }
};

// Draws libmpv's pictures on a thread of its own. After an open or a seek the
// player holds its own thread until the first picture has been taken, and
// every property read waits for that thread: drawn on the window's thread, a
// read made there before the drawing held both up (by libmpv's time-out of a
// fifth of a second, the picture then lost).
class PictureThread {
 public:
  // `drawn` is called on the thread when a new picture can be taken.
  PictureThread(mpv_render_context* render, std::function<void()> drawn)
      : render_(render), drawn_(std::move(drawn)), thread_([this] { Run(); }) {}
  ~PictureThread() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stop_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  // A new picture waits (`again` false), or the last one is wanted again.
  void Wake(bool again) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      (again ? again_ : fresh_) = true;
    }
    wake_.notify_one();
  }

  // The video's own size and the surface's; a picture larger than the
  // surface is drawn at the surface's size (scaled by libmpv, far cheaper
  // than by the painter), a smaller one at its own size, which the surface
  // stretches. An own size not known yet counts as the surface's.
  void SetSizes(QSize own, QSize shown) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (own == own_ && shown == shown_) return;
      own_ = own;
      shown_ = shown;
      again_ = true;
    }
    wake_.notify_one();
  }

  // The last picture drawn, once; false when none came since.
  bool Take(QImage* image, QSize* picture) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!published_) return false;
    published_ = false;
    *image = std::exchange(out_, QImage());
    *picture = outSize_;
    return true;
  }

 private:
  void Run() {
    for (;;) {
      bool again = false;
      QSize own, shown;
      {
        std::unique_lock<std::mutex> hold(lock_);
        wake_.wait(hold, [this] { return stop_ || fresh_ || again_; });
        if (stop_) return;
        again = again_;
        fresh_ = again_ = false;
        own = own_;
        shown = shown_;
      }
      if ((Mpv()->render_context_update(render_) & MPV_RENDER_UPDATE_FRAME) == 0 && !again) continue;
      const QSize picture = (own.isEmpty() ? shown : own.boundedTo(shown))
                                .boundedTo(QSize(kLargestPicture, kLargestPicture))
                                .expandedTo(QSize(1, 1));
      QImage& image = images_[next_];
      // Lines of a multiple of 64 bytes let the renderer work without copying.
      const int lineWidth = (picture.width() + 15) / 16 * 16;
      if (image.width() != lineWidth || image.height() != picture.height())
        image = QImage(lineWidth, picture.height(), QImage::Format_RGB32);
      int size[2] = {picture.width(), picture.height()};
      char format[] = "bgr0";  // QImage::Format_RGB32 in memory, the fourth byte unset
      std::size_t stride = static_cast<std::size_t>(image.bytesPerLine());
      int noWait = 0;
      // Without memory for the picture the frame is still taken, undrawn.
      int skip = image.isNull() ? 1 : 0;
      mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, size},
                                   {MPV_RENDER_PARAM_SW_FORMAT, format},
                                   {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                   {MPV_RENDER_PARAM_SW_POINTER, image.bits()},
                                   {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noWait},
                                   {MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                   {MPV_RENDER_PARAM_INVALID, nullptr}};
      if (Mpv()->render_context_render(render_, params) < 0 || skip != 0) continue;
      // The unset byte is the alpha of the image: make every pixel opaque.
      for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) line[x] |= 0xff000000u;
      }
      {
        std::lock_guard<std::mutex> hold(lock_);
        out_ = image;
        outSize_ = picture;
        published_ = true;
      }
      // The window may still show the other image; this one is drawn next.
      next_ ^= 1;
      drawn_();
    }
  }

  mpv_render_context* const render_;
  const std::function<void()> drawn_;
  std::mutex lock_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool fresh_ = false;
  bool again_ = false;
  QSize own_;
  QSize shown_;
  QImage out_;
  QSize outSize_;
  bool published_ = false;
  QImage images_[2];  // only the thread writes into them
  int next_ = 0;
  std::thread thread_;  // last: it starts once the rest is there
};

// Players being shut down. libmpv's shutdown waits for its threads (a seek
// under way, the audio output); a closing window need not wait with it.
QThreadPool& Shutdowns() {
  static auto* pool = new QThreadPool;
  return *pool;
}

// Turns of the picture a player must make itself; libmpv's software renderer
// cannot (a movie whose picture it is asked to turn by 90 degrees ends the
// program in an assertion), so it is given the frames upright. `degrees` is
// the stream's clockwise rotation.
QByteArray UprightFilter(qint64 degrees) {
  switch (((degrees + 45) / 90 % 4 + 4) % 4) {
    case 1: return "lavfi=[transpose=clock]";
    case 2: return "lavfi=[hflip,vflip]";
    case 3: return "lavfi=[transpose=cclock]";
    default: break;
  }
  return QByteArray();
}

// One open device: a libmpv player, paused at open, drawing its picture in a
// widget of its own (a child of the parent widget when there is one).
//
// A seek returns at once and libmpv gets there on its own threads; until it
// has, the device stands at the place sought for every command (a play waits
// for it), and "status ... ready" answers "false".
class Device : public QObject {
 public:
  enum class Mode { Stopped, Paused, Playing };

  ~Device() override { Shut(); }

  // False once the window it drew in has gone; only closing is left then.
  bool Alive() const { return mpv_ != nullptr; }

  static int Open(const QString& path, qint64 parent, std::unique_ptr<Device>* out) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) return mcierr::FileNotFound;
    QWidget* parentWidget = nullptr;
    if (parent != 0) {
      parentWidget = MciWindowOfHandle(parent);
      if (parentWidget == nullptr) return mcierr::CreateWindow;
    }
    std::unique_ptr<Device> device(new Device);
    // libmpv reads a leading "-", "file://" or "av://" its own way; an
    // absolute path is always the file itself.
    if (const int error = device->Start(QFileInfo(path).absoluteFilePath(), parentWidget); error != 0) return error;
    *out = std::move(device);
    return 0;
  }

  int Play(std::optional<qint64> from, std::optional<qint64> to) {
    Pump();
    const qint64 length = LengthUnits();
    if ((from && (*from < 0 || *from > length)) || (to && (*to < 0 || *to > length))) return mcierr::OutOfRange;
    if (from && to && *to < *from) return mcierr::OutOfRange;
    if (from) {
      if (const int error = SeekUnits(*from); error != 0) return error;
    }
    WatchBound(to && *to < length ? std::optional<qint64>(*to) : std::nullopt);
    mode_ = Mode::Playing;
    // The picture starts moving once the caller is back in the event loop, so
    // that a play followed at once by a pause (or a seek) leaves it where it was.
    if (!parkedAtEnd_) QueueStart();
    return 0;
  }

  int Pause() {
    Pump();
    startPending_ = false;
    WatchBound(std::nullopt);
    SetFlag("pause", true);
    // A sound that has not played since it was held stays where it was.
    if (!heldSeconds_) HoldSound(Double("time-pos"));
    mode_ = Mode::Paused;
    return 0;
  }

  int Seek(qint64 to) {
    Pump();
    if (to < 0 || to > LengthUnits()) return mcierr::OutOfRange;
    return SeekUnits(to);
  }

  bool Ready() {
    Pump();
    return !seek_;
  }

  void SetTimeFormat(bool milliseconds) { milliseconds_ = milliseconds; }

  QString ModeWord() {
    Pump();
    if (mode_ == Mode::Playing && AtEnd()) mode_ = Mode::Stopped;
    switch (mode_) {
      case Mode::Playing: return QStringLiteral("playing");
      case Mode::Paused: return QStringLiteral("paused");
      case Mode::Stopped: break;
    }
    return QStringLiteral("stopped");
  }

  qint64 LengthUnits() const {
    if (milliseconds_) return std::llround(Double("duration") * 1000.0);
    // However short, a sound lasts a frame: a length of 0 plays nothing.
    if (!picture_) {
      const double seconds = Double("duration");
      return seconds > 0 ? std::max<qint64>(1, std::llround(seconds * kSoundFramesPerSecond)) : 0;
    }
    const qint64 frames = Integer("estimated-frame-count");
    return frames > 0 ? frames : std::llround(Double("duration") * Double("container-fps"));
  }

  qint64 PositionUnits() {
    Pump();
    const qint64 length = LengthUnits();
    if (seek_) return std::clamp<qint64>(SeekTargetUnits(), 0, length);
    if (AtEnd()) return length;
    const double seconds = heldSeconds_.value_or(Double("time-pos"));
    const qint64 position = milliseconds_ ? std::llround(seconds * 1000.0)
                            : picture_    ? Integer("estimated-frame-number")
                                          : std::llround(seconds * kSoundFramesPerSecond);
    return std::clamp<qint64>(position, 0, length);
  }

  int Volume(int channel) const {  // -1 left, 1 right, 0 both
    if (channel < 0) return left_;
    if (channel > 0) return right_;
    return (left_ + right_) / 2;
  }

  int SetVolume(int channel, qint64 level) {
    if (level < 0 || level > 1000) return mcierr::OutOfRange;
    if (channel <= 0) left_ = static_cast<int>(level);
    if (channel >= 0) right_ = static_cast<int>(level);
    ApplyVolume();
    return 0;
  }

  int PutWindow(qint64 left, qint64 top, qint64 width, qint64 height) {
    if (width < 0 || height < 0 || width > 32767 || height > 32767 || std::abs(left) > 32767 || std::abs(top) > 32767)
      return mcierr::OutOfRange;
    destination_ = QRect(0, 0, static_cast<int>(width), static_cast<int>(height));
    if (surface_) surface_->setGeometry(static_cast<int>(left), static_cast<int>(top), destination_.width(), destination_.height());
    PassSizes();
    return 0;
  }

  QString Destination() const {
    return QStringLiteral("%1 %2 %3 %4").arg(destination_.left()).arg(destination_.top()).arg(destination_.width()).arg(destination_.height());
  }

 private:
  Device() = default;

  int Start(const QString& path, QWidget* parentWidget) {
    // libmpv refuses to start in a locale with a decimal comma.
    std::setlocale(LC_NUMERIC, "C");
    if (Mpv() == nullptr) return mcierr::CannotLoadDriver;
    mpv_ = Mpv()->create();
    if (mpv_ == nullptr) return mcierr::CannotLoadDriver;

    surface_ = new VideoSurface(parentWidget);
    surface_->onGone = [this] { ReleasePlayer(); };
    surface_->setGeometry(0, 0, 0, 0);

    // The frames come to us and we draw them (see VideoSurface).
    Option("vo", "libmpv");
    if (!AudioOutput().driver.isEmpty()) Option("ao", AudioOutput().driver.toUtf8());
    if (!AudioOutput().file.isEmpty()) Option("ao-pcm-file", QFile::encodeName(AudioOutput().file));
    // Without the cache exact seeks in MPEG program streams land late.
    Option("cache", "yes");
    Option("hr-seek", "yes");
    Option("keep-open", "yes");
    Option("idle", "yes");
    Option("pause", "yes");
    Option("keepaspect", "no");
    // A cover stored with the sound, or lying beside it, is no picture: the
    // file plays as sound.
    Option("audio-display", "no");
    Option("cover-art-auto", "no");
    // Without a sound output (no sound card) a sound plays on unheard, its
    // time running as a movie's does.
    Option("audio-fallback-to-null", "yes");
    // The renderer gets the frames as stored; a rotated movie is turned by a
    // filter set once the file is open, before its decoders are made.
    Option("video-rotate", "no");
    Option("config", "no");
    Option("load-scripts", "no");
    Option("osc", "no");
    Option("osd-level", "0");
    Option("input-default-bindings", "no");
    Option("input-vo-keyboard", "no");
    Option("input-cursor", "no");
    Option("cursor-autohide", "no");
    Option("terminal", "no");
    Option("ytdl", "no");
    if (Mpv()->initialize(mpv_) < 0) return mcierr::CannotLoadDriver;
    Mpv()->hook_add(mpv_, kFileOpened, "on_preloaded", 0);
    Mpv()->set_wakeup_callback(mpv_, &Device::Wakeup, this);
    char api[] = MPV_RENDER_API_TYPE_SW;
    mpv_render_param create[] = {{MPV_RENDER_PARAM_API_TYPE, api}, {MPV_RENDER_PARAM_INVALID, nullptr}};
    if (Mpv()->render_context_create(&render_, mpv_, create) < 0) {
      // Without a renderer the movie still plays, unseen.
      render_ = nullptr;
      Mpv()->set_property_string(mpv_, "vo", "null");
    } else {
      pictures_ = std::make_unique<PictureThread>(render_, [this] { PictureDrawn(); });
      Mpv()->render_context_set_update_callback(render_, &Device::RenderUpdate, this);
    }
    if (parentWidget != nullptr) surface_->show();

    const QByteArray file = QFile::encodeName(path);
    const char* load[] = {"loadfile", file.constData(), nullptr};
    if (Mpv()->command(mpv_, load) < 0) return mcierr::InvalidFile;
    QDeadlineTimer deadline(kOpenTimeoutMs);
    if (!WaitFor(MPV_EVENT_FILE_LOADED, deadline)) return loadFailed_ ? mcierr::InvalidFile : mcierr::DeviceNotReady;
    // The picture size is known once the first picture is decoded.
    if (!WaitFor(MPV_EVENT_PLAYBACK_RESTART, deadline)) return loadFailed_ ? mcierr::InvalidFile : mcierr::DeviceNotReady;
    picture_ = Integer("current-tracks/video/id") > 0;
    ReadOwnSize();
    destination_ = QRect(QPoint(0, 0), own_);
    surface_->setGeometry(destination_);
    PassSizes();
    mode_ = Mode::Stopped;
    return 0;
  }

  void ReadOwnSize() {
    own_ = QSize(static_cast<int>(std::clamp<qint64>(Integer("dwidth"), 0, 32767)),
                 static_cast<int>(std::clamp<qint64>(Integer("dheight"), 0, 32767)));
    PassSizes();
  }

  void PassSizes() {
    if (pictures_ && surface_) pictures_->SetSizes(own_, surface_->Shown());
  }

  void ReleasePlayer() {
    if (mpv_ == nullptr) return;
    // Nothing calls back into this object from here on.
    Mpv()->set_wakeup_callback(mpv_, nullptr, nullptr);
    if (render_ != nullptr) Mpv()->render_context_set_update_callback(render_, nullptr, nullptr);
    pictures_.reset();
    Shutdowns().start([mpv = mpv_, render = render_] {
      // The renderer goes first: libmpv requires it.
      if (render != nullptr) Mpv()->render_context_free(render);
      Mpv()->terminate_destroy(mpv);
    });
    render_ = nullptr;
    mpv_ = nullptr;
    seek_.reset();
  }

  void Shut() {
    if (surface_) surface_->onGone = nullptr;
    ReleasePlayer();
    // The parent takes its children with it; at exit widgets are left alone.
    if (surface_ && !QCoreApplication::closingDown()) delete surface_.data();
  }

  // Called by libmpv on a thread of its own when a picture is ready.
  static void RenderUpdate(void* context) { static_cast<Device*>(context)->pictures_->Wake(false); }

  // Called on the picture thread.
  void PictureDrawn() {
    if (!pictureQueued_.exchange(true))
      QMetaObject::invokeMethod(this, [this] {
        pictureQueued_ = false;
        if (pictures_ && surface_ && pictures_->Take(&surface_->frame, &surface_->picture)) surface_->update();
      }, Qt::QueuedConnection);
  }

  void Option(const char* name, const QByteArray& value) { Mpv()->set_option_string(mpv_, name, value.constData()); }

  double Double(const char* name) const {
    double value = 0;
    if (mpv_ == nullptr || Mpv()->get_property(mpv_, name, MPV_FORMAT_DOUBLE, &value) < 0) return 0;
    return value;
  }
  qint64 Integer(const char* name) const {
    std::int64_t value = 0;
    if (mpv_ == nullptr || Mpv()->get_property(mpv_, name, MPV_FORMAT_INT64, &value) < 0) return 0;
    return value;
  }
  bool Flag(const char* name) const {
    int value = 0;
    if (mpv_ == nullptr || Mpv()->get_property(mpv_, name, MPV_FORMAT_FLAG, &value) < 0) return false;
    return value != 0;
  }
  void SetFlag(const char* name, bool on) {
    if (mpv_ == nullptr) return;
    int value = on ? 1 : 0;
    Mpv()->set_property(mpv_, name, MPV_FORMAT_FLAG, &value);
  }

  // While a seek runs, libmpv's end-of-file flag still tells of the old place.
  bool AtEnd() const { return parkedAtEnd_ || (!seek_ && Flag("eof-reached")); }

  // The time of a position in the current format. A frame is reached from
  // half a frame before it, so that exact seeks land on it whichever way the
  // stream's time stamps are offset.
  double UnitsToSeconds(qint64 units) const {
    if (milliseconds_) return static_cast<double>(units) / 1000.0;
    if (!picture_) return std::max(0.0, static_cast<double>(units) / kSoundFramesPerSecond);
    const double fps = Double("container-fps");
    return fps > 0 ? std::max(0.0, (static_cast<double>(units) - 0.5) / fps) : 0.0;
  }

  // Where a sound stands while it does not play. libmpv counts the sound it
  // has queued for the output while paused as played: after a seek its
  // position lies up to a fifth of a second before the place sought.
  void HoldSound(double seconds) {
    if (!picture_) heldSeconds_ = std::max(0.0, seconds);
  }

  // Starts the picture moving once the caller is back in the event loop.
  void QueueStart() {
    if (startPending_) return;
    startPending_ = true;
    QMetaObject::invokeMethod(this, [this] { StartPlaying(); }, Qt::QueuedConnection);
  }

  void StartPlaying() {
    if (!startPending_) return;
    startPending_ = false;
    // A seek under way starts it when it lands.
    if (mode_ == Mode::Playing && !parkedAtEnd_ && !seek_) {
      heldSeconds_.reset();
      SetFlag("pause", false);
    }
  }

  int SeekUnits(qint64 units) {
    startPending_ = false;
    WatchBound(std::nullopt);
    SetFlag("pause", true);
    mode_ = Mode::Stopped;
    const bool toEnd = units >= LengthUnits();
    const double target = toEnd ? Double("duration") : UnitsToSeconds(units);
    HoldSound(target);
    const QByteArray seconds = QByteArray::number(target, 'f', 6);
    const char* seek[] = {"seek", seconds.constData(), "absolute+exact", nullptr};
    const std::uint64_t id = std::max(kFirstSeek, lastSeek_ + 1);
    if (Mpv()->command_async(mpv_, id, seek) < 0) return mcierr::DeviceNotReady;
    lastSeek_ = id;
    seek_ = SeekTarget{units, milliseconds_, false, QDeadlineTimer(kSeekTimeoutMs)};
    parkedAtEnd_ = toEnd;
    return 0;
  }

  void SeekLanded() {
    seek_.reset();
    if (mode_ == Mode::Playing && !parkedAtEnd_) QueueStart();
  }

  // The place sought, in the current time format.
  qint64 SeekTargetUnits() const {
    if (seek_->milliseconds == milliseconds_) return seek_->units;
    const double fps = picture_ ? Double("container-fps") : kSoundFramesPerSecond;
    if (fps <= 0) return 0;
    const double units = static_cast<double>(seek_->units);
    return std::llround(milliseconds_ ? units / fps * 1000.0 : units / 1000.0 * fps);
  }

  // A play that ends before the movie does: pause when the position gets there.
  void WatchBound(std::optional<qint64> to) {
    if (watching_) {
      Mpv()->unobserve_property(mpv_, kWatchPosition);
      watching_ = false;
    }
    boundSeconds_ = to ? std::optional<double>(UnitsToSeconds(*to)) : std::nullopt;
    if (boundSeconds_) {
      Mpv()->observe_property(mpv_, kWatchPosition, "time-pos", MPV_FORMAT_DOUBLE);
      watching_ = true;
    }
  }

  void ApplyVolume() {
    const int loudest = std::max(left_, right_);
    double volume = loudest / 10.0;
    Mpv()->set_property(mpv_, "volume", MPV_FORMAT_DOUBLE, &volume);
    // Unequal channels: the quieter side is turned down against the louder.
    QByteArray filter;
    if (left_ != right_ && loudest > 0 && Integer("audio-params/channel-count") == 2) {
      filter = "lavfi=[pan=stereo|c0=" + QByteArray::number(left_ / double(loudest), 'f', 4) + "*c0|c1=" +
               QByteArray::number(right_ / double(loudest), 'f', 4) + "*c1]";
    }
    Mpv()->set_property_string(mpv_, "af", filter.constData());
  }

  static void Wakeup(void* context) {
    auto* self = static_cast<Device*>(context);
    if (!self->pumpPending_.exchange(true))
      QMetaObject::invokeMethod(self, [self] { self->Pump(); }, Qt::QueuedConnection);
  }

  void Pump() {
    pumpPending_ = false;
    if (mpv_ == nullptr) return;
    for (;;) {
      mpv_event* event = Mpv()->wait_event(mpv_, 0);
      if (event->event_id == MPV_EVENT_NONE) break;
      Handle(event);
    }
    if (seek_ && seek_->deadline.hasExpired()) SeekLanded();
  }

  // Handles events until `wanted` arrives; false when the file failed or
  // time ran out. mpv_wait_event sleeps until an event comes.
  bool WaitFor(mpv_event_id wanted, const QDeadlineTimer& deadline) {
    for (;;) {
      const qint64 left = deadline.remainingTime();
      if (left <= 0) return false;
      mpv_event* event = Mpv()->wait_event(mpv_, static_cast<double>(left) / 1000.0);
      if (event->event_id == MPV_EVENT_NONE) continue;
      if (event->event_id == MPV_EVENT_END_FILE) {
        const auto* end = static_cast<mpv_event_end_file*>(event->data);
        if (end->reason == MPV_END_FILE_REASON_ERROR || end->reason == MPV_END_FILE_REASON_STOP) {
          loadFailed_ = true;
          return false;
        }
      }
      Handle(event);
      if (event->event_id == wanted) return true;
    }
  }

  // The first track that says how it is turned: the video track, as a rule.
  void TurnUpright() {
    const qint64 tracks = Integer("track-list/count");
    for (qint64 track = 0; track < tracks; ++track) {
      std::int64_t degrees = 0;
      const QByteArray name = "track-list/" + QByteArray::number(track) + "/demux-rotation";
      if (Mpv()->get_property(mpv_, name.constData(), MPV_FORMAT_INT64, &degrees) < 0) continue;
      if (const QByteArray filter = UprightFilter(degrees); !filter.isEmpty())
        Mpv()->set_property_string(mpv_, "vf", filter.constData());
      return;
    }
  }

  void Handle(mpv_event* event) {
    if (event->event_id == MPV_EVENT_HOOK && event->reply_userdata == kFileOpened) {
      TurnUpright();
      Mpv()->hook_continue(mpv_, static_cast<mpv_event_hook*>(event->data)->id);
      return;
    }
    if (event->event_id == MPV_EVENT_VIDEO_RECONFIG) ReadOwnSize();
    if (seek_) {
      // The seek is taken once its command is answered and begins with the
      // next seek event; the restart of the playback after that is at its
      // place. A restart before it ends an earlier seek, which it overtakes.
      if (event->event_id == MPV_EVENT_COMMAND_REPLY && event->reply_userdata == lastSeek_) {
        if (event->error < 0) SeekLanded();
        else seek_->taken = true;
      } else if (event->event_id == MPV_EVENT_SEEK && seek_->taken) {
        seek_->begun = true;
      } else if ((event->event_id == MPV_EVENT_PLAYBACK_RESTART && seek_->begun) ||
                 event->event_id == MPV_EVENT_END_FILE) {
        SeekLanded();
      }
      // Positions reported meanwhile are of the old place.
      return;
    }
    if (event->event_id != MPV_EVENT_PROPERTY_CHANGE || event->reply_userdata != kWatchPosition) return;
    const auto* property = static_cast<mpv_event_property*>(event->data);
    if (!boundSeconds_ || property->format != MPV_FORMAT_DOUBLE || mode_ != Mode::Playing) return;
    if (*static_cast<double*>(property->data) + 1e-6 >= *boundSeconds_) {
      SetFlag("pause", true);
      HoldSound(*static_cast<double*>(property->data));
      mode_ = Mode::Stopped;
      WatchBound(std::nullopt);
    }
  }

  struct SeekTarget {
    qint64 units;
    bool milliseconds;  // the time format of `units`
    bool taken;
    QDeadlineTimer deadline;
    bool begun = false;
  };

  mpv_handle* mpv_ = nullptr;
  mpv_render_context* render_ = nullptr;
  QPointer<VideoSurface> surface_;
  QRect destination_;
  Mode mode_ = Mode::Stopped;
  bool milliseconds_ = false;
  bool parkedAtEnd_ = false;
  bool loadFailed_ = false;
  bool picture_ = true;  // false for a file of sound alone
  bool watching_ = false;
  bool startPending_ = false;
  std::optional<double> boundSeconds_;
  std::optional<double> heldSeconds_;  // see HoldSound
  std::optional<SeekTarget> seek_;
  std::uint64_t lastSeek_ = 0;
  int left_ = 1000;
  int right_ = 1000;
  std::atomic<bool> pumpPending_{false};
  std::atomic<bool> pictureQueued_{false};
  std::unique_ptr<PictureThread> pictures_;
  QSize own_;  // the picture's own size
};

using DeviceMap = std::map<QString, std::unique_ptr<Device>>;

DeviceMap& Devices() {
  static DeviceMap* devices = [] {
    // Devices still open when the program ends are closed with the
    // application, and the program waits for their players to end.
    qAddPostRoutine([] {
      Devices().clear();
      Shutdowns().waitForDone();
    });
    return new DeviceMap;
  }();
  return *devices;
}

Device* Find(const QString& name) {
  const auto found = Devices().find(name.toLower());
  return found == Devices().end() ? nullptr : found->second.get();
}

int OpenCommand(const QStringList& words) {
  if (words.size() < 2) return mcierr::MissingDeviceName;
  const QString element = words.at(1);
  QString alias = element;
  qint64 parent = 0;
  Words rest(words, 2);
  while (!rest.AtEnd()) {
    if (rest.Take("type")) {
      QString type;
      if (!rest.Text(&type)) return mcierr::MissingStringArgument;
      if (type.compare(QLatin1String("MPEGVideo"), Qt::CaseInsensitive) != 0) return mcierr::InvalidDeviceName;
    } else if (rest.Take("alias")) {
      if (!rest.Text(&alias)) return mcierr::MissingStringArgument;
    } else if (rest.Take("parent")) {
      if (const int error = rest.Integer(&parent); error != 0) return error;
    } else if (rest.Take("style")) {
      qint64 style = 0;
      if (const int error = rest.Integer(&style); error != 0) return error;
    } else {
      return mcierr::UnrecognizedKeyword;
    }
  }
  if (Find(alias) != nullptr) return mcierr::DuplicateAlias;
  std::unique_ptr<Device> device;
  if (const int error = Device::Open(element, parent, &device); error != 0) return error;
  Devices()[alias.toLower()] = std::move(device);
  return 0;
}

int DeviceCommand(const QString& verb, const QStringList& words, QString* reply) {
  Device* device = Find(words.at(1));
  if (device == nullptr) return mcierr::InvalidDeviceName;
  Words rest(words, 2);

  if (verb == QLatin1String("close")) {
    if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
    Devices().erase(words.at(1).toLower());
    return 0;
  }
  if (!device->Alive()) return mcierr::DeviceNotReady;
  if (verb == QLatin1String("pause")) return rest.AtEnd() ? device->Pause() : mcierr::UnrecognizedKeyword;
  if (verb == QLatin1String("play")) {
    std::optional<qint64> from, to;
    while (!rest.AtEnd()) {
      qint64 value = 0;
      if (rest.Take("from")) {
        if (const int error = rest.Integer(&value); error != 0) return error;
        from = value;
      } else if (rest.Take("to")) {
        if (const int error = rest.Integer(&value); error != 0) return error;
        to = value;
      } else {
        return mcierr::UnrecognizedKeyword;
      }
    }
    return device->Play(from, to);
  }
  if (verb == QLatin1String("seek")) {
    if (!rest.Take("to")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
    qint64 to = 0;
    if (const int error = rest.Integer(&to); error != 0) return error;
    if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
    return device->Seek(to);
  }
  if (verb == QLatin1String("set")) {
    if (!(rest.Take("time") && rest.Take("format"))) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
    QString format;
    if (!rest.Text(&format)) return mcierr::MissingParameter;
    if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
    if (format.compare(QLatin1String("frames"), Qt::CaseInsensitive) == 0) {
      device->SetTimeFormat(false);
    } else if (format.compare(QLatin1String("ms"), Qt::CaseInsensitive) == 0 ||
               format.compare(QLatin1String("milliseconds"), Qt::CaseInsensitive) == 0) {
      device->SetTimeFormat(true);
    } else {
      return mcierr::BadTimeFormat;
    }
    return 0;
  }
  if (verb == QLatin1String("status")) {
    if (rest.AtEnd()) return mcierr::MissingParameter;
    QString answer;
    if (rest.Take("mode")) {
      answer = device->ModeWord();
    } else if (rest.Take("length")) {
      answer = QString::number(device->LengthUnits());
    } else if (rest.Take("position")) {
      answer = QString::number(device->PositionUnits());
    } else if (rest.Take("ready")) {
      answer = device->Ready() ? QStringLiteral("true") : QStringLiteral("false");
    } else if (rest.Take("volume")) {
      answer = QString::number(device->Volume(0));
    } else if (rest.Take("left") || rest.Take("right")) {
      const int channel = words.at(2).compare(QLatin1String("left"), Qt::CaseInsensitive) == 0 ? -1 : 1;
      if (!rest.Take("volume")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
      answer = QString::number(device->Volume(channel));
    } else {
      return mcierr::UnrecognizedKeyword;
    }
    if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
    if (reply != nullptr) *reply = answer;
    return 0;
  }
  if (verb == QLatin1String("put")) {
    if (!rest.Take("window")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
    if (!rest.Take("at")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
    qint64 box[4] = {};
    for (qint64& value : box) {
      if (const int error = rest.Integer(&value); error != 0) return error;
    }
    if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
    return device->PutWindow(box[0], box[1], box[2], box[3]);
  }
  if (verb == QLatin1String("where")) {
    if (!rest.Take("destination")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
    if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
    if (reply != nullptr) *reply = device->Destination();
    return 0;
  }
  // setaudio
  int channel = 0;
  if (rest.Take("left")) {
    channel = -1;
  } else if (rest.Take("right")) {
    channel = 1;
  }
  if (!rest.Take("volume")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
  if (!rest.Take("to")) return rest.AtEnd() ? mcierr::MissingParameter : mcierr::UnrecognizedKeyword;
  qint64 level = 0;
  if (const int error = rest.Integer(&level); error != 0) return error;
  if (!rest.AtEnd()) return mcierr::UnrecognizedKeyword;
  return device->SetVolume(channel, level);
}

}  // namespace

int MciSendString(const QString& command, QString* reply) {
  if (reply != nullptr) reply->clear();
  QStringList words;
  if (const int error = SplitWords(command, &words); error != 0) return error;
  if (words.isEmpty()) return mcierr::MissingCommandString;
  const QString verb = words.at(0).toLower();
  if (verb == QLatin1String("open")) return OpenCommand(words);
  static const QStringList deviceVerbs = {"close", "play", "pause", "seek", "set", "status", "put", "where", "setaudio"};
  if (!deviceVerbs.contains(verb)) return mcierr::UnrecognizedCommand;
  if (words.size() < 2) return mcierr::MissingDeviceName;
  return DeviceCommand(verb, words, reply);
}

QString MciGetErrorString(int code) {
  switch (code) {
    case 0: return QStringLiteral("The specified command was carried out.");
    case mcierr::UnrecognizedKeyword: return QStringLiteral("Unknown command parameter.");
    case mcierr::UnrecognizedCommand: return QStringLiteral("The specified command was not recognized.");
    case mcierr::InvalidDeviceName: return QStringLiteral("The specified device is not open or is not recognized.");
    case mcierr::CannotLoadDriver: return QStringLiteral("The media player could not be started.");
    case mcierr::MissingCommandString: return QStringLiteral("No command was given.");
    case mcierr::MissingStringArgument: return QStringLiteral("The command needs a text value that is missing.");
    case mcierr::BadInteger: return QStringLiteral("The specified integer is invalid for this command.");
    case mcierr::MissingParameter: return QStringLiteral("The specified command requires a parameter. Please supply one.");
    case mcierr::FileNotFound: return QStringLiteral("Cannot find the specified file. Make sure the path and filename are correct.");
    case mcierr::DeviceNotReady: return QStringLiteral("The device is not ready.");
    case mcierr::OutOfRange: return QStringLiteral("The specified parameter is out of range for the specified command.");
    case mcierr::DuplicateAlias: return QStringLiteral("The specified alias is already being used in this application. Use a unique alias.");
    case mcierr::MissingDeviceName: return QStringLiteral("The command needs a device name or alias.");
    case mcierr::BadTimeFormat: return QStringLiteral("The specified time format is not valid for this device.");
    case mcierr::NoClosingQuote: return QStringLiteral("A closing double-quotation mark is missing.");
    case mcierr::InvalidFile: return QStringLiteral("The specified file cannot be played on the specified device. The file may be corrupt or in a format the device does not know.");
    case mcierr::CreateWindow: return QStringLiteral("Cannot create or use the window for the video.");
    default: break;
  }
  return QString();
}

void MciSetAudioOutput(const QString& driver, const QString& file) { AudioOutput() = {driver, file}; }

std::int32_t MciWindowHandle(QWidget* widget) {
  if (widget == nullptr) return 0;
  static std::int32_t last = 0x10000;
  const QVariant known = widget->property("_mciHandle");
  if (known.isValid() && MciWindowOfHandle(known.toInt()) == widget) return known.toInt();
  last += 4;
  Handles()[last] = widget;
  widget->setProperty("_mciHandle", last);
  // A handle is forgotten with its widget.
  const std::int32_t handle = last;
  QObject::connect(widget, &QObject::destroyed, [handle] { Handles().erase(handle); });
  return handle;
}

QWidget* MciWindowOfHandle(qint64 handle) {
  const auto found = Handles().find(static_cast<std::int32_t>(handle));
  if (handle != static_cast<std::int32_t>(handle) || found == Handles().end()) return nullptr;
  return found->second.data();
}

}  // namespace platform

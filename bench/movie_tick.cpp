// The movie window while a movie plays: the cost of one 100 ms tick, the
// processor time of a 10-second playback with and without the tick, for the
// sample movie and for a 1080p one; and, on the 1080p movie with a key frame
// every 10 seconds, how long the window's thread is held by a knob release
// (the seek to a frame far from its key frame) and by a close during that seek.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <ctime>
#include <sys/resource.h>

#include "movieplayer/frmMoviePlayer.h"
#include "platform/forms/Twips.h"
#include "platform/media/MediaControl.h"

namespace {

QString g_movie;
QString g_hd;

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

double ProcessSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void RunEvents(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

// Runs events until the device has reached the place it was sent to.
void WaitUntilReady() {
  QDeadlineTimer deadline(10000);
  QString reply;
  while (!deadline.hasExpired() && platform::MciSendString(QStringLiteral("status movie ready"), &reply) == 0 &&
         reply != QLatin1String("true"))
    RunEvents(5);
}

void BM_OneTick(benchmark::State& state) {
  movieplayer::frmMoviePlayer player;
  player.MoviePath = g_movie;
  player.Show();
  player.TimerAtEndFile->SetEnabled(false);
  player.CmdPlay_Click();
  RunEvents(200);
  for (auto _ : state) player.TimerAtEndFile_Timer();
  player.Unload();
}
BENCHMARK(BM_OneTick)->Unit(benchmark::kMicrosecond);

// Arg 0: 1 the tick runs every 100 ms as in the window, 0 switched off.
// Arg 1: 0 the sample movie (352 x 288 MPEG-1), 1 the 1080p movie.
void BM_TenSecondPlayback(benchmark::State& state) {
  const bool tick = state.range(0) != 0;
  double gui = 0;
  double process = 0;
  for (auto _ : state) {
    movieplayer::frmMoviePlayer player;
    player.MoviePath = state.range(1) != 0 ? g_hd : g_movie;
    player.Show();
    player.TimerAtEndFile->SetEnabled(tick);
    player.CmdPlay_Click();
    const double gui0 = ThreadSeconds();
    const double process0 = ProcessSeconds();
    RunEvents(10000);
    gui = ThreadSeconds() - gui0;
    process = ProcessSeconds() - process0;
    player.Unload();
  }
  state.counters["gui_thread_cpu_pct"] = gui / 10.0 * 100.0;
  state.counters["process_cpu_pct"] = process / 10.0 * 100.0;
}
BENCHMARK(BM_TenSecondPlayback)
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// The knob put at `share` of its travel and released, as a user does.
void ReleaseKnobAt(movieplayer::frmMoviePlayer& player, double share) {
  platform::SetLeft(player.imgPosBar, platform::Left(player.imgPosition) + share * 3240);
  player.imgPosBar_MouseUp(1, 0, 0, 0);
}

// The time the window's thread spends in a knob release on the paused 1080p
// movie; each release goes 9 seconds past a key frame.
void BM_KnobRelease(benchmark::State& state) {
  movieplayer::frmMoviePlayer player;
  player.MoviePath = g_hd;
  player.Show();
  player.TimerAtEndFile->SetEnabled(false);
  bool second = false;
  for (auto _ : state) {
    QElapsedTimer held;
    held.start();
    ReleaseKnobAt(player, second ? 19.0 / 20.0 : 9.0 / 20.0);
    state.SetIterationTime(static_cast<double>(held.nsecsElapsed()) / 1e9);
    second = !second;
    WaitUntilReady();
  }
  player.Unload();
}
BENCHMARK(BM_KnobRelease)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

// The time a close takes right after such a release.
void BM_CloseDuringSeek(benchmark::State& state) {
  for (auto _ : state) {
    movieplayer::frmMoviePlayer player;
    player.MoviePath = g_hd;
    player.Show();
    player.TimerAtEndFile->SetEnabled(false);
    ReleaseKnobAt(player, 19.0 / 20.0);
    QElapsedTimer held;
    held.start();
    player.CmdClose_Click();
    state.SetIterationTime(static_cast<double>(held.nsecsElapsed()) / 1e9);
  }
}
BENCHMARK(BM_CloseDuringSeek)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

bool MakeMovie(const QString& path, const QStringList& spec) {
  const QString script = QStringLiteral(QVR_SOURCE_DIR "/content/make-sample-movie");
  return QProcess::execute(QStringLiteral("bash"), QStringList{script, path} + spec) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  platform::MciSetAudioOutput(QStringLiteral("null"));
  QTemporaryDir folder;
  g_movie = folder.filePath(QStringLiteral("ten seconds.mpg"));
  g_hd = folder.filePath(QStringLiteral("twenty seconds.mkv"));
  if (!MakeMovie(g_movie, {QStringLiteral("12")})) return 1;
  if (!MakeMovie(g_hd, {"20", "1920x1080", "25", "yes", "no", "0", "250"})) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

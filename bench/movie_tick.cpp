// The movie window's 100 ms tick while a movie plays: the cost of one tick,
// and the processor time of a 10-second playback with and without the tick.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <clocale>
#include <ctime>
#include <sys/resource.h>

#include "movieplayer/frmMoviePlayer.h"
#include "platform/media/MediaControl.h"

namespace {

QString g_movie;

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

// Arg 1: the tick runs every 100 ms as in the window; 0: switched off.
void BM_TenSecondPlayback(benchmark::State& state) {
  const bool tick = state.range(0) != 0;
  double gui = 0;
  double process = 0;
  for (auto _ : state) {
    movieplayer::frmMoviePlayer player;
    player.MoviePath = g_movie;
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
BENCHMARK(BM_TenSecondPlayback)->Arg(0)->Arg(1)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  platform::MciSetAudioOutput(QStringLiteral("null"));
  QTemporaryDir folder;
  g_movie = folder.filePath(QStringLiteral("ten seconds.mpg"));
  const QString script =
      QFileInfo(QStringLiteral(__FILE__)).dir().absoluteFilePath(QStringLiteral("../content/make-sample-movie"));
  if (QProcess::execute(QStringLiteral("bash"), {script, g_movie, QStringLiteral("12")}) != 0) return 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

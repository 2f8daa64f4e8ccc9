// Process start to the front-end's catalogue on screen, beside a bare Qt
// window's start, each measured as a whole child process of this program.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QWidget>
#include <clocale>
#include <cstdlib>

#include "../tests/frontend/CatalogFixture.h"
#include "frontend/frmMain.h"
#include "platform/Data.h"
#include "platform/Program.h"

extern char** environ;

namespace {

QString g_self;

void WriteCatalog(const QString& app, int groups, int perGroup) {
  std::vector<fixture::Row> rows;
  for (int g = 0; g < groups; ++g)
    for (int s = 0; s < perGroup; ++s)
      rows.push_back({QString("Group %1").arg(g, 3, 10, QChar('0')), QString("Section %1").arg(s), "ref", "CHM",
                      "x.chm", {}, {}, {}});
  fixture::WriteCatalog(fixture::CatalogPath(app), rows);
}

int RunChild(const char* mode, const char* app) {
  char* argv[] = {const_cast<char*>(g_self.toLocal8Bit().constData()), const_cast<char*>("--child"),
                  const_cast<char*>(mode), const_cast<char*>(app), nullptr};
  const QByteArray self = g_self.toLocal8Bit();
  argv[0] = const_cast<char*>(self.constData());
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Measure(benchmark::State& state, const char* mode, const QString& app) {
  const QByteArray a = app.toLocal8Bit();
  for (auto _ : state)
    if (RunChild(mode, a.constData()) != 0) state.SkipWithError("child failed");
}

struct Folders {
  QTemporaryDir sample, large;
  Folders() {
    WriteCatalog(sample.path(), 6, 5);
    WriteCatalog(large.path(), 100, 20);
  }
};

Folders* g_folders = nullptr;

void BM_BareWindow(benchmark::State& s) { Measure(s, "bare", ""); }
void BM_CorvantaSampleCatalogue(benchmark::State& s) { Measure(s, "corvanta", g_folders->sample.path()); }
void BM_Corvanta2000Sections(benchmark::State& s) { Measure(s, "corvanta", g_folders->large.path()); }

BENCHMARK(BM_BareWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CorvantaSampleCatalogue)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Corvanta2000Sections)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--child") {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (std::string(argv[2]) == "bare") {
      QWidget w;
      w.resize(800, 600);
      w.show();
      QApplication::processEvents();
    } else {
      Q_INIT_RESOURCE(frontend_images);
      platform::SetProgramFolder(QString::fromLocal8Bit(argv[3]));
      frontend::frmMain main;
      main.Show();  // start-up: database, tree, window
      QApplication::processEvents();
    }
    std::fflush(nullptr);
    std::_Exit(0);
  }
  QApplication app(argc, argv);
  g_self = QApplication::applicationFilePath();
  Folders folders;
  g_folders = &folders;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

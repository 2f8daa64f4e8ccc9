// Process start to the front-end's catalogue on screen, beside a bare Qt
// window's start, each measured as a whole child process of this program.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

#include "../tests/frontend/CatalogFixture.h"
#include "platform/data/Data.h"

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

// Runs a child program of this benchmark (built beside it) to its end.
int RunChild(const char* program, const QString& app) {
  const QByteArray path = (g_self + "/" + program).toLocal8Bit();
  const QByteArray folder = app.toLocal8Bit();
  char* argv[] = {const_cast<char*>(path.constData()), const_cast<char*>(folder.constData()), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Measure(benchmark::State& state, const char* program, const QString& app) {
  for (auto _ : state)
    if (RunChild(program, app) != 0) state.SkipWithError("child failed");
}

struct Folders {
  QTemporaryDir sample, large;
  Folders() {
    WriteCatalog(sample.path(), 6, 5);
    WriteCatalog(large.path(), 100, 20);
  }
};

Folders* g_folders = nullptr;

void BM_BareWindow(benchmark::State& s) { Measure(s, "bench_child_bare", ""); }
void BM_CorvantaSampleCatalogue(benchmark::State& s) { Measure(s, "bench_child_corvanta", g_folders->sample.path()); }
void BM_Corvanta2000Sections(benchmark::State& s) { Measure(s, "bench_child_corvanta", g_folders->large.path()); }

BENCHMARK(BM_BareWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_CorvantaSampleCatalogue)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Corvanta2000Sections)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  g_self = QApplication::applicationDirPath();
  Folders folders;
  g_folders = &folders;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Opening a user's Access (Jet) file, nwind.mdb (Jet 3, 3 MB), through the
// data layer and reading its Orders: the first time (the copy is built) and
// again (the copy comes from the cache), against the same data as a file of
// ours. And the memory the reading child takes for each test file and for
// the files QVR_BENCH_JET_FILES names (separated by ":"; big-jet-file.py
// beside this file makes a large valid one).
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>

#include "platform/data/Data.h"
#include "platform/data/JetFile.h"

using namespace platform;

namespace {

QString TestFolder() {
  for (const QString& folder : {QStringLiteral(QVR_SOURCE_DIR "/../shared/testdata"),
                                QStringLiteral("/work/shared/testdata")}) {
    if (QFileInfo::exists(folder + "/jet/nwind.mdb")) return folder + "/jet";
  }
  return QString();
}

QString Nwind() { return TestFolder().isEmpty() ? QString() : TestFolder() + "/nwind.mdb"; }

void OpenAndRead(const QString& path) {
  Connection c;
  c.ConnectionString = JetConnectionString(path, "korvinel");
  c.Mode = adModeRead;
  c.Open();
  Recordset rs;
  rs.Open(c, "Orders");
  benchmark::DoNotOptimize(rs.RecordCount());
}

struct Files {
  QTemporaryDir cache;
  QString nwind = Nwind();
  QString ours = cache.filePath("nwind-ours.mdb");
  Files() {
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    if (nwind.isEmpty()) return;
    OpenAndRead(nwind);
    // The copy the layer made is the same data as a file of ours.
    const QString folder = jet::CacheFolder();
    QFile::copy(folder + u'/' + QDir(folder).entryList(QDir::Files).value(0), ours);
  }
  void ClearCache() const { QDir(jet::CacheFolder()).removeRecursively(); }
};

Files& Shared() {
  static Files files;
  return files;
}

void BM_NwindFirstOpen(benchmark::State& state) {
  if (Shared().nwind.isEmpty()) return state.SkipWithError("no nwind.mdb in ../shared/testdata/jet");
  for (auto _ : state) {
    state.PauseTiming();
    Shared().ClearCache();
    state.ResumeTiming();
    OpenAndRead(Shared().nwind);
  }
}
BENCHMARK(BM_NwindFirstOpen)->Unit(benchmark::kMillisecond);

void BM_NwindFromCache(benchmark::State& state) {
  if (Shared().nwind.isEmpty()) return state.SkipWithError("no nwind.mdb in ../shared/testdata/jet");
  OpenAndRead(Shared().nwind);
  for (auto _ : state) OpenAndRead(Shared().nwind);
}
BENCHMARK(BM_NwindFromCache)->Unit(benchmark::kMillisecond);

void BM_SameDataAsOurFile(benchmark::State& state) {
  if (Shared().nwind.isEmpty()) return state.SkipWithError("no nwind.mdb in ../shared/testdata/jet");
  for (auto _ : state) OpenAndRead(Shared().ours);
}
BENCHMARK(BM_SameDataAsOurFile)->Unit(benchmark::kMillisecond);

// Opens the file read-only from an empty cache in a process of its own and
// gives the most the reading child held resident, and what that process
// held when it started the reader (the child starts with its pages), in KiB;
// the latter negative when the file could not be read.
std::pair<long, long> ReaderMemory(const QString& path) {
  int channel[2];
  if (pipe(channel) != 0) return {-1, -1};
  const pid_t pid = fork();
  if (pid == 0) {
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", cache.path().toLocal8Bit());
    rusage self{};
    getrusage(RUSAGE_SELF, &self);
    long held[2] = {0, self.ru_maxrss};
    try {
      Connection c;
      c.ConnectionString = JetConnectionString(path, "");
      c.Mode = adModeRead;
      c.Open();
    } catch (...) {
      held[1] = -held[1];  // a damaged file: the reader gave up
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    held[0] = children.ru_maxrss;
    const ssize_t n = write(channel[1], held, sizeof held);
    _exit(n == sizeof held ? 0 : 1);
  }
  close(channel[1]);
  long held[2] = {-1, -1};
  if (read(channel[0], held, sizeof held) != sizeof held) held[0] = held[1] = -1;
  close(channel[0]);
  waitpid(pid, nullptr, 0);
  return {held[0], held[1]};
}

void BM_ReaderMemory(benchmark::State& state, const QString& path) {
  std::pair<long, long> held;
  for (auto _ : state) held = ReaderMemory(path);
  if (held.first < 0) return state.SkipWithError("no process for the reader");
  state.counters["reader_MiB"] = static_cast<double>(held.first) / 1024;
  state.counters["program_MiB"] = static_cast<double>(std::abs(held.second)) / 1024;
  state.counters["damaged"] = held.second < 0;
  state.counters["file_MiB"] = static_cast<double>(QFileInfo(path).size()) / (1 << 20);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  QStringList files;
  for (const QString& name : QDir(TestFolder()).entryList({"*.mdb", "*.accdb"}, QDir::Files))
    files << TestFolder() + u'/' + name;
  files += qEnvironmentVariable("QVR_BENCH_JET_FILES").split(u':', Qt::SkipEmptyParts);
  for (const QString& file : files)
    benchmark::RegisterBenchmark(("BM_ReaderMemory/" + QFileInfo(file).fileName()).toStdString().c_str(),
                                 BM_ReaderMemory, file)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}

// Opening a user's Access (Jet) file, nwind.mdb (Jet 3, 3 MB), through the
// data layer and reading its Orders: the first time (the copy is built) and
// again (the copy comes from the cache), against the same data as a file of
// ours.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "platform/data/Data.h"
#include "platform/data/JetFile.h"

using namespace platform;

namespace {

QString Nwind() {
  for (const QString& folder : {QStringLiteral(QVR_SOURCE_DIR "/../shared/testdata"),
                                QStringLiteral("/work/shared/testdata")}) {
    if (QFileInfo::exists(folder + "/jet/nwind.mdb")) return folder + "/jet/nwind.mdb";
  }
  return QString();
}

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

}  // namespace

BENCHMARK_MAIN();

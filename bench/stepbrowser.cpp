// Process start to step 1 of a 2,000-step table on screen in Varnok, beside
// a bare Qt window's start, each measured as a whole child process linked as
// the program is. A window with nothing but a backdrop and one line of rich
// text is measured too, as the floor of any window showing text and a
// picture.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTemporaryDir>

#include "../tests/assessment/TestDatabases.h"

extern char** environ;

namespace {

QString g_self;
const QString kTable = QStringLiteral("BenchSteps");
constexpr int kSteps = 2000;

QString StepText(int i) {
  return QStringLiteral(
             "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Step %1: take a bearing.}\\par "
             "Put the electronic bearing line on the target, read the bearing and the range, note the time, and "
             "plot the position. Compare it with the previous plot to find the target's apparent motion.\\par}")
      .arg(i);
}

void WriteSteps(const QString& app) {
  testdb::Databases db(app);
  db.CreateTraining();
  db.AddTableListRow(platform::Variant(kTable), platform::Variant("Radar plotting"), platform::Variant(-1),
                     platform::Variant(false), platform::Variant(false), platform::Variant("radar"));
  auto c = testdb::Databases::Open(db.TrainingPath(), shared::kTrainingPassword);
  platform::CreateTable(*c, kTable, {{"ID", platform::ColumnType::Integer}, {"Step", platform::ColumnType::Memo}});
  c->Execute(QStringLiteral("BEGIN"));
  for (int i = 1; i <= kSteps; ++i)
    c->Execute(QStringLiteral("INSERT INTO BenchSteps (ID, Step) VALUES (?, ?)"),
               {platform::Variant(i), platform::Variant(StepText(i))});
  c->Execute(QStringLiteral("COMMIT"));
}

// Runs a child program of this benchmark (built beside it) to its end.
int RunChild(const char* program, const QStringList& arguments) {
  std::vector<QByteArray> texts{(g_self + "/" + program).toLocal8Bit()};
  for (const QString& a : arguments) texts.push_back(a.toLocal8Bit());
  std::vector<char*> argv;
  for (QByteArray& t : texts) argv.push_back(t.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void Measure(benchmark::State& state, const char* program, const QStringList& arguments) {
  for (auto _ : state)
    if (RunChild(program, arguments) != 0) state.SkipWithError("child failed");
}

QTemporaryDir* g_app = nullptr;

void BM_BareWindow(benchmark::State& s) { Measure(s, "bench_child_bare", {}); }
void BM_TextAndPictureWindow(benchmark::State& s) { Measure(s, "bench_child_text", {}); }
void BM_Varnok2000Steps(benchmark::State& s) {
  Measure(s, "bench_child_varnok", {g_app->path(), kTable, QString::number(kSteps)});
}

BENCHMARK(BM_BareWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_TextAndPictureWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Varnok2000Steps)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  g_self = QApplication::applicationDirPath();
  QTemporaryDir folder;
  WriteSteps(folder.path());
  g_app = &folder;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

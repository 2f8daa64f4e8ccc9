// Process start to Pellorin's first question on screen (a Masters test: 23
// listed tables, 20 kept, 5 questions each, from tables of 500 rows), beside
// a bare Qt window's start, each measured as a whole child process of this
// program. Target: the question window within twice the bare window. The
// same test drawn from tables of 5 rows shows the window's own start-up
// apart from the reading of the question tables.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QWidget>
#include <clocale>
#include <cstdlib>
#include <memory>

#include "../tests/assessment/TestDatabases.h"
#include "assessment/GLOBAL.h"
#include "assessment/frmQandA.h"
#include "platform/forms/Program.h"

extern char** environ;

namespace {

constexpr int kListed = 23;
constexpr int kPerTable = 5;

QString g_self;

QString TableName(int i) { return i == 1 ? QStringLiteral("ABOS") : QStringLiteral("T%1").arg(i); }

// The application folder: a Masters test over 23 question tables.
std::unique_ptr<testdb::Databases> MakeFolder(const QString& app, int rows) {
  auto db = std::make_unique<testdb::Databases>(app);
  db->CreateResults(kListed);
  QList<platform::Variant> counts;
  for (int i = 0; i < kListed; ++i) counts << platform::Variant(kPerTable);
  db->AddTest(platform::Variant("M1"), platform::Variant("Deck1"), counts, platform::Variant(60));
  db->CreateTraining();
  for (int t = 1; t <= kListed; ++t) {
    const QString name = TableName(t);
    db->AddTableListRow(name, name + QStringLiteral(" questions"), t % 2 ? 1 : 2);
    db->CreateQuestionTable(name);
    db->FillQuestionTable(name, t, rows);
  }
  return db;
}

int RunChild(const char* mode, const char* app) {
  const QByteArray self = g_self.toLocal8Bit();
  char* argv[] = {const_cast<char*>(self.constData()), const_cast<char*>("--child"), const_cast<char*>(mode),
                  const_cast<char*>(app), nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv, environ) != 0) return -1;
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QTemporaryDir* g_dir = nullptr;

void Measure(benchmark::State& state, const char* mode, int rows = 500) {
  const QByteArray app = (g_dir->path() + QStringLiteral("/app%1").arg(rows)).toLocal8Bit();
  for (auto _ : state)
    if (RunChild(mode, app.constData()) != 0) state.SkipWithError("child failed");
}

void BM_BareWindow(benchmark::State& s) { Measure(s, "bare"); }
void BM_PellorinFirstQuestion(benchmark::State& s) { Measure(s, "pellorin"); }
void BM_PellorinFirstQuestionSmallTables(benchmark::State& s) { Measure(s, "pellorin", 5); }

BENCHMARK(BM_BareWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PellorinFirstQuestion)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_PellorinFirstQuestionSmallTables)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--child") {
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    int code = 0;
    if (std::string(argv[2]) == "bare") {
      QWidget w;
      w.resize(800, 600);
      w.show();
      QApplication::processEvents();
    } else {
      platform::SetProgramFolder(QString::fromLocal8Bit(argv[3]));
      assessment::GLOBAL::CommandLine = QStringLiteral("M1");
      assessment::frmQandA form;
      form.Show();  // builds the test and shows the first question
      QApplication::processEvents();
      if (form.CurrentQuestion != 1 || form.Test.QuestionCount != 100) code = 1;
    }
    std::fflush(nullptr);
    std::_Exit(code);
  }
  QApplication app(argc, argv);
  g_self = QApplication::applicationFilePath();
  QTemporaryDir dir;
  g_dir = &dir;
  const auto large = MakeFolder(dir.path() + QStringLiteral("/app500"), 500);
  const auto small = MakeFolder(dir.path() + QStringLiteral("/app5"), 5);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

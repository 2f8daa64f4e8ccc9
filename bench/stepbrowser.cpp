// Process start to step 1 of a 2,000-step table on screen in Varnok, beside
// a bare Qt window's start, each measured as a whole child process. A window
// with nothing but a backdrop and one line of rich text is measured too: it
// is the floor of any window that shows text and a picture (fonts, text
// layout, picture decoding), which the bare window does not pay.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/wait.h>

#include <QApplication>
#include <QTemporaryDir>
#include <QLabel>
#include <QTextEdit>
#include <QWidget>
#include <clocale>
#include <cstdlib>

#include "../tests/assessment/TestDatabases.h"
#include "platform/Program.h"
#include "stepbrowser/GLOBAL.h"
#include "stepbrowser/START.h"
#include "stepbrowser/frmMain.h"

extern char** environ;

namespace {

QString g_self;
const QString kTable = QStringLiteral("BenchSteps");

QString StepText(int i) {
  return QStringLiteral(
             "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\b Step %1: take a bearing.}\\par "
             "Put the electronic bearing line on the target, read the bearing and the range, note the time, and "
             "plot the position. Compare it with the previous plot to find the target's apparent motion.\\par}")
      .arg(i);
}

void WriteSteps(const QString& app, int steps) {
  testdb::Databases db(app);
  db.CreateTraining();
  db.AddTableListRow(platform::Variant(kTable), platform::Variant("Radar plotting"), platform::Variant(-1),
                     platform::Variant(false), platform::Variant(false), platform::Variant("radar"));
  auto c = testdb::Databases::Open(db.TrainingPath(), shared::kTrainingPassword);
  platform::CreateTable(*c, kTable, {{"ID", platform::ColumnType::Integer}, {"Step", platform::ColumnType::Memo}});
  c->Execute(QStringLiteral("BEGIN"));
  for (int i = 1; i <= steps; ++i)
    c->Execute(QStringLiteral("INSERT INTO BenchSteps (ID, Step) VALUES (?, ?)"),
               {platform::Variant(i), platform::Variant(StepText(i))});
  c->Execute(QStringLiteral("COMMIT"));
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

void Measure(benchmark::State& state, const char* mode, const QString& app) {
  const QByteArray a = app.toLocal8Bit();
  for (auto _ : state)
    if (RunChild(mode, a.constData()) != 0) state.SkipWithError("child failed");
}

QTemporaryDir* g_app = nullptr;

void BM_BareWindow(benchmark::State& s) { Measure(s, "bare", ""); }
void BM_TextAndPictureWindow(benchmark::State& s) { Measure(s, "text", ""); }
void BM_Varnok2000Steps(benchmark::State& s) { Measure(s, "varnok", g_app->path()); }

BENCHMARK(BM_BareWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_TextAndPictureWindow)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_Varnok2000Steps)->Unit(benchmark::kMillisecond)->Iterations(20);

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
    } else if (std::string(argv[2]) == "text") {
      Q_INIT_RESOURCE(stepbrowser_images);
      QWidget w;
      w.resize(781, 561);
      auto* backdrop = new QLabel(&w);
      backdrop->setScaledContents(true);
      backdrop->setPixmap(QPixmap(QStringLiteral(":/images/ilsOOW/oowFormBackdrop.jpg")));
      backdrop->setGeometry(0, 0, 781, 561);
      auto* text = new QTextEdit(&w);
      text->setGeometry(8, 340, 700, 207);
      text->setHtml(QStringLiteral("<b>Step 1: take a bearing.</b><br>Put the bearing line on the target."));
      w.show();
      QApplication::processEvents();
    } else {
      platform::SetProgramFolder(QString::fromLocal8Bit(argv[3]));
      stepbrowser::GLOBAL::CommandLine = kTable;
      stepbrowser::START::Main();  // loading: the table list, the checks, all steps
      // The first activation shows step 1.
      stepbrowser::frmMain* window = stepbrowser::START::MainWindow();
      while (window->CurrentStep != 1) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      if (window->StepCount != 2000) code = 1;
    }
    std::fflush(nullptr);
    std::_Exit(code);
  }
  QApplication app(argc, argv);
  g_self = QApplication::applicationFilePath();
  QTemporaryDir folder;
  WriteSteps(folder.path(), 2000);
  g_app = &folder;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

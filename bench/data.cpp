// Reading a question table whole and finding a test row, as the assessment
// program does at start-up.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "platform/data/Data.h"

using namespace platform;

namespace {

struct Training {
  QTemporaryDir dir;
  QString path = dir.filePath("TKBTraining.mdb");
  explicit Training(int rows) {
    CreateDatabase(path, "tr@vund");
    Connection c;
    c.ConnectionString = JetConnectionString(path, "tr@vund");
    c.Open();
    CreateTable(c, "Rules", {{"Id", ColumnType::Integer}, {"Question1", ColumnType::Memo},
                             {"Answer1", ColumnType::Memo}, {"Question2", ColumnType::Memo},
                             {"Answer2", ColumnType::Memo}});
    c.Execute("BEGIN");
    const QString rtf = QStringLiteral("{\\rtf1\\ansi ") + QString(400, u'q') + u'}';
    for (int i = 1; i <= rows; ++i)
      c.Execute("INSERT INTO Rules VALUES (?, ?, ?, ?, ?)", {i, rtf, rtf, Variant::Null(), Variant::Null()});
    c.Execute("COMMIT");
  }
};

void BM_OpenQuestionTable(benchmark::State& state) {
  Training training(static_cast<int>(state.range(0)));
  Connection c;
  c.ConnectionString = JetConnectionString(training.path, "tr@vund");
  c.Mode = adModeRead;
  c.Open();
  for (auto _ : state) {
    Recordset rs;
    rs.Open(c, "Rules");
    rs.MoveFirst();
    int usable = 0;
    for (; !rs.IsEOF(); rs.MoveNext())
      if (!rs.Value("Question1").IsNull() && !rs.Value("Answer1").IsNull()) ++usable;
    benchmark::DoNotOptimize(usable);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OpenQuestionTable)->Arg(100)->Arg(1000);

void BM_OpenConnectionAndFindRow(benchmark::State& state) {
  Training training(10);
  for (auto _ : state) {
    DataControl control;
    control.ConnectionString = JetConnectionString(training.path, "tr@vund");
    control.Mode = adModeRead;
    control.RecordSource = "Select * from Rules where Id = ?";
    control.Parameters = {5};
    control.Refresh();
    benchmark::DoNotOptimize(control.GetRecordset()->RecordCount());
  }
}
BENCHMARK(BM_OpenConnectionAndFindRow);

}  // namespace

BENCHMARK_MAIN();

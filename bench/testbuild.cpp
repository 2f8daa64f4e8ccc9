// Building a Masters test (23 listed tables, 20 kept, 5 questions each) from
// question tables of 500 and of 5,000 rows, beside the time to only read the
// same rows through the same data controls. Target at 500 rows: the build
// within twice the read.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <clocale>
#include <map>
#include <memory>

#include "../tests/assessment/TestDatabases.h"
#include "assessment/TestBuilder.h"

namespace {

constexpr int kListed = 23;
constexpr int kKept = 20;
constexpr int kPerTable = 5;

QString TableName(int i) { return i == 1 ? QStringLiteral("ABOS") : QStringLiteral("T%1").arg(i); }

// One application folder per table size, made once.
struct Folder {
  QTemporaryDir dir;
  std::unique_ptr<testdb::Databases> db;
};

Folder& FolderFor(int rows) {
  static std::map<int, std::unique_ptr<Folder>> folders;
  auto& f = folders[rows];
  if (f) return *f;
  f = std::make_unique<Folder>();
  f->db = std::make_unique<testdb::Databases>(f->dir.path() + QStringLiteral("/app"));
  testdb::Databases& db = *f->db;
  db.CreateResults(kListed);
  QList<platform::Variant> counts;
  for (int i = 0; i < kListed; ++i) counts << platform::Variant(kPerTable);
  db.AddTest(platform::Variant("M1"), platform::Variant("Deck1"), counts);
  db.CreateTraining();
  for (int t = 1; t <= kListed; ++t) {
    const QString name = TableName(t);
    db.AddTableListRow(name, name + QStringLiteral(" questions"), t % 2 ? 1 : 2, true, true, name.toLower());
    db.CreateQuestionTable(name);
    db.FillQuestionTable(name, t, rows);
  }
  return *f;
}

void BM_BuildMastersTest(benchmark::State& state) {
  Folder& folder = FolderFor(static_cast<int>(state.range(0)));
  platform::RandomGenerator random(1);
  assessment::TestData test;
  for (auto _ : state) {
    platform::DataControl adoAccess, adoAccMainTest;
    assessment::TestBuilder builder(adoAccess, adoAccMainTest, random);
    builder.AppFolder = folder.db->AppFolder();
    builder.TestId = QStringLiteral("M1");
    if (!builder.BuildTestQuestions(test) || test.QuestionCount != kKept * kPerTable) {
      state.SkipWithError("the test was not built");
      return;
    }
    benchmark::DoNotOptimize(test.QuestionOrder.data());
  }
  state.counters["questions"] = test.QuestionCount;
}

// The same database work without choosing: the test's row, TableID, the
// table list, and every row of as many question tables as the build keeps.
void BM_ReadSameRows(benchmark::State& state) {
  Folder& folder = FolderFor(static_cast<int>(state.range(0)));
  const QString app = folder.db->AppFolder();
  for (auto _ : state) {
    platform::DataControl adoAccess, adoAccMainTest;
    shared::ConnectResultsDatabase(adoAccess, app);
    adoAccess.RecordSource = QStringLiteral("Select * from TestList where TestID = ?");
    adoAccess.Parameters = {platform::Variant("M1")};
    adoAccess.Refresh();
    platform::Recordset& row = *adoAccess.GetRecordset();
    for (int i = 0; i < row.FieldCount(); ++i) benchmark::DoNotOptimize(row.Value(i));
    shared::ConnectTrainingDatabase(adoAccMainTest, app);
    adoAccMainTest.CommandType = platform::adCmdTableDirect;
    adoAccMainTest.RecordSource = QStringLiteral("TableID");
    adoAccMainTest.Refresh();
    adoAccMainTest.CommandType = platform::adCmdUnknown;
    adoAccMainTest.RecordSource = QStringLiteral("Select * from TableList where (QuestionParts > 0 ) order by DBName");
    adoAccMainTest.Refresh();
    for (platform::Recordset& list = *adoAccMainTest.GetRecordset(); !list.IsEOF(); list.MoveNext())
      benchmark::DoNotOptimize(list.Value(QStringLiteral("DBName")).ToText());
    for (int t = 1; t <= kKept; ++t) {
      adoAccMainTest.RecordSource = QStringLiteral("Select * from ") + platform::QuoteIdentifier(TableName(t));
      adoAccMainTest.Refresh();
      platform::Recordset& rs = *adoAccMainTest.GetRecordset();
      for (rs.MoveFirst(); !rs.IsEOF(); rs.MoveNext()) {
        benchmark::DoNotOptimize(rs.Value(QStringLiteral("Question1")).ToText());
        benchmark::DoNotOptimize(rs.Value(QStringLiteral("Answer1")).ToText());
        benchmark::DoNotOptimize(rs.Value(QStringLiteral("Id")).ToText());
        benchmark::DoNotOptimize(rs.Value(QStringLiteral("Question2")));
        benchmark::DoNotOptimize(rs.Value(QStringLiteral("Answer2")));
      }
    }
  }
}

BENCHMARK(BM_BuildMastersTest)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadSameRows)->Arg(500)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

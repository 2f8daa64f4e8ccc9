#pragma once
// Results and training databases for tests and benchmarks, made in an
// application folder of their own: TestList and TestResults in
// "db/QVRResults.mdb", TableID, TableList and question tables in
// "db/TKBTraining.mdb", with the programs' passwords.
#include <QDir>
#include <QList>
#include <QString>
#include <memory>

#include "platform/data/Data.h"
#include "shared/Databases.h"

namespace testdb {

using platform::ColumnDefinition;
using platform::ColumnType;
using platform::Variant;

struct QuestionRow {
  Variant id;
  Variant question1;
  Variant answer1;
  Variant question2 = Variant::Null();
  Variant answer2 = Variant::Null();
};

class Databases {
 public:
  explicit Databases(QString appFolder) : app_(std::move(appFolder)) { QDir().mkpath(app_ + QStringLiteral("/db")); }

  const QString& AppFolder() const { return app_; }
  QString ResultsPath() const { return shared::DatabasePath(app_, shared::kResultsDatabase); }
  QString TrainingPath() const { return shared::DatabasePath(app_, shared::kTrainingDatabase); }

  // TestList with the fields a test row has before "ABOS", then the given
  // question-table columns; and TestResults.
  void CreateResults(const QList<ColumnDefinition>& questionColumns) {
    platform::CreateDatabase(ResultsPath(), shared::kResultsPassword);
    auto c = Open(ResultsPath(), shared::kResultsPassword);
    QList<ColumnDefinition> columns{{"TestID", ColumnType::Text},          {"AssessorName", ColumnType::Text},
                                    {"TypeTest", ColumnType::Text},        {"TimePerQuestion", ColumnType::Integer},
                                    {"DatabaseVersion", ColumnType::Text}, {"StatusTest", ColumnType::YesNo},
                                    {"DateTest", ColumnType::DateTime},    {"NamePerson", ColumnType::Text},
                                    {"Password", ColumnType::Text}};
    columns += questionColumns;
    platform::CreateTable(*c, QStringLiteral("TestList"), columns);
    platform::CreateTable(*c, QStringLiteral("TestResults"),
                          {{"DateTest", ColumnType::DateTime}, {"TestType", ColumnType::Text},
                           {"Percent", ColumnType::Double}});
    testColumns_ = questionColumns;
  }

  // Integer question columns "ABOS", "T2" .. "Tn".
  void CreateResults(int questionColumns) {
    QList<ColumnDefinition> columns{{"ABOS", ColumnType::Integer}};
    for (int i = 2; i <= questionColumns; ++i) columns.append({QStringLiteral("T%1").arg(i), ColumnType::Integer});
    CreateResults(columns);
  }

  // A TestList row; counts fill the question columns in order (missing ones Null).
  void AddTest(const Variant& testId, const Variant& typeTest, const QList<Variant>& counts,
               const Variant& timePerQuestion = Variant(60), const Variant& assessor = Variant("Capt. Hale"),
               const Variant& version = Variant("5.5")) {
    auto c = Open(ResultsPath(), shared::kResultsPassword);
    QStringList names{"TestID", "AssessorName", "TypeTest", "TimePerQuestion", "DatabaseVersion", "StatusTest"};
    QList<Variant> values{testId, typeTest, timePerQuestion, version, Variant(false)};
    values.insert(1, assessor);
    for (int i = 0; i < testColumns_.size(); ++i) {
      names << testColumns_[i].name;
      values << (i < counts.size() ? counts[i] : Variant::Null());
    }
    Insert(*c, QStringLiteral("TestList"), names, values);
  }

  void CreateTraining(bool withTableId = true) {
    platform::CreateDatabase(TrainingPath(), shared::kTrainingPassword);
    auto c = Open(TrainingPath(), shared::kTrainingPassword);
    if (withTableId) {
      platform::CreateTable(*c, QStringLiteral("TableID"),
                            {{"VersionMain", ColumnType::Integer}, {"VersionSec", ColumnType::Integer},
                             {"Description", ColumnType::Text}});
      c->Execute(QStringLiteral("INSERT INTO TableID VALUES (5, 5, 'Training database')"));
    }
    platform::CreateTable(*c, QStringLiteral("TableList"),
                          {{"DBName", ColumnType::Text},
                           {"DBDescription", ColumnType::Text},
                           {"QuestionParts", ColumnType::Integer},
                           {"QuestionPic", ColumnType::YesNo},
                           {"AnswerPic", ColumnType::YesNo},
                           {"NumRules", ColumnType::Integer},
                           {"PicName", ColumnType::Text}});
  }

  void AddTableListRow(const Variant& name, const Variant& description, const Variant& parts,
                       const Variant& questionPic = Variant(false), const Variant& answerPic = Variant(false),
                       const Variant& picName = Variant::Null(), const Variant& numRules = Variant(0)) {
    auto c = Open(TrainingPath(), shared::kTrainingPassword);
    Insert(*c, QStringLiteral("TableList"),
           {"DBName", "DBDescription", "QuestionParts", "QuestionPic", "AnswerPic", "NumRules", "PicName"},
           {name, description, parts, questionPic, answerPic, numRules, picName});
  }

  // A question table with its TableList row.
  void AddQuestionTable(const QString& name, const QString& description, int parts, const QList<QuestionRow>& rows,
                        bool questionPic = false, bool answerPic = false, const Variant& picName = Variant::Null()) {
    AddTableListRow(name, description, parts, questionPic, answerPic, picName);
    CreateQuestionTable(name);
    AddRows(name, rows);
  }

  void CreateQuestionTable(const QString& name) {
    auto c = Open(TrainingPath(), shared::kTrainingPassword);
    platform::CreateTable(*c, name,
                          {{"Id", ColumnType::Integer},
                           {"Question1", ColumnType::Memo},
                           {"Answer1", ColumnType::Memo},
                           {"Question2", ColumnType::Memo},
                           {"Answer2", ColumnType::Memo}});
  }

  void AddRows(const QString& table, const QList<QuestionRow>& rows) {
    auto c = Open(TrainingPath(), shared::kTrainingPassword);
    c->Execute(QStringLiteral("BEGIN"));
    for (const QuestionRow& r : rows)
      Insert(*c, table, {"Id", "Question1", "Answer1", "Question2", "Answer2"},
             {r.id, r.question1, r.answer1, r.question2, r.answer2});
    c->Execute(QStringLiteral("COMMIT"));
  }

  // Rows 1 .. n of rich-text questions a few hundred characters long, as the
  // real tables hold; every third one has no second part. For benchmarks.
  void FillQuestionTable(const QString& table, int tableNumber, int rows) {
    auto c = Open(TrainingPath(), shared::kTrainingPassword);
    c->Execute(QStringLiteral(
                   "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                   "INSERT INTO %1 (Id, Question1, Answer1, Question2, Answer2) SELECT i, "
                   "printf('{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 Table %2, question %d: %s}', i, "
                   "hex(randomblob(80))), "
                   "printf('{\\rtf1\\ansi\\f0\\fs20 Answer %d: %s}', i, hex(randomblob(100))), "
                   "CASE WHEN i % 3 = 0 THEN NULL ELSE printf('Second part %d', i) END, "
                   "CASE WHEN i % 3 = 0 THEN NULL ELSE printf('Second answer %d', i) END FROM n")
                   .arg(platform::QuoteIdentifier(table))
                   .arg(tableNumber),
               {Variant(rows)});
  }

  // Rows 1 .. n: "<prefix> question i" / "<prefix> answer i".
  static QList<QuestionRow> NumberedRows(const QString& prefix, int n) {
    QList<QuestionRow> rows;
    rows.reserve(n);
    for (int i = 1; i <= n; ++i)
      rows.append({Variant(i), Variant(QStringLiteral("%1 question %2").arg(prefix).arg(i)),
                   Variant(QStringLiteral("%1 answer %2").arg(prefix).arg(i))});
    return rows;
  }

  static std::unique_ptr<platform::Connection> Open(const QString& path, const QString& password) {
    auto c = std::make_unique<platform::Connection>();
    c->ConnectionString = platform::JetConnectionString(path, password);
    c->Mode = platform::adModeReadWrite;
    c->Open();
    return c;
  }

 private:
  static void Insert(platform::Connection& c, const QString& table, const QStringList& names,
                     const QList<Variant>& values) {
    QStringList quoted, marks;
    for (const QString& n : names) {
      quoted << platform::QuoteIdentifier(n);
      marks << QStringLiteral("?");
    }
    c.Execute(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(platform::QuoteIdentifier(table), quoted.join(QStringLiteral(", ")),
                       marks.join(QStringLiteral(", "))),
              values);
  }

  QString app_;
  QList<ColumnDefinition> testColumns_;
};

}  // namespace testdb

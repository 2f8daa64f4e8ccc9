// The sample databases: the two editions' menus, the results database with
// its tests, the training database with question and step tables, and the
// study log.
#include "Content.h"
#include "Questions.h"
#include "platform/richtext/RtfWriter.h"

namespace content {

using platform::Variant;

namespace {

const Variant kNull = Variant::Null();

Variant TextOrNull(const char* text) { return text ? Variant(QString::fromUtf8(text)) : kNull; }

Row MenuRow(const char* group, const char* section, const char* icon, const char* type, const char* start = nullptr,
            const char* p1 = nullptr, const char* p2 = nullptr, const char* p3 = nullptr) {
  return {QString::fromUtf8(group), QString::fromUtf8(section), QString::fromUtf8(icon), QString::fromUtf8(type),
          TextOrNull(start), TextOrNull(p1), TextOrNull(p2), TextOrNull(p3)};
}

// The question tables a test row lists, in column order, with the two
// "...OK" columns that stand among them and are never read.
QStringList TestColumns() {
  return {QStringLiteral("ABOS"),   QStringLiteral("COLREG1"), QStringLiteral("COLREG2"), QStringLiteral("COLREG2OK"),
          QStringLiteral("COLREG3"), QStringLiteral("BUOY1"),   QStringLiteral("NAV1"),    QStringLiteral("NAV2"),
          QStringLiteral("NAV3"),   QStringLiteral("WATCH1"),  QStringLiteral("WATCH1OK"), QStringLiteral("WATCH2"),
          QStringLiteral("STAB1"),  QStringLiteral("STAB2"),   QStringLiteral("CARGO1"),  QStringLiteral("CARGO2"),
          QStringLiteral("TANK1"),  QStringLiteral("GAS1"),    QStringLiteral("BULK1"),   QStringLiteral("SAFE1"),
          QStringLiteral("SAFE2"),  QStringLiteral("SAFE3"),   QStringLiteral("MED1"),    QStringLiteral("POLL1"),
          QStringLiteral("COMM1"),  QStringLiteral("LAW1"),    QStringLiteral("MET1")};
}

struct TestDefinition {
  const char* id;
  const char* assessor;
  const char* type;
  int timePerQuestion;
  const char* person;
  const char* password;
  QHash<QString, Variant> counts;  // the rest count 0
};

Row TestRow(const TestDefinition& test) {
  Row row = {QString::fromUtf8(test.id),       QString::fromUtf8(test.assessor),
             QString::fromUtf8(test.type),     test.timePerQuestion,
             QStringLiteral("5.5.0"),          false,
             kNull,                            TextOrNull(test.person),
             TextOrNull(test.password)};
  for (const QString& column : TestColumns()) row.append(test.counts.value(column, Variant(0)));
  return row;
}

// Every listed table with the same count, but those left out.
QHash<QString, Variant> AllBut(const QStringList& leftOut, int count) {
  QHash<QString, Variant> counts;
  for (const QString& column : TestColumns()) {
    if (!column.endsWith(QLatin1String("OK")) && !leftOut.contains(column)) counts.insert(column, count);
  }
  return counts;
}

}  // namespace

DatabaseDefinition MenuDatabase(art::Edition edition) {
  const bool oow = edition == art::Edition::OOW;
  Table menu{QStringLiteral("MainTableRecords"),
             {{QStringLiteral("Left Panel Title"), ColumnType::Text},
              {QStringLiteral("Right Panel Title"), ColumnType::Text},
              {QStringLiteral("Icon Type"), ColumnType::Text},
              {QStringLiteral("Program Type"), ColumnType::Text},
              {QStringLiteral("Start"), ColumnType::Text},
              {QStringLiteral("Parameter 1"), ColumnType::Text},
              {QStringLiteral("Parameter 2"), ColumnType::Text},
              {QStringLiteral("Parameter 3"), ColumnType::Text}},
             {}};
  auto& rows = menu.rows;
  const char* rules = "Rules of the road";
  rows << MenuRow(rules, "Collision regulations summary", "ref", "PDF", "Docs\\COLREG summary.pdf")
       << MenuRow(rules, "Buoyage animation", "ref", "ANI", "Animations\\buoyage.htm")
       << MenuRow(rules, "Anchoring step by step", "ref", "EXE", "Varnok.exe", "ANCHOR")
       << MenuRow(rules, "Man overboard step by step", "stop", "EXE", "Varnok.exe", "MOB");
  const char* watch = "Navigation and watchkeeping";
  rows << MenuRow(watch, "Coastal passage, 120 steps", "ref", "EXE", "Varnok.exe", "PASSAGE")
       << MenuRow(watch, "Passage planning web pack", "ref", "WEBPACK", "WebPack\\TKBWebPack.exe")
       << MenuRow(watch, "Keeping a good lookout (video)", "ref", "VIDEO_INT", "Videos\\lookout.mpg")
       << MenuRow(watch, "Bridge procedures (help book)", "ref", "CHM", "Books\\BridgeProcedures.chm");
  const char* ships = "Ship types and cargo";
  rows << MenuRow(ships, "Tanker safety guide (ISGOTT)", "isgott", "NOTHING")
       << MenuRow(ships, "Liquefied gas carriers", "liqgas", "HTML", "Docs\\Gas carriers.html")
       << MenuRow(ships, "Bulk carriers", "bulk", "NOTHING");
  const char* safety = "Safety and health";
  rows << MenuRow(safety, "Code of safe working practices", "codesafe", "TXT", "Docs\\Safe working.txt")
       << MenuRow(safety, "Ship's medical guide", "medguide", "NOTHING")
       << MenuRow(safety, "Emergency contacts", "contactlist", "TXT", "Docs\\Contacts.txt");
  // Sections of the two last groups are not recorded in the study log: their
  // names hold "assessment" and "assessors".
  const char* tests = "Self assessment";
  if (oow) {
    rows << MenuRow(tests, "OOW test, 90 seconds a question", "exam", "EXE", "Pellorin.exe", "OOW1")
         << MenuRow(tests, "OOW test without time limit", "exam", "EXE", "Pellorin.exe", "OOW2");
  } else {
    rows << MenuRow(tests, "Masters test", "exam", "EXE", "Pellorin.exe", "MAST1")
         << MenuRow(tests, "Mates test", "exam", "EXE", "Pellorin.exe", "MATE1")
         << MenuRow(tests, "OOW test, 90 seconds a question", "exam", "EXE", "Pellorin.exe", "OOW1");
  }
  rows << MenuRow(tests, "Demo - short test", "exam", "EXE", "Pellorin.exe", "DEMO")
       << MenuRow(tests, "Instructor preview with answers", "exam", "EXE", "Pellorin.exe", oow ? "OOW1" : "MAST1",
                  "t00lbarne527")
       << MenuRow(tests, "Counts typed as text", "exam", "EXE", "Pellorin.exe", "TEXT1")
       << MenuRow(tests, "Test of an unknown type", "exam", "EXE", "Pellorin.exe", "ODD1");
  rows << MenuRow("Assessors and reporting", "Training report", "contactlist", "EXE", "Training\\TKBTrainingReport.exe");
  const QString folder = oow ? QStringLiteral("QVRV5_OOW") : QStringLiteral("QVRV5_MM");
  const QString file = oow ? QStringLiteral("QVRV 5 - OOW.mdb") : QStringLiteral("QVRV 5 - Mates Masters.mdb");
  return {folder + QStringLiteral("/db/") + file, QStringLiteral("korvinel"), {menu}};
}

DatabaseDefinition ResultsDatabase() {
  Table tests{QStringLiteral("TestList"),
              {{QStringLiteral("TestID"), ColumnType::Text},
               {QStringLiteral("AssessorName"), ColumnType::Text},
               {QStringLiteral("TypeTest"), ColumnType::Text},
               {QStringLiteral("TimePerQuestion"), ColumnType::Integer},
               {QStringLiteral("DatabaseVersion"), ColumnType::Text},
               {QStringLiteral("StatusTest"), ColumnType::YesNo},
               {QStringLiteral("DateTest"), ColumnType::DateTime},
               {QStringLiteral("NamePerson"), ColumnType::Text},
               {QStringLiteral("Password"), ColumnType::Text}},
              {}};
  for (const QString& column : TestColumns()) tests.columns.append({column, ColumnType::Integer});

  QHash<QString, Variant> oow1 = {{QStringLiteral("ABOS"), 2},  {QStringLiteral("COLREG1"), 3},
                                  {QStringLiteral("COLREG2"), 2}, {QStringLiteral("COLREG3"), 2},
                                  {QStringLiteral("BUOY1"), 2},  {QStringLiteral("NAV1"), 2},
                                  {QStringLiteral("NAV3"), 1},   {QStringLiteral("WATCH1"), 2},
                                  {QStringLiteral("WATCH2"), 1}, {QStringLiteral("SAFE1"), 1},
                                  {QStringLiteral("SAFE2"), 1},  {QStringLiteral("MED1"), 1}};
  QHash<QString, Variant> oow2 = {{QStringLiteral("COLREG1"), 2}, {QStringLiteral("BUOY1"), 2},
                                  {QStringLiteral("NAV1"), 2},    {QStringLiteral("STAB1"), 2},
                                  {QStringLiteral("STAB2"), 2}};
  QHash<QString, Variant> demo = {{QStringLiteral("COLREG1"), 1}, {QStringLiteral("BUOY1"), 1},
                                  {QStringLiteral("STAB1"), 1}};
  // Counts typed as text: "2,5" reads as 2 (only "." is a decimal point),
  // "3 questions" as 3, "2.5" as 2 and "3.5" as 4 (halves to even), and
  // "", "-1" and "none" leave their tables out.
  QHash<QString, Variant> text = {{QStringLiteral("ABOS"), "2,5"},        {QStringLiteral("COLREG1"), "3 questions"},
                                  {QStringLiteral("COLREG2"), "2.5"},      {QStringLiteral("COLREG3"), "3.5"},
                                  {QStringLiteral("BUOY1"), ""},           {QStringLiteral("NAV1"), "-1"},
                                  {QStringLiteral("NAV3"), "none"},        {QStringLiteral("WATCH1"), "1"}};
  for (const QString& column : TestColumns()) {
    if (!text.contains(column)) text.insert(column, "0");
  }
  QHash<QString, Variant> odd = {{QStringLiteral("ABOS"), 2}, {QStringLiteral("COLREG1"), 2}};

  const QList<TestDefinition> definitions = {
      {"OOW1", "Hallam Robert", "Deck4", 90, "Candidate OOW", "deck4", oow1},
      {"OOW2", "Hallam Robert", "Deck4", 9999, "Candidate OOW", "deck4", oow2},
      // Masters: 23 tables, three of positions 16 to 23 dropped at random.
      {"MAST1", "Okafor Grace", "Deck1", 120, "Candidate Master", "deck1",
       AllBut({QStringLiteral("NAV2"), QStringLiteral("GAS1")}, 2)},
      // Mates: 21 tables, three of positions 14 to 21 dropped at random.
      {"MATE1", "Okafor Grace", "Deck2", 60, "Candidate Mate", "deck2",
       AllBut({QStringLiteral("NAV2"), QStringLiteral("GAS1"), QStringLiteral("LAW1"), QStringLiteral("MET1")}, 1)},
      {"DEMO", "Hallam Robert", "Deck4", 30, "Candidate OOW", "deck4", demo},
      {"ODD1", "Hallam Robert", "Deck9", 60, "Candidate OOW", "deck4", odd},
      {"ASSESS1", "Hallam Robert", "Assessor", 0, "Hallam Robert", "Tr1dent", {}},
      {"ASSESS2", "Okafor Grace", "Assessor", 0, "Okafor Grace", "B0sun-77", {}},
  };
  for (const TestDefinition& test : definitions) tests.rows.append(TestRow(test));
  // The text counts row goes in its place between the others.
  tests.rows.insert(5, TestRow({"TEXT1", "Hallam Robert", "Deck4", 45, "Candidate OOW", "deck4", text}));

  Table results{QStringLiteral("TestResults"),
                {{QStringLiteral("DateTest"), ColumnType::DateTime},
                 {QStringLiteral("TestType"), ColumnType::Text},
                 {QStringLiteral("Percent"), ColumnType::Double}},
                {}};
  return {QStringLiteral("db/QVRResults.mdb"), QStringLiteral("pirowask"), {tests, results}};
}

DatabaseDefinition TrainingDatabase() {
  Table id{QStringLiteral("TableID"),
           {{QStringLiteral("VersionMain"), ColumnType::Integer},
            {QStringLiteral("VersionSec"), ColumnType::Integer},
            {QStringLiteral("Description"), ColumnType::Text}},
           {{5, 5, QStringLiteral("QVR V5 training database: sample content")}}};
  Table list{QStringLiteral("TableList"),
             {{QStringLiteral("DBName"), ColumnType::Text},
              {QStringLiteral("DBDescription"), ColumnType::Text},
              {QStringLiteral("QuestionParts"), ColumnType::Integer},
              {QStringLiteral("QuestionPic"), ColumnType::YesNo},
              {QStringLiteral("AnswerPic"), ColumnType::YesNo},
              {QStringLiteral("NumRules"), ColumnType::Integer},
              {QStringLiteral("PicName"), ColumnType::Text}},
             {}};
  QList<Table> tables = {id, list};
  // Step tables first: the programs read the list in DBName order, not in
  // the order it was written.
  for (const StepTable& steps : StepTables()) {
    tables[1].rows.append({QString::fromUtf8(steps.name), QString::fromUtf8(steps.description), -1,
                           steps.picName != nullptr, false, 0, TextOrNull(steps.picName)});
    Table table{QString::fromUtf8(steps.name),
                {{QStringLiteral("ID"), ColumnType::Integer}, {QStringLiteral("Step"), ColumnType::Memo}},
                {}};
    // Rows are stored last first; the browser orders them by ID.
    for (auto row = steps.rows.crbegin(); row != steps.rows.crend(); ++row) {
      table.rows.append({row->id, row->step.isNull() ? kNull : Variant(platform::PlainTextToRtf(row->step))});
    }
    tables.append(table);
  }
  for (const QuestionTable& questions : QuestionTables()) {
    tables[1].rows.append({QString::fromUtf8(questions.name), QString::fromUtf8(questions.description),
                           questions.parts, questions.questionPictures, questions.answerPictures,
                           static_cast<int>(questions.rows.size()), TextOrNull(questions.picName)});
    Table table{QString::fromUtf8(questions.name),
                {{QStringLiteral("Id"), ColumnType::Integer},
                 {QStringLiteral("Question1"), ColumnType::Memo},
                 {QStringLiteral("Answer1"), ColumnType::Memo},
                 {QStringLiteral("Question2"), ColumnType::Memo},
                 {QStringLiteral("Answer2"), ColumnType::Memo}},
                {}};
    auto rich = [](const char* text) { return text ? Variant(platform::PlainTextToRtf(QString::fromUtf8(text))) : kNull; };
    for (const QuestionRow& row : questions.rows) {
      table.rows.append({row.id, rich(row.question1), rich(row.answer1), rich(row.question2), rich(row.answer2)});
    }
    tables.append(table);
  }
  return {QStringLiteral("db/TKBTraining.mdb"), QStringLiteral("tr@vund"), tables};
}

DatabaseDefinition StudyDatabase() {
  Table study{QStringLiteral("StudyList"),
              {{QStringLiteral("NamePerson"), ColumnType::Text},
               {QStringLiteral("NameSection"), ColumnType::Text},
               {QStringLiteral("TimeIn"), ColumnType::DateTime},
               {QStringLiteral("TimeOut"), ColumnType::DateTime}},
              {}};
  // Three closed visits in March 2024 (date serials: days since 30 December 1899).
  const double day = 45366;  // 15 March 2024
  study.rows << Row{QStringLiteral("Smith John"), QStringLiteral("Rules of the road - Anchoring step by step"),
                    Variant::Date(day + 9.0 / 24), Variant::Date(day + 9.5 / 24)}
             << Row{QStringLiteral("Smith John"), QStringLiteral("Navigation and watchkeeping - Keeping a good lookout (video)"),
                    Variant::Date(day + 10.0 / 24), Variant::Date(day + 10.25 / 24)}
             << Row{QStringLiteral("Novak Ana"), QStringLiteral("Safety and health - Code of safe working practices"),
                    Variant::Date(day + 1 + 14.0 / 24), Variant::Date(day + 1 + 15.0 / 24)};
  return {QStringLiteral("Training/db/TKBStudy.mdb"), QStringLiteral("dun kl0aver"), {study}};
}

QList<DatabaseDefinition> SampleDatabases() {
  return {MenuDatabase(art::Edition::OOW), MenuDatabase(art::Edition::MM), ResultsDatabase(), TrainingDatabase(),
          StudyDatabase()};
}

}  // namespace content

// The content tool, run as the layout script runs it: the folder it lays out
// holds databases that open with their passwords and carry the sample rows,
// pictures of every placement class in several formats, the help files, the
// web page set, the animation, the movie and the documents.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextDocument>

#include "platform/data/Data.h"
#include "platform/richtext/RtfReader.h"
#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"

using namespace platform;

namespace {

QString BuildDir() {
  const QByteArray build = qgetenv("QVR_BUILD_DIR");
  return build.isEmpty() ? QCoreApplication::applicationDirPath() + QStringLiteral("/..")
                         : QString::fromLocal8Bit(build);
}

QString ToolPath() { return QDir(BuildDir()).filePath(QStringLiteral("content/qvr-content")); }

struct ToolRun {
  int exitCode = -1;
  QString output;
};

ToolRun RunTool(const QStringList& arguments) {
  QProcess tool;
  tool.setProcessChannelMode(QProcess::MergedChannels);
  tool.start(ToolPath(), arguments);
  ToolRun run;
  if (!tool.waitForFinished(180000)) return run;
  run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
  run.output = QString::fromLocal8Bit(tool.readAll());
  return run;
}

using Record = QHash<QString, Variant>;
struct TableData {
  QStringList columns;
  QList<Record> rows;
};

TableData ReadTable(Connection& connection, const QString& sql) {
  Recordset rs;
  rs.Open(connection, sql);
  TableData data;
  for (int i = 0; i < rs.FieldCount(); ++i) data.columns << rs.FieldName(i);
  if (rs.RecordCount() > 0) rs.MoveFirst();
  while (!rs.IsEOF()) {
    Record record;
    for (const QString& column : data.columns) record.insert(column, rs.Value(column));
    data.rows << record;
    rs.MoveNext();
  }
  return data;
}

// Everything is checked on one layout of the folder, made once.
class LaidOutFolder : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new QTemporaryDir;
    const ToolRun run = RunTool({QStringLiteral("--build"), BuildDir(), QStringLiteral("--out"), folder_->path()});
    output_ = new QString(run.output);
    exitCode_ = run.exitCode;
  }
  static void TearDownTestSuite() {
    delete folder_;
    delete output_;
  }
  void SetUp() override {
    ASSERT_TRUE(QFileInfo(ToolPath()).isExecutable()) << "build the content tool first: " << ToolPath().toStdString();
    ASSERT_EQ(exitCode_, 0) << output_->toStdString();
  }
  static QString Path(const QString& relative) { return QDir(folder_->path()).filePath(relative); }
  static void Open(Connection& connection, const QString& relative, const QString& password, int mode = adModeRead) {
    connection.ConnectionString = JetConnectionString(Path(relative), password);
    connection.Mode = mode;
    connection.Open();
  }

  static QTemporaryDir* folder_;
  static QString* output_;
  static int exitCode_;
};
QTemporaryDir* LaidOutFolder::folder_ = nullptr;
QString* LaidOutFolder::output_ = nullptr;
int LaidOutFolder::exitCode_ = -1;

const QString kMenuOow = QStringLiteral("QVRV5_OOW/db/QVRV 5 - OOW.mdb");
const QString kMenuMm = QStringLiteral("QVRV5_MM/db/QVRV 5 - Mates Masters.mdb");
const QString kResults = QStringLiteral("db/QVRResults.mdb");
const QString kTraining = QStringLiteral("db/TKBTraining.mdb");
const QString kStudy = QStringLiteral("Training/db/TKBStudy.mdb");

TEST_F(LaidOutFolder, EachDatabaseOpensWithItsPasswordOnly) {
  const QList<std::pair<QString, QString>> databases = {{kMenuOow, QStringLiteral("korvinel")},
                                                         {kMenuMm, QStringLiteral("korvinel")},
                                                         {kResults, QStringLiteral("pirowask")},
                                                         {kTraining, QStringLiteral("tr@vund")},
                                                         {kStudy, QStringLiteral("dun kl0aver")}};
  for (const auto& [file, password] : databases) {
    Connection good;
    EXPECT_NO_THROW(Open(good, file, password)) << file.toStdString();
    Connection bad;
    try {
      Open(bad, file, password + QStringLiteral("x"));
      ADD_FAILURE() << file.toStdString() << " opened with a wrong password";
    } catch (const VbError& e) {
      EXPECT_EQ(e.Number(), err::NotValidPassword) << file.toStdString();
    }
  }
}

// The menu of one edition, as the front-end reads it.
void CheckMenu(Connection& menu, const QString& app, const QStringList& stepTables, const QStringList& tests,
               const QStringList& expectedTests) {
  const TableData data = ReadTable(menu, QStringLiteral("SELECT * FROM MainTableRecords"));
  EXPECT_EQ(data.columns, (QStringList{"Left Panel Title", "Right Panel Title", "Icon Type", "Program Type", "Start",
                                       "Parameter 1", "Parameter 2", "Parameter 3"}));
  const QStringList icons = {"ref", "exam", "isgott", "liqgas", "bulk", "codesafe", "stop", "medguide", "contactlist"};
  QStringList groups;
  QSet<QString> types;
  QSet<QString> sections;
  QStringList startedTests;
  bool browserSection = false;
  bool document = false;
  for (const Record& row : data.rows) {
    const QString group = row["Left Panel Title"].ToText();
    const QString section = row["Right Panel Title"].ToText();
    ASSERT_FALSE(group.isEmpty());
    EXPECT_FALSE(group.contains(QLatin1Char('\''))) << group.toStdString();
    // Each group stands in one run of rows, and its section titles are unique.
    if (groups.isEmpty() || groups.last() != group) {
      EXPECT_FALSE(groups.contains(group)) << group.toStdString() << " comes back in a later run";
      groups << group;
    }
    EXPECT_FALSE(sections.contains(group + '|' + section)) << section.toStdString();
    sections.insert(group + '|' + section);
    EXPECT_TRUE(icons.contains(row["Icon Type"].ToText())) << row["Icon Type"].ToText().toStdString();
    // Nulls only at the end of Start and the parameters.
    bool null = false;
    for (const char* field : {"Start", "Parameter 1", "Parameter 2", "Parameter 3"}) {
      if (row[field].IsNull()) null = true;
      else EXPECT_FALSE(null) << section.toStdString() << ": a value after a Null";
    }
    const QString type = row["Program Type"].ToText();
    types.insert(type);
    const QString start = row["Start"].IsNull() ? QString() : row["Start"].ToText().replace('\\', '/');
    if (type == "EXE" && start == "Pellorin.exe") {
      startedTests << row["Parameter 1"].ToText();
      EXPECT_TRUE(tests.contains(row["Parameter 1"].ToText())) << row["Parameter 1"].ToText().toStdString();
      EXPECT_TRUE(group.contains("assessment", Qt::CaseInsensitive)) << "test sections are not logged";
    } else if (type == "EXE" && start == "Varnok.exe") {
      browserSection = true;
      EXPECT_TRUE(stepTables.contains(row["Parameter 1"].ToText())) << row["Parameter 1"].ToText().toStdString();
    } else if (type == "NOTHING") {
      EXPECT_TRUE(row["Start"].IsNull());
    } else if (!start.isEmpty()) {
      // The file is there, or the same name without ".exe".
      QString file = QDir(app).filePath(start);
      if (!QFileInfo::exists(file) && file.endsWith(".exe")) file.chop(4);
      EXPECT_TRUE(QFileInfo::exists(file)) << start.toStdString();
      if (type != "EXE" && type != "WEBPACK" && type != "CHM" && type != "VIDEO_INT" && type != "ANI") document = true;
    }
  }
  EXPECT_GE(groups.size(), 5);
  EXPECT_LE(groups.size(), 7);
  for (const char* type : {"EXE", "WEBPACK", "NOTHING", "CHM", "VIDEO_INT", "ANI"}) {
    EXPECT_TRUE(types.contains(type)) << type;
  }
  EXPECT_TRUE(browserSection);
  EXPECT_TRUE(document);
  for (const QString& test : expectedTests) EXPECT_TRUE(startedTests.contains(test)) << test.toStdString();
  EXPECT_TRUE(std::any_of(groups.begin(), groups.end(), [](const QString& g) { return g.contains("assessment"); }));
  EXPECT_TRUE(std::any_of(groups.begin(), groups.end(), [](const QString& g) { return g.contains("ssessors"); }));
}

QStringList TestIds(Connection& results) {
  QStringList ids;
  for (const Record& row : ReadTable(results, "SELECT TestID FROM TestList").rows) ids << row["TestID"].ToText();
  return ids;
}

QStringList TablesWithParts(Connection& training, bool steps) {
  QStringList names;
  const TableData list = ReadTable(training, "SELECT DBName, QuestionParts FROM TableList ORDER BY DBName");
  for (const Record& row : list.rows) {
    if ((row["QuestionParts"].ToInteger() == -1) == steps) names << row["DBName"].ToText();
  }
  return names;
}

TEST_F(LaidOutFolder, MenusOfBothEditionsHaveASectionOfEveryProgramType) {
  Connection results, training;
  Open(results, kResults, "pirowask");
  Open(training, kTraining, "tr@vund");
  const QStringList steps = TablesWithParts(training, true);
  const QStringList tests = TestIds(results);
  Connection oow, mm;
  Open(oow, kMenuOow, "korvinel");
  Open(mm, kMenuMm, "korvinel");
  CheckMenu(oow, folder_->path(), steps, tests, {"OOW1", "OOW2", "DEMO"});
  CheckMenu(mm, folder_->path(), steps, tests, {"MAST1", "MATE1", "DEMO"});
  // The group of a section is found whatever its letter case (COLLATE VBTEXT).
  const TableData found = ReadTable(oow, "SELECT * FROM MainTableRecords WHERE [Left Panel Title] = 'SELF ASSESSMENT'");
  EXPECT_GE(found.rows.size(), 4);
  // The answer-peek section passes the code as its second parameter.
  const TableData peek =
      ReadTable(oow, "SELECT * FROM MainTableRecords WHERE [Parameter 2] = 't00lbarne527'");
  ASSERT_EQ(peek.rows.size(), 1);
  EXPECT_EQ(peek.rows[0]["Parameter 1"].ToText(), "OOW1");
}

// The question tables a test keeps before any drop: its columns from "ABOS"
// on, without those ending in "OK", whose counts round to at least 1.
QStringList ListedTables(const TableData& list, const Record& row) {
  QStringList tables;
  bool started = false;
  for (const QString& column : list.columns) {
    if (column == "ABOS") started = true;
    if (!started || column.endsWith("OK")) continue;
    if (RoundHalfEven(Val(row[column].ToText())) >= 1) tables << column;
  }
  return tables;
}

TEST_F(LaidOutFolder, ResultsDatabaseHoldsTestsOfEachType) {
  Connection results, training;
  Open(results, kResults, "pirowask");
  Open(training, kTraining, "tr@vund");
  const TableData list = ReadTable(results, "SELECT * FROM TestList");
  ASSERT_GE(list.columns.size(), 10);
  EXPECT_EQ(list.columns.mid(0, 10), (QStringList{"TestID", "AssessorName", "TypeTest", "TimePerQuestion",
                                                  "DatabaseVersion", "StatusTest", "DateTest", "NamePerson",
                                                  "Password", "ABOS"}));
  EXPECT_TRUE(std::any_of(list.columns.begin() + 10, list.columns.end(), [](const QString& c) { return c.endsWith("OK"); }));
  // Every question-table column names a question table of the training database.
  const QStringList questionTables = TablesWithParts(training, false);
  for (const QString& column : list.columns.mid(9)) {
    if (!column.endsWith("OK")) EXPECT_TRUE(questionTables.contains(column)) << column.toStdString();
  }
  QHash<QString, Record> byId;
  for (const Record& row : list.rows) byId.insert(row["TestID"].ToText(), row);
  ASSERT_TRUE(byId.contains("MAST1") && byId.contains("MATE1") && byId.contains("OOW1") && byId.contains("OOW2"));
  EXPECT_EQ(byId["MAST1"]["TypeTest"].ToText(), "Deck1");
  EXPECT_EQ(ListedTables(list, byId["MAST1"]).size(), 23);
  EXPECT_EQ(byId["MATE1"]["TypeTest"].ToText(), "Deck2");
  EXPECT_EQ(ListedTables(list, byId["MATE1"]).size(), 21);
  EXPECT_EQ(byId["OOW1"]["TypeTest"].ToText(), "Deck4");
  EXPECT_LE(ListedTables(list, byId["OOW1"]).size(), 20);  // what scoring can record
  EXPECT_EQ(byId["OOW1"]["TimePerQuestion"].ToInteger(), 90);
  EXPECT_EQ(byId["OOW2"]["TimePerQuestion"].ToInteger(), 9999);
  // A type the assessment program does not know.
  ASSERT_TRUE(byId.contains("ODD1"));
  for (const char* known : {"Deck1", "Deck2", "Deck4"}) EXPECT_NE(byId["ODD1"]["TypeTest"].ToText(), known);
  // Counts given as text: read through Val, "." the only decimal point, halves to even.
  ASSERT_TRUE(byId.contains("TEXT1"));
  const Record text = byId["TEXT1"];
  EXPECT_EQ(text["ABOS"].type(), Variant::Type::Text);
  EXPECT_EQ(text["ABOS"].ToText(), "2,5");
  EXPECT_EQ(text["COLREG1"].ToText(), "3 questions");
  EXPECT_EQ(ListedTables(list, text), (QStringList{"ABOS", "COLREG1", "COLREG2", "COLREG3", "WATCH1"}));
  EXPECT_EQ(RoundHalfEven(Val(text["COLREG3"].ToText())), 4);
  // Assessors log on with a name and a password.
  int assessors = 0;
  for (const Record& row : list.rows) {
    for (const char* field : {"AssessorName", "TypeTest", "TimePerQuestion", "DatabaseVersion", "NamePerson", "Password"})
      EXPECT_FALSE(row[field].IsNull()) << row["TestID"].ToText().toStdString() << " " << field;
    if (row["TypeTest"].ToText() == "Assessor") {
      ++assessors;
      EXPECT_FALSE(row["NamePerson"].ToText().isEmpty());
      EXPECT_FALSE(row["Password"].ToText().isEmpty());
    }
  }
  EXPECT_GE(assessors, 2);
  const TableData scores = ReadTable(results, "SELECT * FROM TestResults");
  EXPECT_EQ(scores.columns, (QStringList{"DateTest", "TestType", "Percent"}));
  EXPECT_TRUE(scores.rows.isEmpty());
}

// Stored as a rich-text control writes plain text: MS Sans Serif, 8.5 points.
bool WrittenAsRichText(const QString& text) {
  return IsRtf(text) && text.contains("\\fcharset0 MS Sans Serif;") && text.contains("\\pard\\f0\\fs17");
}

QString PlainText(const QString& rtf) {
  QTextDocument document;
  ReadRtf(QStringView(rtf), document);
  return document.toPlainText().trimmed();
}

TEST_F(LaidOutFolder, TrainingDatabaseHasQuestionAndStepTables) {
  Connection training;
  Open(training, kTraining, "tr@vund");
  const TableData id = ReadTable(training, "SELECT * FROM TableID");
  EXPECT_EQ(id.columns, (QStringList{"VersionMain", "VersionSec", "Description"}));
  EXPECT_EQ(id.rows.size(), 1);
  const TableData list = ReadTable(training, "SELECT * FROM TableList ORDER BY DBName");
  EXPECT_EQ(list.columns, (QStringList{"DBName", "DBDescription", "QuestionParts", "QuestionPic", "AnswerPic",
                                       "NumRules", "PicName"}));
  // The order agrees with the case-insensitive comparison the programs search with.
  for (int i = 1; i < list.rows.size(); ++i) {
    EXPECT_LT(CompareText(list.rows[i - 1]["DBName"].ToText(), list.rows[i]["DBName"].ToText()), 0);
  }
  int questionTables = 0, twoPart = 0, onePart = 0, withPictures = 0, withoutPrefix = 0;
  bool nullQuestion = false, nullSecondPart = false;
  QHash<QString, QString> firstSeen;  // lower-case question text -> table
  int duplicatesWithin = 0, duplicatesAcross = 0;
  for (const Record& entry : list.rows) {
    const QString name = entry["DBName"].ToText();
    const int parts = entry["QuestionParts"].ToInteger();
    if (parts < 1) continue;
    ++questionTables;
    (parts == 2 ? twoPart : onePart)++;
    if (entry["QuestionPic"].ToBoolean() || entry["AnswerPic"].ToBoolean()) {
      ++withPictures;
      if (entry["PicName"].IsNull()) ++withoutPrefix;
    }
    const TableData rows = ReadTable(training, QStringLiteral("SELECT * FROM %1").arg(QuoteIdentifier(name)));
    EXPECT_EQ(rows.columns, (QStringList{"Id", "Question1", "Answer1", "Question2", "Answer2"})) << name.toStdString();
    EXPECT_FALSE(rows.rows.isEmpty()) << name.toStdString();
    for (const Record& row : rows.rows) {
      EXPECT_FALSE(row["Id"].IsNull());
      if (row["Question1"].IsNull()) {
        nullQuestion = true;
        continue;
      }
      const QString question = row["Question1"].ToText();
      EXPECT_TRUE(WrittenAsRichText(question)) << question.toStdString();
      if (name == "ABOS" && row["Id"].ToInteger() == 1) {
        EXPECT_EQ(PlainText(question), "Which knot forms a loop at the end of a rope that will neither slip nor jam?");
        EXPECT_EQ(PlainText(row["Answer1"].ToText()), "A bowline.");
      }
      if (parts == 2 && row["Question2"].IsNull()) nullSecondPart = true;
      const QString key = question.toLower();
      if (firstSeen.contains(key)) (firstSeen[key] == name ? duplicatesWithin : duplicatesAcross)++;
      else firstSeen.insert(key, name);
    }
  }
  EXPECT_GE(questionTables, 23);
  EXPECT_GT(onePart, 0);
  EXPECT_GT(twoPart, 0);
  EXPECT_GT(withPictures, 1);
  EXPECT_GE(withoutPrefix, 1);
  EXPECT_TRUE(nullQuestion);
  EXPECT_TRUE(nullSecondPart);
  EXPECT_GE(duplicatesWithin, 1);
  EXPECT_GE(duplicatesAcross, 1);
}

TEST_F(LaidOutFolder, StepTablesOfNineTwelveAndHundredTwentySteps) {
  Connection training;
  Open(training, kTraining, "tr@vund");
  QList<int> counts;
  bool nullStep = false, withPrefix = false, withoutPrefix = false;
  for (const Record& entry : ReadTable(training, "SELECT * FROM TableList WHERE QuestionParts = -1").rows) {
    const QString name = entry["DBName"].ToText();
    (entry["PicName"].IsNull() ? withoutPrefix : withPrefix) = true;
    const TableData rows = ReadTable(training, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QuoteIdentifier(name)));
    EXPECT_EQ(rows.columns, (QStringList{"ID", "Step"}));
    int steps = 0;
    for (const Record& row : rows.rows) {
      if (row["Step"].IsNull()) {
        nullStep = true;
        continue;
      }
      ++steps;
      // Markup stays ASCII; the degree sign of a course reads back as itself.
      const QString step = row["Step"].ToText();
      EXPECT_TRUE(WrittenAsRichText(step)) << step.toStdString();
      EXPECT_TRUE(std::all_of(step.begin(), step.end(), [](QChar c) { return c.unicode() < 0x80; })) << step.toStdString();
      if (name == "PASSAGE") {
        const QString plain = PlainText(step);
        EXPECT_TRUE(plain.startsWith("Waypoint WP")) << plain.toStdString();
        EXPECT_TRUE(plain.contains(QString::fromUtf8("\u00b0 true;"))) << plain.toStdString();
      }
    }
    counts << steps;
    // The pictures of a table with a prefix are named prefix_ID.
    if (!entry["PicName"].IsNull()) {
      int pictures = 0;
      for (const Record& row : rows.rows) {
        if (QFileInfo::exists(Path("db/" + entry["PicName"].ToText() + "_" + row["ID"].ToText()))) ++pictures;
      }
      EXPECT_GT(pictures, 0) << name.toStdString();
    }
  }
  std::sort(counts.begin(), counts.end());
  EXPECT_EQ(counts, (QList<int>{9, 12, 120}));
  EXPECT_TRUE(nullStep);
  EXPECT_TRUE(withPrefix);
  EXPECT_TRUE(withoutPrefix);
}

TEST_F(LaidOutFolder, PicturesCoverEveryPlacementInSeveralFormats) {
  // The question window at its first size leaves a band of about 3900 twips
  // above the question (0.98 of its width across) and an area of about
  // 5200 x 5400 twips beside it; pictures of 6701 to 6899 twips square are
  // shown at 4560 twips. 15 twips make a pixel.
  enum Class { Band, Beside, Window, Square };
  auto classOf = [](QSize px) {
    const int h = px.height() * 15, w = px.width() * 15;
    if (h > 6700 && h < 6900 && w > 6700 && w < 6900) return Square;
    if (h > 3900) return (h > 5200 || w > 5400) ? Window : Beside;
    return w > 11300 ? Window : Band;
  };
  QSet<int> classes;
  QSet<QByteArray> formats;
  int pictures = 0;
  Connection training;
  Open(training, kTraining, "tr@vund");
  QStringList prefixes;
  for (const Record& row : ReadTable(training, "SELECT PicName FROM TableList WHERE PicName IS NOT NULL").rows)
    prefixes << row["PicName"].ToText();
  for (const QFileInfo& file : QDir(Path("db")).entryInfoList(QDir::Files)) {
    if (file.fileName().endsWith(".mdb")) continue;
    ++pictures;
    EXPECT_FALSE(file.fileName().contains('.')) << file.fileName().toStdString();  // no extension
    EXPECT_TRUE(prefixes.contains(file.fileName().section('_', 0, 0))) << file.fileName().toStdString();
    QImageReader reader(file.filePath());
    reader.setDecideFormatFromContent(true);
    const QByteArray format = reader.format();
    const QImage image = reader.read();
    ASSERT_FALSE(image.isNull()) << file.fileName().toStdString() << ": " << reader.errorString().toStdString();
    formats.insert(format);
    classes.insert(classOf(image.size()));
    // The caption band runs along the foot of every picture, navy after
    // decoding: a damaged file or a wrong size shows here.
    // Averaged along a line, so that the GIF's dithering evens out.
    double r = 0, g = 0, b = 0;
    const int y = image.height() - 4;
    const int from = image.width() / 3, to = 2 * image.width() / 3;
    for (int x = from; x < to; ++x) {
      const QColor c = image.pixelColor(x, y);
      r += c.red();
      g += c.green();
      b += c.blue();
    }
    const int n = to - from;
    EXPECT_LT(std::abs(r / n - 31) + std::abs(g / n - 58) + std::abs(b / n - 95), 30)
        << file.fileName().toStdString() << " foot " << r / n << "," << g / n << "," << b / n;
  }
  EXPECT_GE(pictures, 20);
  EXPECT_EQ(formats, (QSet<QByteArray>{"png", "jpeg", "bmp", "gif"}));
  EXPECT_EQ(classes, (QSet<int>{Band, Beside, Window, Square}));
  // The edges of the square class: 447 and 459 pixels are in it, 446 and 460 not.
  for (const char* name : {"lights_Q1_5", "buoy_A1_2"}) {
    EXPECT_EQ(classOf(QImageReader(Path(QStringLiteral("db/") + name)).size()), Square) << name;
  }
  EXPECT_NE(classOf(QImageReader(Path("db/chart_Q1_5")).size()), Square);
  EXPECT_NE(classOf(QImageReader(Path("db/lights_Q2_4")).size()), Square);
}

TEST_F(LaidOutFolder, StudyDatabaseKeepsDateSerials) {
  Connection study;
  Open(study, kStudy, "dun kl0aver", adModeReadWrite);
  const TableData list = ReadTable(study, "SELECT * FROM StudyList");
  EXPECT_EQ(list.columns, (QStringList{"NamePerson", "NameSection", "TimeIn", "TimeOut"}));
  ASSERT_FALSE(list.rows.isEmpty());
  for (const Record& row : list.rows) {
    EXPECT_GE(row["NamePerson"].ToText().size(), 5);
    // Days since 30 December 1899: a morning in 2024 lies past 45000.
    EXPECT_GT(row["TimeIn"].ToDateSerial(), 45000.0);
    EXPECT_GT(row["TimeOut"].ToDateSerial(), row["TimeIn"].ToDateSerial());
  }
  // The front-end appends rows to it.
  Recordset rs;
  rs.Open(study, "StudyList");
  rs.AddNew();
  rs.SetValue("NamePerson", "Tester Tom");
  rs.SetValue("NameSection", "Rules of the road - Buoyage animation");
  rs.SetValue("TimeIn", Variant::Date(45400.5));
  rs.Update();
  EXPECT_EQ(ReadTable(study, "SELECT * FROM StudyList").rows.size(), list.rows.size() + 1);
}

TEST_F(LaidOutFolder, HelpFilesPagesMovieAndDocuments) {
  auto head = [](const QString& path, int n) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(n) : QByteArray();
  };
  for (const char* help : {"QVRV5_OOW/Corvanta.chm", "QVRV5_MM/QVRV5MM.chm", "Books/BridgeProcedures.chm"}) {
    ASSERT_TRUE(QFileInfo::exists(Path(help))) << help;
    if (!QStandardPaths::findExecutable("chmcmd").isEmpty()) EXPECT_EQ(head(Path(help), 4), "ITSF") << help;
  }
  const QByteArray page = head(Path("WebPack/tkb300565.htm"), 100000);
  EXPECT_TRUE(page.contains("<title>Passage planning</title>"));
  EXPECT_TRUE(QFileInfo(Path("WebPack/TKBWebPack")).isExecutable());
  EXPECT_TRUE(QFileInfo(Path("Training/TKBTrainingReport")).isExecutable());
  // The page the training report's stand-in shows, named after it.
  EXPECT_TRUE(head(Path("Training/TKBTrainingReport.htm"), 100000).contains("<title>Training report</title>"));
  const QByteArray animation = head(Path("Animations/buoyage.htm"), 100000);
  EXPECT_TRUE(animation.contains("<svg") && animation.contains("@keyframes"));
  EXPECT_EQ(head(Path("Docs/COLREG summary.pdf"), 5), "%PDF-");
  EXPECT_GT(QFileInfo(Path("Docs/Safe working.txt")).size(), 100);
  // The movie: five seconds of 352 x 288 MPEG-1 video with sound.
  const QString movie = Path("Videos/lookout.mpg");
  ASSERT_TRUE(QFileInfo::exists(movie)) << output_->toStdString();
  const QString probe = QStandardPaths::findExecutable("ffprobe");
  ASSERT_FALSE(probe.isEmpty());
  QProcess ffprobe;
  ffprobe.start(probe, {"-v", "error", "-show_entries", "stream=codec_name,width,height:format=format_name,duration",
                        "-of", "default=noprint_wrappers=1", movie});
  ASSERT_TRUE(ffprobe.waitForFinished(30000));
  const QString info = QString::fromLocal8Bit(ffprobe.readAll());
  EXPECT_TRUE(info.contains("codec_name=mpeg1video")) << info.toStdString();
  EXPECT_TRUE(info.contains("codec_name=mp2")) << info.toStdString();
  EXPECT_TRUE(info.contains("width=352") && info.contains("height=288")) << info.toStdString();
  EXPECT_TRUE(info.contains("format_name=mpeg")) << info.toStdString();
  const double duration = info.section("duration=", 1).section('\n', 0, 0).toDouble();
  EXPECT_NEAR(duration, 5.0, 0.3) << info.toStdString();
}

TEST(ContentTool, CopiesTheProgramsOfABuildAndLaysOutAgain) {
  ASSERT_TRUE(QFileInfo(ToolPath()).isExecutable()) << ToolPath().toStdString();
  QTemporaryDir build, app;
  // A build with two of the three programs, and the stand-in.
  for (const char* program : {"src/assessment/Pellorin", "src/stepbrowser/Varnok", "content/qvr-standin"}) {
    QDir(build.path()).mkpath(QFileInfo(build.filePath(program)).path());
    QFile file(build.filePath(program));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("#!/bin/sh\necho ") + program + "\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
  }
  const QStringList arguments = {"--build", build.path(), "--out", app.path(), "--no-movie"};
  const ToolRun first = RunTool(arguments);
  ASSERT_EQ(first.exitCode, 0) << first.output.toStdString();
  EXPECT_TRUE(first.output.contains("programs: Pellorin, Varnok, WebPack/TKBWebPack, Training/TKBTrainingReport\n"))
      << first.output.toStdString();
  EXPECT_TRUE(QFileInfo(app.filePath("Pellorin")).isExecutable());
  EXPECT_TRUE(QFileInfo(app.filePath("Varnok")).isExecutable());
  for (const char* program : {"WebPack/TKBWebPack", "Training/TKBTrainingReport"}) {
    QFile copy(app.filePath(program));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << program;
    EXPECT_EQ(copy.readAll(), "#!/bin/sh\necho content/qvr-standin\n") << program;
  }
  EXPECT_FALSE(QFileInfo::exists(app.filePath("Corvanta")));
  EXPECT_FALSE(QFileInfo::exists(app.filePath("Videos/lookout.mpg")));
  // A study row written between two layouts is gone after the second: the
  // databases are made afresh, not refused because they exist.
  {
    Connection study;
    study.ConnectionString = JetConnectionString(app.filePath("Training/db/TKBStudy.mdb"), "dun kl0aver");
    study.Mode = adModeReadWrite;
    study.Open();
    study.Execute("DELETE FROM StudyList");
  }
  const ToolRun second = RunTool(arguments);
  ASSERT_EQ(second.exitCode, 0) << second.output.toStdString();
  Connection study;
  study.ConnectionString = JetConnectionString(app.filePath("Training/db/TKBStudy.mdb"), "dun kl0aver");
  study.Mode = adModeRead;
  study.Open();
  EXPECT_EQ(ReadTable(study, "SELECT * FROM StudyList").rows.size(), 3);
}

TEST(ContentTool, ReportsWhatItCannotDo) {
  ASSERT_TRUE(QFileInfo(ToolPath()).isExecutable()) << ToolPath().toStdString();
  const ToolRun noFolder = RunTool({});
  EXPECT_EQ(noFolder.exitCode, 2);
  EXPECT_TRUE(noFolder.output.contains("qvr-content: --out is required")) << noFolder.output.toStdString();
  // A file where the folder should be.
  QTemporaryDir dir;
  QFile blocker(dir.filePath("app"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const ToolRun blocked = RunTool({"--out", dir.filePath("app"), "--no-movie"});
  EXPECT_EQ(blocked.exitCode, 1);
  EXPECT_TRUE(blocked.output.contains("qvr-content: cannot make")) << blocked.output.toStdString();
}

}  // namespace

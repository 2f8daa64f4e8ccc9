// Connections: connection strings, opening files as Jet does, passwords,
// provider error numbers, the collation and quoting of names.
#include <sqlite3.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "DataTestSupport.h"

using namespace platform;
using namespace datatest;

namespace {

QString ReadPragma(Connection& connection, const char* pragma) {
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(connection.Handle(), pragma, -1, &stmt, nullptr);
  QString value;
  if (sqlite3_step(stmt) == SQLITE_ROW) value = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
  sqlite3_finalize(stmt);
  return value;
}

void MakeTableList(Connection& c) {
  CreateTable(c, "TableList", {{"DBName", ColumnType::Text}, {"DBDescription", ColumnType::Text},
                               {"QuestionParts", ColumnType::Integer}});
}

}  // namespace

TEST(ConnectionString, KeepsTheJetTextAndReadsPathAndPasswordBack) {
  const QString text = JetConnectionString("/opt/qvr/QVRV5_OOW/db/QVRV 5 - OOW.mdb", "p@lvoran k0mte");
  EXPECT_EQ(text, "PROVIDER=Microsoft.Jet.OLEDB.4.0; Data Source=/opt/qvr/QVRV5_OOW/db/QVRV 5 - OOW.mdb; "
                  "Jet OLEDB:Database Password=p@lvoran k0mte;");
  const ConnectionSettings settings = ParseConnectionString(text);
  EXPECT_EQ(settings.dataSource, "/opt/qvr/QVRV5_OOW/db/QVRV 5 - OOW.mdb");
  EXPECT_EQ(settings.password, "p@lvoran k0mte");
}

TEST(ConnectionString, BlanksAroundKeysAndEqualsSignsAndLetterCaseDoNotMatter) {
  const ConnectionSettings a =
      ParseConnectionString("provider = Microsoft.Jet.OLEDB.4.0 ;  data source =  /a b/c d.mdb  ;"
                            "JET OLEDB:DATABASE PASSWORD=dun kl0aver");
  EXPECT_EQ(a.dataSource, "/a b/c d.mdb");
  EXPECT_EQ(a.password, "dun kl0aver");
  const ConnectionSettings none = ParseConnectionString("PROVIDER=Microsoft.Jet.OLEDB.4.0;;junk;");
  EXPECT_TRUE(none.dataSource.isEmpty());
  EXPECT_TRUE(none.password.isEmpty());
}

TEST(ConnectionString, ValuesWithSemicolonsQuotesOrOuterBlanksRoundTrip) {
  for (const auto& [path, password] : std::vector<std::pair<QString, QString>>{
           {"/tmp/a;b/x.mdb", " lead"}, {"\"quoted\".mdb", "it's;\"x\""}, {"/tmp/trail ", "'"}}) {
    const ConnectionSettings settings = ParseConnectionString(JetConnectionString(path, password));
    EXPECT_EQ(settings.dataSource, path);
    EXPECT_EQ(settings.password, password);
  }
  EXPECT_EQ(ParseConnectionString("Data Source='it''s.mdb' ; Jet OLEDB:Database Password=\"a;b\"").dataSource,
            "it's.mdb");
}

TEST(QuoteIdentifierTest, BracketsBecomeQuotesAndQuotesAreDoubled) {
  EXPECT_EQ(QuoteIdentifier("[Left Panel Title]"), "\"Left Panel Title\"");
  EXPECT_EQ(QuoteIdentifier("TableList"), "\"TableList\"");
  EXPECT_EQ(QuoteIdentifier("Bob\"s"), "\"Bob\"\"s\"");
}

class ConnectionTest : public DataFixture {};

TEST_F(ConnectionTest, AMissingFileOrFolderIsNotFoundAndNeverCreated) {
  for (const QString& path : {Path("QVRResults.mdb"), Path("no folder/TKBTraining.mdb")}) {
    for (int mode : {adModeRead, adModeReadWrite, adModeUnknown}) {
      Connection c;
      c.ConnectionString = JetConnectionString(path, "pirowask");
      c.Mode = mode;
      const Failure f = FailureOf([&] { c.Open(); });
      EXPECT_EQ(f.number, err::ProviderFailure);
      EXPECT_EQ(f.description, "Could not find file '" + path + "'.");
      EXPECT_FALSE(c.IsOpen());
      EXPECT_FALSE(QFileInfo::exists(path));
    }
  }
  EXPECT_FALSE(QFileInfo::exists(Path("no folder")));
}

TEST_F(ConnectionTest, AFileThatIsNotADatabaseFailsWithItsOwnDescription) {
  QFile text(Path("notes.mdb"));
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write(QByteArray("This is a text file, not a database at all.\n").repeated(100));
  text.close();
  QFile(Path("empty.mdb")).open(QIODevice::WriteOnly);
  for (const QString& name : {"notes.mdb", "empty.mdb"}) {
    const qint64 size = QFileInfo(Path(name)).size();
    const Failure f = FailureOf([&] { Open(Path(name), "x", adModeReadWrite); });
    EXPECT_EQ(f.number, err::ProviderFailure) << name.toStdString();
    EXPECT_EQ(f.description, "file is not a database");
    EXPECT_EQ(QFileInfo(Path(name)).size(), size);
  }
}

TEST_F(ConnectionTest, AFolderInPlaceOfTheFileIsNotFound) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("folder.mdb"));
  const Failure f = FailureOf([&] { Open(Path("folder.mdb"), "", adModeRead); });
  EXPECT_EQ(f.number, err::ProviderFailure);
  EXPECT_EQ(f.description, "Could not find file '" + Path("folder.mdb") + "'.");
}

TEST_F(ConnectionTest, TheFileNameIsFoundInAnyLetterCase) {
  MakeDatabase("qvrresults.MDB", "pirowask", [](Connection& c) { c.Execute("CREATE TABLE TestResults (x)"); });
  auto c = Open(Path("QVRResults.mdb"), "pirowask", adModeRead);
  EXPECT_EQ(c->DataSource(), Path("qvrresults.MDB"));
  EXPECT_EQ(c->TableNames(), QStringList{"TestResults"});
  EXPECT_FALSE(QFileInfo::exists(Path("QVRResults.mdb")));
}

TEST_F(ConnectionTest, PasswordsAreCheckedExactly) {
  const QString path = MakeDatabase("TKBStudy.mdb", "dun kl0aver");
  EXPECT_TRUE(Open(path, "dun kl0aver", adModeReadWrite)->IsOpen());
  for (const QString& wrong : {"", "Dun kl0aver", "dun kl0aver ", "korvinel"}) {
    Connection c;
    c.ConnectionString = JetConnectionString(path, wrong);
    c.Mode = adModeRead;
    const Failure f = FailureOf([&] { c.Open(); });
    EXPECT_EQ(f.number, err::NotValidPassword) << wrong.toStdString();
    EXPECT_EQ(f.description, "Not a valid password.");
    EXPECT_FALSE(c.IsOpen());
  }
}

TEST_F(ConnectionTest, AFileWithoutPasswordOpensWithAnyPasswordButNoneOpensAFileWithoutItsRecord) {
  const QString path = MakeDatabase("open.mdb", "");
  EXPECT_TRUE(Open(path, "", adModeRead)->IsOpen());
  EXPECT_TRUE(Open(path, "tr@vund", adModeRead)->IsOpen());
  // The record dropped by another tool, or an empty database.
  const QString dropped = MakeDatabase("QVRResults.mdb", "pirowask", [](Connection& c) {
    CreateTable(c, "TestResults", {{"Percent", ColumnType::Double}});
  });
  for (const auto& [file, sql] : {std::pair(dropped, "DROP TABLE MSysPassword"),
                                  std::pair(Path("empty.mdb"), "PRAGMA user_version = 1")}) {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(file).constData(), &raw), SQLITE_OK);
    sqlite3_exec(raw, sql, nullptr, nullptr, nullptr);
    sqlite3_close(raw);
    for (const QString& password : {"", "pirowask"}) {
      const Failure f = FailureOf([&] { Open(file, password, adModeReadWrite); });
      EXPECT_EQ(f.number, err::NotValidPassword) << sql;
      EXPECT_EQ(f.description, "Not a valid password.");
    }
  }
}

TEST_F(ConnectionTest, ThePasswordTableCannotBeReachedOrRemoved) {
  const QString path = MakeDatabase("QVRResults.mdb", "pirowask", [](Connection& c) {
    c.Execute("CREATE TABLE TestList (TestID TEXT)");
    c.Execute("CREATE TABLE TestResults (Percent DOUBLE)");
  });
  auto c = Open(path, "pirowask", adModeReadWrite);
  EXPECT_EQ(c->TableNames(), (QStringList{"TestList", "TestResults"}));

  for (const QString& name : {"MSysPassword", "msyspassword"}) {
    Recordset rs;
    const Failure f = FailureOf([&] { rs.Open(*c, name); });
    EXPECT_EQ(f.number, err::TableNotFound);
    EXPECT_EQ(f.description, "no such table: " + name);
    EXPECT_EQ(FailureOf([&] { rs.OpenTable(*c, name); }).number, err::TableNotFound);
  }
  for (const QString& sql : {"SELECT * FROM MSysPassword", "DELETE FROM MSysPassword", "DROP TABLE MSysPassword",
                             "UPDATE MSysPassword SET Hash = NULL", "ALTER TABLE MSysPassword RENAME TO Free"}) {
    EXPECT_NE(FailureOf([&] { c->Execute(sql); }).number, 0) << sql.toStdString();
  }
  c->Close();
  EXPECT_EQ(FailureOf([&] { Open(path, "wrong", adModeRead); }).number, err::NotValidPassword);
  EXPECT_TRUE(Open(path, "pirowask", adModeRead)->IsOpen());
}

TEST_F(ConnectionTest, CreateDatabaseRefusesAnExistingFile) {
  const QString path = MakeDatabase("TKBTraining.mdb", "tr@vund", [](Connection& c) { MakeTableList(c); });
  const Failure f = FailureOf([&] { CreateDatabase(path, "other"); });
  EXPECT_EQ(f.number, err::ProviderFailure);
  EXPECT_EQ(f.description, "Database '" + path + "' already exists.");
  auto c = Open(path, "tr@vund", adModeRead);
  EXPECT_EQ(c->TableNames(), QStringList{"TableList"});
  EXPECT_EQ(FailureOf([&] { CreateDatabase(Path("missing/x.mdb"), ""); }).number, err::ProviderFailure);
}

TEST_F(ConnectionTest, ReadOnlyModeRefusesWrites) {
  const QString path = MakeDatabase("menu.mdb", "korvinel", [](Connection& c) {
    c.Execute("CREATE TABLE MainTableRecords (Start TEXT)");
  });
  auto ro = Open(path, "korvinel", adModeRead);
  EXPECT_TRUE(ro->IsReadOnly());
  const Failure f = FailureOf([&] { ro->Execute("INSERT INTO MainTableRecords VALUES (?)", {"x.pdf"}); });
  EXPECT_EQ(f.number, err::ProviderFailure);
  EXPECT_EQ(f.description, "attempt to write a readonly database");
  auto rw = Open(path, "korvinel", adModeReadWrite);
  EXPECT_FALSE(rw->IsReadOnly());
  rw->Execute("INSERT INTO MainTableRecords VALUES (?)", {"x.pdf"});
  Recordset rs;
  rs.Open(*ro, "MainTableRecords");
  EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_F(ConnectionTest, OpeningTwiceOrUsingAClosedConnectionFails) {
  const QString path = MakeDatabase("a.mdb", "", [](Connection& c) { c.Execute("CREATE TABLE T (x)"); });
  auto c = Open(path, "", adModeReadWrite);
  EXPECT_EQ(FailureOf([&] { c->Open(); }).number, err::ObjectOpen);
  c->Close();
  c->Close();
  EXPECT_FALSE(c->IsOpen());
  EXPECT_EQ(FailureOf([&] { c->Execute("DELETE FROM T"); }).number, err::ConnectionNotUsable);
  Recordset rs;
  EXPECT_EQ(FailureOf([&] { rs.Open(*c, "T"); }).number, err::ConnectionNotUsable);
  c->Open();
  EXPECT_TRUE(c->IsOpen());
}

TEST_F(ConnectionTest, SqliteFailuresCarryAdoNumbersAndSqliteTexts) {
  const QString path = MakeDatabase("a.mdb", "", [](Connection& c) { MakeTableList(c); });
  auto c = Open(path, "", adModeReadWrite);
  struct Case {
    QString sql;
    std::int32_t number;
    QString description;
  };
  const std::vector<Case> cases = {
      {"Selec * from TableList", err::SqlSyntaxError, "near \"Selec\": syntax error"},
      {"Select * from TableList where DBName = 'it's'", err::SqlSyntaxError, "near \"s\": syntax error"},
      {"Select * from Questions", err::TableNotFound, "no such table: Questions"},
      {"Select Nope from TableList", err::ParameterMissing, "no such column: Nope"},
      {"Select * from TableList; Select * from TableList", err::SqlSyntaxError,
       "Characters found after end of SQL statement."},
      {"  ", err::CommandTextNotSet, "Command text was not set for the command object."},
      {"INSERT INTO TableList (DBName, QuestionParts) VALUES (?, ?)", err::ParameterMissing,
       "No value given for one or more required parameters."},
  };
  for (const Case& k : cases) {
    const Failure f = FailureOf([&] { c->Execute(k.sql, {"only one"}); });
    EXPECT_EQ(f.number, k.number) << k.sql.toStdString();
    EXPECT_EQ(f.description, k.description) << k.sql.toStdString();
  }
  EXPECT_EQ(FailureOf([&] { c->Execute("DELETE FROM TableList", {"spare"}); }).number, err::BadArguments);
  EXPECT_EQ(FailureOf([&] { c->Execute("Select * from TableList;  -- done"); }).number, 0);
}

TEST_F(ConnectionTest, UsesARollbackJournalAndWaitsWhenBusy) {
  const QString path = MakeDatabase("a.mdb", "");
  {
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "PRAGMA journal_mode = WAL; CREATE TABLE T (x);", nullptr, nullptr, nullptr);
    sqlite3_close(raw);
  }
  auto c = Open(path, "", adModeReadWrite);
  EXPECT_EQ(ReadPragma(*c, "PRAGMA journal_mode"), "delete");
  EXPECT_EQ(ReadPragma(*c, "PRAGMA busy_timeout"), "5000");
  auto ro = Open(path, "", adModeRead);
  EXPECT_EQ(ReadPragma(*ro, "PRAGMA busy_timeout"), "5000");
  EXPECT_FALSE(QFileInfo::exists(path + "-wal"));
}

TEST_F(ConnectionTest, TableNamesComeInCreationOrder) {
  const QString path = MakeDatabase("a.mdb", "pw", [](Connection& c) {
    CreateTable(c, "TableList", {{"DBName", ColumnType::Text}});
    CreateTable(c, "Rules of the Road", {{"Id", ColumnType::Integer}});
    CreateTable(c, "ABC", {{"Id", ColumnType::Integer}});
    c.Execute("CREATE INDEX ByName ON TableList (DBName)");
    c.Execute("CREATE TABLE Counted (Id INTEGER PRIMARY KEY AUTOINCREMENT)");
  });
  EXPECT_EQ(Open(path, "pw", adModeRead)->TableNames(),
            (QStringList{"TableList", "Rules of the Road", "ABC", "Counted"}));
}

TEST_F(ConnectionTest, NamesCompareAndSortWithoutRegardToCase) {
  const QStringList names = {"beta", "Alpha", "gamma", "alpha2", "Delta", "_under", "Zeta", "\u00c9p\u00e9e", "epee",
                             "Bravo", "0 first"};
  const QString path = MakeDatabase("TKBTraining.mdb", "tr@vund", [&](Connection& c) {
    MakeTableList(c);
    for (const QString& name : names)
      c.Execute("INSERT INTO TableList (DBName, DBDescription, QuestionParts) VALUES (?, ?, 1)", {name, "d " + name});
  });
  auto c = Open(path, "tr@vund", adModeRead);
  Recordset sorted;
  sorted.Open(*c, "Select * from TableList where (QuestionParts > 0 ) order by DBName");
  QStringList read;
  for (; !sorted.IsEOF(); sorted.MoveNext()) read << sorted.Value("DBName").ToText();
  QStringList expected = names;
  std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return CompareText(a, b) < 0; });
  EXPECT_EQ(read, expected);
  EXPECT_LT(read.indexOf("alpha2"), read.indexOf("Bravo"));  // not the binary order

  Recordset found;
  found.Open(*c, "Select * from TableList where DBName = ?", {"\u00e9P\u00c9E"});
  ASSERT_EQ(found.RecordCount(), 1);
  EXPECT_EQ(found.Value("DBName").ToText(), "\u00c9p\u00e9e");
  Recordset literal;
  literal.Open(*c, "Select * from TableList where DBName = 'ZETA'");
  EXPECT_EQ(literal.RecordCount(), 1);
}

TEST_F(ConnectionTest, ValuesAreBoundSoQuotesAreData) {
  const QString path = MakeDatabase("QVRResults.mdb", "pirowask", [](Connection& c) {
    CreateTable(c, "TestList", {{"TestID", ColumnType::Text}, {"NamePerson", ColumnType::Text}});
    c.Execute("INSERT INTO TestList VALUES (?, ?)", {"T1", "O'Brien"});
    c.Execute("INSERT INTO TestList VALUES (?, ?)", {"T2", "Smith"});
  });
  auto c = Open(path, "pirowask", adModeReadWrite);
  Recordset rs;
  rs.Open(*c, "Select * from TestList where NamePerson = ?", {"o'brien"});
  ASSERT_EQ(rs.RecordCount(), 1);
  EXPECT_EQ(rs.Value("TestID").ToText(), "T1");
  rs.Close();

  rs.Open(*c, "Select * from TestList where TestID = ?", {"x' OR '1'='1"});
  EXPECT_EQ(rs.RecordCount(), 0);
  rs.Close();

  const QString hostile = "TestList\"; DROP TABLE TestList; --";
  const Failure f = FailureOf([&] { rs.Open(*c, hostile); });
  EXPECT_EQ(f.number, err::TableNotFound);
  EXPECT_EQ(f.description, "no such table: " + hostile);
  EXPECT_EQ(c->TableNames(), QStringList{"TestList"});

  const QString odd = "Bob's \"Steps\" [1]";
  CreateTable(*c, odd, {{"ID", ColumnType::Integer}, {"Step", ColumnType::Memo}});
  c->Execute("INSERT INTO " + QuoteIdentifier(odd) + " VALUES (?, ?)", {2, "second"});
  c->Execute("INSERT INTO " + QuoteIdentifier(odd) + " VALUES (?, ?)", {1, "first"});
  rs.Open(*c, "Select * from " + QuoteIdentifier(odd) + " order by ID");
  ASSERT_EQ(rs.RecordCount(), 2);
  EXPECT_EQ(rs.Value("Step").ToText(), "first");
  rs.Close();
  rs.Open(*c, odd);
  EXPECT_EQ(rs.Value("Step").ToText(), "second");
}

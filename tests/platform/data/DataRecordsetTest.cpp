// Recordsets: counts and moves as ADO has them, fields by name and position,
// value types, and writes that reach the file.
#include <QDateTime>

#include "DataTestSupport.h"

using namespace platform;
using namespace datatest;

namespace {

const QString kRowMissing =
    QStringLiteral("Row cannot be located for updating. Some values may have been changed since it was last read.");

void MakeStudyList(Connection& c) {
  CreateTable(c, "StudyList", {{"NamePerson", ColumnType::Text},
                               {"NameSection", ColumnType::Text},
                               {"TimeIn", ColumnType::DateTime},
                               {"TimeOut", ColumnType::DateTime}});
}

void MakeTestList(Connection& c) {
  CreateTable(c, "TestList", {{"TestID", ColumnType::Text},
                              {"TypeTest", ColumnType::Text},
                              {"TimePerQuestion", ColumnType::Integer},
                              {"StatusTest", ColumnType::YesNo},
                              {"DateTest", ColumnType::DateTime},
                              {"ABOS", ColumnType::Text},
                              {"ABOSOK", ColumnType::YesNo},
                              {"Weight", ColumnType::Double}});
  c.Execute("INSERT INTO TestList VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {"OOW1", "Deck4", 60, false, Variant::Null(), "2.5", true, 0.75});
  c.Execute("INSERT INTO TestList VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {"MM1", "Deck2", 9999, false, Variant::Null(), "3", false, 1.5});
  c.Execute("INSERT INTO TestList VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {"MM2", "Deck1", 45, false, Variant::Null(), Variant::Null(), false, Variant::Null()});
}

double Serial(int y, int mo, int d, int h, int mi, int s) {
  return ToDateSerial(QDateTime(QDate(y, mo, d), QTime(h, mi, s)));
}

}  // namespace

class RecordsetTest : public DataFixture {
 protected:
  void SetUp() override {
    results_ = MakeDatabase("QVRResults.mdb", "pirowask", [](Connection& c) {
      MakeTestList(c);
      CreateTable(c, "TestResults",
                  {{"DateTest", ColumnType::DateTime}, {"TestType", ColumnType::Text}, {"Percent", ColumnType::Double}});
    });
  }
  std::unique_ptr<Connection> Results(int mode = adModeReadWrite) { return Open(results_, "pirowask", mode); }

  QString results_;
};

TEST_F(RecordsetTest, CountsAndMovesFollowAdo) {
  auto c = Results();
  Recordset rs;
  rs.Open(*c, "TestList");
  EXPECT_EQ(rs.RecordCount(), 3);
  EXPECT_FALSE(rs.IsBOF());
  EXPECT_FALSE(rs.IsEOF());
  EXPECT_EQ(rs.Value("TestID").ToText(), "OOW1");
  rs.MoveNext();
  EXPECT_EQ(rs.Value("TestID").ToText(), "MM1");
  rs.MoveNext();
  rs.MoveNext();
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_FALSE(rs.IsBOF());
  EXPECT_EQ(FailureOf([&] { rs.Value("TestID"); }).number, err::NoCurrentRecord);
  EXPECT_EQ(FailureOf([&] { rs.MoveNext(); }).number, err::NoCurrentRecord);
  rs.MovePrevious();
  EXPECT_EQ(rs.Value("TestID").ToText(), "MM2");
  rs.MoveFirst();
  EXPECT_EQ(rs.Value("TestID").ToText(), "OOW1");
  rs.MovePrevious();
  EXPECT_TRUE(rs.IsBOF());
  EXPECT_FALSE(rs.IsEOF());
  const Failure f = FailureOf([&] { rs.MovePrevious(); });
  EXPECT_EQ(f.number, err::NoCurrentRecord);
  EXPECT_EQ(f.description, ErrorDescription(err::NoCurrentRecord));
  rs.MoveLast();
  EXPECT_EQ(rs.Value("TestID").ToText(), "MM2");
  EXPECT_EQ(rs.RecordCount(), 3);
}

TEST_F(RecordsetTest, AnEmptyRecordsetIsAtBothEnds) {
  auto c = Results();
  Recordset rs;
  rs.Open(*c, "Select * from TestList where TestID = ?", {"nothing"});
  EXPECT_EQ(rs.RecordCount(), 0);
  EXPECT_TRUE(rs.IsBOF());
  EXPECT_TRUE(rs.IsEOF());
  EXPECT_EQ(rs.FieldCount(), 8);
  for (const auto& call : std::vector<std::function<void()>>{[&] { rs.MoveFirst(); }, [&] { rs.MoveLast(); },
                                                              [&] { rs.MoveNext(); }, [&] { rs.Value(0); },
                                                              [&] { rs.Value("TestID"); }}) {
    const Failure f = FailureOf(call);
    EXPECT_EQ(f.number, err::NoCurrentRecord);
    EXPECT_EQ(f.description, ErrorDescription(err::NoCurrentRecord));
  }
}

TEST_F(RecordsetTest, FieldsByNameInAnyCaseAndByPositionWithoutTheRowid) {
  auto c = Results();
  Recordset rs;
  rs.Open(*c, "Select * from TestList where TestID = ?", {"MM1"});
  ASSERT_EQ(rs.FieldCount(), 8);
  QStringList names;
  for (int i = 0; i < rs.FieldCount(); ++i) names << rs.FieldName(i);
  EXPECT_EQ(names, (QStringList{"TestID", "TypeTest", "TimePerQuestion", "StatusTest", "DateTest", "ABOS", "ABOSOK",
                                "Weight"}));
  EXPECT_EQ(rs.Value("typetest").ToText(), "Deck2");
  EXPECT_EQ(rs.Value("TYPETEST").ToText(), "Deck2");
  EXPECT_EQ(rs.Value(1).ToText(), "Deck2");
  EXPECT_EQ(rs.Value(2).ToInteger(), 9999);
  for (const auto& call : std::vector<std::function<void()>>{
           [&] { rs.Value("rowid"); }, [&] { rs.Value("_rowid_"); }, [&] { rs.Value("Type Test"); },
           [&] { rs.Value(8); }, [&] { rs.Value(-1); }, [&] { rs.FieldName(8); },
           [&] { rs.SetValue("Nope", 1); }}) {
    const Failure f = FailureOf(call);
    EXPECT_EQ(f.number, err::ItemNotFound);
    EXPECT_EQ(f.description, kNotFound);
  }
  rs.Close();
  rs.Open(*c, "SELECT [TypeTest], TimePerQuestion AS [Time Per Question] FROM TestList");
  EXPECT_EQ(rs.FieldCount(), 2);
  EXPECT_EQ(rs.FieldName(0), "TypeTest");
  EXPECT_EQ(rs.Value("time per question").ToInteger(), 60);
}

TEST_F(RecordsetTest, ValuesReadBackAsTheirColumnTypes) {
  auto c = Results();
  Recordset rs;
  rs.Open(*c, "TestList");
  EXPECT_EQ(rs.Value("TestID"), Variant("OOW1"));
  EXPECT_EQ(rs.Value("TimePerQuestion"), Variant(60));
  EXPECT_EQ(rs.Value("StatusTest"), Variant(false));
  EXPECT_EQ(rs.Value("ABOSOK"), Variant(true));
  EXPECT_EQ(rs.Value("ABOSOK").RawInteger(), -1);
  EXPECT_TRUE(rs.Value("DateTest").IsNull());
  EXPECT_EQ(rs.Value("ABOS"), Variant("2.5"));
  EXPECT_EQ(rs.Value("Weight"), Variant(0.75));
  rs.MoveLast();
  EXPECT_TRUE(rs.Value("Weight").IsNull());
  EXPECT_EQ(FailureOf([&] { rs.Value("ABOS").ToText(); }).number, err::InvalidUseOfNull);
  rs.Close();
  // True is stored as Jet stores it.
  rs.Open(*c, "Select ABOSOK + 0 AS Raw, typeof(Weight) AS Kind FROM TestList");
  EXPECT_EQ(rs.Value("Raw"), Variant(-1));
  EXPECT_EQ(rs.Value("Kind"), Variant("real"));
}

TEST_F(RecordsetTest, ATableOpensWholeInItsOwnRowOrder) {
  const QString path = MakeDatabase("TKBStudy.mdb", "dun kl0aver", [](Connection& c) {
    MakeStudyList(c);
    for (const char* name : {"Zed", "Adams", "Miller"}) c.Execute("INSERT INTO StudyList (NamePerson) VALUES (?)", {name});
  });
  auto c = Open(path, "dun kl0aver", adModeReadWrite);
  Recordset rs;
  rs.Open(*c, "StudyList");
  QStringList names;
  for (; !rs.IsEOF(); rs.MoveNext()) names << rs.Value("NamePerson").ToText();
  EXPECT_EQ(names, (QStringList{"Zed", "Adams", "Miller"}));
}

TEST_F(RecordsetTest, StudyRecordStartAndStopReachTheFile) {
  const QString path = MakeDatabase("TKBStudy.mdb", "dun kl0aver", [](Connection& c) { MakeStudyList(c); });
  const double in = Serial(2024, 3, 15, 13, 45, 30);
  const double out = Serial(2024, 3, 15, 14, 2, 7);
  {
    // "start": open the table whole, move to the last row, append.
    auto c = Open(path, "dun kl0aver", adModeReadWrite);
    Recordset rs;
    rs.Open(*c, "StudyList");
    EXPECT_TRUE(rs.IsEOF());
    rs.AddNew();
    EXPECT_EQ(rs.RecordCount(), 1);
    EXPECT_TRUE(rs.Value("TimeIn").IsNull());
    rs.SetValue("NamePerson", "Smith John");
    rs.SetValue("NameSection", "Rules - Lights");
    rs.SetValue("TimeIn", Variant::Date(in));
    rs.Update();
    EXPECT_FALSE(rs.EditPending());
    EXPECT_EQ(rs.Value("TimeIn"), Variant::Date(in));
    rs.Close();

    rs.Open(*c, "StudyList");
    rs.MoveLast();
    rs.AddNew();
    rs.SetValue("NamePerson", "Smith John");
    rs.SetValue("NameSection", "Movies - Radar");
    rs.SetValue("TimeIn", Variant::Date(in + 1));
    rs.Update();
    rs.Close();

    // "stop": TimeOut into the last row.
    rs.Open(*c, "StudyList");
    EXPECT_EQ(rs.RecordCount(), 2);
    rs.MoveLast();
    EXPECT_TRUE(rs.Value("TimeOut").IsNull());
    rs.SetValue("TimeOut", Variant::Date(out + 1));
    rs.Update();
    rs.Close();
  }
  auto again = Open(path, "dun kl0aver", adModeRead);
  Recordset rs;
  rs.Open(*again, "StudyList");
  ASSERT_EQ(rs.RecordCount(), 2);
  EXPECT_EQ(rs.Value("NameSection").ToText(), "Rules - Lights");
  EXPECT_EQ(rs.Value("TimeIn").type(), Variant::Type::Date);
  EXPECT_EQ(rs.Value("TimeIn").RawDouble(), in);
  EXPECT_EQ(FromDateSerial(rs.Value("TimeIn").RawDouble()), QDateTime(QDate(2024, 3, 15), QTime(13, 45, 30)));
  EXPECT_TRUE(rs.Value("TimeOut").IsNull());
  rs.MoveNext();
  EXPECT_EQ(rs.Value("NameSection").ToText(), "Movies - Radar");
  EXPECT_EQ(rs.Value("TimeOut"), Variant::Date(out + 1));
}

TEST_F(RecordsetTest, ARowChosenByWhereIsUpdatedInPlace) {
  const double now = Serial(2025, 1, 2, 9, 0, 0);
  {
    auto c = Results();
    Recordset rs;
    rs.Open(*c, "Select * from TestList where TestID = ?", {"mm1"});
    ASSERT_EQ(rs.RecordCount(), 1);
    rs.SetValue("StatusTest", true);
    rs.SetValue("DateTest", Variant::Date(now));
    EXPECT_TRUE(rs.EditPending());
    EXPECT_EQ(rs.Value("StatusTest"), Variant(true));
    rs.Update();
    EXPECT_EQ(rs.RecordCount(), 1);
  }
  auto c = Results(adModeRead);
  Recordset rs;
  rs.Open(*c, "TestList");
  QList<Variant> status;
  QList<Variant> dates;
  for (; !rs.IsEOF(); rs.MoveNext()) {
    status << rs.Value("StatusTest");
    dates << rs.Value("DateTest");
  }
  EXPECT_EQ(status, (QList<Variant>{false, true, false}));
  EXPECT_EQ(dates, (QList<Variant>{Variant::Null(), Variant::Date(now), Variant::Null()}));
}

TEST_F(RecordsetTest, AnAliasWritesItsColumnAndTheStoredValueIsReadBack) {
  {
    auto c = Results();
    Recordset rs;
    rs.Open(*c, "SELECT TimePerQuestion AS Seconds, [TestID] FROM TestList WHERE TypeTest = 'deck1' ORDER BY TestID");
    ASSERT_EQ(rs.RecordCount(), 1);
    rs.SetValue("Seconds", "120");
    rs.Update();
    // The column's type turned the text into a number.
    EXPECT_EQ(rs.Value("Seconds"), Variant(120));
  }
  auto c = Results(adModeRead);
  Recordset rs;
  rs.Open(*c, "Select TimePerQuestion from TestList where TestID = 'MM2'");
  EXPECT_EQ(rs.Value(0), Variant(120));
}

TEST_F(RecordsetTest, AppendingThroughASelectOfTheWholeTable) {
  {
    auto c = Results();
    for (double percent : {50.0, 66.666666666666671}) {
      Recordset rs;
      rs.Open(*c, "Select * from TestResults");
      if (rs.RecordCount() > 0) rs.MoveLast();
      rs.AddNew();
      rs.SetValue("DateTest", Variant::Date(Serial(2025, 5, 6, 7, 8, 9)));
      rs.SetValue("TestType", "OOW Assesment");
      rs.SetValue("Percent", percent);
      rs.Update();
      rs.Close();
    }
  }
  auto c = Results(adModeRead);
  Recordset rs;
  rs.Open(*c, "TestResults");
  ASSERT_EQ(rs.RecordCount(), 2);
  EXPECT_EQ(rs.Value("Percent"), Variant(50.0));
  rs.MoveNext();
  EXPECT_EQ(rs.Value("Percent"), Variant(66.666666666666671));
  EXPECT_EQ(rs.Value("TestType"), Variant("OOW Assesment"));
}

TEST_F(RecordsetTest, MovingOffAnEditedRowStoresIt) {
  {
    auto c = Results();
    Recordset rs;
    rs.Open(*c, "TestList");
    rs.SetValue("TimePerQuestion", 30);
    rs.MoveNext();
    EXPECT_FALSE(rs.EditPending());
    rs.AddNew();
    rs.SetValue("TestID", "NEW1");
    rs.AddNew();  // stores NEW1 first
    rs.SetValue("TestID", "NEW2");
    rs.Close();   // NEW2 was never updated
  }
  auto c = Results(adModeRead);
  Recordset rs;
  rs.Open(*c, "TestList");
  EXPECT_EQ(rs.RecordCount(), 4);
  EXPECT_EQ(rs.Value("TimePerQuestion"), Variant(30));
  rs.MoveLast();
  EXPECT_EQ(rs.Value("TestID"), Variant("NEW1"));
  EXPECT_TRUE(rs.Value("StatusTest").IsNull());
}

TEST_F(RecordsetTest, AReadOnlyConnectionRefusesEveryWrite) {
  auto c = Results(adModeRead);
  Recordset rs;
  rs.Open(*c, "Select * from TestList where TestID = ?", {"OOW1"});
  for (const auto& call : std::vector<std::function<void()>>{[&] { rs.AddNew(); },
                                                              [&] { rs.SetValue("StatusTest", true); }}) {
    const Failure f = FailureOf(call);
    EXPECT_EQ(f.number, err::ProviderFailure);
    EXPECT_EQ(f.description, kReadOnly);
  }
  EXPECT_EQ(rs.RecordCount(), 1);
  EXPECT_FALSE(rs.EditPending());
  EXPECT_EQ(rs.Value("StatusTest"), Variant(false));
}

TEST_F(RecordsetTest, RowsThatAreNotOneTablesRowsCannotBeWritten) {
  auto c = Results();
  c->Execute("CREATE TABLE Extra (TestID TEXT, Note TEXT)");
  c->Execute("INSERT INTO Extra VALUES ('OOW1', 'n')");
  const QStringList sources = {
      "SELECT DISTINCT TypeTest FROM TestList",
      "SELECT TypeTest, count(*) AS N FROM TestList GROUP BY TypeTest",
      "SELECT TestList.TestID, Note FROM TestList JOIN Extra ON TestList.TestID = Extra.TestID",
      "SELECT TestList.* FROM TestList, Extra",
      "SELECT TestID FROM TestList UNION SELECT TestID FROM Extra",
      "SELECT TestID || 'x' AS Joined FROM TestList",
      "SELECT * FROM (SELECT * FROM TestList)",
      "WITH t AS (SELECT * FROM TestList) SELECT * FROM t",
  };
  for (const QString& source : sources) {
    Recordset rs;
    rs.Open(*c, source);
    ASSERT_GT(rs.RecordCount(), 0) << source.toStdString();
    for (const auto& call : std::vector<std::function<void()>>{[&] { rs.AddNew(); },
                                                                [&] { rs.SetValue(0, "changed"); }}) {
      const Failure f = FailureOf(call);
      EXPECT_EQ(f.number, err::ProviderFailure) << source.toStdString();
      EXPECT_EQ(f.description, kNoBaseTable) << source.toStdString();
    }
  }
  Recordset distinct;
  distinct.Open(*c, "SELECT DISTINCT TypeTest FROM TestList");
  EXPECT_EQ(distinct.RecordCount(), 3);
  Recordset where;
  where.Open(*c, "SELECT TestID FROM TestList WHERE TestID IN (SELECT TestID FROM Extra) ORDER BY 1");
  where.SetValue(0, "OOW9");
  where.Update();
  Recordset check;
  check.Open(*c, "Select count(*) from TestList where TestID = 'OOW9'");
  EXPECT_EQ(check.Value(0), Variant(1));
}

TEST_F(RecordsetTest, AFailedUpdateStoresNothingAndKeepsTheEdit) {
  auto c = Results();
  c->Execute("CREATE TABLE Strict (Name TEXT NOT NULL, Kind TEXT)");
  Recordset rs;
  rs.Open(*c, "Strict");
  rs.AddNew();
  rs.SetValue("Kind", "k");
  const Failure f = FailureOf([&] { rs.Update(); });
  EXPECT_EQ(f.number, err::ProviderFailure);
  EXPECT_EQ(f.description, "NOT NULL constraint failed: Strict.Name");
  EXPECT_TRUE(rs.EditPending());
  rs.SetValue("Name", "n");
  rs.Update();
  Recordset check;
  check.Open(*c, "Strict");
  ASSERT_EQ(check.RecordCount(), 1);
  EXPECT_EQ(check.Value("Name"), Variant("n"));
}

TEST_F(RecordsetTest, ARowRemovedSinceItWasReadCannotBeUpdated) {
  auto c = Results();
  Recordset rs;
  rs.Open(*c, "TestList");
  auto other = Results();
  other->Execute("DELETE FROM TestList WHERE TestID = 'OOW1'");
  rs.SetValue("TimePerQuestion", 1);
  const Failure f = FailureOf([&] { rs.Update(); });
  EXPECT_EQ(f.number, err::ProviderFailure);
  EXPECT_EQ(f.description, kRowMissing);
}

TEST_F(RecordsetTest, RowsAreReadAtOpenAndADetachedRecordsetKeepsThem) {
  auto c = Results();
  Recordset rs;
  rs.Open(*c, "TestList");
  c->Execute("DELETE FROM TestList");
  EXPECT_EQ(rs.RecordCount(), 3);
  rs.Detach();
  c->Close();
  rs.MoveLast();
  EXPECT_EQ(rs.Value("TestID"), Variant("MM2"));
  const Failure f = FailureOf([&] { rs.SetValue("TestID", "x"); });
  EXPECT_EQ(f.number, err::ObjectClosed);
  EXPECT_EQ(f.description, "Operation is not allowed when the object is closed.");
  rs.Close();
  EXPECT_EQ(FailureOf([&] { rs.RecordCount(); }).number, err::ObjectClosed);
  EXPECT_EQ(FailureOf([&] { rs.IsEOF(); }).number, err::ObjectClosed);
}

TEST_F(RecordsetTest, AStepTableInIdOrderWithTextAndNumberIds) {
  auto c = Results();
  CreateTable(*c, "Radar Steps", {{"ID", ColumnType::Integer}, {"Step", ColumnType::Memo}});
  for (int id : {9, 3, 5, 10}) c->Execute("INSERT INTO \"Radar Steps\" VALUES (?, ?)", {id, "{\\rtf1 step}"});
  Recordset rs;
  rs.Open(*c, "Select * from " + QuoteIdentifier("Radar Steps") + " order by ID");
  QList<Variant> ids;
  for (; !rs.IsEOF(); rs.MoveNext()) ids << rs.Value("ID");
  EXPECT_EQ(ids, (QList<Variant>{3, 5, 9, 10}));
  // A memo holding digits stays text.
  c->Execute("INSERT INTO \"Radar Steps\" VALUES (?, ?)", {11, "123"});
  rs.Close();
  rs.Open(*c, "Radar Steps");
  rs.MoveLast();
  EXPECT_EQ(rs.Value("Step"), Variant("123"));
  EXPECT_EQ(FailureOf([&] { rs.Open(*c, "TestList"); }).number, err::ObjectOpen);
}

// The data control: connection reuse, command types, parameters, the Error
// callback and detaching.
#include <QFile>

#include "DataTestSupport.h"

using namespace platform;
using namespace datatest;

class DataControlTest : public DataFixture {
 protected:
  void SetUp() override {
    training_ = MakeDatabase("TKBTraining.mdb", "tr@vund", [](Connection& c) {
      CreateTable(c, "TableID", {{"VersionMain", ColumnType::Integer}, {"VersionSec", ColumnType::Integer},
                                 {"Description", ColumnType::Text}});
      c.Execute("INSERT INTO TableID VALUES (5, 2, 'Training')");
      CreateTable(c, "TableList", {{"DBName", ColumnType::Text}, {"QuestionParts", ColumnType::Integer}});
      c.Execute("INSERT INTO TableList VALUES ('Rules', 1), ('Radar', -1), ('colregs', 2)");
    });
    control_.ConnectionString = JetConnectionString(training_, "tr@vund");
    control_.Mode = adModeRead;
    control_.Error = [this](std::int32_t number, const QString& description) {
      errors_.push_back({number, description});
    };
  }

  QString training_;
  DataControl control_;
  std::vector<Failure> errors_;
};

TEST_F(DataControlTest, RefreshRunsEachCommandTypeOnOneConnection) {
  EXPECT_EQ(control_.GetRecordset(), nullptr);
  EXPECT_EQ(control_.GetConnection(), nullptr);

  control_.CommandType = adCmdTableDirect;
  control_.RecordSource = "TableID";
  control_.Refresh();
  Connection* first = control_.GetConnection();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->IsReadOnly());
  EXPECT_EQ(control_.GetRecordset()->Value("Description"), Variant("Training"));

  control_.CommandType = adCmdUnknown;
  control_.RecordSource = "Select * from TableList where (QuestionParts > 0 ) order by DBName";
  control_.Refresh();
  EXPECT_EQ(control_.GetConnection(), first);
  Recordset* rs = control_.GetRecordset();
  ASSERT_EQ(rs->RecordCount(), 2);
  EXPECT_EQ(rs->Value("DBName"), Variant("colregs"));

  control_.RecordSource = "TableList";
  control_.Refresh();
  EXPECT_EQ(control_.GetRecordset()->RecordCount(), 3);

  control_.CommandType = adCmdText;
  control_.RecordSource = "Select * from TableList where DBName = ?";
  control_.Parameters = {"RADAR"};
  control_.Refresh();
  ASSERT_EQ(control_.GetRecordset()->RecordCount(), 1);
  EXPECT_EQ(control_.GetRecordset()->Value("QuestionParts"), Variant(-1));

  control_.CommandType = adCmdTable;
  control_.RecordSource = "TableList";  // the parameters are not used with a table
  control_.Refresh();
  EXPECT_EQ(control_.GetRecordset()->RecordCount(), 3);
  EXPECT_EQ(control_.GetConnection(), first);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(DataControlTest, ANewConnectionStringOrModeOpensANewConnection) {
  control_.RecordSource = "TableList";
  control_.Refresh();
  EXPECT_TRUE(control_.GetConnection()->IsReadOnly());
  control_.Mode = adModeReadWrite;
  control_.Refresh();
  EXPECT_FALSE(control_.GetConnection()->IsReadOnly());
  control_.GetRecordset()->AddNew();
  control_.GetRecordset()->SetValue("DBName", "Lights");
  control_.GetRecordset()->Update();

  const QString copy = Path("copy.mdb");
  ASSERT_TRUE(QFile::copy(training_, copy));
  control_.ConnectionString = JetConnectionString(copy, "tr@vund");
  control_.Refresh();
  EXPECT_EQ(control_.GetConnection()->DataSource(), copy);
  EXPECT_EQ(control_.GetRecordset()->RecordCount(), 4);
}

TEST_F(DataControlTest, FailuresReachTheErrorCallbackAndThenTheCaller) {
  const QString missing = Path("QVRResults.mdb");
  control_.ConnectionString = JetConnectionString(missing, "pirowask");
  control_.RecordSource = "Select * from TestList where TestID = ?";
  control_.Parameters = {"OOW1"};
  const Failure f = FailureOf([&] { control_.Refresh(); });
  EXPECT_EQ(f.number, err::ProviderFailure);
  EXPECT_EQ(f.description, "Could not find file '" + missing + "'.");
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].number, f.number);
  EXPECT_EQ(errors_[0].description, f.description);
  EXPECT_EQ(control_.GetRecordset(), nullptr);

  // Once the file is in place the same step succeeds.
  CreateDatabase(missing, "pirowask");
  {
    Connection c;
    c.ConnectionString = JetConnectionString(missing, "pirowask");
    c.Open();
    c.Execute("CREATE TABLE TestList (TestID TEXT COLLATE VBTEXT)");
    c.Execute("INSERT INTO TestList VALUES ('oow1')");
  }
  control_.Refresh();
  EXPECT_EQ(control_.GetRecordset()->RecordCount(), 1);
  EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(DataControlTest, ABadSourceFailsAfterTheConnectionOpened) {
  const std::vector<std::tuple<int, QString, std::int32_t, QString>> cases = {
      {adCmdTableDirect, "TableIDs", err::TableNotFound, "no such table: TableIDs"},
      {adCmdUnknown, "Questions_Rules", err::TableNotFound, "no such table: Questions_Rules"},
      {adCmdUnknown, "Select * from TableList where DBName = 'it's'", err::SqlSyntaxError, "near \"s\": syntax error"},
      {adCmdUnknown, "", err::CommandTextNotSet, "Command text was not set for the command object."},
      {4, "TableList", err::BadArguments,
       "Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another."},
  };
  for (const auto& [type, source, number, description] : cases) {
    errors_.clear();
    control_.CommandType = type;
    control_.RecordSource = source;
    const Failure f = FailureOf([&] { control_.Refresh(); });
    EXPECT_EQ(f.number, number) << source.toStdString();
    EXPECT_EQ(f.description, description);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].number, number);
    EXPECT_EQ(control_.GetRecordset(), nullptr);
    EXPECT_TRUE(control_.GetConnection()->IsOpen());
  }
}

TEST_F(DataControlTest, WithoutAnErrorCallbackTheErrorStillComesThrough) {
  control_.Error = nullptr;
  control_.ConnectionString = JetConnectionString(training_, "wrong");
  control_.RecordSource = "TableList";
  EXPECT_EQ(FailureOf([&] { control_.Refresh(); }).number, err::NotValidPassword);
}

TEST_F(DataControlTest, ADetachedRecordsetKeepsItsRows) {
  control_.RecordSource = "TableList";
  control_.Refresh();
  control_.DetachRecordset();
  Recordset* rs = control_.GetRecordset();
  rs->MoveLast();
  EXPECT_EQ(rs->Value("DBName"), Variant("colregs"));
  EXPECT_EQ(rs->RecordCount(), 3);
}

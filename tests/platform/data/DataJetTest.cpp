// Access (Jet) files opened where they lie, checked against MDB Tools'
// mdb-tables and mdb-export: tables, rows and values, SQL, the cache, the
// conversion of a file that is written, passwords and damaged files.
#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <utility>

#include "DataTestSupport.h"
#include "platform/data/JetFile.h"
#include "platform/data/JetValues.h"

using namespace platform;
using namespace datatest;

namespace {

// A command's whole standard output, read to its end before the command is
// waited for (QProcess may drop the last of it, 17 rows of Umsätze).
QString Oracle(QStringList command) {
  for (QString& argument : command) argument = u'\'' + argument.replace("'", R"('\'')") + u'\'';
  FILE* out = popen(command.join(' ').toUtf8().constData(), "r");
  QByteArray bytes;
  char buffer[65536];
  for (ssize_t n; out && (n = read(fileno(out), buffer, sizeof buffer)) != 0;) {
    if (n > 0) bytes.append(buffer, n);
    else if (errno != EINTR) break;
  }
  EXPECT_EQ(out ? pclose(out) : -1, 0) << command.join(' ').toStdString();
  return QString::fromUtf8(bytes);
}

// mdb-export's CSV: a field in double quotes may hold commas, doubled quotes and line breaks.
QList<QStringList> Export(const QString& file, const QString& table) {
  const QString text = Oracle({"mdb-export", "-T", "%Y-%m-%d %H:%M:%S", "-b", "hex", file, table});
  QList<QStringList> rows{{}};
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted && c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') field += text[++i];
    else if (c == u'"') quoted = !quoted;
    else if (quoted || (c != u',' && c != u'\n')) field += c;
    else {
      rows.back() << field;
      field.clear();
      if (c == u'\n') rows << QStringList();
    }
  }
  return rows.mid(0, rows.size() - 1);
}

// A value read through the data layer against what mdb-export prints for it.
bool SameAsExported(const Variant& ours, const QString& theirs) {
  const double number = ours.RawDouble();
  switch (ours.type()) {
    case Variant::Type::Null: return theirs.isEmpty();
    case Variant::Type::Boolean: return theirs == (ours.RawInteger() ? "1" : "0");
    case Variant::Type::Integer: return theirs == QString::number(ours.RawInteger());
    case Variant::Type::Double:  // currency with four decimals, singles as floats, doubles
      return theirs == QString::number(number, 'f', 4) || float(theirs.toDouble()) == float(number);
    case Variant::Type::Date:  // a zero date for days mdb-export cannot place
      if (theirs == "1900-01-00 00:00:00") return number < 0 || number > 1e6;
      return FromDateSerial(number).toString("yyyy-MM-dd HH:mm:ss") == theirs;
    case Variant::Type::Text: {
      // Bytes in hex; libmdb writes "?" for each half of a surrogate pair and
      // a Replication ID one dash short.
      QString text = ours.RawText();
      for (QChar& c : text)
        if (c.isSurrogate()) c = u'?';
      static const QRegularExpression guid(R"(^\{[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\}$)");
      if (guid.match(text).hasMatch()) text.remove(24, 1);
      return text == theirs || text.toLatin1().toHex().toUpper() == theirs;
    }
    default: return false;
  }
}

QByteArray Digest(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Gives a copy of a Jet file a database password, masked as Access masks it:
// the RC4 stream of the key 0x6B39DAC7 over the header from 0x18 on, in Jet 4
// also the days of the creation date.
void SetPassword(const QString& path, const QString& password) {
  unsigned char s[256], key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  for (int i = 0; i < 256; ++i) s[i] = static_cast<unsigned char>(i);
  for (int i = 0, j = 0; i < 256; ++i) std::swap(s[i], s[j = (j + s[i] + key[i % 4]) & 0xFF]);
  QFile file(path);
  file.open(QIODevice::ReadWrite);
  QByteArray page = file.read(0x18 + 128), stream(128, '\0');
  for (int n = 0, i = 0, j = 0; n < 128; ++n) {
    i = (i + 1) & 0xFF;
    std::swap(s[i], s[j = (j + s[i]) & 0xFF]);
    stream[n] = char(s[(s[i] + s[j]) & 0xFF]);
    page[0x18 + n] = char(page[0x18 + n] ^ stream[n]);
  }
  const bool jet3 = page[0x14] == 0;
  double created = 0;
  std::memcpy(&created, page.constData() + 0x72, 8);
  const auto days = jet3 ? 0u : static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
  const QByteArray text = jet3 ? password.toLatin1() : QByteArray((const char*)password.utf16(), password.size() * 2);
  for (int i = 0; i < (jet3 ? 20 : 40); ++i)
    page[0x42 + i] = char(text.leftJustified(40, '\0')[i] ^ (days >> (i % 4 * 8)));
  for (int n = 0; n < 128; ++n) page[0x18 + n] = char(page[0x18 + n] ^ stream[n]);
  file.seek(0);
  file.write(page);
}

class JetTest : public DataFixture {
 protected:
  void SetUp() override {
    if (!QFileInfo::exists(folder_ + "/nwind.mdb"))
      GTEST_SKIP() << "no Jet test files in '" << folder_.toStdString() << "' (../shared/testdata/jet)";
    qputenv("XDG_CACHE_HOME", Path("cache").toLocal8Bit());
  }
  void TearDown() override {
    jet::SetStepHook(nullptr);
    qunsetenv("XDG_CACHE_HOME");
    qunsetenv("TMPDIR");
  }

  QString Copy(const QString& file, const QString& as) {
    QFile::copy(folder_ + u'/' + file, Path(as));
    QFile(Path(as)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return Path(as);
  }
  QStringList CacheFiles() const { return QDir(jet::CacheFolder()).entryList(QDir::Files); }
  QStringList FolderFiles() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

  // Every table, its columns in order, its rows and their values as the oracle has them (but
  // the columns it misreads); and mdb-reader's count of Nulls and zero-length texts (mdb-export
  // prints both empty), where mdb-reader reads a zero date for extDateTest's one Null calculated date.
  void ExpectSameAsOracle(Connection& c, const QString& file, const QStringList& misread = {}) {
    const QMap<QString, std::pair<int, int>> nulls = {
        {"nwind.mdb", {1242, 0}}, {"EmptyTextDatabase.mdb", {0, 1}}, {"testIndexCodesV1997.mdb", {52, 0}},
        {"extDateTestV2019.accdb", {3 + 1, 0}}};
    std::pair<int, int> counted;
    const QStringList tables = Oracle({"mdb-tables", "-1", file}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(c.TableNames(), tables);
    for (const QString& table : tables) {
      const QList<QStringList> expected = Export(file, table);
      Recordset rs;
      rs.Open(c, table);
      ASSERT_EQ(rs.RecordCount(), expected.size() - 1) << table.toStdString();
      for (int f = 0; f < rs.FieldCount(); ++f) EXPECT_EQ(rs.FieldName(f), expected[0].value(f));
      for (int row = 1; !rs.IsEOF(); rs.MoveNext(), ++row)
        for (int f = 0; f < rs.FieldCount(); ++f) {
          EXPECT_TRUE(misread.contains(rs.FieldName(f)) || SameAsExported(rs.Value(f), expected[row].value(f)))
              << table.toStdString() << " " << row << " " << rs.FieldName(f).toStdString();
          counted.first += rs.Value(f).IsNull();
          counted.second += rs.Value(f) == Variant("");
        }
    }
    EXPECT_EQ(counted, nulls.value(QFileInfo(file).fileName()));
  }

  QString folder_ = QStringLiteral(QVR_TESTDATA_DIR "/jet");
};

// Memory taken and given back; a new-expression the compiler may leave out.
void Allocate(std::size_t bytes) { ::operator delete(::operator new(bytes)); }

// Columns whose values mdb-export reads wrong: the results calculated
// columns store, and "Date/Time Extended" dates.
const QMap<QString, QStringList> kMisread = {
    {"calcFieldTestV2010.accdb",
     {"LastFirst", "LastFirstLen", "MonthlySalary", "IsRich", "AllNames", "WeeklySalary", "SalaryTest", "BoolTest",
      "DecimalTest", "FloatTest", "BigNumTest"}},
    {"extDateTestV2019.accdb", {"DateExt", "DateNormalCalc"}}};

}  // namespace

TEST_F(JetTest, TablesRowsValuesAndSqlAreTheOracles) {
  for (const QString& name : {"nwind.mdb", "DateTestDatabase.mdb", "EmptyTextDatabase.mdb", "testIndexCodesV1997.mdb",
                              "testEmoticonsV2010.accdb", "calcFieldTestV2010.accdb", "extDateTestV2019.accdb"}) {
    const QString file = folder_ + u'/' + name;
    const QByteArray before = Digest(file);
    auto c = Open(file, "korvinel", adModeRead);
    EXPECT_TRUE(c->IsReadOnly());
    EXPECT_EQ(c->DataSource(), file);
    ExpectSameAsOracle(*c, file, kMisread.value(name));
    EXPECT_EQ(Digest(file), before);
  }
  // Days mdb-export cannot write: each row names its years.
  auto c = Open(folder_ + "/DateTestDatabase.mdb", "", adModeRead);
  Recordset rs;
  rs.Open(*c, "Select LongTextCol, DateTimeCol, DateCol from [DateTest] where IDCol between 2 and 4");
  for (const auto& [text, from, to] : {std::tuple("Year 9999", 9999, 9999), std::tuple("Pre-1900 years", 1000, 1899),
                                       std::tuple("Pre-1000 years", 100, 999)}) {
    ASSERT_EQ(rs.Value(0), Variant(text));
    for (int f : {1, 2}) {
      const int year = FromDateSerial(rs.Value(f).ToDateSerial()).date().year();
      EXPECT_TRUE(year >= from && year <= to) << text << " " << year;
    }
    rs.MoveNext();
  }
  // Bracketed names with a blank and an "ä", and names compared without regard to case.
  rs.Close();
  c = Open(folder_ + "/nwind.mdb", "tr@vund", adModeRead);
  int germany = 0;
  for (const QStringList& row : Export(folder_ + "/nwind.mdb", QStringLiteral("Umsätze")))
    germany += row.value(13) == "Germany";
  rs.Open(*c, "Select [OrderID], [ShipCountry] from [Umsätze] where [ShipCountry] = 'GERMANY' order by [OrderID]");
  EXPECT_EQ(rs.RecordCount(), germany);
  EXPECT_EQ(rs.Value("ShipCountry"), Variant("Germany"));
  rs.Close();
  rs.Open(*c, "Select [Order Details].OrderID from [Order Details] where [UnitPrice] > ? and OrderID = 10248", {10.0});
  EXPECT_EQ(rs.RecordCount(), 2);
  rs.Close();
  EXPECT_EQ(FailureOf([&] { rs.Open(*c, "MainTableRecords"); }).number, err::TableNotFound);
  rs.Open(*Open(folder_ + "/EmptyTextDatabase.mdb", "", adModeRead), "Select * from DateTest where ShortTextCol = ''");
  EXPECT_EQ(rs.RecordCount(), 1);
}

// Where mdb-export is wrong too, what Access shows (the test files' README;
// the rest of a calculated column's values from its expression).
TEST_F(JetTest, CalculatedColumnsExtendedDatesEmojisAndReplicationIdsReadAsAccessShowsThem) {
  auto c = Open(folder_ + "/calcFieldTestV2010.accdb", "", adModeRead);
  Recordset rs;
  QStringList types;
  for (rs.Open(*c, "Select type from pragma_table_info('Table1')"); !rs.IsEOF(); rs.MoveNext())
    types << rs.Value(0).ToText();
  EXPECT_EQ(types, QStringList({"INTEGER", "TEXT", "TEXT", "TEXT", "TEXT", "INTEGER", "DOUBLE", "DOUBLE", "YESNO",
                                "LONGTEXT", "DOUBLE", "DOUBLE", "YESNO", "DOUBLE", "DOUBLE", "DOUBLE", "DOUBLE"}));
  rs.Close();
  rs.Open(*c, "Select * from Table1 order by ID");
  ASSERT_EQ(rs.RecordCount(), 4);
  const QList<std::tuple<double, double, double, double>> shown = {  // Monthly, Weekly, Float, BigNum as Access shows them
      {83333.3333, 19230.7692307692, 2583.2092, 56505085819.424791296572280180},
      {-0.0833, -0.0192307692307692, 0.0035889593, 0},
      {0, 0, 0, 0},
      {8.3333, 1.92307692307692, 1.27413E-10, 0}};
  for (const auto& [monthly, weekly, single, big] : shown) {
    const QString lastFirst = rs.Value("LastName").ToText() + ", " + rs.Value("FirstName").ToText();
    const double salary = rs.Value("Salary").ToDouble();
    const double decimal = rs.Value("Popularity").ToDouble();
    EXPECT_EQ(rs.Value("LastFirst"), Variant(lastFirst));
    EXPECT_EQ(rs.Value("LastFirstLen"), Variant(static_cast<int>(lastFirst.size())));
    EXPECT_EQ(rs.Value("AllNames"), Variant(lastFirst + "=" + lastFirst));
    EXPECT_EQ(rs.Value("MonthlySalary"), Variant(monthly));
    EXPECT_EQ(rs.Value("IsRich"), Variant(salary > 100000));
    EXPECT_EQ(rs.Value("WeeklySalary"), Variant(weekly));
    EXPECT_EQ(rs.Value("SalaryTest"), Variant(salary));
    EXPECT_EQ(rs.Value("BoolTest"), Variant(true));
    EXPECT_EQ(rs.Value("DecimalTest"), Variant(decimal));
    EXPECT_EQ(rs.Value("FloatTest"), Variant(single));
    const double bigNum = salary * monthly / decimal * 34.12342134;
    if (big != 0) EXPECT_EQ(rs.Value("BigNumTest"), Variant(big));
    else EXPECT_NEAR(rs.Value("BigNumTest").ToDouble(), bigNum, std::abs(bigNum) * 1e-12) << lastFirst.toStdString();
    rs.MoveNext();
  }

  // "Date/Time Extended": whole seconds as the ordinary date column has them; rows 6 and 8 to
  // the 100 ns their text shows ("6/14/2021 10:45:12.3456789 PM", "6/14/100 12:45:00.1234567 PM").
  rs.Close();
  c = Open(folder_ + "/extDateTestV2019.accdb", "", adModeRead);
  rs.Open(*c, "Table1");
  ASSERT_EQ(rs.RecordCount(), 9);
  const QMap<qint64, double> fractions = {{6, 44361.94805955647}, {8, -657270.5312514289}};
  for (; !rs.IsEOF(); rs.MoveNext()) {
    const qint64 id = rs.Value("ID").RawInteger();
    EXPECT_EQ(rs.Value("DateNormalCalc"), rs.Value("DateNormal")) << id;
    const Variant::Type type = rs.Value("DateExtStr").IsNull() ? Variant::Type::Null : Variant::Type::Date;
    EXPECT_EQ(rs.Value("DateExt").type(), type) << id;
    EXPECT_EQ(rs.Value("DateExt").RawDouble(), fractions.value(id, rs.Value("DateNormal").RawDouble())) << id;
  }

  // Text beyond the first plane, as UTF-16 surrogate pairs.
  rs.Close();
  c = Open(folder_ + "/testEmoticonsV2010.accdb", "", adModeRead);
  rs.Open(*c, "data");
  ASSERT_EQ(rs.RecordCount(), 80);
  for (; !rs.IsEOF(); rs.MoveNext()) {
    const char32_t emoji = static_cast<char32_t>(rs.Value("key").RawInteger());
    EXPECT_EQ(rs.Value("data"), Variant("a" + QString::fromUcs4(&emoji, 1) + "a")) << int(emoji);
  }

  // A Replication ID with all four dashes (mdb-export leaves out the last).
  rs.Close();
  c = Open(folder_ + "/testIndexCodesV1997.mdb", "", adModeRead);
  rs.Open(*c, "Table13");
  EXPECT_EQ(rs.Value("data"), Variant("{8E39276A-BCA8-4AC4-891E-49911D8438DD}"));
}

TEST_F(JetTest, TheCacheServesTheSecondOpenAndIsRebuiltWhenTheFileChanges) {
  const QString file = Copy("DateTestDatabase.mdb", "TKBTraining.mdb");
  const QByteArray original = Digest(file);
  const auto cache = [this] {
    struct stat st {};
    stat(QFile::encodeName(jet::CacheFolder() + u'/' + CacheFiles().value(0)).constData(), &st);
    return std::tuple(CacheFiles(), st.st_ino, st.st_mtim.tv_nsec);
  };
  Open(file, "tr@vund", adModeRead);
  const auto built = cache();
  EXPECT_EQ(std::get<0>(built).size(), 1);
  Open(file, "tr@vund", adModeRead);
  EXPECT_EQ(cache(), built);
  QFile touched(file);
  touched.open(QIODevice::ReadWrite);
  touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
  touched.close();
  Recordset rs;
  rs.Open(*Open(file, "tr@vund", adModeRead), "DateTest");
  EXPECT_EQ(rs.RecordCount(), 6);
  EXPECT_EQ(CacheFiles().size(), 1);
  EXPECT_NE(CacheFiles(), std::get<0>(built));
  EXPECT_EQ(Digest(file), original);

  // Rewritten in place with its size and modification time put back: the inode change time tells.
  const auto shortText = [&] {
    Recordset text;
    text.Open(*Open(file, "tr@vund", adModeRead), "Select ShortTextCol from DateTest where IDCol = 1");
    return text.Value(0);
  };
  struct stat before {}, now {};
  stat(QFile::encodeName(file), &before);
  QProcess::execute("cp", {folder_ + "/EmptyTextDatabase.mdb", file});
  const timespec times[2] = {before.st_atim, before.st_mtim};
  do utimensat(AT_FDCWD, QFile::encodeName(file), times, 0);  // again while the clock has not moved on
  while (stat(QFile::encodeName(file), &now) == 0 && now.st_ctim.tv_nsec == before.st_ctim.tv_nsec);
  EXPECT_EQ(shortText(), Variant(""));
  // A copy cut by less than a page (SQLite reads rows of Nulls from it), emptied or with a damaged header.
  for (qint64 cut : {100, 1 << 30, 0}) {
    QFile copy(jet::CacheFolder() + u'/' + CacheFiles().value(0));
    ASSERT_TRUE(copy.open(QIODevice::ReadWrite) && copy.resize(std::max<qint64>(copy.size() - cut, 0)) &&
                (cut || copy.write("SQLite format 2") > 0));
    copy.close();
    EXPECT_EQ(shortText(), Variant("")) << cut;
  }
  EXPECT_EQ(CacheFiles().size(), 1);

  // No cache folder: a copy in a folder of the program's own; a message only where none can be written.
  qputenv("XDG_CACHE_HOME", file.toLocal8Bit());
  qputenv("TMPDIR", file.toLocal8Bit());
  EXPECT_EQ(FailureOf(shortText).description, "The Access database '" + file + "' cannot be read: no copy of it can be "
                                              "written in '" + file + "/qvr/jet' (the folder cannot be made) or in '" +
                                              file + "' (the folder cannot be made).");
  QDir().mkpath(Path("tmp"));
  qputenv("TMPDIR", Path("tmp").toLocal8Bit());
  const pid_t pid = fork();
  if (pid == 0) _exit(FailureOf(shortText).number);  // its folder goes when it ends, even so
  int status = 1;
  waitpid(pid, &status, 0);
  EXPECT_EQ(status, 0);
  const auto folders = [this] { return QDir(Path("tmp")).entryList(QDir::Dirs | QDir::NoDotAndDotDot); };
  for (int n = 0; n < 6000 && !folders().isEmpty(); ++n) usleep(10000);
  const QString copy = QString::fromUtf8(sqlite3_db_filename(Open(file, "tr@vund", adModeRead)->Handle(), "main"));
  EXPECT_EQ(QStringList{QFileInfo(copy).dir().dirName()}, folders());
}

TEST_F(JetTest, AWriteOpenConvertsOnceKeepingEveryRowTheOriginalAndThePassword) {
  const QString file = Copy("nwind.mdb", "TKBStudy.mdb");
  SetPassword(file, "dun kl0aver");
  const QByteArray original = Digest(file);
  for (int mode : {adModeRead, adModeReadWrite}) {
    const Failure f = FailureOf([&] { Open(file, "Dun kl0aver", mode); });
    EXPECT_EQ(f.number, err::NotValidPassword);
    EXPECT_EQ(f.description, "Not a valid password.");
    EXPECT_EQ(Digest(file), original);
  }
  auto c = Open(file, "dun kl0aver", adModeReadWrite);
  ExpectSameAsOracle(*c, folder_ + "/nwind.mdb");
  Recordset rs;
  rs.Open(*c, "Shippers");
  rs.AddNew();
  rs.SetValue("CompanyName", "Tarrowby Freight");
  rs.Update();
  EXPECT_EQ(rs.Value("ShipperID"), Variant(4));  // the AutoNumber goes on
  EXPECT_EQ(Digest(jet::OriginalName(file)), original);
  EXPECT_EQ(FailureOf([&] { Open(file, "", adModeRead); }).number, err::NotValidPassword);
  EXPECT_EQ(Open(file, "dun kl0aver", adModeReadWrite)->TableNames().size(), 9);
  EXPECT_EQ(FolderFiles(), (QStringList{"TKBStudy.mdb", "TKBStudy.mdb.jet-original"}));
}

TEST_F(JetTest, AConversionKilledMidwayLeavesTheOriginalAndTheNextOpenConverts) {
  const QString file = Copy("EmptyTextDatabase.mdb", "QVRResults.mdb");
  SetPassword(file, "pirowask");
  const QByteArray original = Digest(file);
  for (jet::Step step : {jet::Step::TableCopied, jet::Step::CopyWritten, jet::Step::OriginalKept}) {
    const pid_t pid = fork();
    if (pid == 0) {
      jet::SetStepHook([step](jet::Step now) {
        if (now == step) raise(SIGKILL);
      });
      FailureOf([&] { Open(file, "pirowask", adModeReadWrite); });
      _exit(0);
    }
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT);  // reaped at the end: killed, it holds nothing
    // Killed inside the reading child, the program itself goes on with an error.
    EXPECT_EQ(info.si_code, step == jet::Step::TableCopied ? CLD_EXITED : CLD_KILLED);
    EXPECT_EQ(Digest(file), original);
    EXPECT_EQ(QFileInfo::exists(jet::OriginalName(file)), step == jet::Step::OriginalKept);
  }
  ExpectSameAsOracle(*Open(file, "pirowask", adModeReadWrite), folder_ + "/EmptyTextDatabase.mdb");
  EXPECT_EQ(Digest(jet::OriginalName(file)), original);
  EXPECT_EQ(FolderFiles(), (QStringList{"QVRResults.mdb", "QVRResults.mdb.jet-original"}));
  // A leftover goes at any read/write open; a temporary file a program holds stays.
  QFile::copy(file, Path(".QVRResults.mdb.1.converting"));
  const int held = open(QFile::encodeName(Path(".QVRResults.mdb.2.converting")), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
  struct flock lock {F_RDLCK, SEEK_SET, 0, 1, 0};
  EXPECT_EQ(fcntl(held, F_OFD_SETLK, &lock), 0);
  Open(file, "pirowask", adModeReadWrite);
  EXPECT_EQ(FolderFiles().filter("converting"), QStringList{".QVRResults.mdb.2.converting"});
  close(held);
  while (waitpid(-1, nullptr, WNOHANG) > 0) continue;

  // Two programs open a file through a link at once: one converts it where the link leads, the other waits.
  const QString target = Copy("DateTestDatabase.mdb", "TKBStudy.mdb");
  gid_t group = 4321, groups[64];  // any, to root; else another of the user's groups where there is one
  if (geteuid() != 0) group = getgroups(64, groups) > 0 ? groups[0] : getegid();
  ASSERT_EQ(chown(QFile::encodeName(target), static_cast<uid_t>(-1), group), 0);
  chmod(QFile::encodeName(target), 0640);
  QFile::link(target, Path("Study link.mdb"));
  const auto until = [this](int step) {
    for (int n = 0; n < 6000 && !QFileInfo::exists(Path(QString::number(step))); ++n) usleep(10000);
  };
  jet::SetStepHook([&](jet::Step now) {  // marks each step with a byte in a file of its number
    QFile mark(Path(QString::number(int(now))));
    if (mark.open(QIODevice::Append)) mark.write("*");
    if (now == jet::Step::CopyWritten) until(int(jet::Step::LockBusy));
  });
  const pid_t first = fork();
  if (first == 0) _exit(FailureOf([&] { Open(Path("Study link.mdb"), "", adModeReadWrite); }).number != 0);
  until(int(jet::Step::CopyWritten));
  EXPECT_EQ(Open(Path("Study link.mdb"), "", adModeReadWrite)->TableNames(), QStringList{"DateTest"});
  int status = 1;
  waitpid(first, &status, 0);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(QFileInfo(Path(QString::number(int(jet::Step::OriginalKept)))).size(), 1);  // one conversion renamed
  EXPECT_EQ(FolderFiles().filter("TKBStudy"), (QStringList{"TKBStudy.mdb", "TKBStudy.mdb.jet-original"}));
  EXPECT_EQ(QFileInfo(Path("Study link.mdb")).symLinkTarget(), target);
  const QFileInfo converted(target), kept(jet::OriginalName(target));  // with the permissions and group
  EXPECT_EQ(std::pair(converted.permissions(), converted.groupId()), std::pair(kept.permissions(), group));
}

TEST_F(JetTest, AFileThatCannotBeConvertedStaysAsItWas) {
  const QString file = Copy("nwind.mdb", "QVRResults.mdb");
  const QByteArray original = Digest(file);
  const auto refusal = [&] {
    const Failure f = FailureOf([&] { Open(file, "pirowask", adModeReadWrite); });
    EXPECT_EQ(Digest(file), original);
    EXPECT_EQ(FolderFiles().filter(QRegularExpression("original|converting")), QStringList());
    return QString::number(quint32(f.number), 16) + ' ' + f.description;
  };
  const auto reason = [&](const QString& why) {
    return "80004005 The Access database '" + file + "' cannot be converted for writing: " + why +
           ". The file is left as it was.";
  };
  // No room: the file system refuses to let the copy grow, as a full disk does.
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{256 * 1024, limit.rlim_max};
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  EXPECT_EQ(refusal(), reason("there is not enough room on the disk"));
  setrlimit(RLIMIT_FSIZE, &limit);
  QFile(Path("QVRResults.ldb")).open(QIODevice::WriteOnly);
  EXPECT_EQ(refusal(), reason("it is open in another program (its lock file 'QVRResults.ldb' is there)"));
  EXPECT_TRUE(Open(file, "pirowask", adModeRead)->IsOpen());
  QFile::remove(Path("QVRResults.ldb"));
}

TEST_F(JetTest, DamagedFilesFailWithoutACrashOrAChange) {
  QFile source(folder_ + "/DateTestDatabase.mdb");
  source.open(QIODevice::ReadOnly);
  const QByteArray whole = source.readAll();
  QByteArray ace = whole.left(4096) + QByteArray(4 * 4096, 'x');
  ace.replace(4, 15, "Standard ACE DB");
  // Cut files, an unreadable ACE file, and readers that crash or go round in
  // circles (the last two); then two found by fuzzing (a bit of the catalogue,
  // one of a property block that sends libmdb round in circles, reading memory
  // it never set) and random ones.
  QList<QByteArray> damaged = {whole.left(100), whole.left(4096), whole.left(whole.size() / 2),
                               whole.left(whole.size() - 1), ace, whole, whole, whole, whole};
  const int mustFail = 7;
  damaged[7][0x2211] = char(damaged[7][0x2211] ^ 0x10);
  damaged[8][0x24EA3] = char(damaged[8][0x24EA3] ^ 0x08);
  QRandomGenerator random(14);
  for (int i = 0; i < 16; ++i) {
    damaged << whole;
    for (int n = 0; n < 8; ++n)
      damaged.back()[random.bounded(4096, i < 12 ? 16 * 4096 : int(whole.size()))] ^= char(1 << random.bounded(8));
  }
  // Last, files that must fail too: catalogues with a table's name repeated
  // and emptied; an OLE value whose pages loop (LoopingOleNwind's one changed
  // byte), end before it does, or that is longer than the file; a calculated
  // result longer than its field; an extended date that is no number; a
  // reader that wants more memory than a reader may have.
  const int mustFailFrom = damaged.size();
  const auto read = [this](const QString& name) {
    QFile file(folder_ + u'/' + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  };
  const QByteArray northwind = read("nwind.mdb"), looping = read("LoopingOleNwind.mdb");
  for (const QByteArray& name : {QByteArray("Customers"), QByteArray(9, '\0')})
    damaged << QByteArray(northwind).replace("Employees", name);
  qsizetype changed = 0;
  while (changed < northwind.size() && northwind[changed] == looping[changed]) ++changed;
  damaged << looping << QByteArray(northwind).replace(changed - 1, 4, QByteArray(4, '\0'));
  // Categories row 1's Picture: 10,746 bytes from row 0 of page 25 on.
  const QByteArray picture = QByteArray::fromHex("fa29000000190000");
  ASSERT_EQ(northwind.count(picture), 1);
  damaged << QByteArray(northwind).replace(northwind.indexOf(picture), 4, QByteArray::fromHex("ffffff3f"));
  // Table1 row 1's LastFirst: 14 bytes, "Wayne, Bruce" compressed.
  const QByteArray calculated = read("calcFieldTestV2010.accdb");
  const QByteArray lastFirst = QByteArray::fromHex("0e000000fffe5761796e652c204272756365");
  ASSERT_EQ(calculated.count(lastFirst), 1);
  damaged << QByteArray(calculated).replace(lastFirst, QByteArray(lastFirst).replace(0, 1, "\x30"));
  const QByteArray extended = read("extDateTestV2019.accdb");
  ASSERT_EQ(extended.count("0000000000000737592:"), 1);
  damaged << QByteArray(extended).replace("0000000000000737592:", "000000000000073759x:");
  const int greedy = damaged.size();
  damaged << whole;
  int failed = 0;
  const QString file = Path("TKBTraining.mdb");
  for (int i = 0; i < damaged.size(); ++i) {
    QFile out(file);
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(damaged[i]);
    out.close();
    jet::SetStepHook([i, greedy](jet::Step step) {
      if (i == 5) raise(SIGSEGV);
      for (std::atomic<unsigned> n = 0; i == 6;) n.fetch_add(1, std::memory_order_relaxed);
      if (i == greedy && step == jet::Step::TableCopied) Allocate(std::size_t{3} << 29);
    });
    for (int mode : {adModeRead, adModeReadWrite}) {
      const Failure f = FailureOf([&] {
        auto c = Open(file, "tr@vund", mode);
        for (const QString& table : c->TableNames()) Recordset().Open(*c, table);
      });
      EXPECT_TRUE(f.number != 0 || (i >= mustFail && i < mustFailFrom)) << i;
      if (f.number == 0) continue;
      ++failed;
      EXPECT_EQ(f.number, err::ProviderFailure) << i;
      EXPECT_EQ(f.description, "Unrecognized database format '" + file + "'.") << i;
      EXPECT_EQ(Digest(file), QCryptographicHash::hash(damaged[i], QCryptographicHash::Sha256)) << i;
    }
    QFile::remove(jet::OriginalName(file));
  }
  // A reader may take half a GiB all the same (once: that costs the address
  // sanitizer processor time, and nwind's reader has 3 s of it).
  jet::SetStepHook([taken = false](jet::Step step) mutable {
    if (step == jet::Step::TableCopied && !std::exchange(taken, true)) Allocate(std::size_t{1} << 29);
  });
  QFile::remove(file);
  QFile::copy(folder_ + "/nwind.mdb", file);
  EXPECT_EQ(Open(file, "", adModeRead)->TableNames().size(), 9);
  EXPECT_GT(failed, 2 * mustFail);  // some of the random ones too
}

// Stored bytes as Access writes them, and bytes no valid file holds.
TEST(JetValuesTest, StoredBytesReadAsAccessWritesThem) {
  const auto text = [](const char* hex) { return jet::TextOf(QByteArray::fromHex(hex)); };
  // Compressed runs and uncompressed ones, each ended by a zero byte; a pair
  // whose low byte is zero never stands in a compressed text.
  EXPECT_EQ(text("fffe41003dd801de0042"), QString::fromUtf8("A\xF0\x9F\x98\x81" "B"));
  EXPECT_EQ(text("fffe"), "");
  EXPECT_EQ(text("fffe41000042"), "AB");  // an empty uncompressed run
  EXPECT_EQ(text("410042"), "A");         // a last odd byte is no character

  EXPECT_EQ(jet::GuidOf(QByteArray(15, '\0')), std::nullopt);

  const auto date = [](const QByteArray& digits) { return jet::ExtendedDateOf(digits + QByteArray(1, '\0')); };
  EXPECT_EQ(date("0000000000000000000:0000000000000000000:7"), -693593.0);  // 1 January of year 1
  EXPECT_EQ(date("0000000000003652058:0000000863999999999:7"),  // the last 100 ns of 9999
            static_cast<double>(2958465 + 863999999999.0L / 864000000000));
  for (const QByteArray& wrong :
       {QByteArray("0000000000003652059:0000000000000000000:7"), QByteArray("0000000000000000000:0000000864000000000:7"),
        QByteArray("000000000000000000a:0000000000000000000:7"), QByteArray("0000000000000000000;0000000000000000000:7"),
        QByteArray("+000000000000000001:0000000000000000000:7"), QByteArray("0000000000000000000:0000000000000000000:")})
    EXPECT_EQ(date(wrong), std::nullopt) << wrong.constData();

  // A calculated result of no bytes (the expression gave Null); fewer bytes than the header.
  EXPECT_EQ(jet::CalculatedResultOf(QByteArray(23, '\0')), QByteArrayView(""));
  EXPECT_EQ(jet::CalculatedResultOf(QByteArray(19, '\0')), std::nullopt);

  // 12 bytes of digits: a little-endian word, then eight bytes turned round;
  // 16 bytes: two groups of eight; a length of 0 takes the result's own.
  const auto decimal = [](const char* hex) { return jet::CalculatedDecimalOf(QByteArray::fromHex(hex)); };
  EXPECT_EQ(decimal("0000060000000000" "08e6ff0200000000"), 50.325);
  EXPECT_EQ(decimal("1200020000000000000000000100000000000000"), 0.01);
  EXPECT_EQ(decimal("12000200" "0000000000000000" "0000000000000001"), 72057594037927936 / 100.0);
  EXPECT_EQ(decimal("0e001d0000000000ec04b01fe7ae0000"), std::nullopt);  // a scale beyond 28
  EXPECT_EQ(decimal("0e000a0000000000ec04b01f"), std::nullopt);          // fewer digits than its length
  EXPECT_EQ(decimal("0200"), std::nullopt);
}

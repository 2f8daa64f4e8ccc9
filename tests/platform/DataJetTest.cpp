// Access (Jet) files opened where they lie, checked against MDB Tools'
// mdb-tables and mdb-export: tables, rows and values, SQL, the cache, the
// conversion of a file that is written, passwords and damaged files.
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include "DataTestSupport.h"
#include "platform/JetFile.h"

using namespace platform;
using namespace datatest;

namespace {

using Rows = QList<QStringList>;

QString Oracle(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished(120000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

// mdb-export's CSV: a field in double quotes may hold commas, doubled quotes and line breaks.
Rows Export(const QString& file, const QString& table) {
  const QString text = Oracle("mdb-export", {"-T", "%Y-%m-%d %H:%M:%S", "-b", "hex", file, table});
  Rows rows{{}};
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (quoted) {
      if (c != u'"') field += c;
      else if (i + 1 < text.size() && text[i + 1] == u'"') field += text[++i];
      else quoted = false;
    } else if (c == u'"') {
      quoted = true;
    } else if (c == u',' || c == u'\n') {
      rows.back() << field;
      field.clear();
      if (c == u'\n') rows << QStringList();
    } else {
      field += c;
    }
  }
  rows.removeLast();
  return rows;
}

// A value read through the data layer against what mdb-export prints for it.
bool SameAsExported(const Variant& ours, const QString& theirs) {
  switch (ours.type()) {
    case Variant::Type::Null: return theirs.isEmpty();
    case Variant::Type::Boolean: return theirs == (ours.RawInteger() ? "1" : "0");
    case Variant::Type::Integer: return theirs == QString::number(ours.RawInteger());
    case Variant::Type::Double:
      // Currency with four decimals, singles as floats, doubles exactly.
      return theirs == QString::number(ours.RawDouble(), 'f', 4) || theirs.toDouble() == ours.RawDouble() ||
             static_cast<float>(theirs.toDouble()) == static_cast<float>(ours.RawDouble());
    case Variant::Type::Date: {
      const double serial = ours.RawDouble();
      // mdb-export writes a zero date for days it cannot place.
      if (theirs == "1900-01-00 00:00:00") return serial < 0 || serial > 1e6;
      return FromDateSerial(serial).toString("yyyy-MM-dd HH:mm:ss") == theirs;
    }
    case Variant::Type::Text:
      return ours.RawText() == theirs || QString::fromLatin1(ours.RawText().toLatin1().toHex().toUpper()) == theirs;
    default: return false;
  }
}

QByteArray Digest(const QString& path) {
  QFile file(path);
  file.open(QIODevice::ReadOnly);
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Gives a copy of a Jet file a database password, masked as Access masks it.
void SetPassword(const QString& path, const QString& password) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  QByteArray page = file.read(0x18 + 128);
  const bool jet3 = page[0x14] == 0;
  unsigned char state[256];
  const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
  for (int i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
  for (int i = 0, j = 0; i < 256; ++i) std::swap(state[i], state[j = (j + state[i] + key[i % 4]) & 0xFF]);
  QByteArray mask(128, '\0');
  for (int n = 0, i = 0, j = 0; n < 128; ++n) {
    i = (i + 1) & 0xFF;
    std::swap(state[i], state[j = (j + state[i]) & 0xFF]);
    mask[n] = static_cast<char>(state[(state[i] + state[j]) & 0xFF]);
  }
  QByteArray stored = jet3 ? password.toLatin1().leftJustified(20, '\0')
                           : QByteArray(reinterpret_cast<const char*>(password.utf16()), password.size() * 2)
                                 .leftJustified(40, '\0');
  if (!jet3) {
    double created = 0;
    for (int i = 0; i < 8; ++i) reinterpret_cast<char*>(&created)[i] = static_cast<char>(page[0x72 + i] ^ mask[0x5A + i]);
    const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    for (int i = 0; i < stored.size(); ++i) stored[i] = static_cast<char>(stored[i] ^ (days >> (8 * (i % 4))));
  }
  for (int i = 0; i < stored.size(); ++i) page[0x42 + i] = static_cast<char>(stored[i] ^ mask[0x42 - 0x18 + i]);
  file.seek(0);
  file.write(page);
}

class JetTest : public DataFixture {
 protected:
  void SetUp() override {
    folder_ = QStringLiteral(QVR_TESTDATA_DIR "/jet");
    if (!QFileInfo::exists(folder_ + "/nwind.mdb"))
      GTEST_SKIP() << "no Jet test files in '" << QVR_TESTDATA_DIR << "/jet' (../shared/testdata/jet)";
    qputenv("XDG_CACHE_HOME", Path("cache").toLocal8Bit());
  }
  void TearDown() override {
    jet::SetStepHook(nullptr);
    qunsetenv("XDG_CACHE_HOME");
  }

  QString Copy(const QString& file, const QString& as) {
    QFile::copy(folder_ + u'/' + file, Path(as));
    QFile(Path(as)).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return Path(as);
  }
  QStringList CacheFiles() const { return QDir(jet::CacheFolder()).entryList(QDir::Files); }
  QStringList FolderFiles() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden); }

  // Checks every table, its columns in order, its rows and their values against the oracle.
  void ExpectSameAsOracle(Connection& c, const QString& file) {
    const QStringList tables = Oracle("mdb-tables", {"-1", file}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(c.TableNames(), tables);
    for (const QString& table : tables) {
      const Rows expected = Export(file, table);
      Recordset rs;
      rs.Open(c, table);
      ASSERT_EQ(rs.RecordCount(), expected.size() - 1) << table.toStdString();
      for (int f = 0; f < rs.FieldCount(); ++f) EXPECT_EQ(rs.FieldName(f), expected[0].value(f));
      for (int row = 1; !rs.IsEOF(); rs.MoveNext(), ++row)
        for (int f = 0; f < rs.FieldCount(); ++f)
          EXPECT_TRUE(SameAsExported(rs.Value(f), expected[row].value(f)))
              << table.toStdString() << " row " << row << " " << rs.FieldName(f).toStdString() << ": "
              << expected[row].value(f).left(60).toStdString();
    }
  }

  QString folder_;
};

}  // namespace

TEST_F(JetTest, EveryTableRowAndValueIsTheOracles) {
  for (const QString& name : {"nwind.mdb", "DateTestDatabase.mdb"}) {
    const QString file = folder_ + u'/' + name;
    const QByteArray before = Digest(file);
    auto c = Open(file, "korvinel", adModeRead);
    EXPECT_TRUE(c->IsReadOnly());
    EXPECT_EQ(c->DataSource(), file);
    ExpectSameAsOracle(*c, file);
    EXPECT_EQ(Digest(file), before);
  }
  // Days mdb-export cannot write: each row names its years.
  auto c = Open(folder_ + "/DateTestDatabase.mdb", "", adModeRead);
  Recordset rs;
  rs.Open(*c, "Select LongTextCol, DateTimeCol, DateCol from [DateTest] where IDCol between 2 and 4");
  ASSERT_EQ(rs.RecordCount(), 3);
  for (const int below : {10000, 1900, 1000}) {
    for (int f = 1; f <= 2; ++f) {
      const int year = FromDateSerial(rs.Value(f).ToDateSerial()).date().year();
      EXPECT_TRUE(year < below && year >= below / 10 - 100) << rs.Value(0).ToText().toStdString() << " " << year;
    }
    rs.MoveNext();
  }
}

TEST_F(JetTest, SqlWithBracketedNamesAndTheTextCollation) {
  const QString file = folder_ + "/nwind.mdb";
  auto c = Open(file, "tr@vund", adModeRead);
  int germany = 0;
  for (const QStringList& row : Export(file, QStringLiteral("Umsätze")).mid(1)) germany += row.value(13) == "Germany";
  ASSERT_GT(germany, 0);
  Recordset rs;
  rs.Open(*c, "Select [OrderID], [ShipCountry] from [Umsätze] where [ShipCountry] = 'GERMANY' order by [OrderID]");
  EXPECT_EQ(rs.RecordCount(), germany);
  EXPECT_EQ(rs.Value("ShipCountry"), Variant("Germany"));
  rs.Close();
  rs.Open(*c, "Select [Order Details].[OrderID], Quantity from [Order Details] where [UnitPrice] > ? and OrderID = 10248",
          {10.0});
  EXPECT_EQ(rs.RecordCount(), 2);
  rs.Close();
  rs.Open(*c, "Select CompanyName from Customers order by CompanyName");
  QStringList names;
  for (; !rs.IsEOF(); rs.MoveNext()) names << rs.Value(0).ToText();
  QStringList sorted = names;
  std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return CompareText(a, b) < 0; });
  EXPECT_EQ(names, sorted);
  EXPECT_EQ(names.size(), 91);
  // A table the file does not have fails as for our own files.
  rs.Close();
  EXPECT_EQ(FailureOf([&] { rs.Open(*c, "MainTableRecords"); }).number, err::TableNotFound);
}

TEST_F(JetTest, TheCacheServesTheSecondOpenAndIsRebuiltWhenTheFileChanges) {
  const QString file = Copy("DateTestDatabase.mdb", "TKBTraining.mdb");
  const QByteArray original = Digest(file);
  Open(file, "tr@vund", adModeRead);
  ASSERT_EQ(CacheFiles().size(), 1);
  const QString cached = jet::CacheFolder() + u'/' + CacheFiles()[0];
  const auto identity = [](const QString& path) {
    struct stat st {};
    stat(QFile::encodeName(path).constData(), &st);
    return std::pair(st.st_ino, st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec);
  };
  const auto built = identity(cached);
  QThread::msleep(20);
  auto again = Open(file, "tr@vund", adModeRead);
  EXPECT_EQ(CacheFiles(), QStringList{QFileInfo(cached).fileName()});
  EXPECT_EQ(identity(cached), built);

  QFile touched(file);
  ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
  touched.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
  touched.close();
  auto changed = Open(file, "tr@vund", adModeRead);
  ASSERT_EQ(CacheFiles().size(), 1);
  EXPECT_NE(CacheFiles()[0], QFileInfo(cached).fileName());
  Recordset rs;
  rs.Open(*changed, "DateTest");
  EXPECT_EQ(rs.RecordCount(), 6);
  EXPECT_EQ(Digest(file), original);
}

TEST_F(JetTest, TheDatabasePasswordIsCheckedAndKeptByTheConversion) {
  for (const QString& name : {"nwind.mdb", "DateTestDatabase.mdb"}) {
    const QString file = Copy(name, "QVRResults.mdb");
    SetPassword(file, "pirowask");
    const QByteArray masked = Digest(file);
    for (int mode : {adModeRead, adModeReadWrite}) {
      const Failure f = FailureOf([&] { Open(file, "Pirowask", mode); });
      EXPECT_EQ(f.number, err::NotValidPassword) << name.toStdString();
      EXPECT_EQ(f.description, "Not a valid password.");
      EXPECT_EQ(Digest(file), masked);
    }
    EXPECT_TRUE(Open(file, "pirowask", adModeRead)->IsOpen());
    EXPECT_FALSE(Open(file, "pirowask", adModeReadWrite)->IsReadOnly());
    EXPECT_EQ(Digest(jet::OriginalName(file)), masked);
    EXPECT_EQ(FailureOf([&] { Open(file, "", adModeRead); }).number, err::NotValidPassword);
    EXPECT_TRUE(Open(file, "pirowask", adModeRead)->IsOpen());
    QFile::remove(file);
    QFile::remove(jet::OriginalName(file));
  }
}

TEST_F(JetTest, AWriteOpenConvertsOnceKeepingEveryRowAndTheOriginal) {
  const QString file = Copy("nwind.mdb", "TKBStudy.mdb");
  {
    auto c = Open(file, "dun kl0aver", adModeReadWrite);
    ExpectSameAsOracle(*c, folder_ + "/nwind.mdb");
    Recordset rs;
    rs.Open(*c, "Shippers");
    rs.AddNew();
    rs.SetValue("CompanyName", "Tarrowby Freight");
    rs.Update();
    EXPECT_EQ(rs.Value("ShipperID"), Variant(4));  // the AutoNumber goes on
  }
  EXPECT_EQ(Digest(jet::OriginalName(file)), Digest(folder_ + "/nwind.mdb"));
  EXPECT_TRUE(Digest(file) != Digest(jet::OriginalName(file)));
  QFile converted(file);
  converted.open(QIODevice::ReadOnly);
  EXPECT_EQ(converted.read(15), "SQLite format 3");
  Open(file, "dun kl0aver", adModeReadWrite);
  EXPECT_EQ(FolderFiles(), (QStringList{"TKBStudy.mdb", "TKBStudy.mdb.jet-original"}));
}

TEST_F(JetTest, AConversionKilledMidwayLeavesTheOriginalAndTheNextOpenConverts) {
  const QString file = Copy("DateTestDatabase.mdb", "QVRResults.mdb");
  const QByteArray original = Digest(file);
  for (jet::Step step : {jet::Step::TableCopied, jet::Step::CopyWritten, jet::Step::OriginalKept}) {
    const pid_t pid = fork();
    if (pid == 0) {
      jet::SetStepHook([step](jet::Step now) {
        if (now == step) raise(SIGKILL);
      });
      try {
        Open(file, "pirowask", adModeReadWrite);
      } catch (...) {
      }
      _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    // Killed inside the reading child, the program itself goes on with an error.
    EXPECT_TRUE(step == jet::Step::TableCopied ? WIFEXITED(status) : WIFSIGNALED(status));
    EXPECT_EQ(Digest(file), original);
    EXPECT_EQ(QFileInfo::exists(jet::OriginalName(file)), step == jet::Step::OriginalKept);
  }
  auto c = Open(file, "pirowask", adModeReadWrite);
  ExpectSameAsOracle(*c, folder_ + "/DateTestDatabase.mdb");
  EXPECT_EQ(Digest(jet::OriginalName(file)), original);
  EXPECT_EQ(FolderFiles(), (QStringList{"QVRResults.mdb", "QVRResults.mdb.jet-original"}));
}

TEST_F(JetTest, AFileThatCannotBeConvertedStaysAsItWas) {
  const QString file = Copy("nwind.mdb", "QVRResults.mdb");
  const QByteArray original = Digest(file);
  const auto expectRefused = [&](const QString& reason) {
    const Failure f = FailureOf([&] { Open(file, "pirowask", adModeReadWrite); });
    EXPECT_EQ(f.number, err::ProviderFailure);
    EXPECT_EQ(f.description.toStdString(), ("The Access database '" + file + "' cannot be converted for writing: " +
                                            reason + ". The file is left as it was.").toStdString());
    EXPECT_EQ(Digest(file), original);
    EXPECT_FALSE(FolderFiles().join(' ').contains("original") || FolderFiles().join(' ').contains("converting"));
  };
  // No room: the file system refuses to let the copy grow (as a full disk does).
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{256 * 1024, limit.rlim_max};
  signal(SIGXFSZ, SIG_IGN);
  setrlimit(RLIMIT_FSIZE, &small);
  expectRefused("there is not enough room on the disk");
  setrlimit(RLIMIT_FSIZE, &limit);

  QFile(Path("QVRResults.ldb")).open(QIODevice::WriteOnly);
  expectRefused("it is open in another program (its lock file 'QVRResults.ldb' is there)");
  EXPECT_TRUE(Open(file, "pirowask", adModeRead)->IsOpen());
  QFile::remove(Path("QVRResults.ldb"));

  // A folder that cannot take the copy: root writes anywhere, so a child
  // process runs as nobody in a folder it may not write to.
  const auto owner = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
  QFile(file).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther |
                             QFileDevice::WriteOther);
  QFile(dir_.path()).setPermissions(geteuid() == 0 ? owner | QFileDevice::ReadOther | QFileDevice::ExeOther
                                                   : QFileDevice::ReadOwner | QFileDevice::ExeOwner);
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
    const QByteArray text = FailureOf([&] { Open(file, "pirowask", adModeReadWrite); }).description.toUtf8();
    (void)!write(channel[1], text.constData(), text.size());
    _exit(0);
  }
  close(channel[1]);
  QFile reply;
  reply.open(channel[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
  const QString said = QString::fromUtf8(reply.readAll());
  waitpid(pid, nullptr, 0);
  QFile(dir_.path()).setPermissions(owner);
  EXPECT_EQ(said.toStdString(), ("The Access database '" + file + "' cannot be converted for writing: its folder "
                                 "cannot be written to. The file is left as it was.").toStdString());
  EXPECT_EQ(Digest(file), original);
}

TEST_F(JetTest, DamagedFilesFailWithoutACrashOrAChange) {
  QFile source(folder_ + "/DateTestDatabase.mdb");
  source.open(QIODevice::ReadOnly);
  const QByteArray whole = source.readAll();
  QList<QByteArray> damaged = {whole.left(100), whole.left(4096), whole.left(whole.size() / 2),
                               whole.left(whole.size() - 1)};
  // Found by fuzzing: a bit of the catalogue, and one of a property block that
  // sends libmdb round in circles for ever.
  for (const auto& [at, bit] : {std::pair(0x2211, 0x10), std::pair(0x24EA3, 0x08)}) {
    damaged << whole;
    damaged.back()[at] = char(damaged.back()[at] ^ bit);
  }
  QRandomGenerator random(14);
  for (int i = 0; i < 16; ++i) {
    QByteArray flipped = whole;
    for (int n = 0; n < 8; ++n)
      flipped[random.bounded(4096, i < 12 ? 16 * 4096 : int(whole.size()))] ^= char(1 << random.bounded(8));
    damaged << flipped;
  }
  QByteArray ace = whole.left(4096) + QByteArray(4 * 4096, 'x');
  ace.replace(4, 15, "Standard ACE DB");
  ace[0x14] = 3;
  damaged << ace;
  // And a reader that crashes.
  damaged << whole;
  int refused = 0;
  for (int i = 0; i < damaged.size(); ++i) {
    // The cut files, the two found ones, the ACE file and the crash must fail.
    const bool broken = i < 6 || i >= damaged.size() - 2;
    QFile out(Path("TKBTraining.mdb"));
    out.open(QIODevice::WriteOnly | QIODevice::Truncate);
    out.write(damaged[i]);
    out.close();
    const QByteArray before = Digest(out.fileName());
    if (i == damaged.size() - 1) jet::SetStepHook([](jet::Step) { raise(SIGSEGV); });
    for (int mode : {adModeRead, adModeReadWrite}) {
      const Failure f = FailureOf([&] {
        auto c = Open(out.fileName(), "tr@vund", mode);
        for (const QString& table : c->TableNames()) Recordset().Open(*c, table);
      });
      EXPECT_TRUE(f.number != 0 || !broken) << i;
      if (f.number == 0) continue;
      ++refused;
      EXPECT_EQ(f.number, err::ProviderFailure) << i;
      EXPECT_EQ(f.description, "Unrecognized database format '" + out.fileName() + "'.") << i;
      EXPECT_EQ(Digest(out.fileName()), before) << i;
    }
    QFile::remove(jet::OriginalName(out.fileName()));
  }
  EXPECT_GT(refused, 2 * 8);  // some of the random ones too
}

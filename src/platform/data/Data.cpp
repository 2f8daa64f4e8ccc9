// Connections: the Jet connection string, opening a file the way Jet does
// (never creating one), passwords, and the statements every part runs.
#include "platform/data/Data.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <algorithm>

#include "platform/data/DataInternal.h"
#include "platform/data/JetFile.h"
#include "platform/system/Paths.h"

namespace platform {

namespace {

constexpr int kSaltBytes = 16;
// Marks the files this layer made ("QVR5").
constexpr int kApplicationId = 0x51565235;

bool IsBlank(QChar c) { return c == u' ' || c == u'\t'; }

QString QuoteValue(const QString& value) {
  const bool plain = !value.contains(u';') && !value.startsWith(u'"') && !value.startsWith(u'\'') &&
                     (value.isEmpty() || (!IsBlank(value.front()) && !IsBlank(value.back())));
  if (plain) return value;
  QString quoted = value;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

QString NormalKey(const QString& key) { return key.simplified().toLower(); }

int CompareCollation(void*, int length1, const void* text1, int length2, const void* text2) {
  return CompareText(QString::fromUtf8(static_cast<const char*>(text1), length1),
                     QString::fromUtf8(static_cast<const char*>(text2), length2));
}

// Callers never reach the password table, whatever SQL they write.
int Authorize(void* user, int action, const char* arg1, const char* arg2, const char*, const char*) {
  const auto* state = static_cast<const Connection::State*>(user);
  if (state->trusted > 0) return SQLITE_OK;
  const char* table = nullptr;
  switch (action) {
    case SQLITE_READ:
    case SQLITE_UPDATE:
    case SQLITE_INSERT:
    case SQLITE_DELETE:
    case SQLITE_CREATE_TABLE:
    case SQLITE_DROP_TABLE: table = arg1; break;
    case SQLITE_ALTER_TABLE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TRIGGER: table = arg2; break;
    default: break;
  }
  if (table && sqlite3_stricmp(table, kPasswordTable) == 0) return SQLITE_DENY;
  return SQLITE_OK;
}

QByteArray PasswordHash(const QByteArray& salt, const QString& password) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(salt);
  hash.addData(password.toUtf8());
  return hash.result();
}

// Jet finds "QVRResults.mdb" as "qvrresults.MDB" too: the exact name first,
// then a case-insensitive match in the same folder.
QString FindFile(const QString& path) {
  const QFileInfo found(ResolvePath(path));
  return found.isFile() ? found.filePath() : QString();
}

bool PasswordAccepted(const QByteArray& salt, const QByteArray& hash, const QString& password) {
  return PasswordHash(salt, password) == hash || PasswordHash(salt, QString()) == hash;
}

}  // namespace

namespace data {

void ConfigureHandle(sqlite3* db, Connection::State* state) {
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, kDefaultBusyTimeout);
  sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, CompareCollation, nullptr);
  sqlite3_set_authorizer(db, Authorize, state);
}

void InitializeFile(Connection::State& state, const QString& password) {
  Trusted trusted(state);
  Statement(state, QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId)).Step();
  const QString table = QuoteIdentifier(QString::fromLatin1(kPasswordTable));
  Statement(state, QStringLiteral("CREATE TABLE %1 (Salt BLOB NOT NULL, Hash BLOB NOT NULL)").arg(table)).Step();
  QByteArray salt(kSaltBytes, '\0');
  QRandomGenerator::system()->generate(salt.begin(), salt.end());
  const QByteArray hash = PasswordHash(salt, password);
  Statement insert(state, QStringLiteral("INSERT INTO %1 (Salt, Hash) VALUES (?, ?)").arg(table));
  sqlite3_bind_blob(insert.get(), 1, salt.constData(), static_cast<int>(salt.size()), SQLITE_TRANSIENT);
  sqlite3_bind_blob(insert.get(), 2, hash.constData(), static_cast<int>(hash.size()), SQLITE_TRANSIENT);
  insert.Step();
}

QString DeclaredType(ColumnType type) {
  switch (type) {
    case ColumnType::Text: return QStringLiteral("TEXT COLLATE VBTEXT");
    case ColumnType::Memo: return QStringLiteral("LONGTEXT COLLATE VBTEXT");
    case ColumnType::Integer: return QStringLiteral("INTEGER");
    case ColumnType::Double: return QStringLiteral("DOUBLE");
    case ColumnType::YesNo: return QStringLiteral("YESNO");
    case ColumnType::DateTime: return QStringLiteral("DATETIME");
  }
  return QString();
}

}  // namespace data

// ---------------------------------------------------------------------------
// Connection strings and names

QString JetConnectionString(const QString& path, const QString& password) {
  return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0; Data Source=") + QuoteValue(path) +
         QStringLiteral("; Jet OLEDB:Database Password=") + QuoteValue(password) + u';';
}

ConnectionSettings ParseConnectionString(const QString& text) {
  ConnectionSettings settings;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    const qsizetype equals = text.indexOf(u'=', i);
    const qsizetype semicolon = text.indexOf(u';', i);
    if (equals < 0 || (semicolon >= 0 && semicolon < equals)) {
      // A part without "=" carries nothing.
      if (semicolon < 0) break;
      i = semicolon + 1;
      continue;
    }
    const QString key = NormalKey(text.mid(i, equals - i));
    i = equals + 1;
    while (i < n && IsBlank(text[i])) ++i;
    QString value;
    if (i < n && (text[i] == u'"' || text[i] == u'\'')) {
      const QChar quote = text[i++];
      while (i < n) {
        if (text[i] == quote) {
          if (i + 1 < n && text[i + 1] == quote) {
            value += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      const qsizetype end = text.indexOf(u';', i);
      i = end < 0 ? n : end + 1;
    } else {
      const qsizetype end = text.indexOf(u';', i);
      value = text.mid(i, (end < 0 ? n : end) - i);
      while (!value.isEmpty() && IsBlank(value.back())) value.chop(1);
      i = end < 0 ? n : end + 1;
    }
    if (key == u"data source") settings.dataSource = value;
    else if (key == u"jet oledb:database password") settings.password = value;
  }
  return settings;
}

bool IsDatabaseLocked(const VbError& error) {
  return error.Number() == err::ProviderFailure &&
         (error.Description() == QString::fromUtf8(sqlite3_errstr(SQLITE_BUSY)) ||
          error.Description() == QString::fromUtf8(sqlite3_errstr(SQLITE_LOCKED)));
}

QString QuoteIdentifier(const QString& name) {
  QString bare = name;
  if (bare.size() >= 2 && bare.front() == u'[' && bare.back() == u']') bare = bare.mid(1, bare.size() - 2);
  bare.replace(u'"', QStringLiteral("\"\""));
  return u'"' + bare + u'"';
}

// ---------------------------------------------------------------------------
// Files

void CreateDatabase(const QString& path, const QString& password) {
  if (path.isEmpty()) Raise(err::ProviderFailure, QStringLiteral("Not a valid file name."));
  if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
    Raise(err::ProviderFailure, QStringLiteral("Database '%1' already exists.").arg(path));
  sqlite3* db = nullptr;
  // An absolute path is never taken for an SQLite URI.
  const int rc = sqlite3_open_v2(QFile::encodeName(QFileInfo(path).absoluteFilePath()).constData(), &db,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (rc != SQLITE_OK) {
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    QFile::remove(path);
    Raise(err::ProviderFailure, message);
  }
  Connection::State state;
  state.db = db;
  data::ConfigureHandle(db, &state);
  try {
    data::Trusted trusted(state);
    data::Statement(state, QStringLiteral("BEGIN IMMEDIATE")).Step();
    data::InitializeFile(state, password);
    data::Statement(state, QStringLiteral("COMMIT")).Step();
  } catch (const VbError&) {
    sqlite3_close_v2(db);
    QFile::remove(path);
    throw;
  }
  sqlite3_close_v2(db);
}

// ---------------------------------------------------------------------------
// Connection

Connection::Connection() : state_(std::make_shared<State>()) {}

Connection::~Connection() { Close(); }

namespace {

// Opens the SQLite file at file; path is the file the caller named.
std::shared_ptr<Connection::State> OpenFile(const QString& file, const QString& path, bool readOnly,
                                            const QString& password, int busyTimeout) {
  // SQLite takes an empty file for an empty database; Jet does not.
  if (QFileInfo(file).size() == 0) Raise(err::ProviderFailure, QString::fromUtf8(sqlite3_errstr(SQLITE_NOTADB)));
  sqlite3* db = nullptr;
  const int rc = sqlite3_open_v2(QFile::encodeName(QFileInfo(file).absoluteFilePath()).constData(), &db,
                                 readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE, nullptr);
  if (rc != SQLITE_OK) {
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    Raise(err::ProviderFailure, message);
  }
  auto state = std::make_shared<Connection::State>();
  state->db = db;
  state->path = path;
  state->readOnly = readOnly || sqlite3_db_readonly(db, "main") == 1;
  data::ConfigureHandle(db, state.get());
  sqlite3_busy_timeout(db, std::max(0, busyTimeout));
  try {
    data::Trusted trusted(*state);
    // The first read tells a database from any other file.
    data::Statement(*state, QStringLiteral("SELECT count(*) FROM sqlite_master")).Step();
    // A file without its password record (the record dropped by another
    // tool, an empty database) is refused like a wrong password.
    bool accepted = false;
    {
      // These reads end before the journal mode may change: an unfinished
      // read holds a transaction open.
      data::Statement find(*state, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? "
                                                  "COLLATE NOCASE"));
      find.Bind({QString::fromLatin1(kPasswordTable)});
      if (find.Step()) {
        data::Statement read(*state, QStringLiteral("SELECT Salt, Hash FROM %1")
                                         .arg(QuoteIdentifier(QString::fromLatin1(kPasswordTable))));
        if (read.Step()) {
          const auto blob = [&](int column) {
            const void* bytes = sqlite3_column_blob(read.get(), column);
            return QByteArray(static_cast<const char*>(bytes), sqlite3_column_bytes(read.get(), column));
          };
          accepted = PasswordAccepted(blob(0), blob(1), password);
        }
      }
    }
    if (!accepted) Raise(err::NotValidPassword, ErrorDescription(err::NotValidPassword));
    if (!state->readOnly) {
      // A file left in WAL mode goes back to a rollback journal: the folder
      // may be a network share.
      QString mode;
      {
        data::Statement read(*state, QStringLiteral("PRAGMA journal_mode"));
        if (read.Step()) mode = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(read.get(), 0)));
      }
      if (mode.compare(QStringLiteral("wal"), Qt::CaseInsensitive) == 0) {
        data::Statement change(*state, QStringLiteral("PRAGMA journal_mode = DELETE"), std::nothrow);
        if (change.ok()) {
          try {
            change.Step();
          } catch (const VbError&) {
            // Another process holds the file; it stays as it is.
          }
        }
      }
    }
  } catch (const VbError&) {
    sqlite3_close_v2(db);
    throw;
  }
  return state;
}

}  // namespace

void Connection::Open() {
  if (IsOpen()) Raise(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));
  const ConnectionSettings settings = ParseConnectionString(ConnectionString);
  const QString path = FindFile(settings.dataSource);
  if (path.isEmpty())
    Raise(err::ProviderFailure, QStringLiteral("Could not find file '%1'.").arg(settings.dataSource));
  const bool readOnly = (Mode & adModeReadWrite) == adModeRead;
  // A Jet file is read through its copy in our format, or converted into
  // our format when it is to be written.
  if (readOnly) {
    if (const auto copy = jet::ReadOnlyCopy(path, settings.password)) {
      try {
        state_ = OpenFile(*copy, path, readOnly, settings.password, BusyTimeout);
      } catch (const VbError&) {
        // A copy damaged since it was made is made again.
        const auto again = jet::ReadOnlyCopy(path, settings.password, true);
        state_ = OpenFile(again.value_or(path), path, readOnly, settings.password, BusyTimeout);
      }
      return;
    }
  } else {
    jet::ConvertInPlace(path, settings.password);
  }
  state_ = OpenFile(path, path, readOnly, settings.password, BusyTimeout);
}

void Connection::Close() {
  if (state_->db) {
    sqlite3_close_v2(state_->db);
    state_->db = nullptr;
  }
}

bool Connection::IsOpen() const { return state_->db != nullptr; }
bool Connection::IsReadOnly() const { return state_->db != nullptr && state_->readOnly; }
QString Connection::DataSource() const { return state_->db ? state_->path : QString(); }
sqlite3* Connection::Handle() const { return state_->db; }

void Connection::Execute(const QString& sql, const QList<Variant>& params) {
  if (!IsOpen())
    Raise(err::ConnectionNotUsable, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                                   "either closed or invalid in this context."));
  data::Statement statement(*state_, sql);
  statement.Bind(params);
  while (statement.Step()) {
  }
}

QStringList Connection::TableNames() const {
  QStringList names;
  if (!IsOpen()) return names;
  data::Statement list(*state_, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT "
                                               "LIKE 'sqlite!_%' ESCAPE '!' ORDER BY rowid"));
  while (list.Step()) {
    const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    if (!data::IsPasswordTable(name)) names << name;
  }
  return names;
}

void CreateTable(Connection& connection, const QString& table, const QList<ColumnDefinition>& columns) {
  QStringList parts;
  for (const ColumnDefinition& column : columns) parts << QuoteIdentifier(column.name) + u' ' + data::DeclaredType(column.type);
  connection.Execute(QStringLiteral("CREATE TABLE %1 (%2)").arg(QuoteIdentifier(table), parts.join(QStringLiteral(", "))));
}

// ---------------------------------------------------------------------------
// What the parts share

namespace data {

std::int32_t ProviderNumber(int rc, const QString& message) {
  if ((rc & 0xff) == SQLITE_ERROR) {
    if (message.startsWith(QStringLiteral("no such table"))) return err::TableNotFound;
    if (message.startsWith(QStringLiteral("no such column"))) return err::ParameterMissing;
    if (message.contains(QStringLiteral("syntax error")) || message.startsWith(QStringLiteral("incomplete input")) ||
        message.startsWith(QStringLiteral("unrecognized token")))
      return err::SqlSyntaxError;
  }
  return err::ProviderFailure;
}

void RaiseSqlite(sqlite3* db, int rc) {
  const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
  Raise(ProviderNumber(rc, message), message);
}

Statement::Statement(Connection::State& state, const QString& sql) : state_(state) {
  const int rc = Prepare(sql);
  if (rc != SQLITE_OK) RaiseSqlite(state_.db, rc);
}

Statement::Statement(Connection::State& state, const QString& sql, std::nothrow_t) : state_(state) {
  if (Prepare(sql) != SQLITE_OK) stmt_ = nullptr;
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

int Statement::Prepare(const QString& sql) {
  const QByteArray text = sql.toUtf8();
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(state_.db, text.constData(), static_cast<int>(text.size()), &stmt_, &tail);
  if (rc != SQLITE_OK) return rc;
  if (!stmt_) {
    // Only blanks or comments.
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    Raise(err::CommandTextNotSet, QStringLiteral("Command text was not set for the command object."));
  }
  const char* end = text.constData() + text.size();
  if (tail && tail < end) {
    sqlite3_stmt* more = nullptr;
    rc = sqlite3_prepare_v2(state_.db, tail, static_cast<int>(end - tail), &more, nullptr);
    const bool extra = rc != SQLITE_OK || more != nullptr;
    sqlite3_finalize(more);
    if (extra) {
      sqlite3_finalize(stmt_);
      stmt_ = nullptr;
      Raise(err::SqlSyntaxError, QStringLiteral("Characters found after end of SQL statement."));
    }
  }
  return SQLITE_OK;
}

void Statement::Bind(const QList<Variant>& params) {
  const int wanted = sqlite3_bind_parameter_count(stmt_);
  if (params.size() < wanted)
    Raise(err::ParameterMissing, QStringLiteral("No value given for one or more required parameters."));
  if (params.size() > wanted)
    Raise(err::BadArguments, QStringLiteral("Arguments are of the wrong type, are out of acceptable range, or are "
                                            "in conflict with one another."));
  for (int i = 0; i < wanted; ++i) BindValue(stmt_, i + 1, params[i]);
}

bool Statement::Step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  RaiseSqlite(state_.db, rc);
}

ValueKind KindOfDeclaredType(const char* declared) {
  if (!declared) return ValueKind::Plain;
  // The type's first word: "DATETIME", not "DATETIME(8)".
  const QString full = QString::fromUtf8(declared).trimmed().toUpper();
  qsizetype end = 0;
  while (end < full.size() && full[end] >= u'A' && full[end] <= u'Z') ++end;
  const QString type = full.left(end);
  if (type == u"DATE" || type == u"DATETIME" || type == u"TIMESTAMP") return ValueKind::Date;
  if (type == u"YESNO" || type == u"BOOLEAN" || type == u"BOOL" || type == u"BIT" || type == u"LOGICAL")
    return ValueKind::Boolean;
  return ValueKind::Plain;
}

Variant ReadColumn(sqlite3_stmt* stmt, int column, ValueKind kind) {
  switch (sqlite3_column_type(stmt, column)) {
    case SQLITE_NULL: return Variant::Null();
    case SQLITE_INTEGER: {
      const auto value = static_cast<std::int64_t>(sqlite3_column_int64(stmt, column));
      if (kind == ValueKind::Boolean) return Variant(value != 0);
      if (kind == ValueKind::Date) return Variant::Date(static_cast<double>(value));
      return Variant(value);
    }
    case SQLITE_FLOAT: {
      const double value = sqlite3_column_double(stmt, column);
      if (kind == ValueKind::Boolean) return Variant(value != 0.0);
      if (kind == ValueKind::Date) return Variant::Date(value);
      return Variant(value);
    }
    case SQLITE_BLOB: {
      // Bytes (OLE objects, binary fields) read as one character per byte.
      const auto* bytes = static_cast<const char*>(sqlite3_column_blob(stmt, column));
      return Variant(QString::fromLatin1(bytes, sqlite3_column_bytes(stmt, column)));
    }
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
      return Variant(QString::fromUtf8(text, sqlite3_column_bytes(stmt, column)));
    }
  }
}

void BindValue(sqlite3_stmt* stmt, int index, const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty:
    case Variant::Type::Null: sqlite3_bind_null(stmt, index); break;
    case Variant::Type::Boolean:
    case Variant::Type::Integer: sqlite3_bind_int64(stmt, index, value.RawInteger()); break;
    case Variant::Type::Double:
    case Variant::Type::Date: sqlite3_bind_double(stmt, index, value.RawDouble()); break;
    case Variant::Type::Text: {
      const QByteArray text = value.RawText().toUtf8();
      sqlite3_bind_text(stmt, index, text.constData(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
      break;
    }
  }
}

bool IsPasswordTable(const QString& name) {
  return QString::compare(name, QString::fromLatin1(kPasswordTable), Qt::CaseInsensitive) == 0;
}

bool TableExists(Connection::State& state, const QString& name) {
  if (IsPasswordTable(name)) return false;
  Statement find(state, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type IN ('table', 'view') AND name = ? "
                                       "COLLATE VBTEXT"));
  find.Bind({name});
  return find.Step();
}

}  // namespace data
}  // namespace platform

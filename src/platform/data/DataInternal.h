#pragma once
// What the Data*.cpp files share: the connection's state, statements that
// raise provider errors, and the reading and binding of values.
#include <sqlite3.h>

#include <QByteArray>
#include <QString>
#include <new>

#include "platform/data/Data.h"

namespace platform {

// The table that holds a file's password hash; no caller ever sees it.
inline constexpr const char* kPasswordTable = "MSysPassword";

struct Connection::State {
  sqlite3* db = nullptr;
  bool readOnly = false;
  int trusted = 0;  // > 0 while the layer runs its own statements
  QString path;
};

namespace data {

// The layer's own statements may touch the password table.
class Trusted {
 public:
  explicit Trusted(Connection::State& state) : state_(state) { ++state_.trusted; }
  ~Trusted() { --state_.trusted; }
  Trusted(const Trusted&) = delete;
  Trusted& operator=(const Trusted&) = delete;

 private:
  Connection::State& state_;
};

// A new handle gets the busy timeout, the VBTEXT collation and the guard of
// the password table.
void ConfigureHandle(sqlite3* db, Connection::State* state);
// Marks a new, empty file as ours and gives it its password record (an empty
// password makes a record that any password passes, as Jet treats a file
// without a password).
void InitializeFile(Connection::State& state, const QString& password);
// The declared type CreateTable writes for a column type.
QString DeclaredType(ColumnType type);

// Raises the connection's last SQLite failure with the number ADO would give.
[[noreturn]] void RaiseSqlite(sqlite3* db, int rc);
std::int32_t ProviderNumber(int rc, const QString& message);

// One prepared statement. The text must hold exactly one statement.
class Statement {
 public:
  Statement(Connection::State& state, const QString& sql);
  // Prepares without raising; ok() tells whether it worked.
  Statement(Connection::State& state, const QString& sql, std::nothrow_t);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool ok() const { return stmt_ != nullptr; }
  sqlite3_stmt* get() const { return stmt_; }
  // Binds params to the "?" marks; their number must match.
  void Bind(const QList<Variant>& params);
  // true: a row is there; false: done.
  bool Step();

 private:
  int Prepare(const QString& sql);
  Connection::State& state_;
  sqlite3_stmt* stmt_ = nullptr;
};

enum class ValueKind { Plain, Boolean, Date };
ValueKind KindOfDeclaredType(const char* declared);
Variant ReadColumn(sqlite3_stmt* stmt, int column, ValueKind kind);
void BindValue(sqlite3_stmt* stmt, int index, const Variant& value);

// Whether a table of that name (compared as names are) exists; the password
// table never does.
bool TableExists(Connection::State& state, const QString& name);
bool IsPasswordTable(const QString& name);

}  // namespace data
}  // namespace platform

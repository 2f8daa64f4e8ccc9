#pragma once
// The data layer: the original's ADO connections and recordsets over Jet
// files, standing on SQLite 3. File names stay the original's (".mdb"); each
// file is an SQLite database. Every failure raises a VbError with the
// provider's numbers (&H80004005, &H80040E4D, 3021, 3265).
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "platform/VbValues.h"

struct sqlite3;

namespace platform {

// "PROVIDER=Microsoft.Jet.OLEDB.4.0; Data Source=" & path & "; Jet OLEDB:Database Password=" & pw & ";"
QString JetConnectionString(const QString& path, const QString& password);

struct ConnectionSettings {
  QString dataSource;  // the file path, as written in the text
  QString password;
};
// Reads "Data Source" and "Jet OLEDB:Database Password" out of a connection string.
ConnectionSettings ParseConnectionString(const QString& connectionString);

// Creates a new, empty database file protected by a password (content tool and
// tests). Raises &H80004005 when the file exists already or cannot be made.
void CreateDatabase(const QString& path, const QString& password);

// The name of the registered case-insensitive collation ("=" and ORDER BY on
// names compare as CompareText does). Columns holding names declare it.
inline constexpr const char* kTextCollation = "VBTEXT";

// A name quoted as an SQL identifier: [Left Panel Title] -> "Left Panel Title".
QString QuoteIdentifier(const QString& name);

enum ConnectModeEnum { adModeUnknown = 0, adModeRead = 1, adModeReadWrite = 3 };

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  QString ConnectionString;
  int Mode = adModeUnknown;  // 1 read-only; 3 (and 0) read/write; never creates a file

  // Opens the file named by ConnectionString. A missing file raises
  // &H80004005 "Could not find file '<path>'."; a file that is not a database
  // &H80004005 with its own description; a wrong password &H80040E4D
  // "Not a valid password.".
  void Open();
  void Close();
  bool IsOpen() const;
  QString DataSource() const;

  // Runs a statement that gives no rows; values are bound to the "?" marks.
  void Execute(const QString& sql, const QList<Variant>& params = {});
  // Names of the tables of the database, in creation order.
  QStringList TableNames() const;

  sqlite3* Handle() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A static recordset: all rows are read when it opens, so RecordCount is exact.
class Recordset {
 public:
  Recordset();
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // source is a bare table name (opened whole, in the table's own row order)
  // or an SQL statement whose "?" marks take params in order.
  void Open(Connection& connection, const QString& source, const QList<Variant>& params = {});
  void Close();
  bool IsOpen() const;

  int RecordCount() const;
  bool EOF() const;
  bool BOF() const;
  void MoveFirst();  // on an empty recordset: error 3021
  void MoveLast();   // on an empty recordset: error 3021
  void MoveNext();
  void MovePrevious();

  int FieldCount() const;
  QString FieldName(int index) const;  // column order
  // The current row's value; no current row: 3021; no such field: 3265.
  Variant Value(const QString& name) const;
  Variant Value(int index) const;

  // Writing: AddNew starts a new row (made current), SetValue changes a field
  // of the current row, Update stores the change in its own transaction.
  void AddNew();
  void SetValue(const QString& name, const Variant& value);
  void Update();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The ADO data control: a connection string, a mode, a command type and a
// record source; Refresh (re)opens the connection when needed and runs the
// source; Recordset gives what it opened.
enum CommandTypeEnum { adCmdText = 1, adCmdTable = 2, adCmdUnknown = 8, adCmdTableDirect = 512 };

class DataControl {
 public:
  DataControl();
  ~DataControl();

  QString ConnectionString;
  int Mode = adModeUnknown;
  int CommandType = adCmdUnknown;
  QString RecordSource;
  QList<Variant> Parameters;  // bound to the "?" marks of an SQL record source

  // Raises the error of a failing open or query (after the Error callback,
  // when one is set, has seen it).
  void Refresh();
  Recordset* GetRecordset();          // nullptr before the first Refresh
  void DetachRecordset();             // "ActiveConnection = Nothing"
  Connection* GetConnection();

  // Called with the number and description of every failure of Refresh.
  std::function<void(std::int32_t number, const QString& description)> Error;

 private:
  std::unique_ptr<Connection> connection_;
  QString openedWith_;
  int openedMode_ = -1;
  std::unique_ptr<Recordset> recordset_;
};

}  // namespace platform

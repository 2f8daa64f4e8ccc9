#pragma once
// The data layer: the original's ADO connections and recordsets over Jet
// files, standing on SQLite 3. File names stay the original's (".mdb"); a
// file is an SQLite database of ours, or an Access (Jet) file the users bring,
// told apart by its first bytes. A Jet file opened read-only is read through a
// copy in our format kept in the cache folder; one opened for writing is
// converted into our format once, its original kept beside it (JetFile.h).
// Every failure raises a VbError with the provider's numbers (&H80004005,
// &H80040E4D, &H80040E14, &H80040E37, 3021, 3265); the description of an
// SQLite failure is SQLite's own text.
//
// Column types. Tables are made with these declared types (CreateTable writes
// them), and values read back as these Variants:
//
//   type       declared as                  stored as                 reads back as
//   Text       TEXT COLLATE VBTEXT          text                      Variant text
//   Memo       LONGTEXT COLLATE VBTEXT      text (rich text, long)    Variant text
//   Integer    INTEGER                      whole number              Variant whole number
//   Double     DOUBLE                       real                      Variant Double
//   YesNo      YESNO                        -1 (True) or 0 (False)    Variant Boolean
//   DateTime   DATETIME                     date serial (real)        Variant Date
//   (bytes)    BLOB                         bytes (OLE objects)       Variant text, one character per byte
//
// Null reads as Variant::Null(). A column declared YESNO, BOOLEAN or BIT reads a
// number as a Boolean (any non-zero is True); DATE, DATETIME or TIMESTAMP reads a
// number as a Date. A value of another kind in such a column (text, say) reads
// as what it is. Columns of other declared types read as stored.
//
// Text "=" and ORDER BY on a column compare through the column's collation, so
// names compare case-insensitively only in columns declared COLLATE VBTEXT.
// VBTEXT is registered on every connection; other SQLite tools cannot query
// such columns without it.
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/values/VbError.h"
#include "platform/values/VbValues.h"

struct sqlite3;

namespace platform {

namespace err {
// Provider and ADO failures, as ADO reports them.
constexpr std::int32_t SqlSyntaxError = static_cast<std::int32_t>(0x80040E14u);    // &H80040E14
constexpr std::int32_t TableNotFound = static_cast<std::int32_t>(0x80040E37u);     // &H80040E37
constexpr std::int32_t ParameterMissing = static_cast<std::int32_t>(0x80040E10u);  // &H80040E10
constexpr std::int32_t CommandTextNotSet = static_cast<std::int32_t>(0x80040E0Cu);  // &H80040E0C
constexpr std::int32_t BadArguments = 3001;
constexpr std::int32_t ItemNotFound = 3265;
constexpr std::int32_t ObjectClosed = 3704;
constexpr std::int32_t ObjectOpen = 3705;
constexpr std::int32_t ConnectionNotUsable = 3709;
}  // namespace err

// "PROVIDER=Microsoft.Jet.OLEDB.4.0; Data Source=" & path & "; Jet OLEDB:Database Password=" & pw & ";"
// A value holding ";" or a quote, or blanks at its ends, is put between double
// quotes so that it reads back whole.
QString JetConnectionString(const QString& path, const QString& password);

struct ConnectionSettings {
  QString dataSource;  // the file path, as written in the text
  QString password;
};
// Reads "Data Source" and "Jet OLEDB:Database Password" out of a connection
// string: keys in any letter case, blanks after ";" and around "=" ignored,
// values optionally between double or single quotes (a doubled quote inside
// stands for one).
ConnectionSettings ParseConnectionString(const QString& connectionString);

// Creates a new database file (content tool and tests). A non-empty password
// protects it; an empty one leaves it open to any password, as Jet leaves a
// file without a password. Raises &H80004005 when the file exists already or
// cannot be made.
void CreateDatabase(const QString& path, const QString& password);

// The name of the registered case-insensitive collation ("=" and ORDER BY on
// names compare as CompareText does). Columns holding names declare it.
inline constexpr const char* kTextCollation = "VBTEXT";

// A name quoted as an SQL identifier: [Left Panel Title] -> "Left Panel Title".
QString QuoteIdentifier(const QString& name);

enum ConnectModeEnum { adModeUnknown = 0, adModeRead = 1, adModeReadWrite = 3 };

// How long a step waits for another connection's lock on the file before it
// fails, milliseconds.
inline constexpr int kDefaultBusyTimeout = 5000;
// True for that failure (&H80004005 "database is locked"): another program
// held the file for longer than the step waited.
bool IsDatabaseLocked(const VbError& error);

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  QString ConnectionString;
  int Mode = adModeUnknown;  // 1 read-only; 3 (and 0) read/write; never creates a file
  int BusyTimeout = kDefaultBusyTimeout;  // ms; read when the connection opens

  // Opens the file named by ConnectionString. A missing file or folder raises
  // &H80004005 "Could not find file '<path>'."; a file that is not a database
  // &H80004005 with its own description ("Unrecognized database format
  // '<path>'." for a damaged Jet file); a wrong password, or a file of ours
  // without its password record, &H80040E4D "Not a valid password."; an open
  // connection 3705.
  void Open();
  void Close();  // a closed connection stays closed
  bool IsOpen() const;
  bool IsReadOnly() const;
  QString DataSource() const;  // the path of the open file

  // Runs one statement that gives no rows; values are bound to the "?" marks.
  void Execute(const QString& sql, const QList<Variant>& params = {});
  // Names of the tables of the database, in creation order.
  QStringList TableNames() const;

  sqlite3* Handle() const;

  struct State;  // shared with the recordsets opened on it

 private:
  friend class Recordset;
  std::shared_ptr<State> state_;
};

// Makes a table in the column-type convention above.
enum class ColumnType { Text, Memo, Integer, Double, YesNo, DateTime };
struct ColumnDefinition {
  QString name;
  ColumnType type;
};
void CreateTable(Connection& connection, const QString& table, const QList<ColumnDefinition>& columns);

// A static recordset: all rows are read when it opens, so RecordCount is exact.
class Recordset {
 public:
  Recordset();
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // source is a bare table name (opened whole, in the table's own row order)
  // or an SQL statement whose "?" marks take params in order. A source is a
  // table name when it names a table of the database or does not begin with
  // SELECT, WITH, VALUES or "("; params are not used with a table name.
  void Open(Connection& connection, const QString& source, const QList<Variant>& params = {});
  // Opens a table by name, whatever the name looks like (table-direct).
  void OpenTable(Connection& connection, const QString& table);
  void Close();  // drops an edit that Update has not stored
  bool IsOpen() const;
  // "ActiveConnection = Nothing": the rows stay readable, writes are refused.
  void Detach();

  int RecordCount() const;
  // The original's EOF and BOF (EOF is a C library macro, hence the names).
  bool IsEOF() const;
  bool IsBOF() const;
  void MoveFirst();  // on an empty recordset: error 3021
  void MoveLast();   // on an empty recordset: error 3021
  void MoveNext();   // from EOF: error 3021
  void MovePrevious();  // from BOF: error 3021

  int FieldCount() const;
  QString FieldName(int index) const;  // column order; out of range: 3265
  // The current row's value; no current row: 3021; no such field: 3265
  // "Item cannot be found in the collection corresponding to the requested name or ordinal.".
  Variant Value(const QString& name) const;
  Variant Value(int index) const;

  // Writing: AddNew starts a new row (made current, every field Null),
  // SetValue changes a field of the current row, Update stores the change in
  // its own transaction and reads the stored row back. Moving to another row
  // or calling AddNew stores a pending change first, as ADO does. A
  // read-only connection refuses with &H80004005 "Cannot update. Database or
  // object is read-only."; a source that is not a single table with
  // &H80004005 "Insufficient base table information for updating or refreshing.".
  void AddNew();
  void SetValue(const QString& name, const Variant& value);
  void SetValue(int index, const Variant& value);
  void Update();
  bool EditPending() const;

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
  DataControl(const DataControl&) = delete;
  DataControl& operator=(const DataControl&) = delete;

  QString ConnectionString;
  int Mode = adModeUnknown;
  int CommandType = adCmdUnknown;  // 1 or 8: SQL text or table name; 2 or 512: table name
  QString RecordSource;
  QList<Variant> Parameters;  // bound to the "?" marks of an SQL record source
  int BusyTimeout = kDefaultBusyTimeout;  // ms; given to the connection it opens

  // Opens the connection unless one is open with the same connection string
  // and mode, then opens RecordSource in place of the previous recordset,
  // which is destroyed (an edit not yet stored with Update is dropped).
  // Raises the error of a failing open or query (after the Error callback,
  // when one is set, has seen it); the control then holds no recordset.
  void Refresh();
  Recordset* GetRecordset();          // nullptr before a successful Refresh
  void DetachRecordset();             // "ActiveConnection = Nothing"
  Connection* GetConnection();        // nullptr before the first Refresh

  // Called with the number and description of every failure of Refresh.
  std::function<void(std::int32_t number, const QString& description)> Error;

 private:
  std::unique_ptr<Connection> connection_;
  QString openedWith_;
  int openedMode_ = -1;
  std::unique_ptr<Recordset> recordset_;
};

}  // namespace platform

// Recordsets: every row read at open; writes go back to the one table the
// rows came from, found through a rowid the caller never sees.
#include "platform/data/Data.h"
#include "platform/data/DataInternal.h"

namespace platform {

namespace {

const QString kClosed = QStringLiteral("Operation is not allowed when the object is closed.");
const QString kNotFound =
    QStringLiteral("Item cannot be found in the collection corresponding to the requested name or ordinal.");

bool IsWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; }

// Adds the rowid after the columns of "SELECT ... FROM" (last, so that
// ORDER BY 1 keeps its meaning) when the statement can be a single table's
// rows one for one; false where it cannot (DISTINCT, grouping, compound
// selects, anything but SELECT). Joins and expressions are caught later by
// the columns' origins.
bool InjectRowid(const QString& sql, QString* injected) {
  const qsizetype n = sql.size();
  qsizetype i = 0;
  qsizetype insertAt = -1;
  int depth = 0;
  int tokens = 0;
  while (i < n) {
    const QChar c = sql[i];
    if (c.isSpace()) {
      ++i;
      continue;
    }
    if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
      const qsizetype end = sql.indexOf(u'\n', i);
      i = end < 0 ? n : end + 1;
      continue;
    }
    if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
      const qsizetype end = sql.indexOf(QStringLiteral("*/"), i + 2);
      i = end < 0 ? n : end + 2;
      continue;
    }
    if (c == u'\'' || c == u'"' || c == u'`') {
      if (tokens == 0) return false;
      ++i;
      while (i < n) {
        if (sql[i] == c) {
          if (i + 1 < n && sql[i + 1] == c) {
            i += 2;
            continue;
          }
          break;
        }
        ++i;
      }
      ++i;
      ++tokens;
      continue;
    }
    if (c == u'[') {
      if (tokens == 0) return false;
      const qsizetype end = sql.indexOf(u']', i + 1);
      i = end < 0 ? n : end + 1;
      ++tokens;
      continue;
    }
    if (IsWordChar(c)) {
      const qsizetype start = i;
      while (i < n && IsWordChar(sql[i])) ++i;
      const QString word = sql.mid(start, i - start).toUpper();
      if (tokens == 0 && word != u"SELECT") return false;
      if (tokens == 1 && word == u"DISTINCT") return false;
      if (depth == 0) {
        if (word == u"FROM" && insertAt < 0) insertAt = start;
        if (word == u"UNION" || word == u"INTERSECT" || word == u"EXCEPT" || word == u"GROUP" || word == u"HAVING" ||
            word == u"WINDOW")
          return false;
      }
      ++tokens;
      continue;
    }
    if (tokens == 0) return false;
    if (c == u'(') ++depth;
    else if (c == u')') --depth;
    ++tokens;
    ++i;
  }
  if (insertAt < 0) return false;
  *injected = sql.left(insertAt) + QStringLiteral(", _rowid_ ") + sql.mid(insertAt);
  return true;
}

bool LooksLikeStatement(const QString& source) {
  qsizetype i = 0;
  while (i < source.size() && source[i].isSpace()) ++i;
  if (i < source.size() && source[i] == u'(') return true;
  qsizetype end = i;
  while (end < source.size() && IsWordChar(source[end])) ++end;
  const QString word = source.mid(i, end - i).toUpper();
  return word == u"SELECT" || word == u"WITH" || word == u"VALUES";
}

}  // namespace

struct Recordset::Impl {
  struct Row {
    std::int64_t id = 0;
    QList<Variant> values;
  };
  enum class Edit { None, Editing, Adding };

  std::shared_ptr<Connection::State> connection;
  bool open = false;
  QStringList names;
  QList<data::ValueKind> kinds;
  QStringList origins;  // each field's column in the table
  QString database;
  QString table;
  bool identity = false;  // rows can be found again in `table`
  QList<Row> rows;
  int position = 0;  // -1: BOF; rows.size(): EOF
  Edit edit = Edit::None;
  QList<bool> dirty;

  bool AtBof() const { return rows.isEmpty() || position < 0; }
  bool AtEof() const { return rows.isEmpty() || position >= rows.size(); }

  void RequireOpen() const {
    if (!open) Raise(err::ObjectClosed, kClosed);
  }
  void RequireCurrentRow() const {
    if (AtBof() || AtEof()) Raise(err::NoCurrentRecord);
  }
  void RequireWritable() const {
    if (!connection || !connection->db) Raise(err::ObjectClosed, kClosed);
    if (connection->readOnly)
      Raise(err::ProviderFailure, QStringLiteral("Cannot update. Database or object is read-only."));
    if (!identity)
      Raise(err::ProviderFailure, QStringLiteral("Insufficient base table information for updating or refreshing."));
  }
  int FieldIndex(const QString& name) const {
    for (int i = 0; i < names.size(); ++i)
      if (CompareText(names[i], name) == 0) return i;
    Raise(err::ItemNotFound, kNotFound);
  }
  void CheckIndex(int index) const {
    if (index < 0 || index >= names.size()) Raise(err::ItemNotFound, kNotFound);
  }
  QString Target() const { return QuoteIdentifier(database) + u'.' + QuoteIdentifier(table); }

  void Load(const std::shared_ptr<Connection::State>& state, const QString& sql, const QList<Variant>& params);
  void Store();
};

void Recordset::Impl::Load(const std::shared_ptr<Connection::State>& state, const QString& sql,
                           const QList<Variant>& params) {
  std::unique_ptr<data::Statement> statement;
  QString injected;
  bool hidden = false;
  if (InjectRowid(sql, &injected)) {
    statement = std::make_unique<data::Statement>(*state, injected, std::nothrow);
    hidden = statement->ok();
    if (!hidden) statement.reset();
  }
  if (!statement) statement = std::make_unique<data::Statement>(*state, sql);
  statement->Bind(params);

  sqlite3_stmt* s = statement->get();
  const int count = sqlite3_column_count(s) - (hidden ? 1 : 0);
  QStringList newNames;
  QList<data::ValueKind> newKinds;
  QStringList newOrigins;
  bool newIdentity = hidden;
  const char* rowidTable = hidden ? sqlite3_column_table_name(s, count) : nullptr;
  const char* rowidOrigin = hidden ? sqlite3_column_origin_name(s, count) : nullptr;
  const char* rowidDatabase = hidden ? sqlite3_column_database_name(s, count) : nullptr;
  // A column really named "_rowid_" would hide the rowid.
  if (!rowidTable || !rowidOrigin || !rowidDatabase || sqlite3_stricmp(rowidOrigin, "_rowid_") == 0) newIdentity = false;
  for (int c = 0; c < count; ++c) {
    newNames << QString::fromUtf8(sqlite3_column_name(s, c));
    newKinds << data::KindOfDeclaredType(sqlite3_column_decltype(s, c));
    const char* columnTable = sqlite3_column_table_name(s, c);
    const char* origin = sqlite3_column_origin_name(s, c);
    const char* columnDatabase = sqlite3_column_database_name(s, c);
    newOrigins << (origin ? QString::fromUtf8(origin) : QString());
    if (newIdentity && (!columnTable || !origin || !columnDatabase || qstrcmp(columnTable, rowidTable) != 0 ||
                        qstrcmp(columnDatabase, rowidDatabase) != 0))
      newIdentity = false;
  }
  QList<Row> newRows;
  while (statement->Step()) {
    Row row;
    if (hidden) row.id = static_cast<std::int64_t>(sqlite3_column_int64(s, count));
    row.values.reserve(count);
    for (int c = 0; c < count; ++c) row.values << data::ReadColumn(s, c, newKinds[c]);
    newRows << std::move(row);
  }

  connection = state;
  names = std::move(newNames);
  kinds = std::move(newKinds);
  origins = std::move(newOrigins);
  identity = newIdentity;
  database = newIdentity ? QString::fromUtf8(rowidDatabase) : QString();
  table = newIdentity ? QString::fromUtf8(rowidTable) : QString();
  rows = std::move(newRows);
  position = 0;
  edit = Edit::None;
  dirty = QList<bool>(names.size(), false);
  open = true;
}

void Recordset::Impl::Store() {
  Connection::State& state = *connection;
  Row& row = rows[position];
  // The same column may stand twice among the fields; the later value wins.
  QStringList columns;
  QList<Variant> values;
  for (int i = 0; i < names.size(); ++i) {
    if (!dirty[i]) continue;
    const qsizetype at = columns.indexOf(origins[i]);
    if (at >= 0) {
      values[at] = row.values[i];
    } else {
      columns << origins[i];
      values << row.values[i];
    }
  }
  if (edit == Edit::Editing && columns.isEmpty()) return;

  const bool ownTransaction = sqlite3_get_autocommit(state.db) != 0;
  if (ownTransaction) data::Statement(state, QStringLiteral("BEGIN IMMEDIATE")).Step();
  try {
    std::int64_t id = row.id;
    QStringList quoted;
    for (const QString& column : columns) quoted << QuoteIdentifier(column);
    if (edit == Edit::Adding) {
      QString sql;
      if (columns.isEmpty()) {
        sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(Target());
      } else {
        sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(Target(), quoted.join(QStringLiteral(", ")),
                       QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", ")));
      }
      data::Statement insert(state, sql);
      insert.Bind(values);
      insert.Step();
      id = static_cast<std::int64_t>(sqlite3_last_insert_rowid(state.db));
    } else {
      data::Statement update(state, QStringLiteral("UPDATE %1 SET %2 = ? WHERE _rowid_ = ?")
                                        .arg(Target(), quoted.join(QStringLiteral(" = ?, "))));
      values << Variant(id);
      update.Bind(values);
      update.Step();
      if (sqlite3_changes(state.db) != 1)
        Raise(err::ProviderFailure, QStringLiteral("Row cannot be located for updating. Some values may have been "
                                                   "changed since it was last read."));
    }
    // The row as stored: defaults, conversions by the column's type.
    QStringList all;
    for (const QString& origin : origins) all << QuoteIdentifier(origin);
    data::Statement back(state, QStringLiteral("SELECT %1 FROM %2 WHERE _rowid_ = ?")
                                    .arg(all.join(QStringLiteral(", ")), Target()));
    back.Bind({Variant(id)});
    QList<Variant> stored = row.values;
    if (back.Step())
      for (int c = 0; c < names.size(); ++c) stored[c] = data::ReadColumn(back.get(), c, kinds[c]);
    if (ownTransaction) data::Statement(state, QStringLiteral("COMMIT")).Step();
    row.id = id;
    row.values = std::move(stored);
  } catch (const VbError&) {
    if (ownTransaction) sqlite3_exec(state.db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

Recordset::Recordset() : impl_(std::make_unique<Impl>()) {}
Recordset::~Recordset() = default;

void Recordset::Open(Connection& connection, const QString& source, const QList<Variant>& params) {
  if (impl_->open) Raise(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));
  if (!connection.IsOpen())
    Raise(err::ConnectionNotUsable, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                                   "either closed or invalid in this context."));
  if (source.trimmed().isEmpty())
    Raise(err::CommandTextNotSet, QStringLiteral("Command text was not set for the command object."));
  if (data::IsPasswordTable(source) || data::TableExists(*connection.state_, source) || !LooksLikeStatement(source)) {
    OpenTable(connection, source);
    return;
  }
  impl_->Load(connection.state_, source, params);
}

void Recordset::OpenTable(Connection& connection, const QString& table) {
  if (impl_->open) Raise(err::ObjectOpen, QStringLiteral("Operation is not allowed when the object is open."));
  if (!connection.IsOpen())
    Raise(err::ConnectionNotUsable, QStringLiteral("The connection cannot be used to perform this operation. It is "
                                                   "either closed or invalid in this context."));
  if (table.trimmed().isEmpty())
    Raise(err::CommandTextNotSet, QStringLiteral("Command text was not set for the command object."));
  if (data::IsPasswordTable(table)) Raise(err::TableNotFound, QStringLiteral("no such table: ") + table);
  impl_->Load(connection.state_, QStringLiteral("SELECT * FROM ") + QuoteIdentifier(table), {});
}

void Recordset::Close() { *impl_ = Impl(); }

bool Recordset::IsOpen() const { return impl_->open; }

void Recordset::Detach() { impl_->connection.reset(); }

int Recordset::RecordCount() const {
  impl_->RequireOpen();
  return static_cast<int>(impl_->rows.size());
}

bool Recordset::IsEOF() const {
  impl_->RequireOpen();
  return impl_->AtEof();
}

bool Recordset::IsBOF() const {
  impl_->RequireOpen();
  return impl_->AtBof();
}

void Recordset::MoveFirst() {
  impl_->RequireOpen();
  if (impl_->rows.isEmpty()) Raise(err::NoCurrentRecord);
  if (impl_->edit != Impl::Edit::None) Update();
  impl_->position = 0;
}

void Recordset::MoveLast() {
  impl_->RequireOpen();
  if (impl_->rows.isEmpty()) Raise(err::NoCurrentRecord);
  if (impl_->edit != Impl::Edit::None) Update();
  impl_->position = static_cast<int>(impl_->rows.size()) - 1;
}

void Recordset::MoveNext() {
  impl_->RequireOpen();
  if (impl_->AtEof()) Raise(err::NoCurrentRecord);
  if (impl_->edit != Impl::Edit::None) Update();
  ++impl_->position;
}

void Recordset::MovePrevious() {
  impl_->RequireOpen();
  if (impl_->AtBof()) Raise(err::NoCurrentRecord);
  if (impl_->edit != Impl::Edit::None) Update();
  --impl_->position;
}

int Recordset::FieldCount() const {
  impl_->RequireOpen();
  return static_cast<int>(impl_->names.size());
}

QString Recordset::FieldName(int index) const {
  impl_->RequireOpen();
  impl_->CheckIndex(index);
  return impl_->names[index];
}

Variant Recordset::Value(const QString& name) const {
  impl_->RequireOpen();
  return Value(impl_->FieldIndex(name));
}

Variant Recordset::Value(int index) const {
  impl_->RequireOpen();
  impl_->CheckIndex(index);
  impl_->RequireCurrentRow();
  return impl_->rows[impl_->position].values[index];
}

void Recordset::AddNew() {
  impl_->RequireOpen();
  impl_->RequireWritable();
  if (impl_->edit != Impl::Edit::None) Update();
  Impl::Row row;
  row.values = QList<Variant>(impl_->names.size(), Variant::Null());
  impl_->rows << std::move(row);
  impl_->position = static_cast<int>(impl_->rows.size()) - 1;
  impl_->edit = Impl::Edit::Adding;
  impl_->dirty.fill(false);
}

void Recordset::SetValue(const QString& name, const Variant& value) {
  impl_->RequireOpen();
  SetValue(impl_->FieldIndex(name), value);
}

void Recordset::SetValue(int index, const Variant& value) {
  impl_->RequireOpen();
  impl_->CheckIndex(index);
  impl_->RequireCurrentRow();
  impl_->RequireWritable();
  if (impl_->edit == Impl::Edit::None) {
    impl_->edit = Impl::Edit::Editing;
    impl_->dirty.fill(false);
  }
  impl_->rows[impl_->position].values[index] = value;
  impl_->dirty[index] = true;
}

void Recordset::Update() {
  impl_->RequireOpen();
  if (impl_->edit == Impl::Edit::None) return;
  impl_->RequireWritable();
  impl_->Store();
  impl_->edit = Impl::Edit::None;
  impl_->dirty.fill(false);
}

bool Recordset::EditPending() const { return impl_->open && impl_->edit != Impl::Edit::None; }

}  // namespace platform

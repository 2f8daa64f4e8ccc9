// Jet files: the header of the first page, and the copy of the tables in our
// format, read through libmdb.
#include "platform/data/JetFile.h"

// mdbtools.h includes glib inside its extern "C" block; glib first keeps its
// C++ templates out of it.
#include <glib.h>
#include <iconv.h>
#include <mdbtools.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/data/DataInternal.h"
#include "platform/data/JetValues.h"

namespace platform::jet {

namespace {

constexpr int kMaskedFrom = 0x18;
constexpr int kCodePageAt = 0x3C;
constexpr int kEncodingKeyAt = 0x3E;
constexpr int kPasswordAt = 0x42;
constexpr int kCreationDateAt = 0x72;

// The first page is masked from 0x18 on with the RC4 key stream of the key
// 0x6B39DAC7 (little-endian), over 126 bytes in Jet 3 and 128 later.
const std::array<unsigned char, 128>& HeaderMask() {
  static const std::array<unsigned char, 128> mask = [] {
    const unsigned char key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    std::array<unsigned char, 256> state{};
    for (int i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
    for (int i = 0, j = 0; i < 256; ++i) {
      j = (j + state[i] + key[i % 4]) & 0xFF;
      std::swap(state[i], state[j]);
    }
    std::array<unsigned char, 128> stream{};
    for (int n = 0, i = 0, j = 0; n < 128; ++n) {
      i = (i + 1) & 0xFF;
      j = (j + state[i]) & 0xFF;
      std::swap(state[i], state[j]);
      stream[n] = state[(state[i] + state[j]) & 0xFF];
    }
    return stream;
  }();
  return mask;
}

std::uint32_t Le32(QByteArrayView bytes, qsizetype at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

QString FromCodePage(const QByteArray& bytes, int codePage) {
  const QByteArray name = "CP" + QByteArray::number(codePage);
  iconv_t converter = iconv_open("UTF-8", name.constData());
  if (converter == reinterpret_cast<iconv_t>(-1)) return QString::fromLatin1(bytes);
  QByteArray in = bytes;
  QByteArray out(in.size() * 4 + 4, '\0');
  char* from = in.data();
  char* to = out.data();
  size_t left = static_cast<size_t>(in.size());
  size_t room = static_cast<size_t>(out.size());
  const size_t done = iconv(converter, &from, &left, &to, &room);
  iconv_close(converter);
  if (done == static_cast<size_t>(-1)) return QString::fromLatin1(bytes);
  return QString::fromUtf8(out.constData(), static_cast<qsizetype>(to - out.data()));
}

std::function<void(Step)>& StepHook() {
  static std::function<void(Step)> hook;
  return hook;
}

}  // namespace

std::optional<Header> ReadHeader(const QByteArray& firstPage) {
  if (firstPage.size() < 19 || firstPage[0] != 0) return std::nullopt;
  const QByteArray magic = firstPage.mid(4, 15);
  Header header;
  if (magic == "Standard Jet DB") {
    header.version = (firstPage.size() <= 0x14 || firstPage[0x14] == 0) ? Version::Jet3 : Version::Jet4;
  } else if (magic == "Standard ACE DB") {
    header.version = Version::Ace;
  } else {
    return std::nullopt;
  }
  if (firstPage.size() < kMaskedFrom + 128) {
    header.cut = true;
    return header;
  }
  QByteArray page = firstPage.left(kMaskedFrom + 128);
  const int masked = header.version == Version::Jet3 ? 126 : 128;
  for (int i = 0; i < masked; ++i) page[kMaskedFrom + i] = static_cast<char>(page[kMaskedFrom + i] ^ HeaderMask()[i]);

  const int codePage = static_cast<int>(Le32(page, kCodePageAt) & 0xFFFF);
  header.codePage = codePage == 0 ? 1252 : codePage;
  header.encrypted = header.version == Version::Ace && Le32(page, kEncodingKeyAt) != 0;
  if (header.version == Version::Jet3) {
    QByteArray bytes = page.mid(kPasswordAt, 20);
    bytes.truncate(bytes.indexOf('\0') < 0 ? bytes.size() : bytes.indexOf('\0'));
    header.password = FromCodePage(bytes, header.codePage);
  } else {
    // Jet 4 masks the password again with the whole days of the creation
    // date, as four little-endian bytes over and over.
    double created = 0;
    std::memcpy(&created, page.constData() + kCreationDateAt, sizeof created);
    const auto days = static_cast<std::uint32_t>(static_cast<std::int32_t>(created));
    QByteArray bytes = page.mid(kPasswordAt, 40);
    for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(bytes[i] ^ ((days >> (8 * (i % 4))) & 0xFF));
    QString text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    header.password = text.left(text.indexOf(QChar(0)) < 0 ? text.size() : text.indexOf(QChar(0)));
  }
  return header;
}

QString CacheFolder() {
  const QString configured = qEnvironmentVariable("XDG_CACHE_HOME");
  if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
    return QDir::cleanPath(configured) + QStringLiteral("/qvr/jet");
  const QString home = qEnvironmentVariable("HOME");
  if (home.isEmpty() || !QDir::isAbsolutePath(home)) return QString();
  return QDir::cleanPath(home) + QStringLiteral("/.cache/qvr/jet");
}

QString OriginalName(const QString& path) { return path + QStringLiteral(".jet-original"); }

void SetStepHook(std::function<void(Step)> hook) { StepHook() = std::move(hook); }

void RunStepHook(Step step) {
  if (StepHook()) StepHook()(step);
}

// ---------------------------------------------------------------------------
// The copy

namespace {

struct Damaged {
  QString text;
};

struct MdbCloser {
  void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableCloser {
  void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};

QString FromLibrary(char* text) {
  const QString value = QString::fromUtf8(text ? text : "");
  g_free(text);
  return value;
}

// "Date/Time Extended" (Access 2019 and later), a type libmdb 1.0 has no name for.
constexpr int kExtendedDate = 0x14;

// The declared type in our convention of a column whose values are of the
// given type; none for what cannot be read (attachments and multi-valued
// fields, "Large Number" and types libmdb does not know), which reads as Null.
QString DeclaredTypeOf(int type) {
  switch (type) {
    case MDB_BOOL: return data::DeclaredType(ColumnType::YesNo);
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT: return data::DeclaredType(ColumnType::Integer);
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: return data::DeclaredType(ColumnType::Double);
    case MDB_DATETIME:
    case kExtendedDate: return data::DeclaredType(ColumnType::DateTime);
    case MDB_TEXT:
    case MDB_REPID: return data::DeclaredType(ColumnType::Text);
    case MDB_MEMO: return data::DeclaredType(ColumnType::Memo);
    case MDB_OLE:
    case MDB_BINARY: return QStringLiteral("BLOB");
    default: return QString();
  }
}

// A column as the copy reads it.
struct Column {
  MdbColumn* column = nullptr;
  int type = 0;             // of its values: a calculated column's is that of its result
  bool calculated = false;  // Access 2010 and later: the file stores the result behind a header
};

// One value for the insert; the bytes stay until the row is stored.
struct Value {
  enum class Kind { Null, Integer, Double, Text, Blob } kind = Kind::Null;
  qint64 integer = 0;
  double number = 0;
  QByteArray bytes;
};

class TableCopy {
 public:
  TableCopy(MdbHandle* mdb, Connection::State& state, qint64 fileSize, qint64& budget)
      : mdb_(mdb), state_(state), fileSize_(fileSize), budget_(budget) {}

  // Copies one table; rows come in the file's own order.
  void Copy(MdbCatalogEntry* entry, const std::function<void()>& progress) {
    const QString name = QString::fromUtf8(entry->object_name);
    // A catalogue with a table without a name, or two of one name, is damaged.
    if (!Unique(tables_, name)) throw Damaged{QStringLiteral("the catalogue")};
    std::unique_ptr<MdbTableDef, TableCloser> table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get()) || table->num_cols > MDB_MAX_COLS)
      throw Damaged{QStringLiteral("table '%1'").arg(name)};
    const std::vector<Column> columns = ColumnsOf(table.get());
    mdb_rewind_table(table.get());
    QStringList definitions;
    QStringList marks;
    QSet<QString> fields;
    for (const Column& column : columns) {
      const QString field = QString::fromUtf8(column.column->name);
      if (!Unique(fields, field)) throw Damaged{QStringLiteral("table '%1'").arg(name)};
      definitions << QuoteIdentifier(field) + u' ' + DeclaredTypeOf(column.type);
      marks << QStringLiteral("?");
    }
    data::Statement(state_, QStringLiteral("CREATE TABLE %1 (%2)")
                                .arg(QuoteIdentifier(name), definitions.join(QStringLiteral(", "))))
        .Step();
    // An AutoNumber goes on numbering the rows added later.
    for (const Column& column : columns) {
      if (!column.column->is_long_auto) continue;
      const QString field = QuoteIdentifier(QString::fromUtf8(column.column->name));
      data::Statement(state_, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW WHEN NEW.%3 IS NULL "
                                             "BEGIN UPDATE %2 SET %3 = (SELECT coalesce(max(%3), 0) + 1 FROM %2) "
                                             "WHERE rowid = NEW.rowid; END")
                                  .arg(QuoteIdentifier(name + QStringLiteral(" numbers ") +
                                                       QString::fromUtf8(column.column->name)),
                                       QuoteIdentifier(name), field))
          .Step();
    }
    data::Statement insert(state_, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                       .arg(QuoteIdentifier(name), marks.join(QStringLiteral(", "))));
    // A damaged page chain can hand out rows for ever.
    const qint64 most = 2 * static_cast<qint64>(table->num_rows) + 1000;
    qint64 rows = 0;
    std::vector<Value> values(columns.size());
    while (mdb_fetch_row(table.get())) {
      if (++rows > most) throw Damaged{QStringLiteral("rows of table '%1'").arg(name)};
      ReadNullMask(table.get());
      for (size_t c = 0; c < columns.size(); ++c) {
        values[c] = ValueOf(columns[c], present_[c]);
        Bind(insert.get(), static_cast<int>(c) + 1, values[c]);
      }
      insert.Step();
      sqlite3_reset(insert.get());
      sqlite3_clear_bindings(insert.get());
      if (rows % 256 == 0) progress();
    }
    // Pages cut off or unreadable leave rows out.
    if (rows < static_cast<qint64>(table->num_rows)) throw Damaged{QStringLiteral("rows of table '%1'").arg(name)};
  }

 private:
  // The low bits of a row's place on its page; the high ones are flags.
  static constexpr int kRowOffsetBits = 0x1FFF;
  // The flags of a column's entry that mark it calculated (Access 2010 and later).
  static constexpr unsigned char kCalculated = 0xC0;
  static constexpr int kExtraFlagsAt = 16;
  static constexpr int kJet4ColumnEntry = 25;

  // Names compared without regard to case; false for an empty or a repeated one.
  static bool Unique(QSet<QString>& seen, const QString& name) {
    const QString key = name.toLower();
    if (key.isEmpty() || seen.contains(key)) return false;
    seen.insert(key);
    return true;
  }

  // The table's columns with the types of their values. libmdb reads no
  // flag of a column's entry but the first, so the calculated ones are found
  // here in the table definition, read again as libmdb reads it.
  std::vector<Column> ColumnsOf(MdbTableDef* table) {
    std::vector<Column> columns(table->num_cols);
    for (unsigned c = 0; c < table->num_cols; ++c) {
      columns[c].column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      columns[c].type = columns[c].column->col_type;
    }
    const MdbFormatConstants& format = *mdb_->fmt;
    if (format.tab_col_entry_size != kJet4ColumnEntry) return columns;
    if (mdb_read_pg(mdb_, table->entry->table_pg) != format.pg_size || mdb_->pg_buf[0] != MDB_PAGE_TABLE)
      throw Damaged{QStringLiteral("a table definition")};
    int at = format.tab_cols_start_offset + static_cast<int>(table->num_real_idxs) * format.tab_ridx_entry_size;
    std::array<unsigned char, kJet4ColumnEntry> entry{};
    for (unsigned i = 0; i < table->num_cols; ++i) {
      DefinitionBytes(at, entry.data(), entry.size());
      if (!(entry[kExtraFlagsAt] & kCalculated)) continue;
      for (Column& column : columns) {
        if (column.column->col_num != entry[format.col_num_offset] || column.column->col_type != entry[0]) continue;
        column.calculated = true;
        // The result's type is a property of the column; the entry's own may differ.
        const char* result = mdb_col_get_prop(column.column, "ResultType");
        const int type = result ? QByteArray(result).toInt() : 0;
        if (type > 0) column.type = type;
      }
    }
    return columns;
  }

  // Bytes of a table definition from the place at, as libmdb counts places:
  // from 0 on its first page, from 8 on each page that goes on with it.
  void DefinitionBytes(int& at, unsigned char* bytes, size_t size) {
    const auto page = static_cast<int>(mdb_->fmt->pg_size);
    while (size > 0) {
      for (; at >= page; at -= page - 8) {
        const std::uint32_t next = Le32(QByteArrayView(reinterpret_cast<const char*>(mdb_->pg_buf), page), 4);
        if (next == 0 || mdb_read_pg(mdb_, next) != page || mdb_->pg_buf[0] != MDB_PAGE_TABLE)
          throw Damaged{QStringLiteral("a table definition")};
      }
      const size_t piece = std::min<size_t>(size, static_cast<size_t>(page - at));
      std::memcpy(bytes, mdb_->pg_buf + at, piece);
      bytes += piece;
      size -= piece;
      at += static_cast<int>(piece);
    }
  }

  // Which columns of the row just fetched hold a value, from its null mask:
  // libmdb gives a zero-length text as it gives a Null.
  void ReadNullMask(MdbTableDef* table) {
    int start = 0;
    size_t size = 0;
    if (table->cur_row == 0 || mdb_find_row(mdb_, static_cast<int>(table->cur_row) - 1, &start, &size) != 0 ||
        mdb_crack_row(table, start & kRowOffsetBits, size, fields_.data()) < 0)
      throw Damaged{QStringLiteral("a row")};
    for (unsigned c = 0; c < table->num_cols; ++c) present_[c] = fields_[c].is_null == 0;
  }

  void Spend(qint64 bytes) {
    budget_ -= bytes;
    if (budget_ < 0) throw Damaged{QStringLiteral("more data than the file can hold")};
  }

  // The bytes of the current row's value of the column.
  QByteArrayView Stored(const MdbColumn& column) const {
    const int start = column.cur_value_start;
    const int length = column.cur_value_len;
    if (start < 0 || length < 0 || start + length > mdb_->fmt->pg_size) throw Damaged{QStringLiteral("a field value")};
    return QByteArrayView(reinterpret_cast<const char*>(mdb_->pg_buf) + start, length);
  }

  // One row of a page of long values: its bytes, in libmdb's second page
  // buffer until the next page is read.
  QByteArrayView LongValueRow(std::uint32_t place) {
    void* page = nullptr;
    int start = 0;
    size_t size = 0;
    if (mdb_find_pg_row(mdb_, static_cast<int>(place), &page, &start, &size) != 0 || start < 0 ||
        static_cast<qint64>(start) + static_cast<qint64>(size) > mdb_->fmt->pg_size)
      throw Damaged{QStringLiteral("a long value")};
    return QByteArrayView(static_cast<const char*>(page) + start, static_cast<qsizetype>(size));
  }

  // A memo or OLE value, from the 12 bytes the row holds for it: its length
  // with two flags, and where its bytes lie: in the row itself, in one row of
  // another page, or in a chain of such rows, each beginning with the place
  // of the next. A value longer than the file, a chain that ends before the
  // value does or comes back to a row it passed, is no value of a whole file.
  QByteArray LongValue(QByteArrayView stored) {
    if (stored.size() < MDB_MEMO_OVERHEAD) throw Damaged{QStringLiteral("a long value")};
    const std::uint32_t word = Le32(stored, 0);
    const qint64 length = word & 0x3FFFFFFF;
    if (length > fileSize_) throw Damaged{QStringLiteral("a long value")};
    Spend(length);
    QByteArray value;
    value.reserve(length);
    switch (word >> 30) {
      case 2:
        if (stored.size() - MDB_MEMO_OVERHEAD < length) throw Damaged{QStringLiteral("a long value")};
        value.append(stored.sliced(MDB_MEMO_OVERHEAD, length));
        break;
      case 1: {
        const QByteArrayView row = LongValueRow(Le32(stored, 4));
        if (row.size() < length) throw Damaged{QStringLiteral("a long value")};
        value.append(row.first(length));
        break;
      }
      case 0: {
        std::uint32_t next = Le32(stored, 4);
        QSet<std::uint32_t> passed;
        while (value.size() < length) {
          if (next == 0 || passed.contains(next)) throw Damaged{QStringLiteral("a long value")};
          passed.insert(next);
          const QByteArrayView row = LongValueRow(next);
          if (row.size() < 4) throw Damaged{QStringLiteral("a long value")};
          next = Le32(row, 0);
          value.append(row.sliced(4, std::min<qint64>(row.size() - 4, length - value.size())));
        }
        break;
      }
      default: throw Damaged{QStringLiteral("a long value")};
    }
    return value;
  }

  Value Text(const QString& text) {
    Value value{Value::Kind::Text};
    value.bytes = text.toUtf8();
    Spend(value.bytes.size());
    return value;
  }

  // Text as the file stores it: in the file's code page (Jet 3, converted by
  // libmdb) or UTF-16.
  Value StoredText(QByteArrayView stored) {
    if (mdb_->f->jet_version != MDB_VER_JET3) return Text(TextOf(stored));
    // Each byte becomes at most three of UTF-8.
    mdb_set_bind_size(mdb_, static_cast<size_t>(stored.size()) * 3 + 16);
    QByteArray bytes = stored.toByteArray();
    return Text(FromLibrary(mdb_col_to_string(mdb_, bytes.data(), 0, MDB_TEXT, static_cast<int>(bytes.size()))));
  }

  static Value Integer(qint64 number) {
    Value value{Value::Kind::Integer};
    value.integer = number;
    return value;
  }
  static Value Double(double number) {
    Value value{Value::Kind::Double};
    value.number = number;
    return value;
  }

  template <class T>
  static T Raw(QByteArrayView stored) {
    if (stored.size() < static_cast<qsizetype>(sizeof(T))) throw Damaged{QStringLiteral("a field value")};
    T value{};
    std::memcpy(&value, stored.data(), sizeof value);
    return value;
  }

  // A value of a type whose bytes need no other page.
  Value Plain(int type, QByteArrayView stored) {
    switch (type) {
      case MDB_BYTE: return Integer(Raw<std::uint8_t>(stored));
      case MDB_INT: return Integer(Raw<std::int16_t>(stored));
      case MDB_LONGINT: return Integer(Raw<std::int32_t>(stored));
      case MDB_MONEY: return Double(static_cast<double>(Raw<std::int64_t>(stored)) / 10000.0);
      case MDB_FLOAT: {
        // The single's shortest decimal form, so 0.15 stays 0.15; read back
        // whatever the program's locale says a decimal point is.
        char text[32] = {};
        const auto written = std::to_chars(text, text + sizeof text, Raw<float>(stored));
        double number = 0;
        std::from_chars(text, written.ptr, number);
        return Double(number);
      }
      case MDB_DOUBLE:
      case MDB_DATETIME: return Double(Raw<double>(stored));
      case kExtendedDate: {
        const auto serial = ExtendedDateOf(stored);
        if (!serial) throw Damaged{QStringLiteral("a date value")};
        return Double(*serial);
      }
      case MDB_REPID: {
        const auto guid = GuidOf(stored.first(std::min<qsizetype>(stored.size(), 16)));
        if (!guid) throw Damaged{QStringLiteral("a field value")};
        return Text(*guid);
      }
      case MDB_TEXT: return StoredText(stored);
      case MDB_BINARY: {
        Value value{Value::Kind::Blob};
        Spend(stored.size());
        value.bytes = stored.toByteArray();
        return value;
      }
      default: return Value{};  // attachments, multi-valued fields, unknown types
    }
  }

  // The result a calculated column stores; none (the expression's result was
  // Null) reads as Null, or as "" for text.
  Value Calculated(const Column& column, QByteArrayView stored) {
    QByteArray memo;
    if (column.type == MDB_MEMO) {
      memo = LongValue(stored);
      stored = memo;
    }
    const auto result = CalculatedResultOf(stored);
    if (!result) throw Damaged{QStringLiteral("a calculated value")};
    switch (column.type) {
      case MDB_TEXT:
      case MDB_MEMO: return Text(TextOf(*result));
      default: break;
    }
    if (result->isEmpty()) return Value{};
    switch (column.type) {
      case MDB_BOOL: return Integer(result->front() != 0 ? -1 : 0);
      case MDB_NUMERIC: {
        const auto number = CalculatedDecimalOf(*result);
        if (!number) throw Damaged{QStringLiteral("a calculated value")};
        return Double(*number);
      }
      default: return Plain(column.type, *result);
    }
  }

  Value ValueOf(const Column& column, bool present) {
    const MdbColumn& mdb = *column.column;
    // A Yes/No value lives in the row's null mask: a set bit is True.
    if (mdb.col_type == MDB_BOOL && !column.calculated) return Integer(mdb.cur_value_len == 0 ? -1 : 0);
    if (!present) return Value{};
    const QByteArrayView stored = Stored(mdb);
    if (column.calculated) return Calculated(column, stored);
    if (stored.isEmpty()) {
      // A zero-length text (or bytes) is no Null; other types have bytes.
      switch (column.type) {
        case MDB_TEXT:
        case MDB_MEMO: return Text(QString());
        case MDB_BINARY:
        case MDB_OLE: return Value{Value::Kind::Blob};
        default:
          if (DeclaredTypeOf(column.type).isEmpty()) return Value{};
          throw Damaged{QStringLiteral("a field value")};
      }
    }
    switch (column.type) {
      case MDB_MEMO: {
        const QByteArray bytes = LongValue(stored);
        return StoredText(bytes);
      }
      case MDB_OLE: {
        Value value{Value::Kind::Blob};
        value.bytes = LongValue(stored);
        return value;
      }
      case MDB_NUMERIC:
        if (stored.size() < 17) throw Damaged{QStringLiteral("a field value")};
        return Double(FromLibrary(mdb_numeric_to_string(mdb_, mdb.cur_value_start, mdb.col_scale, mdb.col_prec))
                          .toDouble());
      default: return Plain(column.type, stored);
    }
  }

  static void Bind(sqlite3_stmt* stmt, int index, const Value& value) {
    switch (value.kind) {
      case Value::Kind::Null: break;
      case Value::Kind::Integer: sqlite3_bind_int64(stmt, index, value.integer); break;
      case Value::Kind::Double: sqlite3_bind_double(stmt, index, value.number); break;
      case Value::Kind::Text:
        sqlite3_bind_text64(stmt, index, value.bytes.constData(), static_cast<sqlite3_uint64>(value.bytes.size()),
                            SQLITE_STATIC, SQLITE_UTF8);
        break;
      case Value::Kind::Blob:
        if (value.bytes.isEmpty()) sqlite3_bind_zeroblob(stmt, index, 0);
        else
          sqlite3_bind_blob64(stmt, index, value.bytes.constData(), static_cast<sqlite3_uint64>(value.bytes.size()),
                              SQLITE_STATIC);
        break;
    }
  }

  MdbHandle* mdb_;
  Connection::State& state_;
  qint64 fileSize_;
  qint64& budget_;
  QSet<QString> tables_;
  std::array<MdbField, MDB_MAX_COLS> fields_{};
  std::array<bool, MDB_MAX_COLS> present_{};
};

// SQLite does not say why a write failed; whether the file can grow by
// another megabyte tells a full disk from other faults (0: it can).
int RoomForMore(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat st {};
  ::fstat(fd, &st);
  const int error = ::posix_fallocate(fd, st.st_size, 1 << 20);
  ::close(fd);
  return error;
}

}  // namespace

std::optional<CopyFailure> WriteCopy(const QString& source, const QString& target, const QString& password,
                                     const std::function<void()>& progress) {
  std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(QFile::encodeName(source).constData(), MDB_NOFLAGS));
  // A file of whole pages, or a damaged one.
  const qint64 size = QFileInfo(source).size();
  if (!mdb || size % mdb->fmt->pg_size != 0 || size < 3 * mdb->fmt->pg_size || !mdb_read_catalog(mdb.get(), MDB_TABLE))
    return CopyFailure{true, 0, QStringLiteral("the file")};
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(QFile::encodeName(target).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    const int error = db ? sqlite3_system_errno(db) : 0;
    sqlite3_close_v2(db);
    return CopyFailure{false, error, QStringLiteral("cannot open the copy")};
  }
  Connection::State state;
  state.db = db;
  data::ConfigureHandle(db, &state);
  std::optional<CopyFailure> failure;
  try {
    data::Trusted trusted(state);
    // The copy is renamed into place only when whole; no journal is needed.
    data::Statement(state, QStringLiteral("PRAGMA journal_mode = OFF")).Step();
    data::Statement(state, QStringLiteral("PRAGMA synchronous = OFF")).Step();
    data::Statement(state, QStringLiteral("BEGIN")).Step();
    data::InitializeFile(state, password);
    qint64 budget = 16 * size + (64 << 20);
    TableCopy copy(mdb.get(), state, size, budget);
    for (unsigned i = 0; i < mdb->num_catalog; ++i) {
      auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
      if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry)) continue;
      copy.Copy(entry, progress);
      RunStepHook(Step::TableCopied);
      progress();
    }
    data::Statement(state, QStringLiteral("COMMIT")).Step();
  } catch (const Damaged& damaged) {
    failure = CopyFailure{true, 0, damaged.text};
  } catch (const std::bad_alloc&) {
    // The reader's memory is bounded: a file that needs more is no whole file.
    failure = CopyFailure{true, 0, QStringLiteral("more memory than a reader may take")};
  } catch (const VbError& e) {
    int error = sqlite3_system_errno(db);
    const int code = sqlite3_errcode(db) & 0xFF;
    if (code == SQLITE_NOMEM) failure = CopyFailure{true, 0, QStringLiteral("more memory than a reader may take")};
    if (error == 0 && (code == SQLITE_FULL || code == SQLITE_IOERR)) error = RoomForMore(target);
    if (error == 0 && code == SQLITE_FULL) error = ENOSPC;
    if (!failure) failure = CopyFailure{false, error, e.Description()};
  }
  if (sqlite3_close_v2(db) != SQLITE_OK && !failure) failure = CopyFailure{false, 0, QStringLiteral("closing the copy")};
  return failure;
}

}  // namespace platform::jet

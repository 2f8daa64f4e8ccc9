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

#include "platform/data/DataInternal.h"

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

std::uint32_t Le32(const QByteArray& bytes, int at) {
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

// The column's declared type in our convention.
QString DeclaredTypeOf(const MdbColumn& column) {
  switch (column.col_type) {
    case MDB_BOOL: return data::DeclaredType(ColumnType::YesNo);
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
    case MDB_COMPLEX: return data::DeclaredType(ColumnType::Integer);
    case MDB_MONEY:
    case MDB_FLOAT:
    case MDB_DOUBLE:
    case MDB_NUMERIC: return data::DeclaredType(ColumnType::Double);
    case MDB_DATETIME: return data::DeclaredType(ColumnType::DateTime);
    case MDB_TEXT:
    case MDB_REPID: return data::DeclaredType(ColumnType::Text);
    case MDB_MEMO: return data::DeclaredType(ColumnType::Memo);
    case MDB_OLE:
    case MDB_BINARY: return QStringLiteral("BLOB");
    default: return QString();
  }
}

class TableCopy {
 public:
  TableCopy(MdbHandle* mdb, Connection::State& state, qint64& budget) : mdb_(mdb), state_(state), budget_(budget) {}

  // Copies one table; rows come in the file's own order.
  void Copy(MdbCatalogEntry* entry, const std::function<void()>& progress) {
    const QString name = QString::fromUtf8(entry->object_name);
    // A catalogue with a table without a name, or two of one name, is damaged.
    if (!Unique(tables_, name)) throw Damaged{QStringLiteral("the catalogue")};
    std::unique_ptr<MdbTableDef, TableCloser> table(mdb_read_table(entry));
    if (!table || !mdb_read_columns(table.get()) || table->num_cols > MDB_MAX_COLS)
      throw Damaged{QStringLiteral("table '%1'").arg(name)};
    mdb_rewind_table(table.get());
    const unsigned columns = table->num_cols;
    QStringList definitions;
    QStringList marks;
    QSet<QString> fields;
    std::vector<std::unique_ptr<char[]>> buffers(columns);
    for (unsigned c = 0; c < columns; ++c) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      if (!Unique(fields, QString::fromUtf8(column->name))) throw Damaged{QStringLiteral("table '%1'").arg(name)};
      definitions << QuoteIdentifier(QString::fromUtf8(column->name)) + u' ' + DeclaredTypeOf(*column);
      marks << QStringLiteral("?");
      if (column->col_type == MDB_OLE) {
        // libmdb copies an OLE value through the bound buffer, a chunk at a time.
        buffers[c] = std::make_unique<char[]>(kOleBuffer);
        mdb_bind_column(table.get(), static_cast<int>(c) + 1, buffers[c].get(), nullptr);
      }
    }
    data::Statement(state_, QStringLiteral("CREATE TABLE %1 (%2)")
                                .arg(QuoteIdentifier(name), definitions.join(QStringLiteral(", "))))
        .Step();
    // An AutoNumber goes on numbering the rows added later.
    for (unsigned c = 0; c < columns; ++c) {
      auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c));
      if (!column->is_long_auto) continue;
      const QString field = QuoteIdentifier(QString::fromUtf8(column->name));
      data::Statement(state_, QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW WHEN NEW.%3 IS NULL "
                                             "BEGIN UPDATE %2 SET %3 = (SELECT coalesce(max(%3), 0) + 1 FROM %2) "
                                             "WHERE rowid = NEW.rowid; END")
                                  .arg(QuoteIdentifier(name + QStringLiteral(" numbers ") + QString::fromUtf8(column->name)),
                                       QuoteIdentifier(name), field))
          .Step();
    }
    data::Statement insert(state_, QStringLiteral("INSERT INTO %1 VALUES (%2)")
                                       .arg(QuoteIdentifier(name), marks.join(QStringLiteral(", "))));
    // A damaged page chain can hand out rows for ever.
    const qint64 most = 2 * static_cast<qint64>(table->num_rows) + 1000;
    qint64 rows = 0;
    while (mdb_fetch_row(table.get())) {
      if (++rows > most) throw Damaged{QStringLiteral("rows of table '%1'").arg(name)};
      ReadNullMask(table.get());
      for (unsigned c = 0; c < columns; ++c)
        BindValue(insert.get(), static_cast<int>(c) + 1, *static_cast<MdbColumn*>(g_ptr_array_index(table->columns, c)),
                  present_[c]);
      insert.Step();
      sqlite3_reset(insert.get());
      sqlite3_clear_bindings(insert.get());
      if (rows % 256 == 0) progress();
    }
    // Pages cut off or unreadable leave rows out.
    if (rows < static_cast<qint64>(table->num_rows)) throw Damaged{QStringLiteral("rows of table '%1'").arg(name)};
  }

 private:
  static constexpr size_t kOleBuffer = MDB_BIND_SIZE * 64 + MDB_PGSIZE;
  // The low bits of a row's place on its page; the high ones are flags.
  static constexpr int kRowOffsetBits = 0x1FFF;

  // Names compared without regard to case; false for an empty or a repeated one.
  static bool Unique(QSet<QString>& seen, const QString& name) {
    const QString key = name.toLower();
    if (key.isEmpty() || seen.contains(key)) return false;
    seen.insert(key);
    return true;
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

  template <class T>
  T Raw(int start) const {
    T value{};
    std::memcpy(&value, mdb_->pg_buf + start, sizeof value);
    return value;
  }

  void Spend(qint64 bytes) {
    budget_ -= bytes;
    if (budget_ < 0) throw Damaged{QStringLiteral("more data than the file can hold")};
  }

  void BindText(sqlite3_stmt* stmt, int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    Spend(utf8.size());
    sqlite3_bind_text(stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
  }

  void BindValue(sqlite3_stmt* stmt, int index, MdbColumn& column, bool present) {
    const int start = column.cur_value_start;
    const int length = column.cur_value_len;
    // A Yes/No value lives in the row's null mask: a set bit is True.
    if (column.col_type == MDB_BOOL) {
      sqlite3_bind_int64(stmt, index, length == 0 ? -1 : 0);
      return;
    }
    if (length == 0) {
      // A zero-length text (or bytes) is no Null.
      if (!present) return;
      if (column.col_type == MDB_TEXT || column.col_type == MDB_MEMO) sqlite3_bind_text(stmt, index, "", 0, SQLITE_STATIC);
      if (column.col_type == MDB_BINARY || column.col_type == MDB_OLE) sqlite3_bind_zeroblob(stmt, index, 0);
      return;
    }
    const auto fits = [&](int size) {
      if (start < 0 || size < 0 || start + size > mdb_->fmt->pg_size) throw Damaged{QStringLiteral("a field value")};
    };
    switch (column.col_type) {
      case MDB_BYTE: fits(1); sqlite3_bind_int64(stmt, index, Raw<std::uint8_t>(start)); break;
      case MDB_INT: fits(2); sqlite3_bind_int64(stmt, index, Raw<std::int16_t>(start)); break;
      case MDB_LONGINT:
      case MDB_COMPLEX: fits(4); sqlite3_bind_int64(stmt, index, Raw<std::int32_t>(start)); break;
      case MDB_MONEY: fits(8); sqlite3_bind_double(stmt, index, static_cast<double>(Raw<std::int64_t>(start)) / 10000.0); break;
      case MDB_FLOAT: {
        // The single's shortest decimal form, so 0.15 stays 0.15.
        fits(4);
        char text[32] = {};
        std::to_chars(text, text + sizeof text - 1, Raw<float>(start));
        sqlite3_bind_double(stmt, index, std::strtod(text, nullptr));
        break;
      }
      case MDB_DOUBLE:
      case MDB_DATETIME: fits(8); sqlite3_bind_double(stmt, index, Raw<double>(start)); break;
      case MDB_NUMERIC:
        fits(17);
        sqlite3_bind_double(stmt, index,
                            FromLibrary(mdb_numeric_to_string(mdb_, start, column.col_scale, column.col_prec)).toDouble());
        break;
      case MDB_TEXT:
        fits(length);
        // Text of the file's code page (Jet 3) or UCS-2 (later) becomes
        // UTF-8, at most three bytes for each byte read.
        mdb_set_bind_size(mdb_, static_cast<size_t>(length) * 3 + 16);
        BindText(stmt, index, FromLibrary(mdb_col_to_string(mdb_, mdb_->pg_buf, start, MDB_TEXT, length)));
        break;
      case MDB_MEMO: {
        fits(MDB_MEMO_OVERHEAD);
        const auto stored = static_cast<qint64>(Raw<std::uint32_t>(start) & 0x3FFFFFFF);
        Spend(stored);
        mdb_set_bind_size(mdb_, static_cast<size_t>(stored) * 3 + 64);
        BindText(stmt, index, FromLibrary(mdb_col_to_string(mdb_, mdb_->pg_buf, start, MDB_MEMO, length)));
        break;
      }
      case MDB_REPID: fits(16); BindText(stmt, index, FromLibrary(mdb_uuid_to_string(mdb_->pg_buf, start))); break;
      case MDB_BINARY:
        fits(length);
        Spend(length);
        sqlite3_bind_blob(stmt, index, mdb_->pg_buf + start, length, SQLITE_TRANSIENT);
        break;
      case MDB_OLE: {
        fits(MDB_MEMO_OVERHEAD);
        mdb_set_bind_size(mdb_, MDB_BIND_SIZE);
        size_t size = 0;
        void* bytes = mdb_ole_read_full(mdb_, &column, &size);
        Spend(static_cast<qint64>(size));
        sqlite3_bind_blob64(stmt, index, bytes, size, SQLITE_TRANSIENT);
        std::free(bytes);
        break;
      }
      default: break;
    }
  }

  MdbHandle* mdb_;
  Connection::State& state_;
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
    TableCopy copy(mdb.get(), state, budget);
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
  } catch (const VbError& e) {
    int error = sqlite3_system_errno(db);
    const int code = sqlite3_errcode(db) & 0xFF;
    if (error == 0 && (code == SQLITE_FULL || code == SQLITE_IOERR)) error = RoomForMore(target);
    if (error == 0 && code == SQLITE_FULL) error = ENOSPC;
    failure = CopyFailure{false, error, e.Description()};
  }
  if (sqlite3_close_v2(db) != SQLITE_OK && !failure) failure = CopyFailure{false, 0, QStringLiteral("closing the copy")};
  return failure;
}

}  // namespace platform::jet

// One SQLite connection per database file, shared by every view on it.
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

#include "platform/core/runtime.h"
#include "platform/database/internal.h"

namespace ark::db {

void configureEngine() {
  static const bool once = [] {
    if (sqlite3_config(SQLITE_CONFIG_SINGLETHREAD) == SQLITE_OK)
      sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
    return true;
  }();
  Q_UNUSED(once);
}

namespace {
constexpr int kBusyTimeoutMs = 5000;
constexpr int kCachedStatements = 48;

QHash<QString, std::weak_ptr<Database>>& openFiles() {
  static QHash<QString, std::weak_ptr<Database>> files;
  return files;
}

// The date-time an argument of hour(), year(), month() or day() stands for.
std::optional<double> dateArgument(sqlite3_value* arg) {
  switch (sqlite3_value_type(arg)) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: {
      const double serial = sqlite3_value_double(arg);
      if (!detail::isDateSerial(serial)) return std::nullopt;
      return serial;
    }
    case SQLITE_TEXT: {
      auto text = reinterpret_cast<const unsigned char*>(sqlite3_value_text(arg));
      return detail::storedDateText(text, sqlite3_value_bytes(arg));
    }
    default:
      return std::nullopt;
  }
}

template <int (*Part)(double)>
void datePartFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  auto d = dateArgument(argv[0]);
  if (!d) {
    sqlite3_result_null(ctx);
    return;
  }
  sqlite3_result_int(ctx, Part(*d));
}

int hourOf(double s) {
  return serialToTime(s).hour();
}
int yearOf(double s) {
  return serialToDate(s).year();
}
int monthOf(double s) {
  return serialToDate(s).month();
}
int dayOf(double s) {
  return serialToDate(s).day();
}

// The date-time a value stands for, as canonical text, so that dates stored in any form
// compare and sort by value; Null for what reads as no date.
void dateValueFunction(sqlite3_context* ctx, int, sqlite3_value** argv) {
  sqlite3_value* arg = argv[0];
  if (sqlite3_value_type(arg) == SQLITE_TEXT && sqlite3_value_bytes(arg) == 19) {
    // The canonical form, checked, is its own value.
    auto text = reinterpret_cast<const unsigned char*>(sqlite3_value_text(arg));
    if (detail::canonicalSerial(text)) {
      sqlite3_result_value(ctx, arg);
      return;
    }
  }
  auto d = dateArgument(arg);
  if (!d) {
    sqlite3_result_null(ctx);
    return;
  }
  const QByteArray canonical = detail::canonicalDateTime(Value::dateSerial(*d)).toUtf8();
  sqlite3_result_text(ctx, canonical.constData(), int(canonical.size()), SQLITE_TRANSIENT);
}

void registerFunctions(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
  sqlite3_create_function_v2(db, detail::kDateFunction, 1, flags, nullptr, dateValueFunction,
                             nullptr, nullptr, nullptr);
  detail::registerTextOrder(db);
  sqlite3_create_function_v2(db, "hour", 1, flags, nullptr, datePartFunction<hourOf>, nullptr,
                             nullptr, nullptr);
  sqlite3_create_function_v2(db, "year", 1, flags, nullptr, datePartFunction<yearOf>, nullptr,
                             nullptr, nullptr);
  sqlite3_create_function_v2(db, "month", 1, flags, nullptr, datePartFunction<monthOf>, nullptr,
                             nullptr, nullptr);
  sqlite3_create_function_v2(db, "day", 1, flags, nullptr, datePartFunction<dayOf>, nullptr,
                             nullptr, nullptr);
}

// The table an action statement works on, for error messages.
QString statementTable(const QString& sql) {
  static const QRegularExpression re(
      QStringLiteral("^\\s*(?:delete\\s+from|update|insert\\s+into)\\s+([^\\s(]+)"),
      QRegularExpression::CaseInsensitiveOption);
  auto m = re.match(sql);
  return m.hasMatch() ? m.captured(1) : QString();
}

// SQLite takes an empty file for a new database and writes one into it: whatever does not
// begin with the engine's signature is refused before the engine sees it.
void checkSignature(const QString& canonical, const QString& path) {
  QFile file(canonical);
  if (!file.open(QIODevice::ReadOnly))
    throw errors::database(detail::engineMessage(SQLITE_CANTOPEN, {}), path);
  static const QByteArray signature("SQLite format 3", 16);
  if (file.read(signature.size()) != signature)
    throw errors::database(detail::engineMessage(SQLITE_NOTADB, {}), path);
}

sqlite3* connect(const QByteArray& name, int flags, const QString& path) {
  configureEngine();
  sqlite3* handle = nullptr;
  const int rc = sqlite3_open_v2(name.constData(), &handle, flags, nullptr);
  if (rc == SQLITE_OK) return handle;
  QString message = detail::engineMessage(
      handle ? sqlite3_extended_errcode(handle) : rc,
      QString::fromUtf8(handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc)));
  sqlite3_close(handle);
  throw errors::database(message, path);
}

QByteArray journalMode(sqlite3* handle) {
  sqlite3_stmt* st = nullptr;
  QByteArray mode;
  if (sqlite3_prepare_v2(handle, "PRAGMA journal_mode", -1, &st, nullptr) == SQLITE_OK &&
      sqlite3_step(st) == SQLITE_ROW)
    mode = QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toLower();
  sqlite3_finalize(st);
  return mode;
}

// Sets a connection up and reads the schema; SQLITE_OK, or the code of what failed with
// its message on the handle.
int setUp(sqlite3* handle, QByteArray* ownJournalMode = nullptr) {
  sqlite3_extended_result_codes(handle, 1);
  sqlite3_busy_timeout(handle, kBusyTimeoutMs);
  if (ownJournalMode) *ownJournalMode = journalMode(handle);
  // A larger page cache keeps the row walks of the maintenance jobs off the disk.
  for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=NORMAL",
                             "PRAGMA cache_size=-32768", "PRAGMA wal_autocheckpoint=10000"}) {
    // Without write access the file keeps its journal mode: reading needs none, and a
    // write fails later with its own error.
    const int rc = sqlite3_exec(handle, pragma, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK && (rc & 0xff) != SQLITE_READONLY) return rc;
  }
  return sqlite3_exec(handle, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
}
}  // namespace

namespace detail {
QString engineMessage(int code, const QString& message) {
  switch (code & 0xff) {
    case SQLITE_NOTADB:
      return QStringLiteral("o arquivo não é um banco de dados");
    case SQLITE_READONLY:
      return QStringLiteral("o banco de dados está somente para leitura");
    case SQLITE_BUSY:
      return QStringLiteral("o banco de dados está em uso por outro programa");
    case SQLITE_IOERR:
      return QStringLiteral("erro de leitura ou gravação no disco");
    case SQLITE_FULL:
      return QStringLiteral("disco cheio");
    case SQLITE_CANTOPEN:
      return QStringLiteral("não foi possível abrir o arquivo do banco de dados");
    case SQLITE_CORRUPT:
      return QStringLiteral("o banco de dados está danificado");
    default:
      break;
  }
  // Plain SQL errors share one code; these two carry the name the user needs.
  static const QRegularExpression missing(QStringLiteral("^no such (table|column): (.+)$"));
  if (auto m = missing.match(message); m.hasMatch())
    return (m.captured(1) == QLatin1String("table") ? QStringLiteral("tabela não encontrada: ")
                                                    : QStringLiteral("campo não encontrado: ")) +
           m.captured(2);
  return message;
}

RuntimeError engineError(sqlite3* db, const QString& context) {
  return errors::database(
      engineMessage(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db))), context);
}

sqlite3_stmt* prepare(sqlite3* db, const QString& sql, const QString& context) {
  sqlite3_stmt* st = nullptr;
  const void* tail = nullptr;
  if (sqlite3_prepare16_v2(db, sql.utf16(), -1, &st, &tail) != SQLITE_OK) {
    sqlite3_finalize(st);
    throw engineError(db, context);
  }
  // The engine compiles the first statement only: a blank text would run nothing and a
  // second statement would be dropped without a word.
  if (!st) throw RuntimeError(3129, QStringLiteral("Instrução SQL vazia (%1)").arg(context));
  const qsizetype used = static_cast<const ushort*>(tail) - sql.utf16();
  for (qsizetype i = used; i < sql.size(); ++i) {
    if (sql[i].isSpace() || sql[i] == QLatin1Char(';')) continue;
    sqlite3_finalize(st);
    throw RuntimeError(3142, QStringLiteral("Caracteres encontrados após o final da instrução SQL: "
                                            "'%1' (%2)")
                                 .arg(sql.mid(i).trimmed(), context));
  }
  return st;
}
}  // namespace detail

std::shared_ptr<Database> Database::open(const QString& path) {
  QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  if (canonical.isEmpty() || !info.isFile())
    throw RuntimeError(3024,
                       QStringLiteral("Não foi possível encontrar o arquivo '%1'.").arg(path));
  if (auto shared = openFiles().value(canonical).lock()) return shared;
  checkSignature(canonical, path);

  // Never SQLITE_OPEN_CREATE: the program only opens files that are there.
  sqlite3* handle = connect(canonical.toUtf8(), SQLITE_OPEN_READWRITE, path);
  QByteArray ownJournalMode;
  int rc = setUp(handle, &ownJournalMode);
  if (rc == SQLITE_READONLY_DIRECTORY && !QFileInfo::exists(canonical + QStringLiteral("-wal")) &&
      !QFileInfo::exists(canonical + QStringLiteral("-journal"))) {
    // A WAL-mode file whose -wal/-shm files cannot be created beside it, and none is
    // there: the file alone holds every row, and immutable reads it without them.
    sqlite3_close(handle);
    const QByteArray uri = QUrl::fromLocalFile(canonical).toEncoded() + "?mode=ro&immutable=1";
    handle = connect(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, path);
    ownJournalMode.clear();
    rc = setUp(handle);
  }
  if (rc != SQLITE_OK) {
    RuntimeError error = detail::engineError(handle, path);
    sqlite3_close(handle);
    throw error;
  }
  std::shared_ptr<Database> db(new Database(path, handle));
  if (ownJournalMode != "wal" && journalMode(handle) == "wal") db->ownJournalMode_ = ownJournalMode;
  registerFunctions(handle);
  openFiles().insert(canonical, db);
  return db;
}

Database::~Database() {
  for (const CachedStatement& c : std::as_const(statements_)) sqlite3_finalize(c.st);
  sqlite3_finalize(schemaVersion_);
  // The business system's own program opens the file after us: leave it in the journal
  // mode it had (WAL needs its -shm beside the file, and is unsafe on a shared folder).
  // Another connection holding the file keeps it in WAL; nothing is lost either way.
  if (!ownJournalMode_.isEmpty()) {
    const QByteArray pragma = "PRAGMA journal_mode=" + ownJournalMode_;
    sqlite3_exec(db_, pragma.constData(), nullptr, nullptr, nullptr);
  }
  sqlite3_close_v2(db_);
  auto& files = openFiles();
  for (auto it = files.begin(); it != files.end();) {
    if (it.value().expired())
      it = files.erase(it);
    else
      ++it;
  }
}

QString Database::translate(const QString& jetSql, const QHash<QString, FieldKind>* rows) {
  return translateSql(
      jetSql, [this, rows](const QString& table) -> const QHash<QString, FieldKind>* {
        if (table.isEmpty()) return rows;
        try {
          return &columnKinds(table);
        } catch (const RuntimeError&) {
          return nullptr;  // the engine names a missing table when the statement runs
        }
      });
}

QString Database::translateSelect(const QString& jetSql, std::vector<Value>& values) {
  constexpr int kKept = 512;
  QString form;
  std::vector<Value> written;
  const bool known = detail::literalForm(jetSql, form, written);
  if (known) {
    auto it = selects_.constFind(form);
    if (it != selects_.cend() && !it->isNull()) {
      values = std::move(written);
      return *it;
    }
  }
  detail::Parameterized p = detail::parameterize(translate(jetSql));
  values = std::move(p.values);
  if (known) {
    if (selects_.size() >= kKept) selects_.clear();
    // Kept only when the values came through the translation as they were written.
    selects_.insert(form, values == written ? p.sql : QString());
  }
  return p.sql;
}

void Database::Execute(const QString& statement) {
  const QString sql = translate(statement);
  const QString table = statementTable(sql);
  const QString context = table.isEmpty() ? path_ : path_ + QStringLiteral(", tabela ") + table;
  detail::Statement st(detail::prepare(db_, sql, context));
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
  }
  if (rc != SQLITE_DONE) throw detail::engineError(db_, context);
  noteWrite({}, -1);
}

void Database::noteWrite(const QString& table, qint64 rowid) {
  recentWrites_[writes_ % kWritesKept] = {table, rowid};
  ++writes_;
}

bool Database::rowsWrittenSince(quint64 mark, const QString& table, QVector<qint64>& rowids) const {
  if (writes_ - mark > quint64(kWritesKept)) return false;
  for (quint64 w = mark; w < writes_; ++w) {
    const Write& write = recentWrites_[w % kWritesKept];
    if (!write.table.isEmpty() && write.table != table) continue;
    if (write.rowid < 0) return false;
    rowids.append(write.rowid);
  }
  return true;
}

void Database::loadColumns(const QString& table) {
  const QString key = table.toLower();
  if (kinds_.contains(key)) return;
  const QString context = path_ + QStringLiteral(", tabela ") + table;
  detail::Statement st(detail::prepare(
      db_, QStringLiteral("PRAGMA table_info(%1)").arg(detail::identifier(table)), context));
  QHash<QString, FieldKind> kinds;
  QHash<QString, int> lengths;
  int rc;
  while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
    const QString name =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)))
            .toLower();
    const QString type =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 2)));
    kinds.insert(name, kindOfDeclaredType(type));
    if (int n = detail::declaredLength(type)) lengths.insert(name, n);
  }
  if (rc != SQLITE_DONE) throw detail::engineError(db_, context);
  if (kinds.isEmpty())
    throw errors::database(QStringLiteral("Tabela não encontrada: '%1'").arg(table), path_);
  kinds_.insert(key, kinds);
  lengths_.insert(key, lengths);
}

const QHash<QString, FieldKind>& Database::columnKinds(const QString& table) {
  loadColumns(table);
  return kinds_[table.toLower()];
}

const QHash<QString, int>& Database::columnLengths(const QString& table) {
  loadColumns(table);
  return lengths_[table.toLower()];
}

namespace {
// The schema's version, the statement left on its row (a read is open until it is reset).
qint64 readSchemaVersion(sqlite3* db, sqlite3_stmt*& st, const QString& path) {
  if (!st) st = detail::prepare(db, QStringLiteral("PRAGMA schema_version"), path);
  if (sqlite3_stmt_busy(st)) sqlite3_reset(st);
  const int rc = sqlite3_step(st);
  if (rc != SQLITE_ROW) {
    sqlite3_reset(st);
    throw detail::engineError(db, path);
  }
  return sqlite3_column_int64(st, 0);
}
}  // namespace

void Database::checkSchema() {
  const qint64 version = readSchemaVersion(db_, schemaVersion_, path_);
  sqlite3_reset(schemaVersion_);
  schemaChanged(version);
}

bool Database::schemaChangedAtRead() {
  return schemaChanged(readSchemaVersion(db_, schemaVersion_, path_));
}

void Database::endSchemaRead() {
  if (schemaVersion_) sqlite3_reset(schemaVersion_);
}

// Forgets what was known of the tables when `version` is not the one last seen.
bool Database::schemaChanged(qint64 version) {
  const bool changed = schema_ && *schema_ != version;
  schema_ = version;
  if (!changed) return false;
  sqlite3_reset(schemaVersion_);
  for (const CachedStatement& c : std::as_const(statements_)) sqlite3_finalize(c.st);
  statements_.clear();
  ++statementsDropped_;
  kinds_.clear();
  lengths_.clear();
  selects_.clear();
  ++schemaEpoch_;
  // Reading the number does not reload the tables the connection knows; a statement
  // over them does, before the next one is prepared.
  sqlite3_exec(db_, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, nullptr);
  return true;
}

sqlite3_stmt* Database::cachedStatement(const QString& sql,
                                        const std::function<QString()>& context) {
  auto it = statements_.find(sql);
  if (it != statements_.end()) {
    it->used = ++statementUses_;
    sqlite3_reset(it->st);
    sqlite3_clear_bindings(it->st);
    return it->st;
  }
  sqlite3_stmt* st = detail::prepare(db_, sql, context());
  if (statements_.size() >= kCachedStatements) {
    auto oldest = statements_.begin();
    for (auto i = statements_.begin(); i != statements_.end(); ++i)
      if (i->used < oldest->used) oldest = i;
    sqlite3_finalize(oldest->st);
    statements_.erase(oldest);
    ++statementsDropped_;
  }
  statements_.insert(sql, {st, ++statementUses_});
  return st;
}

}  // namespace ark::db

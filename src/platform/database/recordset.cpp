// The open rows of a view: a snapshot of the record source in its order, with a current
// row; a set over one table writes each change to that table at once, by rowid.
#include <QRegularExpression>
#include <algorithm>

#include "platform/database/internal.h"

namespace ark::db {

using detail::Statement;

namespace {
const QString kIdent = QStringLiteral(
    "(?:[A-Za-z_\\x{00C0}-\\x{FFFF}][\\w\\x{00C0}-\\x{FFFF}]*|\\[[^\\]]+\\]|\"[^\"]+\")");

QString unbracket(const QString& name) {
  if (name.size() >= 2 && ((name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) ||
                           (name.startsWith(QLatin1Char('"')) && name.endsWith(QLatin1Char('"')))))
    return name.mid(1, name.size() - 2);
  return name;
}

// Text outside quotes, for looking for keywords.
QString withoutQuotedText(const QString& sql) {
  QString out;
  QChar open;
  for (QChar c : sql) {
    if (open.isNull()) {
      if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('[')) {
        open = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        out += QLatin1Char(' ');
      } else {
        out += c;
      }
    } else if (c == open) {
      open = QChar();
    }
  }
  return out;
}

struct SourcePlan {
  QString table;     // empty: read-only
  QString sql;       // what is run (with the rowid first when updatable)
  QString readOnly;  // the same rows without the rowid
};

// A table name, or a SELECT of all or some plain columns of one table with optional
// WHERE and ORDER BY, is updatable; anything else (aggregates, DISTINCT, joins, GROUP BY,
// sub-selects) is read-only.
SourcePlan planSource(const QString& translated) {
  static const QRegularExpression tableOnly(
      QStringLiteral("^\\s*(") + kIdent + QStringLiteral(")\\s*$"),
      QRegularExpression::UseUnicodePropertiesOption);
  static const QRegularExpression select(
      QStringLiteral("^\\s*select\\s+(.+?)\\s+from\\s+(") + kIdent + QStringLiteral(")(\\s.*)?$"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption |
          QRegularExpression::UseUnicodePropertiesOption);
  static const QRegularExpression columns(QStringLiteral("^\\s*(\\*|") + kIdent +
                                              QStringLiteral("(\\s*,\\s*") + kIdent +
                                              QStringLiteral(")*)\\s*$"),
                                          QRegularExpression::UseUnicodePropertiesOption);
  static const QRegularExpression tailStart(QStringLiteral("^\\s*(where\\b|order\\s+by\\b|$)"),
                                            QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression forbidden(
      QStringLiteral("\\b(select|join|group|union|having|distinct)\\b|;"),
      QRegularExpression::CaseInsensitiveOption);

  if (auto m = tableOnly.match(translated); m.hasMatch()) {
    if (m.captured(1).compare(QLatin1String("select"), Qt::CaseInsensitive) != 0) {
      const QString table = detail::identifier(unbracket(m.captured(1)));
      return {unbracket(m.captured(1)), QStringLiteral("SELECT rowid AS __rowid, * FROM ") + table,
              QStringLiteral("SELECT * FROM ") + table};
    }
  }
  auto m = select.match(translated);
  if (!m.hasMatch()) return {{}, translated, translated};
  const QString cols = m.captured(1);
  const QString tail = m.captured(3);
  if (!columns.match(cols).hasMatch()) return {{}, translated, translated};
  if (!tailStart.match(tail).hasMatch() || forbidden.match(withoutQuotedText(tail)).hasMatch())
    return {{}, translated, translated};
  const QString table = unbracket(m.captured(2));
  return {table,
          QStringLiteral("SELECT rowid AS __rowid, ") + cols + QStringLiteral(" FROM ") +
              detail::identifier(table) + tail,
          translated};
}

// Resets a cached statement when leaving the scope, so that it holds no read snapshot.
struct ResetOnExit {
  sqlite3_stmt* st;
  ~ResetOnExit() {
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
  }
};
}  // namespace

struct Recordset::Row {
  qint64 rowid = 0;
  QVector<Value> values;
  bool deleted = false;
  bool added = false;
};

struct Recordset::Impl {
  std::shared_ptr<Database> db;
  QString source, sql, viewName;
  QStringList names;
  QHash<QString, int> column;  // lower-cased name -> column
  QStringList sqlNames;        // the names as SQL identifiers
  QString sqlTable;
  QHash<QByteArray, QString> updateSql, insertSql;  // by the set of fields written
  QVector<FieldKind> readKinds;
  QVector<FieldKind> writeKinds;
  QVector<int> lengths;
  std::vector<Row> rows;
  QHash<qint64, int> byRowid;

  int pos = 0;
  bool eof = true;
  int live = 0;
  // RecordCount: rows up to `visited` reached so far, less those deleted, plus the added
  // rows not reached yet.
  int visited = 0;
  int deletedBelow = 0;
  int addedBeyond = 0;

  QVector<Value> pending;
  QVector<bool> assigned;
  int posBeforeAdd = 0;
  bool eofBeforeAdd = true;
  qint64 lastModified = -1;

  mutable std::vector<int> liveRows;  // for grids, rebuilt after a change of the rows
  mutable bool liveRowsStale = true;

  // The owning view's hooks.
  std::function<void()> viewChanged, beforeUpdate, afterUpdate;

  QString context(const QString& field = {}) const {
    QString where = db ? db->path() : QString();
    QString what = viewName;
    if (!field.isEmpty())
      what = (tableName.isEmpty() ? what : tableName) + QLatin1Char('.') + field;
    else if (!tableName.isEmpty())
      where += QStringLiteral(", tabela ") + tableName;
    return what.isEmpty() ? where : what + QStringLiteral(", ") + where;
  }
  QString tableName;

  bool hasCurrent() const {
    return !eof && pos >= 0 && pos < int(rows.size()) && !rows[pos].deleted;
  }

  void extendVisited(int index) {
    while (visited <= index && visited < int(rows.size())) {
      const Row& r = rows[visited];
      if (r.deleted)
        ++deletedBelow;
      else if (r.added)
        --addedBeyond;
      ++visited;
    }
  }

  void land(int index) {
    pos = index;
    eof = false;
    extendVisited(index);
  }

  int columnOf(const QString& name) const {
    auto it = column.find(name.toLower());
    if (it == column.end()) throw detail::itemNotFound(name, context());
    return it.value();
  }

  Value rowValue(const Row& r, int col) const { return r.values.value(col, Value::null()); }

  // A move drops a pending Edit or AddNew, as the engine does; after AddNew the move is
  // made from the row that was current before it.
  void dropPending(EditMode& mode) {
    if (mode == EditMode::AddNew) {
      pos = posBeforeAdd;
      eof = eofBeforeAdd;
    }
    mode = EditMode::None;
  }

  const std::vector<int>& liveRowIndexes() const {
    if (liveRowsStale) {
      liveRows.clear();
      liveRows.reserve(live);
      for (int i = 0; i < int(rows.size()); ++i)
        if (!rows[i].deleted) liveRows.push_back(i);
      liveRowsStale = false;
    }
    return liveRows;
  }
};

Recordset::Recordset(std::shared_ptr<Database> db, const QString& source, const QString& viewName)
    : d(std::make_unique<Impl>()) {
  d->viewName = viewName;
  open(std::move(db), source);
}

Recordset::~Recordset() = default;

void Recordset::open(std::shared_ptr<Database> db, const QString& source) {
  d->db = std::move(db);
  d->source = source;
  d->tableName.clear();
  table_.clear();
  mode_ = EditMode::None;
  noMatch_ = false;
  d->rows.clear();
  d->byRowid.clear();
  d->names.clear();
  d->column.clear();
  d->readKinds.clear();
  d->sqlNames.clear();
  d->updateSql.clear();
  d->insertSql.clear();
  d->writeKinds.clear();
  d->lengths.clear();
  d->pos = 0;
  d->eof = true;
  d->live = d->visited = d->deletedBelow = d->addedBeyond = 0;
  d->lastModified = -1;
  d->liveRowsStale = true;

  sqlite3* h = d->db->handle();
  const QString translated = d->db->translate(source);
  SourcePlan plan = planSource(translated);
  sqlite3_stmt* raw = nullptr;
  if (!plan.table.isEmpty()) {
    // A view or a table without rowid cannot be written by rowid: read it as it is.
    if (sqlite3_prepare16_v2(h, plan.sql.utf16(), -1, &raw, nullptr) != SQLITE_OK) {
      sqlite3_finalize(raw);
      raw = nullptr;
      plan = {{}, plan.readOnly, plan.readOnly};
    }
  }
  d->tableName = plan.table;
  if (!raw) raw = detail::prepare(h, plan.sql, d->context());
  Statement st(raw);
  d->sql = plan.sql;

  const bool updatable = !plan.table.isEmpty();
  const int first = updatable ? 1 : 0;
  const int n = sqlite3_column_count(raw);
  for (int c = first; c < n; ++c) {
    const QString name =
        QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(raw, c)));
    const int col = c - first;
    d->names << name;
    d->sqlNames << detail::identifier(name);
    if (!d->column.contains(name.toLower())) d->column.insert(name.toLower(), col);
    const char* decl = sqlite3_column_decltype(raw, c);
    d->readKinds << (decl ? kindOfDeclaredType(QString::fromUtf8(decl)) : FieldKind::Unknown);
  }
  if (updatable) {
    const auto& kinds = d->db->columnKinds(plan.table);
    const auto& lengths = d->db->columnLengths(plan.table);
    for (const QString& name : std::as_const(d->names)) {
      d->writeKinds << kinds.value(name.toLower(), FieldKind::Unknown);
      d->lengths << lengths.value(name.toLower(), 0);
    }
  }

  const int cols = d->names.size();
  int rc;
  while ((rc = sqlite3_step(raw)) == SQLITE_ROW) {
    Row r;
    if (updatable) r.rowid = sqlite3_column_int64(raw, 0);
    r.values.reserve(cols);
    for (int c = 0; c < cols; ++c)
      r.values.append(detail::readColumn(raw, c + first, d->readKinds[c]));
    if (updatable) d->byRowid.insert(r.rowid, int(d->rows.size()));
    d->rows.push_back(std::move(r));
  }
  if (rc != SQLITE_DONE) throw detail::engineError(h, d->context());

  table_ = plan.table;
  d->sqlTable = updatable ? detail::identifier(plan.table) : QString();
  d->live = int(d->rows.size());
  if (!d->rows.empty()) d->land(0);
  notifyCurrentChanged();
}

void Recordset::setViewHooks(std::function<void()> changed, std::function<void()> beforeUpdate,
                             std::function<void()> afterUpdate) {
  d->viewChanged = std::move(changed);
  d->beforeUpdate = std::move(beforeUpdate);
  d->afterUpdate = std::move(afterUpdate);
}

bool Recordset::hasCurrentRow() const {
  return d->hasCurrent();
}

FieldKind Recordset::writeKind(const QString& field) const {
  return d->writeKinds.value(d->columnOf(field), FieldKind::Unknown);
}

std::shared_ptr<Database> Recordset::sharedDatabase() const {
  return d->db;
}

void Recordset::notifyCurrentChanged() {
  if (d->viewChanged) d->viewChanged();
  if (currentChanged_) currentChanged_();
}

// --- position -------------------------------------------------------------------------

bool Recordset::Eof() const {
  return d->eof;
}
bool Recordset::Bof() const {
  return d->live == 0;
}

void Recordset::MoveFirst() {
  d->dropPending(mode_);
  auto it = std::find_if(d->rows.begin(), d->rows.end(), [](const Row& r) { return !r.deleted; });
  if (it == d->rows.end()) throw errors::noCurrentRecord(d->context());
  d->land(int(it - d->rows.begin()));
  notifyCurrentChanged();
}

void Recordset::MoveLast() {
  d->dropPending(mode_);
  auto it = std::find_if(d->rows.rbegin(), d->rows.rend(), [](const Row& r) { return !r.deleted; });
  if (it == d->rows.rend()) throw errors::noCurrentRecord(d->context());
  d->land(int(d->rows.rend() - it) - 1);
  d->extendVisited(int(d->rows.size()) - 1);
  notifyCurrentChanged();
}

void Recordset::MoveNext() {
  d->dropPending(mode_);
  if (d->eof) throw errors::noCurrentRecord(d->context());
  int i = d->pos + 1;
  const int n = int(d->rows.size());
  while (i < n && d->rows[i].deleted) ++i;
  if (i < n) {
    d->land(i);
  } else {
    d->extendVisited(n - 1);
    d->eof = true;
    d->pos = n;
  }
  notifyCurrentChanged();
}

long Recordset::RecordCount() const {
  return d->visited - d->deletedBelow + d->addedBeyond;
}

// --- fields ---------------------------------------------------------------------------

Value Recordset::field(const QString& name) const {
  const int col = d->columnOf(name);
  if (mode_ != EditMode::None) return d->pending.value(col, Value::null());
  if (!d->hasCurrent()) throw errors::noCurrentRecord(d->context(name));
  return d->rowValue(d->rows[d->pos], col);
}

void Recordset::setField(const QString& name, const Value& v) {
  const int col = d->columnOf(name);
  if (mode_ == EditMode::None) throw detail::noEditInProgress(d->context(name));
  d->pending[col] =
      detail::convertNamed(v, d->writeKinds.value(col, FieldKind::Unknown),
                           d->lengths.value(col, 0), [&] { return d->context(name); });
  d->assigned[col] = true;
}

QStringList Recordset::fieldNames() const {
  return d->names;
}

Value FieldRef::value() const {
  return rs_.field(name_);
}

FieldRef& FieldRef::operator=(const Value& v) {
  rs_.setField(name_, v);
  return *this;
}

// --- changes --------------------------------------------------------------------------

void Recordset::Edit() {
  if (!updatable()) throw detail::readOnly(d->context());
  d->dropPending(mode_);
  if (!d->hasCurrent()) throw errors::noCurrentRecord(d->context());
  d->pending = d->rows[d->pos].values;
  d->assigned.fill(false, d->names.size());
  mode_ = EditMode::Edit;
}

void Recordset::AddNew() {
  if (!updatable()) throw detail::readOnly(d->context());
  d->dropPending(mode_);
  d->posBeforeAdd = d->pos;
  d->eofBeforeAdd = d->eof;
  d->pending = QVector<Value>(d->names.size(), Value::null());
  d->assigned = QVector<bool>(d->names.size(), false);
  mode_ = EditMode::AddNew;
  notifyCurrentChanged();
}

void Recordset::CancelUpdate() {
  if (mode_ == EditMode::None) return;
  const bool wasAdd = mode_ == EditMode::AddNew;
  d->dropPending(mode_);
  if (wasAdd) notifyCurrentChanged();
}

void Recordset::Update() {
  if (mode_ == EditMode::None) throw detail::noEditInProgress(d->context());
  if (d->beforeUpdate) d->beforeUpdate();
  sqlite3* h = d->db->handle();
  QByteArray mask(d->names.size(), '0');
  QVector<int> which;
  for (int c = 0; c < d->names.size(); ++c)
    if (d->assigned[c]) {
      mask[c] = '1';
      which << c;
    }

  if (mode_ == EditMode::Edit) {
    Row& row = d->rows[d->pos];
    if (!which.isEmpty()) {
      QString& sql = d->updateSql[mask];
      if (sql.isEmpty()) {
        sql = QStringLiteral("UPDATE ") + d->sqlTable + QStringLiteral(" SET ");
        for (int i = 0; i < which.size(); ++i)
          sql += (i ? QStringLiteral(", ") : QString()) + d->sqlNames[which[i]] +
                 QStringLiteral(" = ?");
        sql += QStringLiteral(" WHERE rowid = ?");
      }
      sqlite3_stmt* st = d->db->cachedStatement(sql, table_);
      ResetOnExit reset{st};
      for (int i = 0; i < which.size(); ++i) detail::bindValue(st, i + 1, d->pending[which[i]]);
      sqlite3_bind_int64(st, int(which.size()) + 1, row.rowid);
      if (sqlite3_step(st) != SQLITE_DONE) throw detail::engineError(h, d->context());
      if (sqlite3_changes(h) == 0)
        throw RuntimeError(3167, QStringLiteral("O registro foi excluído (%1)").arg(d->context()));
      row.values = d->pending;
    }
    d->lastModified = d->pos;
  } else {
    QString& sql = d->insertSql[mask];
    if (sql.isEmpty()) {
      sql = QStringLiteral("INSERT INTO ") + d->sqlTable;
      if (which.isEmpty()) {
        sql += QStringLiteral(" DEFAULT VALUES");
      } else {
        QStringList cols;
        for (int c : std::as_const(which)) cols << d->sqlNames[c];
        sql +=
            QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (");
        for (int i = 0; i < which.size(); ++i)
          sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
        sql += QLatin1Char(')');
      }
    }
    sqlite3_stmt* st = d->db->cachedStatement(sql, table_);
    {
      ResetOnExit reset{st};
      for (int i = 0; i < which.size(); ++i) detail::bindValue(st, i + 1, d->pending[which[i]]);
      if (sqlite3_step(st) != SQLITE_DONE) throw detail::engineError(h, d->context());
    }
    Row row;
    row.rowid = sqlite3_last_insert_rowid(h);
    row.added = true;
    // Read the stored row back, so that column defaults show as the table has them.
    sqlite3_stmt* back = d->db->cachedStatement(
        QStringLiteral("SELECT ") + d->sqlNames.join(QStringLiteral(", ")) +
            QStringLiteral(" FROM ") + d->sqlTable + QStringLiteral(" WHERE rowid = ?"),
        table_);
    {
      ResetOnExit reset{back};
      sqlite3_bind_int64(back, 1, row.rowid);
      if (sqlite3_step(back) == SQLITE_ROW) {
        for (int c = 0; c < d->names.size(); ++c)
          row.values.append(detail::readColumn(back, c, d->readKinds[c]));
      } else {
        row.values = d->pending;
      }
    }
    const int index = int(d->rows.size());
    d->byRowid.insert(row.rowid, index);
    d->rows.push_back(std::move(row));
    ++d->live;
    ++d->addedBeyond;
    d->liveRowsStale = true;
    d->lastModified = index;
    d->pos = d->posBeforeAdd;
    d->eof = d->eofBeforeAdd;
  }
  mode_ = EditMode::None;
  if (d->afterUpdate) d->afterUpdate();
  notifyCurrentChanged();
}

void Recordset::Delete() {
  if (!updatable()) throw detail::readOnly(d->context());
  d->dropPending(mode_);
  if (!d->hasCurrent()) throw errors::noCurrentRecord(d->context());
  Row& row = d->rows[d->pos];
  sqlite3_stmt* st = d->db->cachedStatement(
      QStringLiteral("DELETE FROM ") + d->sqlTable + QStringLiteral(" WHERE rowid = ?"), table_);
  {
    ResetOnExit reset{st};
    sqlite3_bind_int64(st, 1, row.rowid);
    if (sqlite3_step(st) != SQLITE_DONE) throw detail::engineError(d->db->handle(), d->context());
  }
  row.deleted = true;
  d->byRowid.remove(row.rowid);
  --d->live;
  d->liveRowsStale = true;
  ++d->deletedBelow;  // the current row has always been reached
  notifyCurrentChanged();
}

// --- search and bookmarks ---------------------------------------------------------------

void Recordset::FindFirst(const QString& criteria) {
  sqlite3* h = d->db->handle();
  int found = -1;
  if (updatable()) {
    Statement st(detail::prepare(
        h,
        d->db->translate(QStringLiteral("SELECT rowid FROM ") + detail::identifier(table_) +
                         QStringLiteral(" WHERE (") + criteria + QStringLiteral(")")),
        d->context()));
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
      auto it = d->byRowid.constFind(sqlite3_column_int64(st.get(), 0));
      if (it != d->byRowid.constEnd() && (found < 0 || it.value() < found)) found = it.value();
    }
    if (rc != SQLITE_DONE) throw detail::engineError(h, d->context());
  } else if (!d->names.isEmpty()) {
    // A read-only set: the criteria are tried on each row's values in turn.
    QStringList cols;
    for (int c = 0; c < d->names.size(); ++c)
      cols << QStringLiteral("?%1 AS %2").arg(c + 1).arg(detail::identifier(d->names[c]));
    QHash<QString, FieldKind> kinds;
    for (int c = 0; c < d->names.size(); ++c)
      kinds.insert(d->names[c].toLower(), d->readKinds.value(c, FieldKind::Unknown));
    Statement st(detail::prepare(
        h,
        d->db->translate(QStringLiteral("SELECT 1 FROM (SELECT ") +
                             cols.join(QStringLiteral(", ")) + QStringLiteral(") WHERE (") +
                             criteria + QStringLiteral(")"),
                         &kinds),
        d->context()));
    for (int i = 0; i < int(d->rows.size()) && found < 0; ++i) {
      sqlite3_reset(st.get());
      for (int c = 0; c < d->names.size(); ++c)
        detail::bindValue(st.get(), c + 1, d->rows[i].values[c]);
      int rc = sqlite3_step(st.get());
      if (rc == SQLITE_ROW)
        found = i;
      else if (rc != SQLITE_DONE)
        throw detail::engineError(h, d->context());
    }
  }
  noMatch_ = found < 0;
  if (found >= 0) {
    d->dropPending(mode_);
    d->land(found);
    notifyCurrentChanged();
  }
}

Bookmark Recordset::LastModified() const {
  if (d->lastModified < 0) throw errors::noCurrentRecord(d->context());
  return d->lastModified;
}

Bookmark Recordset::bookmark() const {
  if (!d->hasCurrent()) throw errors::noCurrentRecord(d->context());
  return d->pos;
}

void Recordset::setBookmark(Bookmark b) {
  if (b < 0 || b >= qint64(d->rows.size()) || d->rows[b].deleted)
    throw RuntimeError(3159, QStringLiteral("Indicador inválido (%1)").arg(d->context()));
  d->dropPending(mode_);
  d->land(int(b));
  notifyCurrentChanged();
}

// --- whole-set access for grids ---------------------------------------------------------

int Recordset::size() const {
  return d->live;
}

int Recordset::currentIndex() const {
  if (!d->hasCurrent()) return -1;
  const auto& live = d->liveRowIndexes();
  auto it = std::lower_bound(live.begin(), live.end(), d->pos);
  return int(it - live.begin());
}

void Recordset::setCurrentIndex(int row) {
  const auto& live = d->liveRowIndexes();
  if (row < 0 || row >= int(live.size()))
    throw RuntimeError(3159, QStringLiteral("Indicador inválido (%1)").arg(d->context()));
  setBookmark(live[row]);
}

Value Recordset::valueAt(int row, const QString& field) const {
  const int col = d->columnOf(field);
  const auto& live = d->liveRowIndexes();
  if (row < 0 || row >= int(live.size())) return Value::null();
  return d->rowValue(d->rows[live[row]], col);
}

}  // namespace ark::db

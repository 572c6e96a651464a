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
  QString keys;      // updatable: the rowid of each row, first column, in the set's order
  QString row;       // updatable: the set's columns of one row, by rowid
  QString readOnly;  // the rows themselves
  QString cols;      // updatable: the set's columns as the statements above name them
  bool wholeTable = false;  // a table name: the rows in rowid order
  bool keysCarryRows = false;  // `keys` gives each row's columns after its rowid
  std::vector<Value> keysValues, readOnlyValues;  // what the texts above take as parameters
};

// An ORDER BY that names a result column by its number needs the set's own columns.
bool ordersByPosition(const QString& tail) {
  static const QRegularExpression re(
      QStringLiteral("\\border\\s+by\\s+(.*[\\s,])?\\d+\\s*(asc|desc)?\\s*(,|$)"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  return re.match(withoutQuotedText(tail)).hasMatch();
}

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
  static const QRegularExpression orderBy(QStringLiteral("\\border\\s+by\\b"),
                                          QRegularExpression::CaseInsensitiveOption);
  const QString byRowid = QStringLiteral(" WHERE rowid = ?");

  if (auto m = tableOnly.match(translated); m.hasMatch()) {
    if (m.captured(1).compare(QLatin1String("select"), Qt::CaseInsensitive) != 0) {
      const QString table = detail::identifier(unbracket(m.captured(1)));
      SourcePlan p;
      p.table = unbracket(m.captured(1));
      p.keys = QStringLiteral("SELECT rowid FROM ") + table + QStringLiteral(" ORDER BY rowid");
      p.readOnly = QStringLiteral("SELECT * FROM ") + table;
      p.row = p.readOnly + byRowid;
      p.cols = QStringLiteral("*");
      p.wholeTable = true;
      return p;
    }
  }
  SourcePlan readOnly;
  readOnly.readOnly = translated;
  auto m = select.match(translated);
  if (!m.hasMatch()) return readOnly;
  const QString cols = m.captured(1);
  const QString tail = m.captured(3);
  if (!columns.match(cols).hasMatch()) return readOnly;
  const QString bare = withoutQuotedText(tail);
  if (!tailStart.match(tail).hasMatch() || forbidden.match(bare).hasMatch()) return readOnly;
  SourcePlan p;
  p.table = unbracket(m.captured(2));
  const QString from = QStringLiteral(" FROM ") + detail::identifier(p.table);
  // Sorting the rowids alone is what keeps a large set cheap to open; without an ORDER BY
  // the rows come as the engine reads the same columns, as they always did.
  if (orderBy.match(bare).hasMatch() && !ordersByPosition(tail))
    p.keys = QStringLiteral("SELECT rowid") + from + tail;
  else {
    p.keys = QStringLiteral("SELECT rowid AS __rowid, ") + cols + from + tail;
    p.keysCarryRows = true;
  }
  p.row = QStringLiteral("SELECT ") + cols + from + byRowid;
  p.cols = cols;
  p.readOnly = translated;
  return p;
}

// Resets a cached statement when leaving the scope, so that it holds no read snapshot.
struct ResetOnExit {
  sqlite3_stmt* st;
  ~ResetOnExit() {
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
  }
};

// Ends the read that the schema check of a load left open for the statements after it.
struct SchemaRead {
  Database* db = nullptr;
  ~SchemaRead() {
    if (db) db->endSchemaRead();
  }
};

enum RowFlag : quint8 { kDeleted = 1, kAdded = 2 };
}  // namespace

// The set keeps the rowid of each of its rows, in its order, and reads a row's values
// when the row becomes current, converting each field when it is first asked for; so a
// set costs its keys, and one that nobody reads costs a prepared statement. A read-only
// set (an aggregate, DISTINCT, a join) has no rowid to come back by and is read whole,
// on first use.
//
// The rows and their order are fixed when the set is first read after it was opened;
// a row's values are those it holds when it becomes current. A row that is no longer in
// the table when a move reaches it (deleted through another view or by a statement) is
// passed over and leaves the set.
struct Recordset::Impl {
  Recordset* owner = nullptr;
  std::shared_ptr<Database> db;
  QString source, viewName, tableName;
  QStringList names;
  QHash<QString, int> column;  // lower-cased name, and the name as the set has it -> column
  struct NameHit {
    QString name;
    int col = -1;
  };
  static constexpr int kNameHits = 24;
  mutable NameHit nameHits[kNameHits];
  int nextHit = 0;
  QStringList sqlNames;        // the names as SQL identifiers
  QString sqlTable;
  // A statement this set keeps for itself, valid while the connection has finalised none.
  struct Held {
    QString sql;
    sqlite3_stmt* st = nullptr;
    quint64 generation = 0;
  };
  // The statement that writes a set of fields, by their columns in order.
  struct WriteShape {
    std::vector<int> which;
    Held held;
  };
  std::vector<WriteShape> updateShapes, insertShapes;
  std::vector<int> which;  // the fields written by the Update being made
  QString deleteSql;
  QVector<FieldKind> readKinds;
  QVector<FieldKind> writeKinds;
  QVector<int> lengths;
  SourcePlan plan;

  bool loaded = false;
  std::vector<qint64> keys;   // updatable: rowid of each row of the set
  std::vector<quint8> flags;  // RowFlag of each row
  std::vector<QVector<Value>> values;  // read-only: every row, read whole
  bool keysAscending = true;           // keys can be searched by halving
  QHash<qint64, int> byRowid;          // otherwise, built when first needed
  bool byRowidBuilt = false;

  int pos = 0;
  bool eof = true;
  int live = 0;
  // RecordCount: the rows up to `visited` reached so far that are still in the set, plus
  // the rows added beyond them.
  int visited = 0;
  int visitedLive = 0;
  int addedBeyond = 0;

  // The current row as read: its values as stored, each converted on first use.
  int cachedPos = -1;
  const detail::StoredRow* current = nullptr;
  QVector<Value> converted;
  QVector<bool> isConverted;

  // Rows read ahead in one statement from the one a move reaches, each kept until this
  // program writes to it; what another program writes meanwhile shows from the next
  // reading ahead.
  static constexpr int kWindow = 48;
  enum Slot : quint8 { kUnread, kPresent, kGone };
  int winStart = 0, winEnd = 0;  // the positions read ahead
  std::vector<detail::StoredRow> winRows;
  std::vector<quint8> winState;
  quint64 winMark = 0;  // the connection's write count they were read or checked at
  Held windowRead, oneRowRead, setRead;  // setRead: the keys, or a read-only set's rows
  QString tableKey;
  // The translation the set was last opened on, to reopen one of the same form cheaply.
  QString openedSql;
  quint64 openedEpoch = 0;
  // Reopened without looking at the schema: the load looks, in the read it makes anyway.
  bool schemaUnchecked = false;
  QVector<qint64> written;

  QVector<Value> pending;
  QVector<bool> assigned;
  int posBeforeAdd = 0;
  bool eofBeforeAdd = true;
  qint64 lastModified = -1;

  mutable std::vector<int> liveRows;  // for grids, rebuilt after a change of the rows
  mutable bool liveRowsStale = true;

  // The owning view's hooks.
  std::function<void()> viewChanged, beforeUpdate, afterUpdate;

  sqlite3_stmt* statement(const QString& sql) {
    return db->cachedStatement(sql, [this] { return context(); });
  }

  // A write made for every row finds its statement without hashing its text. Every user
  // of a cached statement resets it and clears its bindings when done with it.
  sqlite3_stmt* statement(Held& h) {
    if (h.st && h.generation == db->statementGeneration()) return h.st;
    h.st = statement(h.sql);
    h.generation = db->statementGeneration();
    return h.st;
  }

  WriteShape& shapeOf(std::vector<WriteShape>& shapes) {
    for (WriteShape& s : shapes)
      if (s.which == which) return s;
    shapes.push_back({which, {}});
    return shapes.back();
  }

  QString context(const QString& field = {}) const {
    QString where = db ? db->path() : QString();
    QString what = viewName;
    if (!field.isEmpty())
      what = (tableName.isEmpty() ? what : tableName) + QLatin1Char('.') + field;
    else if (!tableName.isEmpty())
      where += QStringLiteral(", tabela ") + tableName;
    return what.isEmpty() ? where : what + QStringLiteral(", ") + where;
  }

  bool updatable() const { return !plan.table.isEmpty(); }
  int count() const { return int(flags.size()); }
  bool deleted(int i) const { return flags[i] & kDeleted; }

  bool hasCurrent() {
    ensureLoaded();
    return !eof && pos >= 0 && pos < count() && !deleted(pos);
  }

  // --- reading ---------------------------------------------------------------------------

  void ensureLoaded() {
    if (!loaded) load();
  }

  void load() {
    SchemaRead held;
    if (schemaUnchecked) {
      schemaUnchecked = false;
      if (db->schemaChangedAtRead()) {
        // The tables changed under a reopen of the same form: open it as new.
        owner->open(db, source);
        if (!loaded) load();
        return;
      }
      held.db = db.get();
    }
    {
      if (setRead.sql.isEmpty()) setRead.sql = updatable() ? plan.keys : plan.readOnly;
      sqlite3_stmt* st = statement(setRead);
      ResetOnExit reset{st};
      detail::bindAll(st, updatable() ? plan.keysValues : plan.readOnlyValues);
      const int cols = names.size();
      // Rows that come with their keys are the first ones read ahead.
      const bool carried = updatable() && plan.keysCarryRows;
      if (carried) prepareWindow();
      int rc;
      while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (updatable()) {
          const qint64 rowid = sqlite3_column_int64(st, 0);
          if (!keys.empty() && rowid <= keys.back()) keysAscending = false;
          if (carried && keys.size() < size_t(kWindow)) {
            winRows[keys.size()].read(st, cols, 1);
            winState[keys.size()] = kPresent;
          }
          keys.push_back(rowid);
        } else {
          QVector<Value> row;
          row.reserve(cols);
          for (int c = 0; c < cols; ++c) row.append(detail::readColumn(st, c, readKinds[c]));
          values.push_back(std::move(row));
        }
      }
      if (rc != SQLITE_DONE) throw detail::engineError(db->handle(), context());
      if (carried) {
        winStart = 0;
        winEnd = std::min(int(keys.size()), kWindow);
        winMark = db->writeCount();
      }
    }
    flags.assign(updatable() ? keys.size() : values.size(), 0);
    live = count();
    loaded = true;
    if (live > 0) {
      if (!landOn(0, 1)) eof = true;
    }
  }

  void dropCache() {
    cachedPos = -1;
    current = nullptr;
  }

  void dropWindow() {
    winStart = winEnd = 0;
    dropCache();
  }

  // Forgets the rows read ahead that this program has written to since.
  void syncWindow() {
    if (db->writeCount() == winMark) return;
    written.clear();
    if (!db->rowsWrittenSince(winMark, tableKey, written)) {
      std::fill(winState.begin(), winState.end(), kUnread);
    } else {
      for (qint64 rowid : std::as_const(written))
        for (int p = winStart; p < winEnd; ++p)
          if (keys[p] == rowid) winState[p - winStart] = kUnread;
    }
    winMark = db->writeCount();
  }

  // Reads ahead from row i, going by `step`; only row i for a jump (step 0).
  void prepareWindow() {
    if (!windowRead.sql.isEmpty()) return;
    QString marks = QStringLiteral("?");
    for (int k = 1; k < kWindow; ++k) marks += QStringLiteral(",?");
    QString& windowSql = windowRead.sql;
    windowSql = plan.row;
    windowSql.replace(0, 6, QStringLiteral("SELECT rowid,"));
    oneRowRead = {windowSql};
    windowSql.replace(QStringLiteral(" WHERE rowid = ?"),
                      QStringLiteral(" WHERE rowid IN (") + marks + QLatin1Char(')'));
    winRows.resize(kWindow);
    winState.assign(kWindow, kGone);
  }

  void readWindow(int i, int step) {
    prepareWindow();
    winStart = step < 0 ? std::max(0, i - kWindow + 1) : i;
    winEnd = step == 0 ? i + 1 : std::min(count(), winStart + kWindow);
    dropCache();
    std::fill(winState.begin(), winState.end(), kGone);
    sqlite3_stmt* st = statement(winEnd - winStart == 1 ? oneRowRead : windowRead);
    ResetOnExit reset{st};
    for (int p = winStart; p < winEnd; ++p)
      if (!deleted(p)) sqlite3_bind_int64(st, p - winStart + 1, keys[p]);
    const int cols = names.size();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      const qint64 rowid = sqlite3_column_int64(st, 0);
      for (int p = winStart; p < winEnd; ++p) {
        if (keys[p] != rowid || deleted(p) || winState[p - winStart] == kPresent) continue;
        winRows[p - winStart].read(st, cols, 1);
        winState[p - winStart] = kPresent;
        break;
      }
    }
    if (rc != SQLITE_DONE) throw detail::engineError(db->handle(), context());
    winMark = db->writeCount();
  }

  // Makes row i, read a moment ago as `row`, the row read.
  void adopt(int i, detail::StoredRow& row) {
    prepareWindow();
    winStart = i;
    winEnd = i + 1;
    std::fill(winState.begin(), winState.end(), kGone);
    std::swap(winRows[0], row);
    winState[0] = kPresent;
    winMark = db->writeCount();
    dropCache();
    fetch(i);
  }

  // Makes row i the row read; false when the table no longer has it. A move reads ahead
  // in its direction (`step`), a jump reads the one row.
  bool fetch(int i, int step = 0) {
    if (!updatable()) {
      cachedPos = i;
      return true;
    }
    if (i >= winStart && i < winEnd) syncWindow();
    if (i < winStart || i >= winEnd || winState[i - winStart] == kUnread) readWindow(i, step);
    if (winState[i - winStart] == kGone) return false;
    current = &winRows[i - winStart];
    const int cols = names.size();
    converted.fill(Value::null(), cols);
    isConverted.fill(false, cols);
    cachedPos = i;
    return true;
  }

  // The value of a field of the current row.
  Value currentValue(int col) {
    if (!updatable()) return values[pos].value(col, Value::null());
    if (cachedPos != pos && !fetch(pos))
      throw RuntimeError(3167, QStringLiteral("O registro foi excluído (%1)").arg(context()));
    return cachedValue(col);
  }

  Value cachedValue(int col) {
    if (!isConverted[col]) {
      converted[col] = current->value(col, readKinds[col]);
      isConverted[col] = true;
    }
    return converted[col];
  }

  // --- position --------------------------------------------------------------------------

  void extendVisited(int index) {
    while (visited <= index && visited < count()) {
      if (!deleted(visited)) {
        ++visitedLive;
        if (flags[visited] & kAdded) --addedBeyond;
      }
      ++visited;
    }
  }

  void land(int index) {
    pos = index;
    eof = false;
    extendVisited(index);
  }

  void markDeleted(int i) {
    if (deleted(i)) return;
    if (i < visited)
      --visitedLive;
    else if (flags[i] & kAdded)
      --addedBeyond;
    flags[i] |= kDeleted;
    --live;
    liveRowsStale = true;
    if (cachedPos == i) dropCache();
  }

  // Makes current the first row from i on, going by `step`, that is still in the table.
  bool landOn(int i, int step, bool readAhead = true) {
    for (; i >= 0 && i < count(); i += step) {
      if (deleted(i)) continue;
      if (fetch(i, readAhead ? step : 0)) {
        land(i);
        return true;
      }
      markDeleted(i);
    }
    return false;
  }

  // The row of the set with this rowid, or -1.
  int positionOf(qint64 rowid) {
    if (keysAscending) {
      auto it = std::lower_bound(keys.begin(), keys.end(), rowid);
      return it != keys.end() && *it == rowid ? int(it - keys.begin()) : -1;
    }
    if (!byRowidBuilt) {
      byRowid.reserve(int(keys.size()));
      for (int i = 0; i < int(keys.size()); ++i) byRowid.insert(keys[i], i);
      byRowidBuilt = true;
    }
    return byRowid.value(rowid, -1);
  }

  int columnOf(const QString& name) {
    // The names are known for sure once the schema has been looked at.
    if (schemaUnchecked) ensureLoaded();
    // Jobs name a field by the same literal on every row: a text already looked up is
    // known by where its characters are, without hashing them. The entry holds a copy, so
    // those characters stay as they are for as long as it is kept.
    // A walk names fewer fields than the entries, so none pushes out another it uses.
    const QChar* chars = name.constData();
    if (!name.isEmpty())
      for (const NameHit& hit : nameHits)
        if (hit.name.constData() == chars && hit.name.size() == name.size()) return hit.col;
    // Callers mostly write a name as the table has it: no lower-casing for each read.
    auto it = column.constFind(name);
    if (it == column.cend()) it = column.constFind(name.toLower());
    if (it == column.cend()) throw detail::itemNotFound(name, context());
    nameHits[nextHit] = {name, it.value()};
    nextHit = (nextHit + 1) % kNameHits;
    return it.value();
  }

  void forgetNames() {
    column.clear();
    for (NameHit& h : nameHits) h = {};
    nextHit = 0;
  }

  // A move drops a pending Edit or AddNew, as the engine does; after AddNew the move is
  // made from the row that was current before it.
  void dropPending(EditMode& mode) {
    if (mode == EditMode::AddNew) {
      pos = posBeforeAdd;
      eof = eofBeforeAdd;
    }
    mode = EditMode::None;
  }

  const std::vector<int>& liveRowIndexes() {
    ensureLoaded();
    if (liveRowsStale) {
      liveRows.clear();
      liveRows.reserve(live);
      for (int i = 0; i < count(); ++i)
        if (!deleted(i)) liveRows.push_back(i);
      liveRowsStale = false;
    }
    return liveRows;
  }
};

Recordset::Recordset(std::shared_ptr<Database> db, const QString& source, const QString& viewName)
    : d(std::make_unique<Impl>()) {
  d->owner = this;
  d->viewName = viewName;
  open(std::move(db), source);
}

Recordset::~Recordset() = default;

void Recordset::open(std::shared_ptr<Database> db, const QString& source, bool readNext) {
  d->dropWindow();
  const bool sameFile = d->db == db;
  d->db = std::move(db);
  d->source = source;
  mode_ = EditMode::None;
  noMatch_ = false;
  d->loaded = false;
  d->keys.clear();
  d->flags.clear();
  d->values.clear();
  d->keysAscending = true;
  d->byRowid.clear();
  d->byRowidBuilt = false;
  d->pos = 0;
  d->eof = true;
  d->live = d->visited = d->visitedLive = d->addedBeyond = 0;
  d->lastModified = -1;
  d->liveRowsStale = true;
  d->schemaUnchecked = false;

  // A set read at once looks at the schema in that read, not in one of its own.
  const bool again = sameFile && !d->openedSql.isEmpty();
  const bool deferCheck = again && readNext;
  if (!deferCheck) d->db->checkSchema();
  // A source made for one row is translated and prepared once for every row: the values
  // written into it are parameters.
  std::vector<Value> values;
  QString translated = d->db->translateSelect(source, values);
  // Reopened on a source of the same form (a per-row look-up): only the values change.
  if (again && translated == d->openedSql && d->openedEpoch == d->db->schemaEpoch()) {
    d->plan.keysValues = values;
    d->plan.readOnlyValues = std::move(values);
    d->schemaUnchecked = deferCheck;
    notifyCurrentChanged();
    return;
  }
  if (deferCheck) {
    const quint64 epoch = d->db->schemaEpoch();
    d->db->checkSchema();
    if (d->db->schemaEpoch() != epoch) translated = d->db->translateSelect(source, values);
  }
  d->openedSql.clear();
  d->windowRead = {};
  d->oneRowRead = {};
  d->tableName.clear();
  table_.clear();
  d->names.clear();
  d->forgetNames();
  d->readKinds.clear();
  d->sqlNames.clear();
  d->updateShapes.clear();
  d->insertShapes.clear();
  d->deleteSql.clear();
  d->writeKinds.clear();
  d->lengths.clear();

  SourcePlan plan = planSource(translated);
  plan.keysValues = values;
  plan.readOnlyValues = std::move(values);
  sqlite3_stmt* columns = nullptr;
  if (!plan.table.isEmpty()) {
    d->tableName = plan.table;
    // A view or a table without rowid cannot be written by rowid: read it as it is.
    try {
      columns = d->statement(plan.row);
    } catch (const RuntimeError&) {
      plan.table.clear();
      plan.keys.clear();
      plan.row.clear();
      plan.wholeTable = false;
      d->tableName.clear();
    }
  }
  d->plan = plan;
  d->setRead = {};
  d->tableKey = plan.table.toLower();
  // The statement that reads the set is prepared now, so that a source naming what the
  // file lacks fails when it is opened, as it always has; it runs on first use.
  if (!columns)
    columns = d->statement(plan.readOnly);
  else
    d->statement(plan.keys);
  // The statement asked for last may be held; the one for the columns is asked again.
  if (d->updatable()) columns = d->statement(plan.row);

  const int n = sqlite3_column_count(columns);
  for (int c = 0; c < n; ++c) {
    const QString name =
        QString::fromUtf16(static_cast<const char16_t*>(sqlite3_column_name16(columns, c)));
    d->names << name;
    d->sqlNames << detail::identifier(name);
    if (!d->column.contains(name.toLower())) d->column.insert(name.toLower(), c);
    if (!d->column.contains(name)) d->column.insert(name, c);
    const char* decl = sqlite3_column_decltype(columns, c);
    d->readKinds << (decl ? kindOfDeclaredType(QString::fromUtf8(decl)) : FieldKind::Unknown);
  }
  if (d->updatable()) {
    const auto& kinds = d->db->columnKinds(plan.table);
    const auto& lengths = d->db->columnLengths(plan.table);
    for (const QString& name : std::as_const(d->names)) {
      d->writeKinds << kinds.value(name.toLower(), FieldKind::Unknown);
      d->lengths << lengths.value(name.toLower(), 0);
    }
  }
  table_ = plan.table;
  d->sqlTable = d->updatable() ? detail::identifier(plan.table) : QString();
  d->openedSql = translated;
  d->openedEpoch = d->db->schemaEpoch();
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
  d->ensureLoaded();
  return d->eof;
}
bool Recordset::Bof() const {
  d->ensureLoaded();
  return d->live == 0;
}

void Recordset::MoveFirst() {
  d->dropPending(mode_);
  d->ensureLoaded();
  if (!d->landOn(0, 1)) {
    d->eof = true;
    throw errors::noCurrentRecord(d->context());
  }
  notifyCurrentChanged();
}

void Recordset::MoveLast() {
  d->dropPending(mode_);
  d->ensureLoaded();
  // Mostly a sizing, followed by MoveFirst: the last row alone is read.
  if (!d->landOn(d->count() - 1, -1, false)) {
    d->eof = true;
    throw errors::noCurrentRecord(d->context());
  }
  d->extendVisited(d->count() - 1);
  notifyCurrentChanged();
}

void Recordset::MoveNext() {
  d->dropPending(mode_);
  d->ensureLoaded();
  if (d->eof) throw errors::noCurrentRecord(d->context());
  if (!d->landOn(d->pos + 1, 1)) {
    const int n = d->count();
    d->extendVisited(n - 1);
    d->eof = true;
    d->pos = n;
  }
  notifyCurrentChanged();
}

long Recordset::RecordCount() const {
  d->ensureLoaded();
  return d->visitedLive + d->addedBeyond;
}

// --- fields ---------------------------------------------------------------------------

Value Recordset::field(const QString& name) const {
  const int col = d->columnOf(name);
  if (mode_ == EditMode::AddNew || (mode_ == EditMode::Edit && d->assigned[col]))
    return d->pending[col];
  if (!d->hasCurrent()) throw errors::noCurrentRecord(d->context(name));
  return d->currentValue(col);
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
  if (d->schemaUnchecked) d->ensureLoaded();
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
  if (d->cachedPos != d->pos && !d->fetch(d->pos))
    throw RuntimeError(3167, QStringLiteral("O registro foi excluído (%1)").arg(d->context()));
  d->pending.fill(Value::null(), d->names.size());
  d->assigned.fill(false, d->names.size());
  mode_ = EditMode::Edit;
}

void Recordset::AddNew() {
  if (!updatable()) throw detail::readOnly(d->context());
  d->dropPending(mode_);
  // The row joins the set as it stands: the set is read before it is added to.
  d->ensureLoaded();
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
  std::vector<int>& which = d->which;
  which.clear();
  for (int c = 0; c < d->names.size(); ++c)
    if (d->assigned[c]) which.push_back(c);
  const int written = int(which.size());

  if (mode_ == EditMode::Edit) {
    if (written > 0) {
      Impl::Held& held = d->shapeOf(d->updateShapes).held;
      if (held.sql.isEmpty()) {
        held.sql = QStringLiteral("UPDATE ") + d->sqlTable + QStringLiteral(" SET ");
        for (int i = 0; i < written; ++i)
          held.sql += (i ? QStringLiteral(", ") : QString()) + d->sqlNames[which[i]] +
                      QStringLiteral(" = ?");
        held.sql += QStringLiteral(" WHERE rowid = ?");
      }
      sqlite3_stmt* st = d->statement(held);
      ResetOnExit reset{st};
      for (int i = 0; i < written; ++i) detail::bindValue(st, i + 1, d->pending[which[i]]);
      sqlite3_bind_int64(st, written + 1, d->keys[d->pos]);
      if (sqlite3_step(st) != SQLITE_DONE) throw detail::engineError(h, d->context());
      if (sqlite3_changes(h) == 0)
        throw RuntimeError(3167, QStringLiteral("O registro foi excluído (%1)").arg(d->context()));
      d->db->noteWrite(d->tableKey, d->keys[d->pos]);
      // The row now holds what was written, as it was converted for its column.
      if (d->cachedPos == d->pos) {
        for (int c : std::as_const(which)) {
          d->converted[c] = d->pending[c];
          d->isConverted[c] = true;
        }
      }
    }
    d->lastModified = d->pos;
  } else {
    Impl::Held& held = d->shapeOf(d->insertShapes).held;
    if (held.sql.isEmpty()) {
      QString& sql = held.sql;
      sql = QStringLiteral("INSERT INTO ") + d->sqlTable;
      if (written == 0) {
        sql += QStringLiteral(" DEFAULT VALUES");
      } else {
        QStringList cols;
        for (int c : which) cols << d->sqlNames[c];
        sql +=
            QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (");
        for (int i = 0; i < written; ++i)
          sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
        sql += QLatin1Char(')');
      }
    }
    sqlite3_stmt* st = d->statement(held);
    {
      ResetOnExit reset{st};
      for (int i = 0; i < written; ++i) detail::bindValue(st, i + 1, d->pending[which[i]]);
      if (sqlite3_step(st) != SQLITE_DONE) throw detail::engineError(h, d->context());
    }
    const qint64 rowid = sqlite3_last_insert_rowid(h);
    d->db->noteWrite(d->tableKey, rowid);
    // A rowid the table gave out again belonged to a row that has left it.
    if (const int old = d->positionOf(rowid); old >= 0) d->markDeleted(old);
    if (!d->keys.empty() && rowid <= d->keys.back()) d->keysAscending = false;
    const int index = d->count();
    d->keys.push_back(rowid);
    d->flags.push_back(kAdded);
    if (d->byRowidBuilt) d->byRowid.insert(rowid, index);
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
  if (d->deleteSql.isEmpty())
    d->deleteSql = QStringLiteral("DELETE FROM ") + d->sqlTable + QStringLiteral(" WHERE rowid = ?");
  sqlite3_stmt* st = d->statement(d->deleteSql);
  {
    ResetOnExit reset{st};
    sqlite3_bind_int64(st, 1, d->keys[d->pos]);
    if (sqlite3_step(st) != SQLITE_DONE) throw detail::engineError(d->db->handle(), d->context());
  }
  d->db->noteWrite(d->tableKey, d->keys[d->pos]);
  d->markDeleted(d->pos);
  notifyCurrentChanged();
}

// --- search and bookmarks ---------------------------------------------------------------

void Recordset::FindFirst(const QString& criteria) {
  sqlite3* h = d->db->handle();
  d->ensureLoaded();
  int found = -1;
  detail::StoredRow match;
  bool matched = false;
  if (updatable()) {
    // A whole table is in rowid order: the first match that is in the set is the one.
    // Any other order takes the match that comes first in it.
    const bool inOrder = d->plan.wholeTable && d->keysAscending;
    detail::Parameterized p;
    p.sql = d->db->translateSelect(QStringLiteral("SELECT rowid FROM ") +
                                       detail::identifier(table_) + QStringLiteral(" WHERE (") +
                                       criteria + QStringLiteral(")"),
                                   p.values);
    // The match's columns come with it: the row is not looked up a second time.
    const QString head = QStringLiteral("SELECT rowid FROM ");
    const bool withRow = p.sql.startsWith(head);
    if (withRow)
      p.sql.replace(0, head.size(),
                    QStringLiteral("SELECT rowid, ") + d->plan.cols + QStringLiteral(" FROM "));
    if (inOrder) p.sql += QStringLiteral(" ORDER BY rowid");
    sqlite3_stmt* st = d->statement(p.sql);
    ResetOnExit reset{st};
    detail::bindAll(st, p.values);
    const int cols = d->names.size();
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      const int i = d->positionOf(sqlite3_column_int64(st, 0));
      if (i < 0 || d->deleted(i) || (found >= 0 && i > found)) continue;
      found = i;
      if (withRow) match.read(st, cols, 1);
      if (inOrder) break;
    }
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) throw detail::engineError(h, d->context());
    matched = withRow;
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
    for (int i = 0; i < d->count() && found < 0; ++i) {
      sqlite3_reset(st.get());
      for (int c = 0; c < d->names.size(); ++c)
        detail::bindValue(st.get(), c + 1, d->values[i][c]);
      int rc = sqlite3_step(st.get());
      if (rc == SQLITE_ROW)
        found = i;
      else if (rc != SQLITE_DONE)
        throw detail::engineError(h, d->context());
    }
  }
  // The match was read from the table a moment ago: it is there to be made current.
  if (found >= 0 && matched) {
    d->dropPending(mode_);
    d->adopt(found, match);
  } else if (found >= 0) {
    d->dropPending(mode_);
    if (!d->fetch(found)) {
      d->markDeleted(found);
      found = -1;
    }
  }
  noMatch_ = found < 0;
  if (found >= 0) {
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
  d->ensureLoaded();
  if (b < 0 || b >= qint64(d->count()) || d->deleted(int(b)))
    throw RuntimeError(3159, QStringLiteral("Indicador inválido (%1)").arg(d->context()));
  d->dropPending(mode_);
  if (!d->fetch(int(b))) {
    d->markDeleted(int(b));
    throw RuntimeError(3167, QStringLiteral("O registro foi excluído (%1)").arg(d->context()));
  }
  d->land(int(b));
  notifyCurrentChanged();
}

// --- whole-set access for grids ---------------------------------------------------------

int Recordset::size() const {
  d->ensureLoaded();
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
  const int i = live[row];
  if (!d->updatable()) return d->values[i].value(col, Value::null());
  if (i == d->cachedPos) return d->cachedValue(col);
  // Another row is read for the one field, leaving the current row as it is.
  sqlite3_stmt* st = d->statement(d->plan.row);
  ResetOnExit reset{st};
  sqlite3_bind_int64(st, 1, d->keys[i]);
  const int rc = sqlite3_step(st);
  if (rc == SQLITE_ROW) return detail::readColumn(st, col, d->readKinds[col]);
  if (rc != SQLITE_DONE) throw detail::engineError(d->db->handle(), d->context());
  return Value::null();
}

}  // namespace ark::db

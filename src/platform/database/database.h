#pragma once
// Data views over SQLite files: a view names a database file, a connect string and a
// record source (a table name or a SELECT text in the desktop engine's dialect) and keeps
// a recordset with a current row. Every operation commits by itself; there are no
// transactions. Failures raise ark::RuntimeError naming the file and the table.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/core/value.h"

struct sqlite3;
struct sqlite3_stmt;

namespace ark::db {

// The kind of a column, from its declared type.
enum class FieldKind { Text, Long, Double, Currency, DateTime, YesNo, Unknown };
FieldKind kindOfDeclaredType(const QString& declaredType);

// Converts a value written into a column of the given kind, as the desktop engine does
// (pt-BR number texts, day-first date texts, "Sim"/"Verdadeiro"/"True" ...). Null stays
// Null; raises a type mismatch naming `context` when the value cannot be converted.
Value convertForColumn(const Value& v, FieldKind kind, const QString& context);
// The same, also refusing a text longer than `maxLength` characters (0: no limit).
Value convertForColumn(const Value& v, FieldKind kind, const QString& context, int maxLength);

// The kinds of a table's columns by lower-cased name, or null when the table is not known.
// An empty table name asks for the columns of the rows a criteria is tried on when the
// statement names no table.
using TableKinds = std::function<const QHash<QString, FieldKind>*(const QString& table)>;

// The desktop engine's SQL dialect turned into SQLite's: "Delete * from" and date
// literals #mm/dd/yyyy#. Comparisons (=, <>, <, <=, >, >=, Between, In) with a date-time
// column or a date literal compare date values, whatever form the cells hold, and those
// of a text column ignore letter case and accents; an ORDER BY of such a column sorts
// dates by value and texts in dictionary order. Everything else is unchanged; text inside
// quotes is left alone. Without `tables` only the date literals say what is a date.
// The program uses the engine from one thread only: without its locks a per-row commit
// costs about a tenth less. Takes effect only before the engine's first use in the process
// (opening a file calls it); where something else came first the engine keeps its locks.
void configureEngine();

QString translateSql(const QString& jetSql);
QString translateSql(const QString& jetSql, const TableKinds& tables);

// A text value joined into an SQL text or criteria: between single quotes, each quote
// inside doubled. Use it wherever a value is joined into SQL.
QString quoted(const QString& text);
QString quoted(const Value& v);  // Null joins as '' (the text form of Null is empty)

// One database file. Views on one file share it (one connection per file in the process),
// with WAL, synchronous=NORMAL and a busy time-out, and hour(), year(), month(), day()
// registered.
class Database {
 public:
  // The shared database of a file; opened on first use. Raises when it cannot be opened.
  // The program never creates a file: a missing file is an error, and a file that is no
  // database (an empty one too) is refused as it is. A file the user cannot write (or
  // whose folder they cannot write) opens in its own journal mode for reading; writes
  // then fail.
  static std::shared_ptr<Database> open(const QString& path);

  const QString& path() const { return path_; }
  sqlite3* handle() const { return db_; }

  // Runs one action statement (DELETE or UPDATE) in the desktop engine's dialect;
  // committed when it returns.
  void Execute(const QString& statement);

  // translateSql with the kinds of the tables the statement names; `rows` gives those of
  // the columns a criteria is tried on when it names no table.
  QString translate(const QString& jetSql, const QHash<QString, FieldKind>* rows = nullptr);

  // translate() of a SELECT, with the texts and numbers written after its outer FROM
  // taken out as parameters, their values in `values` in order. Texts that differ only in
  // such values are translated once: the translation depends on a value only through
  // whether it reads as a date and whether it has letters, and is made again whenever it
  // does more with one (a date text turned into a date).
  QString translateSelect(const QString& jetSql, std::vector<Value>& values);

  // Forgets the prepared statements and column kinds when the file's tables have changed
  // since they were taken (by this program or another), so that the next opening of a
  // record source meets the tables as they are.
  void checkSchema();
  // The same check as the first statement of a read that goes on: the connection's read
  // stays open until endSchemaRead, so the statements after it share the read. True when
  // the schema had changed (what was known is forgotten and nothing is left open).
  bool schemaChangedAtRead();
  void endSchemaRead();
  // Changes each time checkSchema forgets what it had.
  quint64 schemaEpoch() const { return schemaEpoch_; }
  // Changes whenever a cached statement is finalised: a statement held since the same
  // count is still the one prepared.
  quint64 statementGeneration() const { return statementsDropped_; }

  // Every write through this connection is counted and the last few are kept, by table
  // (lower-cased) and rowid, so that rows read ahead can tell whether this program has
  // changed them since. A rowid of -1 stands for any row, an empty table for any table.
  quint64 writeCount() const { return writes_; }
  void noteWrite(const QString& table, qint64 rowid);
  // The rowids of `table` written since `mark`; false when that cannot be told (too many
  // writes, or one to any row).
  bool rowsWrittenSince(quint64 mark, const QString& table, QVector<qint64>& rowids) const;

  // The declared kind of each column of a table, lower-cased names (cached).
  const QHash<QString, FieldKind>& columnKinds(const QString& table);
  // The declared length of the text columns that have one (VARCHAR(n), CHAR(n)).
  const QHash<QString, int>& columnLengths(const QString& table);

  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

 private:
  explicit Database(QString path, sqlite3* db) : path_(std::move(path)), db_(db) {}
  void loadColumns(const QString& table);
  // A statement prepared once and kept while it is in use; reset, with its bindings
  // cleared, before it is handed out. The least recently used ones are finalised beyond
  // a few dozen, so that a text made for one row does not stay for the whole run. Only
  // the statement asked for last is safe to hold across another call.
  // `context` names the file and table in the error when it cannot be prepared.
  sqlite3_stmt* cachedStatement(const QString& sql, const std::function<QString()>& context);
  QString path_;
  sqlite3* db_ = nullptr;
  // The journal mode the file had before this program put it in WAL ("delete",
  // "truncate", ...); empty when it was WAL already or could not be changed.
  QByteArray ownJournalMode_;
  QHash<QString, QHash<QString, FieldKind>> kinds_;
  QHash<QString, QHash<QString, int>> lengths_;
  struct CachedStatement {
    sqlite3_stmt* st = nullptr;
    quint64 used = 0;
  };
  QHash<QString, CachedStatement> statements_;
  quint64 statementUses_ = 0;
  quint64 statementsDropped_ = 0;
  struct Write {
    QString table;
    qint64 rowid = -1;
  };
  static constexpr int kWritesKept = 16;
  Write recentWrites_[kWritesKept];
  quint64 writes_ = 0;
  sqlite3_stmt* schemaVersion_ = nullptr;
  QHash<QString, QString> selects_;  // by the text's form: the translation, or null
  std::optional<qint64> schema_;
  bool schemaChanged(qint64 version);
  quint64 schemaEpoch_ = 0;
  friend class Recordset;
};

using Bookmark = qint64;

class Recordset;

// Fields(name): reads as a Value, takes a Value by assignment.
class FieldRef {
 public:
  FieldRef(Recordset& rs, QString name) : rs_(rs), name_(std::move(name)) {}
  Value value() const;
  operator Value() const { return value(); }
  FieldRef& operator=(const Value& v);
  FieldRef& operator=(const FieldRef& other) { return *this = other.value(); }

 private:
  Recordset& rs_;
  QString name_;
};

enum class EditMode { None, Edit, AddNew };

// The open rows of a view, in the order of its record source.
class Recordset {
 public:
  // Opens `source` (a table name or a SELECT text) on `db`. `viewName` names the view
  // in errors.
  Recordset(std::shared_ptr<Database> db, const QString& source, const QString& viewName);
  ~Recordset();

  bool Eof() const;  // past the last row, and at once for an empty set
  bool Bof() const;
  void MoveFirst();
  void MoveNext();
  void MoveLast();
  // Rows visited so far: 0 when empty, at least 1 after opening a set with rows, all of
  // them after MoveLast; rows added by AddNew count, deleted ones do not.
  long RecordCount() const;

  FieldRef Fields(const QString& name) { return FieldRef(*this, name); }
  Value field(const QString& name) const;  // Null for a field without a value
  // Writes a field of the row being edited or added (raises without Edit/AddNew).
  // The value is converted to the column's kind at once.
  void setField(const QString& name, const Value& v);

  void Edit();
  void AddNew();
  // Stores the row begun by AddNew or opened by Edit; committed when it returns.
  // A row added joins the end of the set and becomes LastModified.
  void Update();
  void CancelUpdate();
  void Delete();  // the current row, committed at once
  EditMode editMode() const { return mode_; }

  // First row of the set, in its order, meeting the criteria (an SQL WHERE condition).
  void FindFirst(const QString& criteria);
  bool NoMatch() const { return noMatch_; }

  Bookmark LastModified() const;
  Bookmark bookmark() const;
  void setBookmark(Bookmark b);

  bool updatable() const { return !table_.isEmpty(); }
  const QString& table() const { return table_; }
  QStringList fieldNames() const;

  // Whole-set access for grids: every row of the set, visited or not.
  int size() const;
  int currentIndex() const;  // -1 when at EOF/BOF or empty
  void setCurrentIndex(int row);
  Value valueAt(int row, const QString& field) const;

  // Called whenever the current row changes (moves, AddNew, Delete, bookmark).
  void setCurrentChanged(std::function<void()> f) { currentChanged_ = std::move(f); }

 private:
  // `readNext`: the set is read right after, and the look at the schema waits for it.
  void open(std::shared_ptr<Database> db, const QString& source, bool readNext = false);
  void notifyCurrentChanged();
  // The owning view's hooks: current row changed, before and after a row is written.
  void setViewHooks(std::function<void()> changed, std::function<void()> beforeUpdate,
                    std::function<void()> afterUpdate);
  bool hasCurrentRow() const;
  FieldKind writeKind(const QString& field) const;
  std::shared_ptr<Database> sharedDatabase() const;
  struct Row;
  struct Impl;
  std::unique_ptr<Impl> d;
  QString table_;
  EditMode mode_ = EditMode::None;
  bool noMatch_ = false;
  std::function<void()> currentChanged_;
  friend class FieldRef;
  friend class View;
};

// A control bound to a field of a view: it shows the current row's value and carries
// its edit back when the row is written.
struct Binding {
  QString field;
  std::function<void(const Value&)> show;  // the current row's value; Null when none
  std::function<Value()> read;             // the control's value, for Update
  std::function<bool()> dirty;             // an edit not yet written (may be empty)
  std::function<void()> clean;             // the edit has been written (may be empty)
};

// A data control: DatabaseName, Connect, RecordSource and the Recordset.
class View {
 public:
  View(QString name, QString connect, QString recordSource);
  ~View();

  const QString& name() const { return name_; }
  void setDatabaseName(const QString& path) { databaseName_ = path; }
  const QString& databaseName() const { return databaseName_; }
  // The connect string is kept as given; a password in it is accepted and ignored.
  void setConnect(const QString& c) { connect_ = c; }
  const QString& connect() const { return connect_; }
  void setRecordSource(const QString& s) { recordSource_ = s; }
  const QString& recordSource() const { return recordSource_; }

  // (Re)opens the record source: the first row is current (none when empty), changes
  // committed through other views are visible, bound controls show the first row.
  // Edits of bound controls not yet written are written first.
  void Refresh();
  // The same, for a set that is read at once (a look-up): the file is asked fewer times.
  void RefreshToRead();
  // The open recordset; opened on first use.
  Recordset& recordset();
  bool isOpen() const { return rs_ != nullptr; }
  Database& database();

  // Bound controls follow the current row. On Update the bound controls' values go
  // into the row.
  void bind(Binding b);
  // Writes the edits of bound controls that are dirty (Edit, their fields, Update).
  void saveBoundEdits();
  // Bound controls show the current row again, dropping edits not yet written.
  void discardBoundEdits() { showBound(); }
  // Another listener of current-row changes (grids).
  void addCurrentChangedListener(std::function<void()> f);

 private:
  void reopen(bool readNext);
  void showBound();
  void attach();
  void assignBinding(const Binding& b);
  QString name_, connect_, recordSource_, databaseName_;
  std::shared_ptr<Database> db_;
  std::unique_ptr<Recordset> rs_;
  QVector<Binding> bindings_;
  QVector<std::function<void()>> listeners_;
  bool savingBoundEdits_ = false;
  friend class Recordset;
};

}  // namespace ark::db

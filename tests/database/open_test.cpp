// Opening a file: what is no database stays untouched, a file the user cannot write is
// still read, and the engine's failures reach users in Portuguese.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <functional>

#include "db_fixture.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {
namespace {

const char* const kSchedule =
    "CREATE TABLE backup (horabkp DATETIME, nomearquivo VARCHAR(15), origem VARCHAR(259),"
    " destino VARCHAR(259), sobrepoe YESNO);"
    "INSERT INTO backup VALUES ('1899-12-30 22:00:00', 'noite', '/dados', '/bkp', 1),"
    " ('1899-12-30 08:00:00', 'manha', '/dados', '/bkp', 0);";

QByteArray bytesOf(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes, qint64 at = 0) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  ASSERT_TRUE(f.seek(at));
  ASSERT_EQ(f.write(bytes), bytes.size());
}

QStringList besideFiles(const QString& path) {
  QStringList out;
  for (const char* suffix : {"-wal", "-shm", "-journal"})
    if (QFile::exists(path + QLatin1String(suffix))) out << path + QLatin1String(suffix);
  return out;
}

// The message of the run-time error `action` raises; fails the test when it raises none
// or another number.
QString errorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), errors::kDatabase) << e.what();
    return e.message();
  }
  ADD_FAILURE() << "no error";
  return {};
}

std::unique_ptr<View> scheduleView(const QString& path) {
  auto v = std::make_unique<View>(QStringLiteral("bdbkp"), QStringLiteral("Access 2000;"),
                                  QStringLiteral("select * from backup order by horabkp"));
  v->setDatabaseName(path);
  return v;
}

TEST(OpenFile, WhatIsNoDatabaseIsRefusedAndLeftAsItWas) {
  QByteArray badHeader("SQLite format 3", 16);
  badHeader += QByteArray(4080, '\xff');
  const struct {
    const char* name;
    QByteArray bytes;
  } cases[] = {
      {"empty file", QByteArray()},
      {"a text", QByteArray("backup de terça\n")},
      {"the engine's signature over no database", badHeader},
  };
  for (const auto& c : cases) {
    ark::test::TempDir dir;
    const QString path = dir.file(QStringLiteral("backupdovral.mdb"));
    {
      QFile f(path);
      ASSERT_TRUE(f.open(QIODevice::WriteOnly));
      f.write(c.bytes);
    }
    const QString message = errorOf([&] { scheduleView(path)->Refresh(); });
    EXPECT_TRUE(message.startsWith(QStringLiteral("o arquivo não é um banco de dados")))
        << c.name << ": " << message.toStdString();
    EXPECT_TRUE(message.contains(path)) << c.name;
    EXPECT_EQ(bytesOf(path), c.bytes) << c.name;
    EXPECT_EQ(besideFiles(path), QStringList()) << c.name;
  }
}

// The business system opens its file after a job: it finds it in the journal mode it left
// it in, with every row the views wrote and nothing beside it.
TEST(OpenFile, TheFileKeepsItsOwnJournalModeOnceTheLastViewCloses) {
  // Only WAL is kept in the file itself (its header's version bytes); the other modes are
  // each connection's own.
  for (const char* mode : {"delete", "wal"}) {
    SCOPED_TRACE(mode);
    test::DbFile file(QString::fromUtf8(kSchedule));
    file.exec(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(mode)));
    {
      auto view = scheduleView(file.path());
      auto other = scheduleView(file.path());
      view->Refresh();
      other->Refresh();
      view->database().Execute(QStringLiteral("Delete * from backup where nomearquivo = 'manha'"));
      view.reset();
      // Another view still works on the same connection after the first one closed.
      other->recordset().Edit();
      other->recordset().Fields("nomearquivo") = Value("madrugada");
      other->recordset().Update();
    }
    EXPECT_EQ(file.query(QStringLiteral("PRAGMA journal_mode")), QLatin1String(mode));
    EXPECT_EQ(file.query(QStringLiteral("select group_concat(nomearquivo) from backup")),
              QStringLiteral("madrugada"));
    const bool wal = QByteArray(mode) == "wal";
    EXPECT_EQ(bytesOf(file.path()).mid(18, 2), wal ? QByteArray("\2\2") : QByteArray("\1\1"));
    if (!wal) {
      EXPECT_FALSE(QFile::exists(file.path() + QStringLiteral("-wal")));
    }
  }
}

// How the schedule file stands in its folder.
struct ReadOnlyCase {
  const char* name;
  bool wal;           // the file is in WAL mode already (the program opened it before)
  bool fileReadOnly;  // the file itself cannot be written either
};
const ReadOnlyCase kReadOnlyCases[] = {
    {"rollback journal, file writable", false, false},
    {"rollback journal, file read-only", false, true},
    {"WAL, file writable", true, false},
    {"WAL, file read-only", true, true},
};

QString makeSchedule(const QString& folder, const ReadOnlyCase& c) {
  const QString path = folder + QStringLiteral("/backupdovral.mdb");
  test::exec(path, QString::fromUtf8(kSchedule), true);
  if (c.wal) test::exec(path, QStringLiteral("PRAGMA journal_mode=WAL"));
  return path;
}

// The schedule is read; writes fail with a clear error and leave the file as it was.
void expectReadButNotWritten(const QString& path, const char* name) {
  SCOPED_TRACE(name);
  const QByteArray before = bytesOf(path);
  auto view = scheduleView(path);
  ASSERT_NO_THROW(view->Refresh());
  Recordset& rs = view->recordset();
  ASSERT_FALSE(rs.Eof());
  EXPECT_EQ(rs.field("nomearquivo"), Value("manha"));
  rs.MoveNext();
  EXPECT_EQ(rs.field("nomearquivo"), Value("noite"));

  const QString added = errorOf([&] {
    rs.AddNew();
    rs.Fields("nomearquivo") = Value("tarde");
    rs.Update();
  });
  EXPECT_TRUE(added.startsWith(QStringLiteral("o banco de dados está somente para leitura")))
      << added.toStdString();
  EXPECT_TRUE(added.contains(path)) << added.toStdString();
  const QString executed =
      errorOf([&] { view->database().Execute(QStringLiteral("Delete * from backup")); });
  EXPECT_TRUE(executed.startsWith(QStringLiteral("o banco de dados está somente para leitura")))
      << executed.toStdString();
  view.reset();
  EXPECT_EQ(bytesOf(path), before);
}

// Puts permissions back when the test ends, so the folder can be removed.
struct Permissions {
  QString folder, file;
  ~Permissions() {
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
};

TEST(OpenFile, AFolderTheUserCannotWriteIsReadAndWritesAreRefused) {
  for (const ReadOnlyCase& c : kReadOnlyCases) {
    ark::test::TempDir dir;
    const QString folder = dir.mkdir(QStringLiteral("Sistema Vigo #1 ação"));
    const QString path = makeSchedule(folder, c);
    Permissions restore{folder, path};
    const auto readExec = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                          QFile::ReadOther | QFile::ExeOther;
    QFile::setPermissions(path,
                          c.fileReadOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
    QFile::setPermissions(folder, readExec);
    QFile probe(folder + QStringLiteral("/probe"));
    if (probe.open(QIODevice::WriteOnly)) {
      probe.remove();
      GTEST_SKIP() << "folder permissions do not restrict this user (root): the read-only "
                      "folder is covered by AnEmulatedReadOnlyFolderIsReadAndWritesAreRefused";
    }
    expectReadButNotWritten(path, c.name);
    EXPECT_EQ(besideFiles(path), QStringList()) << c.name;
  }
}

// The unix file layer as it behaves in a folder the user cannot write: no journal or WAL
// file can be created beside the database (SQLite's own error for this), and a file
// marked read-only opens for reading only. It holds for any user, root included.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(bool fileReadOnly) {
    real_ = sqlite3_vfs_find(nullptr);
    vfs_ = *real_;
    vfs_.zName = "arkivor-read-only-folder";
    vfs_.pAppData = this;
    vfs_.xOpen = &ReadOnlyFolder::open;
    fileReadOnly_ = fileReadOnly;
    sqlite3_vfs_register(&vfs_, 1);
  }
  ~ReadOnlyFolder() { sqlite3_vfs_unregister(&vfs_); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

 private:
  static int open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* out) {
    auto* self = static_cast<ReadOnlyFolder*>(vfs->pAppData);
    sqlite3_vfs* real = self->real_;
    const int journals = SQLITE_OPEN_MAIN_JOURNAL | SQLITE_OPEN_WAL | SQLITE_OPEN_SUPER_JOURNAL;
    if (name && (flags & journals) && (flags & SQLITE_OPEN_CREATE)) {
      int exists = 0;
      real->xAccess(real, name, SQLITE_ACCESS_EXISTS, &exists);
      if (!exists) {
        file->pMethods = nullptr;
        return SQLITE_READONLY_DIRECTORY;
      }
    }
    if ((flags & SQLITE_OPEN_MAIN_DB) && self->fileReadOnly_) {
      flags &= ~(SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
      flags |= SQLITE_OPEN_READONLY;
    }
    return real->xOpen(real, name, file, flags, out);
  }

  sqlite3_vfs* real_ = nullptr;
  sqlite3_vfs vfs_{};
  bool fileReadOnly_ = false;
};

TEST(OpenFile, AnEmulatedReadOnlyFolderIsReadAndWritesAreRefused) {
  for (const ReadOnlyCase& c : kReadOnlyCases) {
    ark::test::TempDir dir;
    const QString path = makeSchedule(dir.mkdir(QStringLiteral("Sistema Vigo #1 ação")), c);
    {
      ReadOnlyFolder folder(c.fileReadOnly);
      expectReadButNotWritten(path, c.name);
    }
    EXPECT_EQ(test::query(path, QStringLiteral("select count(*) from backup")), "2") << c.name;
    EXPECT_EQ(test::query(path, QStringLiteral("pragma journal_mode")),
              c.wal ? QStringLiteral("wal") : QStringLiteral("delete"))
        << c.name;
  }
}

// A case of the engine's failures: the file is made from kSchedule, `arrange` spoils it or
// holds it, `act` fails on it.
struct EngineCase {
  const char* name;
  std::function<void(const QString& path)> arrange;
  std::function<void(const QString& path)> act;
  const char* expected;  // the Portuguese text the message starts with
  const char* english;   // the engine's text, which must not reach the user
  const char* context;   // a name the message keeps besides the file ("" for none)
};

// Opens a view and reads its first row: a damaged table shows only when it is read.
void openView(const QString& path, const char* source) {
  View v(QStringLiteral("bdbkp"), QString(), QString::fromUtf8(source));
  v.setDatabaseName(path);
  v.Refresh();
  v.recordset().Eof();
}

void execute(const QString& path, const char* statement) {
  Database::open(path)->Execute(QString::fromUtf8(statement));
}

TEST(EngineErrors, ReachUsersInPortugueseNamingWhatWasInvolved) {
  sqlite3* holder = nullptr;
  const EngineCase cases[] = {
      {"missing table in a record source", nullptr,
       [](const QString& p) { openView(p, "select * from pcs"); }, "tabela não encontrada: pcs",
       "no such table", "bdbkp"},
      {"missing table in a statement", nullptr,
       [](const QString& p) { execute(p, "Delete * from pcs"); }, "tabela não encontrada: pcs",
       "no such table", "tabela pcs"},
      {"missing column in a record source", nullptr,
       [](const QString& p) { openView(p, "select x from backup"); }, "campo não encontrado: x",
       "no such column", "bdbkp"},
      {"missing column in a statement", nullptr,
       [](const QString& p) { execute(p, "update backup set x = 1"); }, "campo não encontrado: x",
       "no such column", "tabela backup"},
      {"file held by another program",
       [&](const QString& p) {
         test::exec(p, QStringLiteral("PRAGMA journal_mode=WAL"));
         ASSERT_EQ(sqlite3_open_v2(p.toUtf8().constData(), &holder, SQLITE_OPEN_READWRITE, nullptr),
                   SQLITE_OK);
         ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
       },
       [](const QString& p) {
         auto db = Database::open(p);
         sqlite3_busy_timeout(db->handle(), 0);  // the holder never lets go: do not wait
         db->Execute(QStringLiteral("update backup set sobrepoe = 0"));
       },
       "o banco de dados está em uso por outro programa", "locked", "tabela backup"},
      {"disk full", nullptr,
       [](const QString& p) {
         auto db = Database::open(p);
         sqlite3_exec(db->handle(), "PRAGMA max_page_count = 3", nullptr, nullptr, nullptr);
         db->Execute(QStringLiteral("update backup set origem = printf('%.40000c', 'x')"));
       },
       "disco cheio", "full", "tabela backup"},
      {"damaged table", [](const QString& p) { writeBytes(p, QByteArray(64, '\xff'), 4096); },
       [](const QString& p) { openView(p, "select * from backup"); },
       "o banco de dados está danificado", "malformed", "bdbkp"},
      {"journal that cannot be read",
       [](const QString& p) { QDir().mkdir(p + QStringLiteral("-journal")); },
       [](const QString& p) { openView(p, "backup"); }, "erro de leitura ou gravação no disco",
       "I/O", ""},
      {"WAL file that cannot be opened",
       [](const QString& p) { QDir().mkdir(p + QStringLiteral("-wal")); },
       [](const QString& p) { openView(p, "backup"); },
       "não foi possível abrir o arquivo do banco de dados", "unable", ""},
  };
  for (const EngineCase& c : cases) {
    SCOPED_TRACE(c.name);
    test::DbFile file(QString::fromUtf8(kSchedule));
    if (c.arrange) c.arrange(file.path());
    const QString message = errorOf([&] { c.act(file.path()); });
    EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.expected))) << message.toStdString();
    EXPECT_FALSE(message.contains(QString::fromUtf8(c.english))) << message.toStdString();
    EXPECT_TRUE(message.contains(file.path())) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf8(c.context))) << message.toStdString();
    sqlite3_close(holder);
    holder = nullptr;
  }
}

}  // namespace
}  // namespace ark::db

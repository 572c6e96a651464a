// Views: the file, connect string and record source, shared connections, bound controls.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSet>

#include "db_fixture.h"
#include "platform/core/runtime_error.h"
#include "platform/database/database.h"

namespace ark::db {
namespace {

const char* const kSchedule =
    "CREATE TABLE backup (horabkp DATETIME, nomearquivo VARCHAR(15), origem VARCHAR(259),"
    " destino VARCHAR(259), sobrepoe YESNO);"
    "INSERT INTO backup VALUES ('1899-12-30 22:00:00', 'noite', '/dados', '/bkp', 1),"
    " ('1899-12-30 08:00:00', 'manha', '/dados', '/bkp', 0),"
    " ('1899-12-30 22:00:00', 'noite2', '/docs', '/bkp', 0);";

std::unique_ptr<View> scheduleView(
    const QString& path, const QString& connect = QStringLiteral("Access 2000;pwd=83luas")) {
  auto v = std::make_unique<View>(QStringLiteral("bdbkp"), connect,
                                  QStringLiteral("select * from backup order by horabkp"));
  v->setDatabaseName(path);
  return v;
}

TEST(View, MissingFileRaisesNamingItAndIsNotCreated) {
  ark::test::TempDir dir;
  const QString path = dir.file("backupdovral.mdb");
  auto v = scheduleView(path);
  try {
    v->Refresh();
    FAIL() << "opened a missing file";
  } catch (const RuntimeError& e) {
    EXPECT_TRUE(e.message().contains(path)) << e.what();
  }
  EXPECT_FALSE(QFileInfo::exists(path));
  EXPECT_THROW(Database::open(dir.path()), RuntimeError);  // a folder is no database
}

TEST(View, ConnectStringsWithAndWithoutPasswordShareTheFile) {
  test::DbFile f(QString::fromUtf8(kSchedule), QStringLiteral("backupdovral.mdb"));
  auto withPassword = scheduleView(f.path());
  auto plain = scheduleView(f.path(), QStringLiteral("Access 2000;"));
  EXPECT_EQ(withPassword->connect(), QStringLiteral("Access 2000;pwd=83luas"));
  EXPECT_EQ(&withPassword->database(), &plain->database());
  EXPECT_EQ(withPassword->recordset().RecordCount(), 1);
  EXPECT_EQ(plain->recordset().field("nomearquivo"), Value("manha"));
  // The connection is set up for durability with concurrent readers.
  EXPECT_EQ(f.query("pragma journal_mode"), "wal");
}

TEST(View, EqualTimesAreBothKeptAndListedTogether) {
  test::DbFile f(QString::fromUtf8(kSchedule));
  auto v = scheduleView(f.path());
  Recordset& rs = v->recordset();
  QStringList names;
  for (; !rs.Eof(); rs.MoveNext()) names << rs.field("nomearquivo").text();
  ASSERT_EQ(names.size(), 3);
  EXPECT_EQ(names[0], "manha");
  EXPECT_EQ(QSet<QString>(names.begin() + 1, names.end()), (QSet<QString>{"noite", "noite2"}));
  // The scheduler's selection by hour.
  v->setRecordSource(
      QStringLiteral("Select * from backup where hour(horabkp) = 22 order by horabkp"));
  v->Refresh();
  EXPECT_EQ(v->recordset().field("horabkp"), Value::time(QTime(22, 0)));
  v->recordset().MoveLast();
  EXPECT_EQ(v->recordset().RecordCount(), 2);
}

TEST(View, TwoViewsSeeEachOthersCommitsAfterRefresh) {
  test::DbFile f(QString::fromUtf8(kSchedule));
  auto editor = scheduleView(f.path());
  auto scheduler = scheduleView(f.path());
  scheduler->setRecordSource(QStringLiteral("Select * from backup where hour(horabkp) = 9"));
  scheduler->Refresh();
  EXPECT_TRUE(scheduler->recordset().Eof());

  Recordset& rs = editor->recordset();
  rs.AddNew();
  rs.Fields("horabkp") = Value("09:30:00");
  rs.Fields("nomearquivo") = Value("meio");
  rs.Update();
  scheduler->Refresh();
  ASSERT_FALSE(scheduler->recordset().Eof());
  EXPECT_EQ(scheduler->recordset().field("nomearquivo"), Value("meio"));

  scheduler->recordset().Delete();
  editor->Refresh();
  editor->recordset().MoveLast();
  EXPECT_EQ(editor->recordset().RecordCount(), 3);
  // Refresh keeps the same recordset object, so references stay valid.
  EXPECT_EQ(&editor->recordset(), &rs);
}

// A control: shows what the view gives it, holds what the user typed.
struct Control {
  Value shown;
  Value typed;
  bool changed = false;
  int shows = 0;
  Binding binding(const QString& field) {
    return {field,
            [this](const Value& v) {
              shown = v;
              ++shows;
            },
            [this] { return changed ? typed : shown; }, [this] { return changed; },
            [this] { changed = false; }};
  }
  void type(const Value& v) {
    typed = v;
    changed = true;
  }
};

class BindingTest : public ::testing::Test {
 protected:
  test::DbFile file{QString::fromUtf8(kSchedule)};
  std::unique_ptr<View> view = scheduleView(file.path());
  Control hora, arquivo, sobrepoe;
  void SetUp() override {
    view->bind(hora.binding("horabkp"));
    view->bind(arquivo.binding("nomearquivo"));
    view->bind(sobrepoe.binding("sobrepoe"));
    view->Refresh();
  }
};

TEST_F(BindingTest, ControlsFollowTheCurrentRow) {
  EXPECT_EQ(arquivo.shown, Value("manha"));
  EXPECT_EQ(hora.shown, Value::time(QTime(8, 0)));
  EXPECT_EQ(sobrepoe.shown, Value(false));
  view->recordset().MoveNext();
  EXPECT_TRUE(arquivo.shown == Value("noite") || arquivo.shown == Value("noite2"));
  view->recordset().MoveNext();
  view->recordset().MoveNext();
  EXPECT_TRUE(view->recordset().Eof());
  EXPECT_EQ(arquivo.shown, Value::null());
  int grid = 0;
  view->addCurrentChangedListener([&] { ++grid; });
  view->Refresh();
  EXPECT_EQ(arquivo.shown, Value("manha"));
  EXPECT_EQ(grid, 1);
}

TEST_F(BindingTest, AddNewClearsAndUpdateCarriesTheBoundValues) {
  Recordset& rs = view->recordset();
  rs.AddNew();
  EXPECT_EQ(arquivo.shown, Value::null());
  EXPECT_EQ(hora.shown, Value::null());
  hora.type(Value("23:59:59"));
  arquivo.type(Value("tarde"));
  sobrepoe.type(Value(true));
  rs.Update();
  EXPECT_FALSE(hora.changed);  // written, so clean again
  rs.setBookmark(rs.LastModified());
  EXPECT_EQ(arquivo.shown, Value("tarde"));
  EXPECT_EQ(file.query("select horabkp || '|' || sobrepoe from backup where nomearquivo = 'tarde'"),
            "1899-12-30 23:59:59|1");

  // An Edit through the frame: the controls' values go into the row.
  arquivo.type(Value("tarde2"));
  rs.Edit();
  rs.Update();
  EXPECT_EQ(file.query("select count(*) from backup where nomearquivo = 'tarde2'"), "1");
}

TEST_F(BindingTest, SaveBoundEditsWritesOnlyTheDirtyControls) {
  // Another program changes the row's time; the view still shows the old one.
  file.exec("update backup set horabkp = '1899-12-30 07:00:00' where nomearquivo = 'manha'");
  arquivo.type(Value("cedo"));
  view->saveBoundEdits();
  EXPECT_FALSE(arquivo.changed);
  EXPECT_EQ(
      file.query("select horabkp || '|' || nomearquivo from backup where nomearquivo = 'cedo'"),
      "1899-12-30 07:00:00|cedo");
  view->saveBoundEdits();  // nothing dirty: nothing written, no error
  EXPECT_EQ(file.query("select count(*) from backup"), "3");
}

TEST_F(BindingTest, RefreshWritesPendingBoundEditsFirst) {
  arquivo.type(Value("antes"));
  view->Refresh();
  EXPECT_EQ(file.query("select count(*) from backup where nomearquivo = 'antes'"), "1");
  EXPECT_EQ(arquivo.shown, Value("antes"));  // the first row, as stored
}

TEST_F(BindingTest, AnEditTheColumnRefusesIsReportedAndNotWritten) {
  hora.type(Value("25:00:00"));
  EXPECT_THROW(view->saveBoundEdits(), RuntimeError);
  EXPECT_EQ(view->recordset().editMode(), EditMode::None);
  EXPECT_EQ(file.query("select horabkp from backup where nomearquivo = 'manha'"),
            "1899-12-30 08:00:00");
  // An emptied control leaves no value in a date field.
  hora.type(Value(""));
  view->saveBoundEdits();
  EXPECT_EQ(file.query("select quote(horabkp) from backup where nomearquivo = 'manha'"), "NULL");
}

}  // namespace
}  // namespace ark::db

// The archive window runs one archive from the run parameters, follows the library's
// status lines on its bar and labels, and tells its caller how the run went.
#include "archive/frmprogresso.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <algorithm>

#include "archive/run_parameters.h"
#include "platform/core/clock.h"
#include "platform/core/runtime_error.h"
#include "platform/desktop/controls.h"
#include "support/painted.h"
#include "support/tempdir.h"

// Readable failures.
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

using namespace ark;
using archive::frmprogresso;

namespace {

void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(data);
}

// Every file and folder under `root`, hidden ones too, relative to it.
QStringList treeOf(const QString& root) {
  QStringList out;
  QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) out << it.next().mid(root.size() + 1);
  out.sort();
  return out;
}

class ArchiveWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    src = tmp.mkdir("origem");
    dest = tmp.mkdir("destino/122026");
    writeFile(src + "/a.txt", "primeiro");
    writeFile(src + "/b.txt", QByteArray(5 * 1024 * 1024, 'x'));
    archive::BkpArquivo = "diario";
    archive::BkpOrigem = src;
    archive::BkpDestino = dest;
    archive::BkpSobrepoe = false;
  }
  test::TempDir tmp;
  QString src, dest;
  SettableClock clockNow{QDateTime(QDate(2026, 12, 7), QTime(22, 5, 10))};
  ScopedClock scoped{clockNow};
};

TEST_F(ArchiveWindow, RunsTheArchiveFollowsItsLinesAndUnloads) {
  frmprogresso& w = frmprogresso::instance();
  QList<int> values;
  QStringList files;
  QObject::connect(w.txtZip, &QLineEdit::textChanged, [&] {
    values << w.barra->Value();
    files << w.lblarq->text();
  });
  QPointer<frmprogresso> guard(&w);
  w.exec();

  const frmprogresso::Outcome out = frmprogresso::lastOutcome();
  EXPECT_TRUE(out.written) << out.reason.toStdString();
  EXPECT_EQ(out.archive, dest + "/diario_07122026_2205.zip");
  EXPECT_TRUE(QFile::exists(out.archive));
  EXPECT_FALSE(frmprogresso::exists());
  // Seen after each line's own handler: the bar never goes back and ends full.
  ASSERT_FALSE(values.isEmpty());
  EXPECT_TRUE(std::is_sorted(values.begin(), values.end()));
  EXPECT_EQ(values.last(), 100);
  EXPECT_TRUE(files.contains("a.txt") || files.contains("b.txt"));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(guard.isNull());
}

TEST_F(ArchiveWindow, ShowsThePathsAndTheStatusBeforeTheRun) {
  frmprogresso& w = frmprogresso::instance();
  QString status, origem, destino, data;
  QObject::connect(w.txtZip, &QLineEdit::textChanged, [&] {
    status = w.lblstatus->text();
    origem = w.lblorigem->text();
    destino = w.lbldestino->text();
    data = w.lbldt->text();
  });
  w.exec();
  EXPECT_EQ(status, dest + "/diario_07122026_2205.zip     ");
  EXPECT_EQ(origem, src);
  EXPECT_EQ(destino, dest);
  EXPECT_EQ(data, "07/dez/2026");
}

TEST_F(ArchiveWindow, AFailedRunIsReportedWithItsReason) {
  archive::BkpOrigem = tmp.file("nao-existe");
  archive::BkpSobrepoe = true;
  frmprogresso::instance().exec();
  const frmprogresso::Outcome out = frmprogresso::lastOutcome();
  EXPECT_FALSE(out.written);
  EXPECT_FALSE(out.reason.isEmpty());
  EXPECT_FALSE(QFile::exists(dest + "/diario.zip"));
}

TEST_F(ArchiveWindow, ABaseNameThatIsNotAFileNameOfTheMonthFolderIsRefused) {
  // Folders a separator in the name could reach, so that a run would succeed there.
  tmp.mkdir("extra");
  tmp.mkdir("destino/122026/a");
  const QString separators =
      QString::fromUtf8("O nome do arquivo de backup não pode conter \"/\" nem \"\\\": ");
  const QString dots =
      QString::fromUtf8("O nome do arquivo de backup não pode ser \".\" nem \"..\": ");
  const struct {
    const char* name;
    bool sobrepoe;
    QString reason;
  } cases[] = {
      {"../../extra/x", false, separators + "../../extra/x"},
      {"../../extra/x", true, separators + "../../extra/x"},
      {"a/b", true, separators + "a/b"},
      {"a\\b", false, separators + "a\\b"},
      {"..\\..\\x", true, separators + "..\\..\\x"},
      {"", false, QString::fromUtf8("O nome do arquivo de backup não foi informado")},
      {".", true, dots + "."},
      {"..", false, dots + ".."},
  };
  const QStringList before = treeOf(tmp.path());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    archive::BkpArquivo = QString::fromUtf8(c.name);
    archive::BkpSobrepoe = c.sobrepoe;
    frmprogresso::instance().exec();
    const frmprogresso::Outcome out = frmprogresso::lastOutcome();
    EXPECT_FALSE(out.written);
    EXPECT_EQ(out.reason, c.reason);
    EXPECT_FALSE(frmprogresso::exists());
    EXPECT_EQ(treeOf(tmp.path()), before);
  }

  // A plain name still runs.
  archive::BkpArquivo = "diario";
  frmprogresso::instance().exec();
  EXPECT_TRUE(frmprogresso::lastOutcome().written)
      << frmprogresso::lastOutcome().reason.toStdString();
  EXPECT_TRUE(QFile::exists(dest + "/diario_07122026_2205.zip"));
}

TEST_F(ArchiveWindow, AnErrorRaisedDuringTheRunFailsItAndLeavesTheWindowFreeForTheNext) {
  archive::BkpSobrepoe = true;
  frmprogresso& w = frmprogresso::instance();
  QObject::connect(w.txtZip, &QLineEdit::textChanged, [] { throw RuntimeError(6, "Estouro"); });
  w.exec();
  frmprogresso::Outcome out = frmprogresso::lastOutcome();
  EXPECT_FALSE(out.written);
  EXPECT_EQ(out.reason, "Estouro");
  EXPECT_FALSE(frmprogresso::exists());
  EXPECT_FALSE(QFile::exists(dest + "/diario.zip"));

  frmprogresso::instance().exec();
  out = frmprogresso::lastOutcome();
  EXPECT_TRUE(out.written) << out.reason.toStdString();
  EXPECT_TRUE(QFile::exists(dest + "/diario.zip"));
}

}  // namespace

// A folder of many small files: every line moves the bar and the label, but the window
// paints them a frame at a time, and the full bar of the last line.
TEST_F(ArchiveWindow, ManySmallFilesArePaintedAFrameAtATime) {
  const int n = 1500;
  for (int i = 0; i < n; ++i)
    writeFile(src + QStringLiteral("/p%1.txt").arg(i, 4, 10, QLatin1Char('0')),
              QByteArray(1024, char('a' + i % 26)));
  frmprogresso& w = frmprogresso::instance();
  test::PaintedText arquivo(w.lblarq);
  QList<int> barPainted;
  struct BarWatch : QObject {
    desktop::ProgressBar* bar;
    QList<int>* seen;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (o == bar && e->type() == QEvent::Paint) *seen << bar->Value();
      return false;
    }
  } barWatch;
  barWatch.bar = w.barra;
  barWatch.seen = &barPainted;
  w.barra->installEventFilter(&barWatch);
  int lines = 0;
  QObject::connect(w.txtZip, &QLineEdit::textChanged, [&] { ++lines; });
  QElapsedTimer t;
  t.start();
  w.exec();
  const qint64 ms = t.elapsed();
  ASSERT_TRUE(frmprogresso::lastOutcome().written) << frmprogresso::lastOutcome().reason.toStdString();
  EXPECT_GE(lines, n);
  ASSERT_GE(arquivo.paints(), 1);
  EXPECT_LE(arquivo.paints(), 3 + ms / desktop::PumpPacer::kFrameMs) << ms << " ms";
  EXPECT_TRUE(arquivo.last().startsWith("p") || arquivo.last() == "b.txt") << arquivo.last().toStdString();
  ASSERT_FALSE(barPainted.isEmpty());
  EXPECT_EQ(barPainted.last(), 100);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// On a screen of known size (the offscreen one, 800 x 800) the window sits at its centre
// while it runs, and its captions are drawn whole.
TEST_F(ArchiveWindow, SitsCentredWhileItRuns) {
  frmprogresso& w = frmprogresso::instance();
  QPoint off(99, 99);
  QSize screen;
  QObject::connect(w.txtZip, &QLineEdit::textChanged, [&] {
    off = test::offCentre(&w);
    screen = w.screen()->geometry().size();
  });
  for (QLabel* l : w.findChildren<QLabel*>())
    EXPECT_TRUE(test::textFits(l)) << l->objectName().toStdString();
  w.exec();
  EXPECT_EQ(screen, QSize(800, 800));
  EXPECT_LE(off.manhattanLength(), 1) << off.x() << "," << off.y();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Archive runs over real folders: the archive read back by libzip and by unzip, failing
// runs that must leave the older archive as it was, and the status lines.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zip.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <csignal>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <utility>

#include "archive/operacao_backup.h"
#include "platform/archive/azip.h"
#include "platform/core/runtime_error.h"
#include "support/locked_folder.h"
#include "support/tempdir.h"
#include "zip_readback.h"

// Readable failures (in every file of this test binary, so that all print alike).
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace ark::archive {
namespace {

using namespace readback;

class CompactaPastaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zip::addZIP_SetOpenHook({});
    InicializaZip(&window, &txtZip, [](const QString& m) { ADD_FAILURE() << m.toStdString(); });
    QObject::connect(&txtZip, &QLineEdit::textChanged, [this](const QString& line) {
      lines << line;
      QCoreApplication::processEvents();
      if (onLine) onLine(line);
    });
  }
  void TearDown() override { zip::addZIP_SetOpenHook({}); }

  QWidget window;
  QLineEdit txtZip;
  QStringList lines;
  std::function<void(const QString&)> onLine;
  test::TempDir tmp;
};

TEST_F(CompactaPastaTest, ArchivesTheTopLevelFilesOfTheFolder) {
  const QString origem = tmp.mkdir("origem");
  const QString destino = tmp.mkdir("destino");
  const std::map<QString, QByteArray> files = {
      {"notas.txt", QByteArray("nota fiscal 1\n").repeated(1000)},
      {".oculto", "arquivo oculto"},
      {"relatório ação.dat", randomBytes(300000)},
      {"vazio.txt", ""},
  };
  for (const auto& [name, data] : files) writeFile(origem + "/" + name, data);
  tmp.mkdir("origem/subpasta");
  writeFile(origem + "/subpasta/fora.txt", "não entra");
  // Neither a dangling link nor a pipe is a file to archive (a pipe would never end).
  ASSERT_EQ(symlink("nao-existe", QFile::encodeName(origem + "/ligacao").constData()), 0);
  ASSERT_EQ(mkfifo(QFile::encodeName(origem + "/zz-fila").constData(), 0644), 0);

  const QString arquivo = destino + "/diario.zip";
  CompactaPasta(arquivo, origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  EXPECT_TRUE(RetornoZipMotivo.isEmpty());

  EXPECT_EQ(readArchive(arquivo), files);
  const QString tested = unzipTest(arquivo);
  EXPECT_TRUE(tested.contains("No errors detected")) << tested.toStdString();

  QProcess list;
  list.start("unzip", {"-Z1", arquivo});
  list.waitForFinished(60000);
  QStringList names =
      QString::fromUtf8(list.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
  names.sort();
  EXPECT_EQ(names, QStringList({".oculto", "notas.txt", "relatório ação.dat", "vazio.txt"}));

  // Only the archive in the destination, readable like any new file.
  EXPECT_EQ(entriesOf(destino), QStringList{"diario.zip"});
  struct stat st;
  ASSERT_EQ(stat(QFile::encodeName(arquivo).constData(), &st), 0);
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(CompactaPastaTest, ReplacesAnOlderArchiveAndLeavesItOutWhenInTheSameFolder) {
  const QString pasta = tmp.mkdir("pasta");
  writeFile(pasta + "/a.txt", "primeiro");
  writeFile(pasta + "/b.txt", "segundo");
  const QString arquivo = pasta + "/copia.zip";
  writeFile(arquivo, "arquivo antigo");

  CompactaPasta(arquivo, pasta + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  const std::map<QString, QByteArray> expected = {{"a.txt", "primeiro"}, {"b.txt", "segundo"}};
  EXPECT_EQ(readArchive(arquivo), expected);
  EXPECT_EQ(entriesOf(pasta), QStringList({"a.txt", "b.txt", "copia.zip"}));

  // Again, over the archive just written: still only the two files.
  CompactaPasta(arquivo, pasta + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  EXPECT_EQ(readArchive(arquivo), expected);
  EXPECT_EQ(entriesOf(pasta), QStringList({"a.txt", "b.txt", "copia.zip"}));
}

TEST_F(CompactaPastaTest, FailingRunsLeaveTheOlderArchiveAsItWas) {
  // Each case runs in a fresh folder `base` holding origem/ (a.txt, b.bin) and
  // destino/copia.zip, an older archive.
  struct Case {
    const char* name;
    // Breaks something; false when that cannot be done on this machine.
    std::function<bool(const QString& base)> prepare;
    const char* mask;         // relative to base
    const char* destination;  // folder of the archive, relative to base
    const char* reason;       // the reason begins with it ("%1": base)
    std::function<void(const QString& base)> restore = [](const QString&) {};
  };
  const bool root = geteuid() == 0;
  const auto path = [](const QString& p) { return QFile::encodeName(p); };
  rlimit oldLimit{};
  getrlimit(RLIMIT_FSIZE, &oldLimit);

  const Case cases[] = {
      {"missing source", [](const QString&) { return true; }, "nao-existe/*.*", "destino",
       "Pasta de origem não encontrada: %1/nao-existe"},
      {"source is a file", [](const QString&) { return true; }, "origem/a.txt/*.*", "destino",
       "A origem não é uma pasta: %1/origem/a.txt"},
      {"empty source (a sub-folder only)",
       [](const QString& b) {
         return QFile::remove(b + "/origem/a.txt") && QFile::remove(b + "/origem/b.bin") &&
                QDir(b + "/origem").mkdir("so-subpasta");
       },
       "origem/*.*", "destino", "Nenhum arquivo para compactar em: %1/origem"},
      {"unreadable file",
       [&](const QString& b) { return !root && chmod(path(b + "/origem/b.bin"), 0) == 0; },
       "origem/*.*", "destino", "Não foi possível ler o arquivo: %1/origem/b.bin",
       [&](const QString& b) { chmod(path(b + "/origem/b.bin"), 0644); }},
      {"file that cannot be opened when its turn comes (even for root)",
       [](const QString&) {
         zip::addZIP_SetOpenHook([](const QByteArray& path) {
           if (!path.endsWith("/b.bin")) return;
           unlink(path.constData());
           symlink("b.bin", path.constData());  // a link to itself
         });
         return true;
       },
       "origem/*.*", "destino",
       "Não foi possível ler o arquivo: %1/origem/b.bin (ligação simbólica em ciclo)",
       [](const QString&) { zip::addZIP_SetOpenHook({}); }},
      {"every file gone during the run",
       [](const QString&) {
         zip::addZIP_SetOpenHook([](const QByteArray& path) { unlink(path.constData()); });
         return true;
       },
       "origem/*.*", "destino", "Nenhum arquivo para compactar em: %1/origem",
       [](const QString&) { zip::addZIP_SetOpenHook({}); }},
      {"missing destination folder", [](const QString&) { return true; }, "origem/*.*",
       "nao-existe", "Não foi possível gravar o arquivo: %1/nao-existe/copia.zip"},
      {"unwritable destination folder",
       [&](const QString& b) { return !root && chmod(path(b + "/destino"), 0555) == 0; },
       "origem/*.*", "destino", "Não foi possível gravar o arquivo: %1/destino/copia.zip",
       [&](const QString& b) { chmod(path(b + "/destino"), 0755); }},
      {"disk full while writing",
       [&](const QString&) {
         // Writes fail past 64 KiB, as on a full disk.
         signal(SIGXFSZ, SIG_IGN);
         rlimit small = oldLimit;
         small.rlim_cur = 64 * 1024;
         return setrlimit(RLIMIT_FSIZE, &small) == 0;
       },
       "origem/*.*", "destino", "Não foi possível gravar o arquivo: %1/destino/copia.zip",
       [&](const QString&) { setrlimit(RLIMIT_FSIZE, &oldLimit); }},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const QString base = dir.path();
    const QString origem = dir.mkdir("origem");
    writeFile(origem + "/a.txt", "conteúdo");
    writeFile(origem + "/b.bin", randomBytes(1 << 20));
    const QString destino = dir.mkdir("destino");
    const QByteArray older = randomBytes(2000) + "arquivo anterior";
    writeFile(destino + "/copia.zip", older);
    onLine = nullptr;
    if (!c.prepare(base)) {
      c.restore(base);
      std::cout << "[ SKIPPED  ] " << c.name << ": not possible on this machine\n";
      continue;
    }

    CompactaPasta(base + "/" + c.destination + "/copia.zip", base + "/" + c.mask);
    c.restore(base);
    onLine = nullptr;

    EXPECT_NE(RetornoZip, 0);
    EXPECT_TRUE(RetornoZipMotivo.startsWith(QString::fromUtf8(c.reason).arg(base)))
        << RetornoZipMotivo.toStdString();
    EXPECT_EQ(readFile(destino + "/copia.zip"), older);
    EXPECT_EQ(entriesOf(destino), QStringList{"copia.zip"});
  }
}

TEST_F(CompactaPastaTest, FailureReasonsSayWhyInPortuguese) {
  // Each case in a fresh folder `base` holding origem/ (a.txt, b.bin) and destino/.
  struct Case {
    const char* name;
    QString archive;  // relative to base
    // Breaks something; false when that cannot be done on this machine.
    std::function<bool(const QString& base)> prepare;
    QString reason;  // "%1": base
  };
  std::unique_ptr<test::LockedFolder> locked;
  const QString longName = "destino/" + QString(300, 'n') + ".zip";
  const Case cases[] = {
      {"a folder in the archive's place", "destino/copia.zip",
       [](const QString& b) { return QDir(b + "/destino").mkdir("copia.zip"); },
       "Não foi possível gravar o arquivo: %1/destino/copia.zip (é uma pasta)"},
      {"missing destination folder", "nao-existe/copia.zip", [](const QString&) { return true; },
       "Não foi possível gravar o arquivo: %1/nao-existe/copia.zip (pasta não encontrada)"},
      {"destination is a file", "arquivo/copia.zip",
       [](const QString& b) {
         writeFile(b + "/arquivo", "não é pasta");
         return true;
       },
       "Não foi possível gravar o arquivo: %1/arquivo/copia.zip (não é uma pasta)"},
      {"name too long", longName, [](const QString&) { return true; },
       "Não foi possível gravar o arquivo: %1/" + longName + " (nome longo demais)"},
      {"destination refuses new files", "destino/copia.zip",
       [&](const QString& b) {
         locked = std::make_unique<test::LockedFolder>(b + "/destino");
         return locked->locked();
       },
       "Não foi possível gravar o arquivo: %1/destino/copia.zip (permissão negada)"},
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const QString base = dir.path();
    const QString origem = dir.mkdir("origem");
    writeFile(origem + "/a.txt", "conteúdo");
    writeFile(origem + "/b.bin", randomBytes(1 << 20));
    const QString destino = dir.mkdir("destino");
    onLine = nullptr;
    if (!c.prepare(base)) {
      std::cout << "[ SKIPPED  ] " << c.name << ": not possible on this machine\n";
      locked.reset();
      continue;
    }
    const QStringList before = entriesOf(destino);
    CompactaPasta(base + "/" + c.archive, origem + "/*.*");
    locked.reset();
    onLine = nullptr;

    EXPECT_NE(RetornoZip, 0);
    EXPECT_EQ(RetornoZipMotivo, c.reason.arg(base));
    // No temporary file of the failed run left beside the archive.
    EXPECT_EQ(entriesOf(destino), before);
  }
}

// A forked run into `folder`, ended whatever happens to the test.
struct ChildRun {
  pid_t pid = -1;
  bool reaped = false;
  ~ChildRun() {
    if (pid > 0 && !reaped) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  // Waits for the child to end, or with `stopped` only to stop; the wait status.
  int wait(bool stopped = false) {
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, stopped ? WUNTRACED : 0), pid);
    if (!stopped) reaped = true;
    return status;
  }
};

void startRun(ChildRun& run, const QString& archive, const QString& mask,
              const std::function<void()>& inChild) {
  run.pid = fork();
  ASSERT_GE(run.pid, 0);
  if (run.pid == 0) {
    rlimit none{0, 0};
    setrlimit(RLIMIT_CORE, &none);
    zip::addZIP_SetWindowHandle(nullptr);
    inChild();
    CompactaPasta(archive, mask);
    _exit(RetornoZip == 0 ? 0 : 1);
  }
}

TEST_F(CompactaPastaTest, ARunRemovesWhatKilledRunsLeftButNotWhatARunStillWrites) {
  const QString origem = tmp.mkdir("origem");
  const std::map<QString, QByteArray> files = {{"a.txt", "primeiro"},
                                               {"b.bin", randomBytes(1 << 20)}};
  for (const auto& [name, data] : files) writeFile(origem + "/" + name, data);
  const QString mes = tmp.mkdir("122026");

  // Killed while writing: the process ends on a write past its file size limit, as by a
  // kill, with no clean-up of its own.
  ChildRun killed;
  startRun(killed, mes + "/diario_07122026_2205.zip", origem + "/*.*", [] {
    rlimit small{64 * 1024, 64 * 1024};
    setrlimit(RLIMIT_FSIZE, &small);
    signal(SIGXFSZ, SIG_DFL);
  });
  const int status = killed.wait();
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run was not killed: " << status;
  const QStringList leftovers = entriesOf(mes);
  ASSERT_EQ(leftovers.size(), 1) << leftovers.join(", ").toStdString();
  EXPECT_TRUE(QRegularExpression("^\\.diario_07122026_2205\\.zip\\.[A-Za-z0-9]{6}$")
                  .match(leftovers[0])
                  .hasMatch())
      << leftovers[0].toStdString();

  // Stopped while writing: its temporary is in use.
  ChildRun stopped;
  startRun(stopped, mes + "/diario_07122026_2210.zip", origem + "/*.*", [] {
    zip::addZIP_SetOpenHook([](const QByteArray&) {
      static bool once = false;
      if (!std::exchange(once, true)) raise(SIGSTOP);
    });
  });
  ASSERT_TRUE(WIFSTOPPED(stopped.wait(true)));
  const QStringList inUse =
      entriesOf(mes).filter(QRegularExpression("^\\.diario_07122026_2210\\.zip\\."));
  ASSERT_EQ(inUse.size(), 1) << entriesOf(mes).join(", ").toStdString();

  // The next night's run, of another name, into the same month folder.
  CompactaPasta(mes + "/diario_08122026_2205.zip", origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  EXPECT_EQ(readArchive(mes + "/diario_08122026_2205.zip"), files);
  EXPECT_EQ(entriesOf(mes), QStringList({inUse[0], "diario_08122026_2205.zip"}));

  // The stopped run goes on to its end undisturbed.
  kill(stopped.pid, SIGCONT);
  const int resumed = stopped.wait();
  EXPECT_TRUE(WIFEXITED(resumed) && WEXITSTATUS(resumed) == 0) << resumed;
  EXPECT_EQ(readArchive(mes + "/diario_07122026_2210.zip"), files);
  EXPECT_EQ(entriesOf(mes),
            QStringList({"diario_07122026_2210.zip", "diario_08122026_2205.zip"}));
}

TEST_F(CompactaPastaTest, OnlyLeftoversOfKilledRunsAreRemoved) {
  const QString origem = tmp.mkdir("origem");
  writeFile(origem + "/a.txt", "primeiro");
  const QString destino = tmp.mkdir("destino");
  const QByteArray zipHead("PK\x03\x04 parte de um zip");
  struct Planted {
    const char* name;
    QByteArray content;
    bool removed;
    bool held = false;  // locked, as by the run writing it
  } planted[] = {
      {".diario.zip.Ab12Cd", zipHead, true},  // killed after its first write
      {".diario.zip.x9Y8z7", "", true},       // killed before it
      {".semanal_07122026_2205.zip.Qw12Er", zipHead, true},  // another archive's
      {".diario.zip.Ab12Cd.k3m4n5", zipHead, true},  // libzip's, beside ours (older versions)
      {".mensal.zip.Zx98Cv.t6y7u8", "", true},      // libzip's alone
      {".emuso.zip.Lk12Mn", zipHead, false, true},  // a run is writing it
      {".emuso.zip.Lk12Mn.Op34Qr", zipHead, false},  // libzip's, beside one in use
      {".diario.zip.backup", "minhas anotações", false},  // the form, not the content
      {".diario.zip.PKnota", "PK, mas não um ZIP", false},
      {".diario.zip.Ab12C", zipHead, false},
      {".diario.zip.Ab12Cde", zipHead, false},
      {".diario.zip.Ab-2Cd", zipHead, false},
      {".diario.zip.Ab12Cd.k3m4n", zipHead, false},
      {".diario.zip.Ab12Cd.k3m4n5.p0q9r8", zipHead, false},
      {".diario.zip.Ab12Cd~", zipHead, false},
      {"diario.zip.Ab12Cd", zipHead, false},
      {".diario.zipAb12Cd", zipHead, false},
      {"..zip.Ab12Cd", zipHead, false},
      {".notas.txt.Ab12Cd", zipHead, false},  // no archive's
  };
  std::vector<int> locks;
  for (const Planted& p : planted) {
    writeFile(destino + "/" + p.name, p.content);
    if (!p.held) continue;
    const int fd = open(QFile::encodeName(destino + "/" + p.name).constData(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);
    locks.push_back(fd);
  }
  QDir(destino).mkdir(".diario.zip.Pasta1");  // a folder of the temporaries' form
  ASSERT_EQ(symlink("../origem/a.txt", QFile::encodeName(destino + "/.diario.zip.Link12")), 0);

  CompactaPasta(destino + "/diario.zip", origem + "/*.*");
  for (const int fd : locks) close(fd);
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();

  QStringList expected = {"diario.zip", ".diario.zip.Pasta1", ".diario.zip.Link12"};
  for (const Planted& p : planted) {
    if (!p.removed) expected << p.name;
    if (!p.removed) EXPECT_EQ(readFile(destino + "/" + p.name), p.content) << p.name;
  }
  QStringList found = entriesOf(destino);
  found.sort();
  expected.sort();
  EXPECT_EQ(found, expected);
  EXPECT_EQ(readFile(origem + "/a.txt"), QByteArray("primeiro"));
}

TEST_F(CompactaPastaTest, AnErrorRaisedByTheStatusHandlerEndsTheRunCleanly) {
  const QString origem = tmp.mkdir("origem");
  writeFile(origem + "/a.txt", "primeiro");
  writeFile(origem + "/b.bin", randomBytes(1 << 20));
  const QString destino = tmp.mkdir("destino");
  writeFile(destino + "/copia.zip", "anterior");

  onLine = [](const QString& line) {
    if (CampoArquivo(line) == "b.bin") throw RuntimeError(6, "Estouro");
  };
  EXPECT_THROW(CompactaPasta(destino + "/copia.zip", origem + "/*.*"), RuntimeError);
  EXPECT_EQ(readFile(destino + "/copia.zip"), QByteArray("anterior"));
  EXPECT_EQ(entriesOf(destino), QStringList{"copia.zip"});

  // The library is free again for the next run.
  onLine = nullptr;
  CompactaPasta(destino + "/copia.zip", origem + "/*.*");
  EXPECT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  EXPECT_EQ(readArchive(destino + "/copia.zip").size(), 2u);
}

TEST_F(CompactaPastaTest, StatusLinesReachTheStatusWindow) {
  const QString origem = tmp.mkdir("origem");
  writeFile(origem + "/1-pequeno.txt", "abc");
  writeFile(origem + "/2-grande.bin", randomBytes(10 << 20));
  writeFile(origem + "/3-vazio.txt", "");
  writeFile(origem + "/4-texto.txt", QByteArray("linha de texto\n").repeated(50000));

  // A run started from a handler while one is in progress is refused.
  qint16 nested = -1;
  onLine = [&](const QString&) {
    if (nested == -1) nested = zip::addZIP();
  };
  CompactaPasta(tmp.file("copia.zip"), origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  EXPECT_EQ(nested, zip::kBusy);

  QMap<QString, int> perFile;
  int last = 0;
  for (const QString& line : lines) {
    perFile[CampoArquivo(line)]++;
    const int percent = CampoPercentual(line);
    EXPECT_GE(percent, last) << line.toStdString();
    EXPECT_LE(percent, 100);
    last = percent;
  }
  EXPECT_EQ(last, 100);
  EXPECT_EQ(perFile.keys(),
            QStringList({"1-pequeno.txt", "2-grande.bin", "3-vazio.txt", "4-texto.txt"}));
  // A large file keeps the window painting while it is read.
  EXPECT_GE(perFile["2-grande.bin"], 4);
  // Only the final line says 100.
  ASSERT_FALSE(lines.isEmpty());
  EXPECT_EQ(lines.filter(QRegularExpression("\\|100\\|[0-9]+$")).size(), 1);
  EXPECT_TRUE(lines.last().endsWith(QString("|100|%1").arg(3 + (10 << 20) + 750000 + 4)))
      << lines.last().toStdString();

  // A failed initialisation after this leaves the status window as it was.
  lines.clear();
  QStringList avisos;
  InicializaZip(&window, nullptr, [&](const QString& m) { avisos << m; });
  EXPECT_EQ(avisos.size(), 1);
  onLine = nullptr;
  CompactaPasta(tmp.file("copia.zip"), origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  EXPECT_FALSE(lines.isEmpty());
}

TEST_F(CompactaPastaTest, FileNamesDoNotShiftTheStatusFields) {
  const QString origem = tmp.mkdir("origem");
  const std::map<QString, QByteArray> files = {
      {"nota|fiscal|1.txt", randomBytes(100000)},
      {"relatório %5 %7.txt", randomBytes(100000)},
  };
  for (const auto& [name, data] : files) writeFile(origem + "/" + name, data);
  // A Latin-1 name, as older Windows-made files carry them, is shown as one.
  const QByteArray latin1 = QFile::encodeName(origem) + "/caf\xe9.txt";
  const int fd = open(latin1.constData(), O_WRONLY | O_CREAT, 0644);
  ASSERT_GE(fd, 0);
  close(fd);

  QStringList shown;
  onLine = [&](const QString& line) {
    const qint16 percent = CampoPercentual(line);  // raises on a number beyond 16 bits
    EXPECT_TRUE(percent >= 0 && percent <= 100) << line.toStdString();
    shown << CampoArquivo(line);
  };
  const QString arquivo = tmp.file("copia.zip");
  CompactaPasta(arquivo, origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  unlink(latin1.constData());
  std::map<QString, QByteArray> read = readArchive(arquivo);
  EXPECT_EQ(read.size(), 3u);
  read.erase(QString::fromUtf8("caf\u0398.txt"));  // its byte as libzip reads it, in CP437
  EXPECT_EQ(read, files);
  EXPECT_TRUE(shown.contains(QString::fromUtf8("café.txt")));
  EXPECT_TRUE(shown.contains(QString::fromUtf8("nota\u00a6fiscal\u00a61.txt")));
  EXPECT_TRUE(shown.contains(QString::fromUtf8("relatório %5 %7.txt")));
  EXPECT_EQ(CampoPercentual(lines.last()), 100);
}

}  // namespace
}  // namespace ark::archive

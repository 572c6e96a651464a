// What lands in the archive, read back by unzip and Python's zipfile: names as the file
// system holds them, modes, times, files that vanish during the run, and the same bytes
// from the same files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QThread>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>

#include "archive/operacao_backup.h"
#include "platform/archive/azip.h"
#include "support/tempdir.h"
#include "zip_readback.h"

// Readable failures (in every file of this test binary, so that all print alike).
inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}

namespace ark::archive {
namespace {

using namespace readback;

class ArchiveEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zip::addZIP_SetWindowHandle(nullptr);
    zip::addZIP_SetOpenHook({});
  }
  void TearDown() override { zip::addZIP_SetOpenHook({}); }

  test::TempDir tmp;
};

// Local time under the zone set for the test.
time_t localTime(int y, int mo, int d, int h, int mi, int s) {
  struct tm tm {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

// A time zone for this process and the tools it starts, put back afterwards.
struct Zone {
  explicit Zone(const char* tz) {
    if (const char* was = getenv("TZ")) old = was;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~Zone() {
    if (old.isNull())
      unsetenv("TZ");
    else
      setenv("TZ", old.constData(), 1);
    tzset();
  }
  QByteArray old;
};

// Names that are not UTF-8 are out of QDir's reach: these folders' files go by their bytes.
struct RemovedAtEnd {
  QStringList folders;
  ~RemovedAtEnd() {
    for (const QString& f : folders) {
      for (const QByteArray& name : rawEntriesOf(f)) {
        const QByteArray path = QFile::encodeName(f) + "/" + name;
        unlink(path.constData());
      }
    }
  }
};

QByteArray readRaw(const QByteArray& path) {
  QByteArray data;
  const int fd = open(path.constData(), O_RDONLY);
  if (fd < 0) return data;
  char buf[65536];
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) data.append(buf, n);
  close(fd);
  return data;
}

void setTimes(const QByteArray& path, time_t mtime) {
  const timespec times[2] = {{mtime, 0}, {mtime, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.constData(), times, 0), 0) << path.constData();
}

TEST_F(ArchiveEntriesTest, EntriesKeepNamesModesAndTimesAsOnDisk) {
  const Zone zone("BRT3");  // three hours behind UTC, no summer time
  struct File {
    QByteArray name;  // bytes as the file system holds them
    mode_t mode;
    time_t mtime;
    bool utf8;                 // stored with the UTF-8 flag
    QList<int> dos;            // the DOS date and time stored
    time_t restored;           // the time unzip gives the file back (0: not asked)
  };
  const time_t odd = localTime(2026, 12, 7, 22, 5, 3);
  const time_t early = localTime(1975, 6, 1, 10, 0, 3);
  const File files[] = {
      {"notas.txt", 0644, odd, false, {2026, 12, 7, 22, 5, 4}, odd},
      {"relatório ação.txt", 0600, odd + 1, true, {2026, 12, 7, 22, 5, 4}, odd + 1},
      // Latin-1, as older Windows-made files carry them: two names that must not collide.
      {"caf\xe9.txt", 0755, early, false, {1980, 1, 1, 0, 0, 0}, early},
      // unzip takes 2100 for a leap year, so its own reading of this one is a day late.
      {"caf\xe8.txt", 0640, localTime(2110, 1, 1, 0, 0, 1), false, {2107, 12, 31, 23, 59, 58},
       0},
      {"vazio", 0444, localTime(2038, 6, 1, 12, 0, 0), false, {2038, 6, 1, 12, 0, 0},
       localTime(2038, 6, 1, 12, 0, 0)},
  };
  const QString origem = tmp.mkdir("origem");
  const QString out = tmp.mkdir("restaurado");
  const RemovedAtEnd cleanUp{{origem, out}};
  const QByteArray folder = QFile::encodeName(origem) + "/";
  std::map<QByteArray, QByteArray> contents;
  for (const File& f : files) {
    const QByteArray data = f.name == "vazio" ? QByteArray() : textBytes(3000, f.name.size()) + f.name;
    const int fd = open((folder + f.name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, data.constData(), data.size()), data.size());
    close(fd);
    ASSERT_EQ(chmod((folder + f.name).constData(), f.mode), 0);
    setTimes(folder + f.name, f.mtime);
    contents[f.name] = data;
  }

  const QString arquivo = tmp.file("copia.zip");
  CompactaPasta(arquivo, origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();

  std::map<QByteArray, PyEntry> read;
  for (const PyEntry& e : readWithPython(arquivo)) read[e.name] = e;
  ASSERT_EQ(read.size(), std::size(files));
  for (const File& f : files) {
    SCOPED_TRACE(f.name.toHex().toStdString());
    ASSERT_TRUE(read.count(f.name));
    const PyEntry& e = read[f.name];
    EXPECT_EQ(e.utf8, f.utf8);
    EXPECT_EQ(e.system, 3);
    EXPECT_EQ(e.mode, static_cast<int>(S_IFREG | f.mode));
    EXPECT_EQ(e.dateTime, f.dos);
    EXPECT_EQ(e.sha256, sha256Hex(contents[f.name]));
  }

  ASSERT_TRUE(unzipInto(arquivo, out));
  std::vector<QByteArray> names;
  for (const File& f : files) names.push_back(f.name);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(rawEntriesOf(out), names);
  for (const File& f : files) {
    SCOPED_TRACE(f.name.toHex().toStdString());
    const QByteArray path = QFile::encodeName(out) + "/" + f.name;
    struct stat st;
    ASSERT_EQ(stat(path.constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, f.mode);
    if (f.restored) EXPECT_EQ(st.st_mtime, f.restored);
    EXPECT_EQ(readRaw(path), contents[f.name]);
  }
}

TEST_F(ArchiveEntriesTest, AFileGoneWhenItsTurnComesIsLeftOut) {
  // b.bin is changed just before it is opened; the others are archived as they are.
  struct Case {
    const char* name;
    std::function<void(const QByteArray& path)> change;
  } cases[] = {
      {"deleted", [](const QByteArray& p) { unlink(p.constData()); }},
      {"replaced by a folder",
       [](const QByteArray& p) { unlink(p.constData()), mkdir(p.constData(), 0755); }},
      {"replaced by a pipe",  // opened, it would never end
       [](const QByteArray& p) { unlink(p.constData()), mkfifo(p.constData(), 0644); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test::TempDir dir;
    const QString origem = dir.mkdir("origem");
    const std::map<QString, QByteArray> kept = {{"a.txt", textBytes(200000)},
                                                {"c.txt", "terceiro"}};
    for (const auto& [name, data] : kept) writeFile(origem + "/" + name, data);
    writeFile(origem + "/b.bin", randomBytes(3 << 20));
    zip::addZIP_SetOpenHook([&c](const QByteArray& path) {
      if (path.endsWith("/b.bin")) c.change(path);
    });

    const QString arquivo = dir.file("copia.zip");
    CompactaPasta(arquivo, origem + "/*.*");
    zip::addZIP_SetOpenHook({});
    ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
    EXPECT_TRUE(RetornoZipMotivo.isEmpty());
    EXPECT_EQ(readArchive(arquivo), kept);
    const std::vector<PyEntry> read = readWithPython(arquivo);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].sha256, sha256Hex(kept.at("a.txt")));
    EXPECT_EQ(read[1].sha256, sha256Hex(kept.at("c.txt")));
  }
}

TEST_F(ArchiveEntriesTest, SameFilesGiveTheSameBytesWhateverTheThreadsDo) {
  // Sizes around the blocks large files are cut into, text and random data.
  const QString origem = tmp.mkdir("origem");
  std::map<QString, QByteArray> files;
  const qint64 mib = 1 << 20;
  const qint64 sizes[] = {0, 1, mib - 1, mib, mib + 1, 2 * mib, 5 * mib + 123};
  quint32 seed = 1;
  for (const qint64 size : sizes) {
    files[QString("texto-%1.txt").arg(size)] = textBytes(size, seed++);
    files[QString("dados-%1.bin").arg(size)] = randomBytes(size, seed++);
  }
  files["grande.txt"] = textBytes(24 * mib, seed++);
  for (const auto& [name, data] : files) writeFile(origem + "/" + name, data);

  // The second run's reader stalls now and then, so the blocks finish in another order.
  const QString first = tmp.file("primeiro.zip");
  const QString second = tmp.file("segundo.zip");
  CompactaPasta(first, origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  int opened = 0;
  zip::addZIP_SetOpenHook([&opened](const QByteArray&) {
    if (++opened % 3 == 0) QThread::msleep(30);
  });
  CompactaPasta(second, origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();

  EXPECT_TRUE(readFile(first) == readFile(second));
  EXPECT_EQ(readArchive(first), files);
  const QString tested = unzipTest(first);
  EXPECT_TRUE(tested.contains("No errors detected")) << tested.toStdString();
  const std::vector<PyEntry> read = readWithPython(first);
  ASSERT_EQ(read.size(), files.size());
  for (const PyEntry& e : read) {
    SCOPED_TRACE(e.name.toStdString());
    EXPECT_EQ(e.sha256, sha256Hex(files[QString::fromUtf8(e.name)]));
    // Stored when deflate would not make it smaller, as zip does.
    if (e.size == 0 || (e.name.startsWith("dados-") && e.size < mib)) EXPECT_EQ(e.method, 0);
    if (e.name.startsWith("texto-") && e.size > 1000) EXPECT_EQ(e.method, 8);
  }
}

}  // namespace
}  // namespace ark::archive

// Archives past the classic ZIP limits (4 GiB, 65 535 entries), read back by Python's
// zipfile. They load every core for a while, so they run alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

#include "archive/operacao_backup.h"
#include "platform/archive/azip.h"
#include "support/tempdir.h"
#include "zip_readback.h"

namespace ark::archive {
namespace {

using namespace readback;

class LargeArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zip::addZIP_SetWindowHandle(nullptr);
    zip::addZIP_SetOpenHook({});
  }

  test::TempDir tmp;
};

// Archives the folder and reads it back with zipfile: every file, at its size (with
// `contents`, read whole, which checks each CRC).
void archiveAndReadBack(const QString& origem, const QString& arquivo, bool contents) {
  CompactaPasta(arquivo, origem + "/*.*");
  ASSERT_EQ(RetornoZip, 0) << RetornoZipMotivo.toStdString();
  std::map<QByteArray, qint64> sizes;
  for (const QString& name : QDir(origem).entryList(QDir::Files))
    sizes[QFile::encodeName(name)] = QFileInfo(origem + "/" + name).size();
  const std::vector<PyEntry> read = readWithPython(arquivo, contents);
  ASSERT_EQ(read.size(), sizes.size());
  for (const PyEntry& e : read) EXPECT_EQ(e.size, sizes[e.name]) << e.name.constData();
}

TEST_F(LargeArchiveTest, AFileOver4GiBIsArchivedWhole) {
  // Sparse, so it costs no disk; a file after it, at an offset found through it. Where
  // there is a memory file system, the file lies there: its holes read without filling
  // 4 GiB of page cache.
  QTemporaryDir shm("/dev/shm/arkivor-test-XXXXXX");
  const QString origem = shm.isValid() ? shm.path() : tmp.mkdir("origem");
  const QByteArray path = QFile::encodeName(origem + "/banco.db");
  writeFile(origem + "/banco.db", "início");
  ASSERT_EQ(truncate(path.constData(), (4LL << 30) + 12345), 0);
  const int fd = open(path.constData(), O_WRONLY);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(pwrite(fd, "fim", 3, (4LL << 30) + 12342), 3);
  close(fd);
  writeFile(origem + "/depois.txt", "depois do grande");
  archiveAndReadBack(origem, tmp.file("copia.zip"), true);
}

TEST_F(LargeArchiveTest, MoreThan65535FilesAreAllListed) {
  // A folder of invoices kept for years.
  const QString origem = tmp.mkdir("origem");
  for (int i = 0; i < 65600; ++i) {
    const QByteArray path = QFile::encodeName(origem) + "/nf" + QByteArray::number(i);
    const int fd = open(path.constData(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    if (i % 1000 == 0) ASSERT_EQ(write(fd, "x", 1), 1);
    close(fd);
  }
  archiveAndReadBack(origem, tmp.file("copia.zip"), false);
}

}  // namespace
}  // namespace ark::archive

// The autostart value as the machine-wide XDG autostart entry.
#include "platform/desktop/registry.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "support/tempdir.h"

namespace ark::desktop {
namespace {

// Points XDG_CONFIG_DIRS at a temporary folder for one test.
class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = qgetenv("XDG_CONFIG_DIRS");
    hadValue_ = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
    qputenv("XDG_CONFIG_DIRS", (dir_.file("xdg") + ":" + dir_.file("other")).toLocal8Bit());
  }
  void TearDown() override {
    if (hadValue_)
      qputenv("XDG_CONFIG_DIRS", saved_);
    else
      qunsetenv("XDG_CONFIG_DIRS");
  }
  QString entryPath() const { return dir_.file("xdg/autostart/SALVIX.desktop"); }
  QString read(const QString& path) const {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
  }
  void save(const QString& program) {
    SaveRegString(HKEY_LOCAL_MACHINE, kRunKey, QStringLiteral("SALVIX"), program);
  }
  test::TempDir dir_;
  QByteArray saved_;
  bool hadValue_ = false;
};

TEST_F(AutostartTest, WritesTheEntryInTheFirstConfigFolderAndOverwritesIt) {
  save(QStringLiteral("/opt/arkivor/SALVIX"));
  EXPECT_EQ(read(entryPath()), QStringLiteral("[Desktop Entry]\nType=Application\nName=SALVIX\n"
                                              "Exec=/opt/arkivor/SALVIX\n"));
  EXPECT_FALSE(QDir(dir_.file("other")).exists());
  EXPECT_EQ(
      QFile(entryPath()).permissions() & (QFile::ReadOther | QFile::WriteOther | QFile::WriteGroup),
      QFile::ReadOther);

  save(QStringLiteral("/Arquivos de Programas/Dovral Backup/SALVIX"));
  EXPECT_TRUE(
      read(entryPath())
          .contains(QStringLiteral("\nExec=\"/Arquivos de Programas/Dovral Backup/SALVIX\"\n")));
  EXPECT_EQ(QDir(dir_.file("xdg/autostart")).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

TEST_F(AutostartTest, ExecLineQuotesAndEscapesAsTheEntryFormatNeeds) {
  struct Case {
    const char* program;
    const char* exec;
  } cases[] = {
      {"/opt/a/SALVIX", "/opt/a/SALVIX"},
      {"/a b/SALVIX", "\"/a b/SALVIX\""},
      {"/a$b/100%/SALVIX", "\"/a\\\\$b/100%%/SALVIX\""},
      {"/a\"q/SALVIX", "\"/a\\\\\"q/SALVIX\""},
      {"/a\nType=Evil", "\"/a\\nType=Evil\""},  // stays one line
  };
  for (const Case& c : cases) {
    const QString entry = autostartEntry(QStringLiteral("SALVIX"), QString::fromUtf8(c.program));
    EXPECT_TRUE(entry.endsWith(QStringLiteral("\nExec=") + QString::fromUtf8(c.exec) + "\n"))
        << c.program << " -> " << entry.toStdString();
    EXPECT_EQ(entry.count('\n'), 4) << c.program;
  }
}

TEST_F(AutostartTest, FailureIsSilent) {
  // The config folder is a file: the autostart folder cannot be made.
  QFile blocker(dir_.file("xdg"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  EXPECT_NO_THROW(save(QStringLiteral("/opt/arkivor/SALVIX")));
  EXPECT_FALSE(QFile::exists(entryPath()));
}

TEST_F(AutostartTest, OtherKeysAndUnsafeNamesWriteNothing) {
  SaveRegString(HKEY_CURRENT_USER, kRunKey, QStringLiteral("SALVIX"), QStringLiteral("/x"));
  SaveRegString(HKEY_LOCAL_MACHINE, QStringLiteral("SOFTWARE\\Outra"), QStringLiteral("SALVIX"),
                QStringLiteral("/x"));
  SaveRegString(HKEY_LOCAL_MACHINE, kRunKey, QStringLiteral("../SALVIX"), QStringLiteral("/x"));
  EXPECT_FALSE(QDir(dir_.file("xdg/autostart")).exists() &&
               !QDir(dir_.file("xdg/autostart")).entryList(QDir::Files).isEmpty());
  EXPECT_FALSE(QFile::exists(dir_.file("xdg/SALVIX.desktop")));
  // The key is matched as the registry does: whatever the case, with a final "\".
  SaveRegString(HKEY_LOCAL_MACHINE, kRunKey.toLower() + "\\", QStringLiteral("SALVIX"),
                QStringLiteral("/x"));
  EXPECT_TRUE(QFile::exists(entryPath()));
}

TEST(Autostart, FolderIsTheFirstAbsoluteConfigFolderOrEtcXdg) {
  const QByteArray saved = qgetenv("XDG_CONFIG_DIRS");
  const bool had = qEnvironmentVariableIsSet("XDG_CONFIG_DIRS");
  // A relative entry is no folder of the machine: passed over.
  struct Case {
    const char* dirs;  // nullptr: not set
    const char* folder;
  } cases[] = {
      {nullptr, "/etc/xdg/autostart"}, {"", "/etc/xdg/autostart"},
      {"/a:/b", "/a/autostart"},       {":/b", "/b/autostart"},
      {"rel/xdg:/b", "/b/autostart"},  {"rel", "/etc/xdg/autostart"},
  };
  for (const Case& c : cases) {
    if (c.dirs)
      qputenv("XDG_CONFIG_DIRS", c.dirs);
    else
      qunsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(autostartFolder(), QString::fromUtf8(c.folder)) << (c.dirs ? c.dirs : "(unset)");
  }
  if (had)
    qputenv("XDG_CONFIG_DIRS", saved);
  else
    qunsetenv("XDG_CONFIG_DIRS");
}

}  // namespace
}  // namespace ark::desktop

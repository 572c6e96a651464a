#pragma once
// A folder that refuses new entries while this lives: by its mode, or for root (whom modes
// do not stop) by the immutable flag. `locked()` is false when neither works here.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace ark::test {

class LockedFolder {
 public:
  explicit LockedFolder(const QString& path) : path_(QFile::encodeName(path)) {
    locked_ = set(true);
  }
  ~LockedFolder() {
    if (locked_) set(false);
  }
  LockedFolder(const LockedFolder&) = delete;
  LockedFolder& operator=(const LockedFolder&) = delete;
  bool locked() const { return locked_; }

 private:
  bool set(bool on) {
    if (geteuid() != 0) return chmod(path_.constData(), on ? 0555 : 0755) == 0;
    const int fd = open(path_.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return false;
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
      flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
      ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
  }
  QByteArray path_;
  bool locked_ = false;
};

}  // namespace ark::test

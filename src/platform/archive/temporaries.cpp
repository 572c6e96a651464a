#include "platform/archive/temporaries.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace ark::zip {
namespace {

constexpr int kRandom = 6;  // mkstemp's letters and digits
constexpr int kAttempts = 16;

bool isRandomPart(const QByteArray& part) {
  return part.size() == kRandom && std::all_of(part.begin(), part.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
         });
}

// ".<archive>.zip.XXXXXX" with a non-empty archive name.
bool isTempName(const QByteArray& entry) {
  const qsizetype suffix = 5 + kRandom;  // ".zip." and the random part
  if (entry.size() < 1 + 1 + suffix || !entry.startsWith('.')) return false;
  const QByteArray tail = entry.right(suffix);
  return tail.startsWith(".zip.") && isRandomPart(tail.mid(5));
}

// libzip's, beside one of ours: ".<archive>.zip.XXXXXX.XXXXXX".
bool isLibzipTempName(const QByteArray& entry) {
  return entry.size() > kRandom + 1 && entry[entry.size() - kRandom - 1] == '.' &&
         isRandomPart(entry.right(kRandom)) && isTempName(entry.left(entry.size() - kRandom - 1));
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Takes the lock when nobody holds it. A file system that cannot lock tells nothing, so
// the file counts as held.
bool lockIfFree(int fd) {
  int r;
  do {
    r = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

int openEntry(int dirFd, const QByteArray& name) {
  return ::openat(dirFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
}

// An archive being written starts with a local header; a temporary killed before its
// first write is empty.
bool looksLikeArchive(int fd, const struct stat& st) {
  if (st.st_size == 0) return true;
  char head[4];
  return ::pread(fd, head, 4, 0) == 4 && head[0] == 'P' && head[1] == 'K' && head[2] == 3 &&
         head[3] == 4;
}

void removeIfLeftOver(int dirFd, const QByteArray& name) {
  const int fd = openEntry(dirFd, name);
  if (fd < 0) return;
  struct stat st, now;
  // Held while we look: the name must still be this file when it is removed.
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && lockIfFree(fd) && looksLikeArchive(fd, st) &&
      ::fstatat(dirFd, name.constData(), &now, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(st, now))
    ::unlinkat(dirFd, name.constData(), 0);
  ::close(fd);
}

bool heldByARun(int dirFd, const QByteArray& name) {
  const int fd = openEntry(dirFd, name);
  if (fd < 0) return false;
  const bool held = !lockIfFree(fd);
  ::close(fd);
  return held;
}

}  // namespace

LockedTemp createLockedTemp(const QByteArray& folder, const QByteArray& name) {
  LockedTemp t;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    QByteArray path = folder + (folder.endsWith('/') ? "." : "/.") + name + "." +
                      QByteArray(kRandom, 'X');
    const int fd = ::mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0) {
      t.error = errno;
      return t;
    }
    int r;
    do {
      r = ::flock(fd, LOCK_EX);
    } while (r != 0 && errno == EINTR);
    // Another run's clean-up may have taken it between its creation and the lock.
    struct stat mine, named;
    if (::fstat(fd, &mine) == 0 && ::stat(path.constData(), &named) == 0 && sameFile(mine, named)) {
      t.fd = fd;
      t.path = path;
      return t;
    }
    ::close(fd);
  }
  t.error = EEXIST;
  return t;
}

void removeLeftovers(const QByteArray& folder) {
  DIR* dir = ::opendir(folder.constData());
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  std::vector<QByteArray> ours, libzips;
  while (const dirent* d = ::readdir(dir)) {
    const QByteArray entry(d->d_name);
    if (isTempName(entry))
      ours.push_back(entry);
    else if (isLibzipTempName(entry))
      libzips.push_back(entry);
  }
  // libzip's first, while the lock on the temporary they belong to can still be asked.
  for (const QByteArray& entry : libzips) {
    if (!heldByARun(dirFd, entry.left(entry.size() - kRandom - 1)))
      removeIfLeftOver(dirFd, entry);
  }
  for (const QByteArray& entry : ours) removeIfLeftOver(dirFd, entry);
  ::closedir(dir);
}

}  // namespace ark::zip

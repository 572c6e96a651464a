#include "platform/archive/azip.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <utility>
#include <vector>

#include "platform/archive/system_reason.h"

namespace ark::zip {
namespace {

constexpr qint64 kReadChunk = 1 << 20;  // bytes per read(2) from a source file
constexpr qint64 kLineEvery = 4 << 20;  // a status line at least this often
constexpr qint64 kFileUnit = 1;         // weight of a file itself in the percent

struct State {
  QPointer<QObject> parent;
  QPointer<QObject> unzipParent;
  QPointer<QObject> status;
  QPointer<QObject> unzipStatus;
  int level = 6;
  QStringList masks;
  QString archive;
  QString lastError;
  bool running = false;
};

State& state() {
  static State s;
  return s;
}

QString readFailure(const QString& path, int err) {
  return withSystemReason(QStringLiteral("Não foi possível ler o arquivo: %1").arg(path), err,
                          true);
}

QString writeFailure(const QString& path, int err) {
  return withSystemReason(QStringLiteral("Não foi possível gravar o arquivo: %1").arg(path), err);
}

struct Entry {
  QByteArray path;  // as the file system spells it
  QString shownPath;
  QString name;  // stored in the archive, without folder
  qint64 size = 0;
  time_t mtime = 0;
};

// One addZIP call: the files, the progress count and the first failure.
struct Run {
  std::vector<Entry> entries;
  QPointer<QObject> status;
  qint64 unitsTotal = 0;
  qint64 unitsDone = 0;
  int lastPercent = 0;
  QString error;
  qint16 code = kOk;
  std::exception_ptr raised;

  void fail(qint16 c, const QString& why) {
    if (code == kOk) {
      code = c;
      error = why;
    }
  }

  int overallPercent(bool finished) {
    int p = 100;
    if (!finished) {
      p = unitsTotal > 0 ? static_cast<int>(unitsDone * 100 / unitsTotal) : 0;
      p = std::min(p, 99);  // 100 only once the archive is in place
    }
    lastPercent = std::max(lastPercent, p);
    return lastPercent;
  }

  void line(const QString& action, int index, qint64 fileDone, bool fileRead = false,
            bool finished = false) {
    if (!status) return;
    const Entry& e = entries[index];
    const int filePercent =
        fileRead     ? 100
        : e.size > 0 ? static_cast<int>(std::min<qint64>(fileDone, e.size) * 100 / e.size)
                     : 0;
    // A "|" in a file name (allowed here, not on Windows) would shift the fields after it;
    // joined, not arg()-chained, so a "%5" in a name is not taken for a field either.
    QString shownName = e.name;
    shownName.replace(QLatin1Char('|'), QChar(0x00A6));
    const QString text = QStringList{QStringLiteral("ZIP"),
                                     action,
                                     QString::number(index + 1),
                                     shownName,
                                     QString::number(e.size),
                                     QString::number(filePercent),
                                     QString::number(overallPercent(finished)),
                                     QString::number(unitsDone)}
                             .join(QLatin1Char('|'));
    status->setProperty("text", text);
  }
};

// A libzip source that reads one file in large chunks and reports progress as it is read
// (libzip reads its sources inside zip_close).
struct FileSource {
  Run* run;
  int index;
  int fd = -1;
  qint64 position = 0;  // bytes handed to libzip
  qint64 counted = 0;   // bytes already counted in the run's progress
  qint64 nextLine = 0;
  bool ended = false;
  std::unique_ptr<char[]> buffer;
  qint64 bufferStart = 0;
  qint64 bufferLength = 0;
  zip_error_t error;

  FileSource(Run* r, int i) : run(r), index(i) { zip_error_init(&error); }
  ~FileSource() {
    if (fd >= 0) ::close(fd);
    zip_error_fini(&error);
  }

  const Entry& entry() const { return run->entries[index]; }

  void advance(qint64 to) {
    if (to > counted) {
      run->unitsDone += to - counted;
      counted = to;
    }
  }

  zip_int64_t open() {
    fd = ::open(entry().path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      const int err = errno;
      zip_error_set(&error, ZIP_ER_OPEN, err);
      run->fail(kReadError, readFailure(entry().shownPath, err));
      return -1;
    }
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    position = 0;
    bufferLength = 0;
    nextLine = kLineEvery;
    run->line(QStringLiteral("Compactando"), index, 0);
    return 0;
  }

  zip_int64_t read(void* data, zip_uint64_t len) {
    if (bufferLength == 0) {
      if (!buffer) buffer.reset(new char[kReadChunk]);
      ssize_t n;
      do {
        n = ::read(fd, buffer.get(), kReadChunk);
      } while (n < 0 && errno == EINTR);
      if (n < 0) {
        const int err = errno;
        zip_error_set(&error, ZIP_ER_READ, err);
        run->fail(kReadError, readFailure(entry().shownPath, err));
        return -1;
      }
      if (n == 0) {
        if (!ended) {
          ended = true;
          advance(position + kFileUnit);
          run->line(QStringLiteral("Compactando"), index, position, true);
        }
        return 0;
      }
      bufferStart = 0;
      bufferLength = n;
    }
    const qint64 n = std::min<qint64>(static_cast<qint64>(len), bufferLength);
    memcpy(data, buffer.get() + bufferStart, n);
    bufferStart += n;
    bufferLength -= n;
    position += n;
    advance(position);
    if (position >= nextLine) {
      nextLine = position + kLineEvery;
      run->line(QStringLiteral("Compactando"), index, position);
    }
    return n;
  }

  zip_int64_t stat(void* data, zip_uint64_t len) {
    zip_stat_t* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, len, &error);
    if (!st) return -1;
    zip_stat_init(st);
    st->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
    st->size = static_cast<zip_uint64_t>(entry().size);
    st->mtime = entry().mtime;
    return sizeof(*st);
  }

  static zip_int64_t callback(void* user, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* self = static_cast<FileSource*>(user);
    try {
      switch (cmd) {
        case ZIP_SOURCE_OPEN:
          return self->open();
        case ZIP_SOURCE_READ:
          return self->read(data, len);
        case ZIP_SOURCE_CLOSE:
          if (self->fd >= 0) ::close(self->fd);
          self->fd = -1;
          return 0;
        case ZIP_SOURCE_STAT:
          return self->stat(data, len);
        case ZIP_SOURCE_ERROR:
          return zip_error_to_data(&self->error, data, len);
        case ZIP_SOURCE_FREE:
          delete self;
          return 0;
        case ZIP_SOURCE_SUPPORTS:
          return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                                ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                                -1);
        default:
          zip_error_set(&self->error, ZIP_ER_OPNOTSUPP, 0);
          return -1;
      }
    } catch (...) {
      // Nothing may unwind through libzip's C frames: keep it for after the clean-up.
      if (!self->run->raised) self->run->raised = std::current_exception();
      self->run->fail(kReadError, QStringLiteral("Compactação interrompida"));
      zip_error_set(&self->error, ZIP_ER_CANCELLED, 0);
      return -1;
    }
  }
};

QString folderOf(const QString& path) {
  const int cut = path.lastIndexOf(QLatin1Char('/'));
  if (cut < 0) return QStringLiteral(".");
  if (cut == 0) return QStringLiteral("/");
  return path.left(cut);
}

// Temporary names beside an archive: ours, "." + the archive's name + "." + six letters or
// digits (mkstemp), and libzip's own for that one, which adds "." + six more.
constexpr int kTempRandom = 6;

QByteArray tempTemplate(const QByteArray& folder, const QByteArray& name) {
  return folder + "/." + name + "." + QByteArray(kTempRandom, 'X');
}

bool isRandomPart(const QByteArray& part) {
  return part.size() == kTempRandom && std::all_of(part.begin(), part.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
         });
}

bool isTempNameOf(const QByteArray& entry, const QByteArray& name) {
  const QByteArray prefix = "." + name + ".";
  if (!entry.startsWith(prefix)) return false;
  const QByteArray rest = entry.mid(prefix.size());
  if (rest.size() == kTempRandom) return isRandomPart(rest);
  return rest.size() == 2 * kTempRandom + 1 && rest[kTempRandom] == '.' &&
         isRandomPart(rest.left(kTempRandom)) && isRandomPart(rest.mid(kTempRandom + 1));
}

// Either temporary is empty or a ZIP being (or having been) written; anything else of a
// matching name is someone else's file.
bool looksLikeOurTemp(int dirFd, const char* name) {
  struct stat st;
  if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_size == 0) return true;
  const int fd = ::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  char head[2];
  const bool zip = ::read(fd, head, 2) == 2 && head[0] == 'P' && head[1] == 'K';
  ::close(fd);
  return zip;
}

// Temporaries of this archive left by a run that never ended (the process was killed).
// Best effort: one that cannot be removed does not stop the run.
void removeLeftovers(const QString& target) {
  const QByteArray path = QFile::encodeName(target);
  const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
  if (name.isEmpty()) return;
  DIR* dir = ::opendir(QFile::encodeName(folderOf(target)).constData());
  if (!dir) return;
  std::vector<QByteArray> found;
  while (const dirent* d = ::readdir(dir)) {
    const QByteArray entry(d->d_name);
    if (isTempNameOf(entry, name) && looksLikeOurTemp(::dirfd(dir), d->d_name))
      found.push_back(entry);
  }
  for (const QByteArray& entry : found) ::unlinkat(::dirfd(dir), entry.constData(), 0);
  ::closedir(dir);
}

// Lists the regular files matching one mask into the run; false (with the run's failure
// set) when the folder cannot be read.
bool listMask(Run& run, const QString& mask, const struct stat* archive) {
  const int cut = mask.lastIndexOf(QLatin1Char('/'));
  const QString folder = folderOf(mask);
  const QString pattern = mask.mid(cut + 1);
  const bool all = pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
  const QRegularExpression wildcard =
      all ? QRegularExpression() : QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);

  const QByteArray folderBytes = QFile::encodeName(folder);
  struct stat fst;
  if (::stat(folderBytes.constData(), &fst) != 0 || !S_ISDIR(fst.st_mode)) {
    run.fail(kSourceNotFound, QStringLiteral("Pasta de origem não encontrada: %1").arg(folder));
    return false;
  }
  DIR* dir = ::opendir(folderBytes.constData());
  if (!dir) {
    run.fail(kReadError,
             withSystemReason(
                 QStringLiteral("Não foi possível ler a pasta de origem: %1").arg(folder), errno));
    return false;
  }
  std::vector<Entry> found;
  int err = 0;
  for (;;) {
    errno = 0;  // readdir tells the end from a failure only by errno
    const dirent* d = ::readdir(dir);
    if (!d) {
      err = errno;
      break;
    }
    const QByteArray raw(d->d_name);
    if (raw == "." || raw == "..") continue;
    const QString name = QFile::decodeName(raw);
    if (!all && !wildcard.match(name).hasMatch()) continue;
    const QByteArray path = folderBytes + (folderBytes.endsWith('/') ? "" : "/") + raw;
    const QString shown = folder + (folder.endsWith(QLatin1Char('/')) ? "" : "/") + name;
    struct stat st;
    if (::stat(path.constData(), &st) != 0) {
      if (errno == ENOENT) continue;  // a dangling link, or a file gone meanwhile
      const int err = errno;
      ::closedir(dir);
      run.fail(kReadError, readFailure(shown, err));
      return false;
    }
    if (!S_ISREG(st.st_mode)) continue;
    // The archive being replaced is not part of its own backup.
    if (archive && st.st_dev == archive->st_dev && st.st_ino == archive->st_ino) continue;
    found.push_back({path, shown, name, static_cast<qint64>(st.st_size), st.st_mtime});
  }
  ::closedir(dir);
  if (err) {
    run.fail(kReadError,
             withSystemReason(
                 QStringLiteral("Não foi possível ler a pasta de origem: %1").arg(folder), err));
    return false;
  }
  std::sort(found.begin(), found.end(),
            [](const Entry& a, const Entry& b) { return a.path < b.path; });
  for (Entry& e : found) run.entries.push_back(std::move(e));
  return true;
}

// fsync of a file or folder by path; errno on failure, 0 on success.
int syncPath(const QByteArray& path, bool folder) {
  const int fd = ::open(path.constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
  if (fd < 0) return errno;
  int err = 0;
  if (::fsync(fd) != 0) err = errno;
  ::close(fd);
  // Some file systems cannot sync a folder; the rename is as durable as they make it.
  if (folder && (err == EINVAL || err == ENOTSUP)) err = 0;
  return err;
}

// Writes the listed files into `target`: into a temporary file beside it, synced and
// renamed over it only when complete.
void writeArchive(Run& run, const QString& target, int level) {
  const QByteArray finalPath = QFile::encodeName(target);
  const QByteArray folder = QFile::encodeName(folderOf(target));

  // An older archive keeps its mode in the new one; a new one gets the usual mode.
  mode_t mode;
  struct stat old;
  if (::stat(finalPath.constData(), &old) == 0) {
    mode = old.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }

  QByteArray temp = tempTemplate(folder, finalPath.mid(finalPath.lastIndexOf('/') + 1));
  const int tfd = ::mkstemp(temp.data());
  if (tfd < 0) {
    run.fail(kWriteError, writeFailure(target, errno));
    return;
  }
  ::fchmod(tfd, mode);
  ::close(tfd);

  auto abandon = [&](int err) {
    ::unlink(temp.constData());
    run.fail(kWriteError, writeFailure(target, err));
  };

  int zerr = 0;
  zip_t* za = zip_open(temp.constData(), ZIP_CREATE | ZIP_TRUNCATE, &zerr);
  if (!za) {
    abandon(0);
    return;
  }
  for (int i = 0; i < static_cast<int>(run.entries.size()); ++i) {
    auto* ctx = new FileSource(&run, i);
    zip_source_t* src = zip_source_function(za, &FileSource::callback, ctx);
    if (!src) {
      delete ctx;
      zip_discard(za);
      abandon(0);
      return;
    }
    const QByteArray name = run.entries[i].name.toUtf8();
    const zip_int64_t idx = zip_file_add(za, name.constData(), src, ZIP_FL_ENC_UTF_8);
    if (idx < 0) {
      zip_source_free(src);
      zip_discard(za);
      ::unlink(temp.constData());
      run.fail(kWriteError,
               QStringLiteral("Nome repetido no arquivo ZIP: %1").arg(run.entries[i].name));
      return;
    }
    if (level == 0)
      zip_set_file_compression(za, idx, ZIP_CM_STORE, 0);
    else
      zip_set_file_compression(za, idx, ZIP_CM_DEFLATE, static_cast<zip_uint32_t>(level));
  }

  if (zip_close(za) != 0) {
    // libzip has removed its own temporary file; a read failure was recorded by the source.
    const int err = zip_error_system_type(zip_get_error(za)) == ZIP_ET_SYS
                        ? zip_error_code_system(zip_get_error(za))
                        : 0;
    zip_discard(za);
    abandon(err);
    return;
  }
  if (const int err = syncPath(temp, false)) {
    abandon(err);
    return;
  }
  if (::rename(temp.constData(), finalPath.constData()) != 0) {
    abandon(errno);
    return;
  }
  if (const int err = syncPath(folder, true)) run.fail(kWriteError, writeFailure(target, err));
}

}  // namespace

qint16 addZIP_Initialise() {
  State& s = state();
  if (s.running) return kBusy;
  s.level = 6;
  s.masks.clear();
  s.archive.clear();
  return kOk;
}

qint16 addUNZIP_Initialise() {
  return kOk;
}

qint16 addZIP_SetParentWindowHandle(QObject* handle) {
  state().parent = handle;
  return kOk;
}

qint16 addUNZIP_SetParentWindowHandle(QObject* handle) {
  state().unzipParent = handle;
  return kOk;
}

qint16 addZIP_SetWindowHandle(QObject* handle) {
  state().status = handle;
  return kOk;
}

qint16 addUNZIP_SetWindowHandle(QObject* handle) {
  state().unzipStatus = handle;
  return kOk;
}

qint16 addZIP_SetCompressionLevel(int level) {
  if (level < 0 || level > 9) return kInvalidArgument;
  state().level = level;
  return kOk;
}

qint16 addZIP_Include(const QString& mask) {
  if (mask.isEmpty()) return kInvalidArgument;
  state().masks.append(mask);
  return kOk;
}

qint16 addZIP_ArchiveName(const QString& path) {
  state().archive = path;
  return path.isEmpty() ? kInvalidArgument : kOk;
}

qint16 addZIP() {
  State& s = state();
  if (s.running) return kBusy;  // a handler pumping events must not start a second run

  Run run;
  run.status = s.status;
  const QStringList masks = std::exchange(s.masks, {});
  const QString target = std::exchange(s.archive, {});
  const int level = s.level;
  s.running = true;
  struct Finish {
    State& s;
    Run& run;
    ~Finish() {
      s.running = false;
      s.lastError = run.error;
    }
  } finish{s, run};

  if (target.isEmpty()) {
    run.fail(kInvalidArgument, QStringLiteral("Nome do arquivo ZIP não informado"));
  } else if (masks.isEmpty()) {
    run.fail(kNothingToArchive, QStringLiteral("Nenhum arquivo para compactar"));
  } else {
    removeLeftovers(target);
    struct stat archive;
    const bool exists = ::stat(QFile::encodeName(target).constData(), &archive) == 0;
    for (const QString& mask : masks) {
      if (!listMask(run, mask, exists ? &archive : nullptr)) break;
    }
    if (run.code == kOk && run.entries.empty()) {
      QStringList folders;
      for (const QString& mask : masks) folders.append(folderOf(mask));
      run.fail(kNothingToArchive, QStringLiteral("Nenhum arquivo para compactar em: %1")
                                      .arg(folders.join(QStringLiteral(", "))));
    }
    if (run.code == kOk) {
      for (const Entry& e : run.entries) run.unitsTotal += e.size + kFileUnit;
      writeArchive(run, target, level);
    }
    if (run.code == kOk && !run.entries.empty())
      run.line(QStringLiteral("Concluído"), static_cast<int>(run.entries.size()) - 1,
               run.entries.back().size, true, true);
  }

  if (run.raised) std::rethrow_exception(run.raised);
  return run.code;
}

QString addZIP_LastError() {
  return state().lastError;
}

}  // namespace ark::zip

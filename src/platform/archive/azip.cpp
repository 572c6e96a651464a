#include "platform/archive/azip.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/archive/compressor.h"
#include "platform/archive/system_reason.h"
#include "platform/archive/temporaries.h"
#include "platform/archive/zip_writer.h"

namespace ark::zip {
namespace {

constexpr qint64 kLineEvery = 4 << 20;  // a status line at least this often
constexpr qint64 kFileUnit = 1;         // weight of a file itself in the percent
// An entry this size or more gets room for 64-bit sizes in its local header: enough
// below 4 GiB for deflate's worst growth and a file still being written.
constexpr qint64 kLargeEntry = 0xFFFFFFFFLL - (64LL << 20);

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
  OpenHook openHook;
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
  QByteArray name;  // stored in the archive, without folder, byte for byte
  QString shownName;
  qint64 size = 0;
};

// One addZIP call: the files, the progress count and the first failure.
struct Run {
  std::vector<Entry> entries;
  QStringList folders;
  QPointer<QObject> status;
  qint64 unitsTotal = 0;
  qint64 unitsDone = 0;
  int lastPercent = 0;
  int lastWritten = -1;
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
    QString shownName = e.shownName;
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

QString folderOf(const QString& path) {
  const int cut = path.lastIndexOf(QLatin1Char('/'));
  if (cut < 0) return QStringLiteral(".");
  if (cut == 0) return QStringLiteral("/");
  return path.left(cut);
}

// A name that is no UTF-8 is most likely Latin-1, as older Windows-made files carry them:
// shown so on the labels and in reasons (it is stored as its bytes all the same).
QString shownName(const QByteArray& raw) {
  const QString utf8 = QString::fromUtf8(raw);
  return utf8.toUtf8() == raw ? utf8 : QString::fromLatin1(raw);
}

QString sourceFailure(const QString& folder, int err) {
  return withSystemReason(QStringLiteral("Não foi possível ler a pasta de origem: %1").arg(folder),
                          err);
}

// Lists the regular files matching one mask into the run; false (with the run's failure
// set) when the folder cannot be read.
bool listMask(Run& run, const QString& mask, const struct stat* archive,
              std::set<QByteArray>& names) {
  const int cut = mask.lastIndexOf(QLatin1Char('/'));
  const QString folder = folderOf(mask);
  const QString pattern = mask.mid(cut + 1);
  const bool all = pattern == QLatin1String("*.*") || pattern == QLatin1String("*");
  const QRegularExpression wildcard =
      all ? QRegularExpression() : QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive);
  run.folders.append(folder);

  const QByteArray folderBytes = QFile::encodeName(folder);
  struct stat fst;
  if (::stat(folderBytes.constData(), &fst) != 0) {
    const int err = errno;
    if (err == ENOENT || err == ENOTDIR)
      run.fail(kSourceNotFound, QStringLiteral("Pasta de origem não encontrada: %1").arg(folder));
    else
      run.fail(kReadError, sourceFailure(folder, err));
    return false;
  }
  if (!S_ISDIR(fst.st_mode)) {
    run.fail(kSourceNotAFolder, QStringLiteral("A origem não é uma pasta: %1").arg(folder));
    return false;
  }
  DIR* dir = ::opendir(folderBytes.constData());
  if (!dir) {
    run.fail(kReadError, sourceFailure(folder, errno));
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
    const QString name = shownName(raw);
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
    found.push_back({path, shown, raw, name, static_cast<qint64>(st.st_size)});
  }
  ::closedir(dir);
  if (err) {
    run.fail(kReadError, sourceFailure(folder, err));
    return false;
  }
  std::sort(found.begin(), found.end(),
            [](const Entry& a, const Entry& b) { return a.path < b.path; });
  for (Entry& e : found) {
    // Two masks (overlapping, or of two folders) may bring the same name twice.
    if (!names.insert(e.name).second) {
      run.fail(kWriteError, QStringLiteral("Nome repetido no arquivo ZIP: %1").arg(e.shownName));
      return false;
    }
    run.entries.push_back(std::move(e));
  }
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

// The temporary of a run: removed unless it became the archive; closing it ends the lock.
struct TempFile {
  LockedTemp t;
  bool renamed = false;
  ~TempFile() {
    if (t.fd < 0) return;
    if (!renamed) ::unlink(t.path.constData());
    ::close(t.fd);
  }
};

// Copies the compressed files into the archive on the calling thread, with the status
// lines, while the compressor works ahead. False when the run failed.
bool copyEntries(Run& run, ZipWriter& zip, Compressor& compressor, const QString& target) {
  int index = -1;
  quint32 crc = 0;
  quint64 compressed = 0, size = 0;
  qint64 nextLine = 0;
  bool stored = false;
  int written = 0;
  for (;;) {
    const Compressor::Item item = compressor.next();
    int err = 0;
    switch (item.kind) {
      case Compressor::Item::Start:
        index = item.entry;
        crc = 0;
        compressed = size = 0;
        nextLine = kLineEvery;
        err = zip.begin(run.entries[index].name, item.mode, item.mtime, item.size >= kLargeEntry);
        if (!err) run.line(QStringLiteral("Compactando"), index, 0);
        break;
      case Compressor::Item::Block:
        stored = item.stored;  // level 0 stores every block, a stored file is one block
        err = zip.data(reinterpret_cast<const char*>(item.bytes->data()), item.bytes->size());
        if (err) break;
        crc = static_cast<quint32>(crc32_combine(crc, item.crc, item.length));
        compressed += item.bytes->size();
        size += static_cast<quint64>(item.length);
        run.unitsDone += item.length;
        if (item.last) {
          err = zip.end(stored, crc, compressed, size);
          if (err) break;
          ++written;
          run.lastWritten = index;
          run.unitsDone += kFileUnit;
          run.line(QStringLiteral("Compactando"), index, static_cast<qint64>(size), true);
        } else if (static_cast<qint64>(size) >= nextLine) {
          nextLine = static_cast<qint64>(size) + kLineEvery;
          run.line(QStringLiteral("Compactando"), index, static_cast<qint64>(size));
        }
        break;
      case Compressor::Item::Gone:
        // Deleted since the listing (a temporary file of the business system, say): the
        // backup holds what is there.
        run.unitsDone += run.entries[item.entry].size + kFileUnit;
        break;
      case Compressor::Item::Failed:
        run.fail(kReadError, item.entry >= 0
                                 ? readFailure(run.entries[item.entry].shownPath, item.error)
                                 : withSystemReason(QStringLiteral("Compactação interrompida"),
                                                    item.error));
        return false;
      case Compressor::Item::End:
        if (written == 0) {
          run.fail(kNothingToArchive, QStringLiteral("Nenhum arquivo para compactar em: %1")
                                          .arg(run.folders.join(QStringLiteral(", "))));
          return false;
        }
        if ((err = zip.finish())) break;
        return true;
    }
    if (err) {
      run.fail(kWriteError, writeFailure(target, err));
      return false;
    }
  }
}

// Writes the listed files into `target`: into a locked temporary file beside it, synced
// and renamed over it only when complete.
void writeArchive(Run& run, const QString& target, int level, const OpenHook& hook) {
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

  TempFile temp{createLockedTemp(folder, finalPath.mid(finalPath.lastIndexOf('/') + 1))};
  if (temp.t.fd < 0) {
    run.fail(kWriteError, writeFailure(target, temp.t.error));
    return;
  }
  ::fchmod(temp.t.fd, mode);

  std::vector<QByteArray> paths;
  paths.reserve(run.entries.size());
  for (const Entry& e : run.entries) paths.push_back(e.path);
  std::unique_ptr<Compressor> compressor;
  try {
    compressor = std::make_unique<Compressor>(std::move(paths), level, hook);
  } catch (const std::exception&) {  // no threads or no memory to be had
    run.fail(kWriteError, withSystemReason(QStringLiteral("Não foi possível compactar os arquivos"),
                                           ENOMEM));
    return;
  }
  try {
    ZipWriter zip(temp.t.fd, level);
    if (!copyEntries(run, zip, *compressor, target)) return;
  } catch (...) {
    // Raised by the status window's handler: the run ends like a failure first.
    run.raised = std::current_exception();
    run.fail(kReadError, QStringLiteral("Compactação interrompida"));
    return;
  }
  if (::fsync(temp.t.fd) != 0) {
    run.fail(kWriteError, writeFailure(target, errno));
    return;
  }
  if (::rename(temp.t.path.constData(), finalPath.constData()) != 0) {
    run.fail(kWriteError, writeFailure(target, errno));
    return;
  }
  temp.renamed = true;
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
    removeLeftovers(QFile::encodeName(folderOf(target)));
    struct stat archive;
    const bool exists = ::stat(QFile::encodeName(target).constData(), &archive) == 0;
    std::set<QByteArray> names;
    for (const QString& mask : masks) {
      if (!listMask(run, mask, exists ? &archive : nullptr, names)) break;
    }
    if (run.code == kOk && run.entries.empty())
      run.fail(kNothingToArchive, QStringLiteral("Nenhum arquivo para compactar em: %1")
                                      .arg(run.folders.join(QStringLiteral(", "))));
    if (run.code == kOk) {
      for (const Entry& e : run.entries) run.unitsTotal += e.size + kFileUnit;
      writeArchive(run, target, level, s.openHook);
    }
    if (run.code == kOk)
      run.line(QStringLiteral("Concluído"), run.lastWritten, run.entries[run.lastWritten].size,
               true, true);
  }

  if (run.raised) std::rethrow_exception(run.raised);
  return run.code;
}

QString addZIP_LastError() {
  return state().lastError;
}

void addZIP_SetOpenHook(OpenHook hook) {
  state().openHook = std::move(hook);
}

}  // namespace ark::zip

#pragma once
// Files for the archive tests, and archives read back by other tools: libzip, unzip and
// Python's zipfile.
#include <dirent.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <map>
#include <vector>

namespace ark::archive::readback {

inline void writeFile(const QString& path, const QByteArray& data) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
  ASSERT_EQ(f.write(data), data.size());
}

inline QByteArray readFile(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline QByteArray randomBytes(qint64 n, quint32 seed = 42) {
  QByteArray b(n + 4, Qt::Uninitialized);
  QRandomGenerator gen(seed);
  gen.fillRange(reinterpret_cast<quint32*>(b.data()), (n + 3) / 4);
  b.truncate(n);
  return b;
}

// Text that deflates well, different from one seed to another.
inline QByteArray textBytes(qint64 n, quint32 seed = 7) {
  QRandomGenerator gen(seed);
  QByteArray out;
  out.reserve(n + 64);
  while (out.size() < n)
    out += "nota fiscal " + QByteArray::number(gen.bounded(5000)) + " cliente " +
           QByteArray::number(gen.bounded(300)) + (gen.bounded(9) == 0 ? "\n" : "; ");
  out.truncate(n);
  return out;
}

// Every entry of the archive, name to content, as libzip reads it.
inline std::map<QString, QByteArray> readArchive(const QString& path) {
  std::map<QString, QByteArray> out;
  int err = 0;
  zip_t* za = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &err);
  if (!za) {
    ADD_FAILURE() << "libzip cannot open " << path.toStdString() << ": " << err;
    return out;
  }
  for (zip_int64_t i = 0; i < zip_get_num_entries(za, 0); ++i) {
    zip_stat_t st;
    zip_stat_index(za, i, 0, &st);
    QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
    zip_file_t* f = zip_fopen_index(za, i, 0);
    EXPECT_EQ(zip_fread(f, data.data(), st.size), static_cast<zip_int64_t>(st.size));
    zip_fclose(f);
    out[QString::fromUtf8(zip_get_name(za, i, ZIP_FL_ENC_STRICT))] = data;
  }
  zip_close(za);
  return out;
}

inline QStringList entriesOf(const QString& folder) {
  return QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The names in a folder as the file system holds them, sorted.
inline std::vector<QByteArray> rawEntriesOf(const QString& folder) {
  std::vector<QByteArray> out;
  if (DIR* d = opendir(QFile::encodeName(folder).constData())) {
    while (const dirent* e = readdir(d)) {
      const QByteArray name(e->d_name);
      if (name != "." && name != "..") out.push_back(name);
    }
    closedir(d);
  }
  std::sort(out.begin(), out.end());
  return out;
}

// unzip's own test of the archive; returns its output, with the exit code checked.
inline QString unzipTest(const QString& archive) {
  QProcess p;
  p.start("unzip", {"-t", archive});
  EXPECT_TRUE(p.waitForFinished(120000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  return QString::fromUtf8(p.readAllStandardOutput());
}

// Extracts the archive with unzip into `folder`; true when unzip reports no error.
inline bool unzipInto(const QString& archive, const QString& folder) {
  QProcess p;
  p.start("unzip", {"-q", "-o", archive, "-d", folder});
  const bool ok = p.waitForFinished(120000) && p.exitCode() == 0;
  EXPECT_TRUE(ok) << p.readAllStandardError().toStdString();
  return ok;
}

// One entry as Python's zipfile reads it.
struct PyEntry {
  QByteArray name;  // the stored bytes
  bool utf8 = false;
  int system = 0;  // 3: Unix
  int mode = 0;    // the Unix mode in the external attributes
  QList<int> dateTime;
  int method = 0;
  qint64 size = 0;
  QByteArray sha256;  // of the content, read whole (which checks its CRC); not over 128 MiB
};

// The entries in archive order; fails the test when zipfile cannot read them all.
// Without `contents`, only the central directory is read.
inline std::vector<PyEntry> readWithPython(const QString& archive, bool contents = true) {
  static const char* script = R"(
import hashlib, json, sys, zipfile
out = []
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        h = hashlib.sha256()
        if sys.argv[2] == "1":
            with z.open(i) as f:
                while True:
                    b = f.read(1 << 22)
                    if not b:
                        break
                    if i.file_size < 1 << 27:
                        h.update(b)
        utf8 = bool(i.flag_bits & 0x800)
        out.append({"name": i.filename.encode("utf-8" if utf8 else "cp437").hex(),
                    "utf8": utf8, "system": i.create_system, "mode": i.external_attr >> 16,
                    "date": list(i.date_time), "method": i.compress_type,
                    "size": i.file_size, "sha": h.hexdigest()})
print(json.dumps(out))
)";
  QProcess p;
  p.start("/usr/bin/python3", {"-c", script, archive, contents ? "1" : "0"});
  std::vector<PyEntry> out;
  if (!p.waitForFinished(300000) || p.exitCode() != 0) {
    ADD_FAILURE() << "zipfile cannot read " << archive.toStdString() << ": "
                  << p.readAllStandardError().toStdString();
    return out;
  }
  const QJsonArray all = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
  for (const QJsonValue& v : all) {
    const QJsonObject o = v.toObject();
    PyEntry e;
    e.name = QByteArray::fromHex(o["name"].toString().toLatin1());
    e.utf8 = o["utf8"].toBool();
    e.system = o["system"].toInt();
    e.mode = o["mode"].toInt();
    for (const QJsonValue& d : o["date"].toArray()) e.dateTime << d.toInt();
    e.method = o["method"].toInt();
    e.size = static_cast<qint64>(o["size"].toDouble());
    e.sha256 = o["sha"].toString().toLatin1();
    out.push_back(e);
  }
  return out;
}

inline QByteArray sha256Hex(const QByteArray& data) {
  return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

}  // namespace ark::archive::readback

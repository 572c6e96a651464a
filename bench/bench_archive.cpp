// Archive runs against Info-ZIP (`zip -3 -q -j`), each best of three:
// - small files: 20 000 files of 1 to 8 KB through the archive window, shown on a real X
//   display (the one in DISPLAY, or an Xvfb of its own), so that its painting is counted;
// - large files: about 300 files and 200 MB (text-like, random and already compressed
//   data) through the archive layer, a pump at each status line.
// Lines "small-files ratio <ours / zip>" and, last, "ratio <ours / zip> size <ours / zip>"
// for the large files. With the argument "small" only the small files run.
#include <QApplication>
#include <QDir>
#include <QThread>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "archive/frmprogresso.h"
#include "archive/run_parameters.h"
#include "platform/archive/azip.h"

namespace {

QByteArray textLike(QRandomGenerator& gen, qint64 size) {
  static const std::vector<QByteArray> words = [] {
    std::vector<QByteArray> w;
    QRandomGenerator g(7);
    const char* syllables[] = {"ca",  "de", "ri", "mo",   "ven", "ta",  "ção", "pro", "du", "to",
                               "cli", "en", "te", "nota", "fis", "cal", "es",  "que", "lo", "ar"};
    for (int i = 0; i < 3000; ++i) {
      QByteArray word;
      const int n = 1 + g.bounded(4);
      for (int k = 0; k < n; ++k) word += syllables[g.bounded(20)];
      w.push_back(word);
    }
    return w;
  }();
  QByteArray out;
  out.reserve(size + 64);
  int field = 0;
  while (out.size() < size) {
    // Zipf-like: common words far more often than rare ones.
    const double r = gen.generateDouble();
    const int idx = static_cast<int>(words.size() * r * r * r);
    if (field % 7 == 3) {
      out += QByteArray::number(gen.bounded(100000)) + "," + QByteArray::number(gen.bounded(100)) +
             ";";
    } else {
      out += words[idx];
      out += ' ';
    }
    if (++field % 12 == 0) out += '\n';
  }
  out.truncate(size);
  return out;
}

QByteArray randomData(QRandomGenerator& gen, qint64 size) {
  QByteArray b(size + 4, Qt::Uninitialized);
  gen.fillRange(reinterpret_cast<quint32*>(b.data()), (size + 3) / 4);
  b.truncate(size);
  return b;
}

QByteArray compressed(QRandomGenerator& gen, qint64 size) {
  QByteArray out;
  while (out.size() < size) out += qCompress(textLike(gen, 4 * size / 3 + 4096), 9);
  out.truncate(size);
  return out;
}

// Builds the folder; returns the total size.
qint64 makeFolder(const QString& folder) {
  QRandomGenerator gen(2026);
  qint64 total = 0;
  const int kFiles = 300;
  for (int i = 0; i < kFiles; ++i) {
    // Sizes from about 4 KiB to 2 MiB, spread evenly on a log scale, plus a few big ones.
    qint64 size = static_cast<qint64>(4096 * std::pow(2.0, gen.generateDouble() * 9.0));
    if (i % 60 == 0) size = 19 << 20;
    QByteArray data;
    QString ext;
    switch (i % 3) {
      case 0:
        data = textLike(gen, size);
        ext = "txt";
        break;
      case 1:
        data = randomData(gen, size);
        ext = "bin";
        break;
      default:
        data = compressed(gen, size);
        ext = "gz";
        break;
    }
    QFile f(QStringLiteral("%1/arquivo%2.%3").arg(folder).arg(i, 3, 10, QChar('0')).arg(ext));
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
      std::exit(1);
    }
    total += data.size();
  }
  return total;
}

// 20 000 files of 1 to 8 KB: mostly text-like, one in four random.
qint64 makeSmallFolder(const QString& folder, int files) {
  QRandomGenerator gen(11);
  qint64 total = 0;
  for (int i = 0; i < files; ++i) {
    const qint64 size = 1024 + gen.bounded(7 * 1024 + 1);
    const QByteArray data = i % 4 == 3 ? randomData(gen, size) : textLike(gen, size);
    QFile f(QStringLiteral("%1/doc%2.txt").arg(folder).arg(i, 5, 10, QChar('0')));
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size()) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
      std::exit(1);
    }
    total += data.size();
  }
  return total;
}

struct Result {
  double seconds;
  qint64 size;
};

// One run of the archive window as the scheduler shows it.
Result window(const QString& folder, const QString& destination) {
  const QString archive = destination + "/pequenos.zip";
  QFile::remove(archive);
  ark::archive::BkpOrigem = folder;
  ark::archive::BkpDestino = destination;
  ark::archive::BkpArquivo = QStringLiteral("pequenos");
  ark::archive::BkpSobrepoe = true;
  QElapsedTimer t;
  t.start();
  ark::archive::frmprogresso::instance().exec();
  const double seconds = t.nsecsElapsed() / 1e9;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  const auto out = ark::archive::frmprogresso::lastOutcome();
  if (!out.written) {
    std::fprintf(stderr, "archive window failed: %s\n", qPrintable(out.reason));
    std::exit(1);
  }
  return {seconds, QFileInfo(archive).size()};
}

Result ours(const QString& folder, const QString& archive, QLineEdit& status, int& lines) {
  QFile::remove(archive);
  QElapsedTimer t;
  t.start();
  ark::zip::addZIP_Initialise();
  ark::zip::addZIP_SetWindowHandle(&status);
  ark::zip::addZIP_SetCompressionLevel(3);
  ark::zip::addZIP_Include(folder + "/*.*");
  ark::zip::addZIP_ArchiveName(archive);
  lines = 0;
  if (ark::zip::addZIP() != 0) {
    std::fprintf(stderr, "addZIP failed: %s\n", qPrintable(ark::zip::addZIP_LastError()));
    std::exit(1);
  }
  return {t.nsecsElapsed() / 1e9, QFileInfo(archive).size()};
}

Result infozip(const QString& folder, const QString& archive) {
  QFile::remove(archive);
  QElapsedTimer t;
  t.start();
  QProcess p;
  p.setWorkingDirectory(QFileInfo(archive).path());
  p.start("/bin/sh", {"-c", QStringLiteral("zip -3 -q -j '%1' '%2'/*").arg(archive, folder)});
  if (!p.waitForFinished(-1) || p.exitCode() != 0) {
    std::fprintf(stderr, "zip failed: %s\n", p.readAllStandardError().constData());
    std::exit(1);
  }
  return {t.nsecsElapsed() / 1e9, QFileInfo(archive).size()};
}

// An Xvfb on a free display for the run, when none is given.
class OwnDisplay {
 public:
  bool start() {
    for (int n = 150; n < 200; ++n) {
      if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) ||
          QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
        continue;
      xvfb_.start("Xvfb", {QStringLiteral(":%1").arg(n), "-screen", "0", "1280x800x24",
                           "-nolisten", "tcp"});
      if (!xvfb_.waitForStarted(3000)) return false;
      for (int i = 0; i < 50; ++i) {
        if (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
          qputenv("DISPLAY", QStringLiteral(":%1").arg(n).toLatin1());
          return true;
        }
        QThread::msleep(100);
      }
      xvfb_.kill();
      xvfb_.waitForFinished();
    }
    return false;
  }
  ~OwnDisplay() {
    if (xvfb_.state() != QProcess::NotRunning) {
      xvfb_.terminate();
      xvfb_.waitForFinished(3000);
    }
  }

 private:
  QProcess xvfb_;
};

}  // namespace

int main(int argc, char** argv) {
  OwnDisplay display;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && !display.start()) {
      std::printf("no X display: the small files run offscreen\n");
      qputenv("QT_QPA_PLATFORM", "offscreen");
    } else {
      qputenv("QT_QPA_PLATFORM", "xcb");
    }
  }
  QApplication app(argc, argv);

  QTemporaryDir tmp(QDir::tempPath() + "/bench-archive-XXXXXX");
  {
    const QString small = tmp.path() + "/pequenos";
    const QString destination = tmp.path() + "/destino";
    QDir().mkpath(small);
    QDir().mkpath(destination);
    const int kSmall = 20000;
    const qint64 smallTotal = makeSmallFolder(small, kSmall);
    std::printf("small files: %d files, %.1f MB, the window on %s\n", kSmall, smallTotal / 1e6,
                qPrintable(QGuiApplication::platformName()));
    Result best{1e9, 0}, bestZip{1e9, 0};
    for (int round = 1; round <= 3; ++round) {
      const Result z = infozip(small, tmp.path() + "/zip-pequenos.zip");
      const Result o = window(small, destination);
      std::printf("round %d: ours %.3f s %lld bytes, zip %.3f s %lld bytes\n", round, o.seconds,
                  static_cast<long long>(o.size), z.seconds, static_cast<long long>(z.size));
      best.seconds = std::min(best.seconds, o.seconds);
      best.size = o.size;
      bestZip.seconds = std::min(bestZip.seconds, z.seconds);
      bestZip.size = z.size;
    }
    std::printf("small-files size %.4f\n", static_cast<double>(best.size) / bestZip.size);
    std::printf("small-files ratio %.3f\n", best.seconds / bestZip.seconds);
    QDir(small).removeRecursively();
  }
  if (argc > 1 && QByteArray(argv[1]) == "small") return 0;  // the small files alone

  const QString folder = tmp.path() + "/origem";
  QDir().mkpath(folder);
  const qint64 total = makeFolder(folder);
  std::printf("folder: 300 files, %.1f MB\n", total / 1e6);

  // The status window as the progress window has it: each line pumps the events.
  QLineEdit status;
  int lines = 0;
  QObject::connect(&status, &QLineEdit::textChanged, [&](const QString&) {
    ++lines;
    QCoreApplication::processEvents();
  });

  // Alternate the two, best of three each, so that neither gains from a warmer cache.
  Result best{1e9, 0}, bestZip{1e9, 0};
  for (int round = 1; round <= 3; ++round) {
    const Result z = infozip(folder, tmp.path() + "/zip.zip");
    const Result o = ours(folder, tmp.path() + "/ours.zip", status, lines);
    std::printf("round %d: ours %.3f s %lld bytes (%d status lines), zip %.3f s %lld bytes\n",
                round, o.seconds, static_cast<long long>(o.size), lines, z.seconds,
                static_cast<long long>(z.size));
    if (o.seconds < best.seconds) best = o;
    if (z.seconds < bestZip.seconds) bestZip = z;
  }
  std::printf("ours: %.3f s, %lld bytes\n", best.seconds, static_cast<long long>(best.size));
  std::printf("zip -3: %.3f s, %lld bytes\n", bestZip.seconds,
              static_cast<long long>(bestZip.size));
  std::printf("ratio %.3f size %.4f\n", best.seconds / bestZip.seconds,
              static_cast<double>(best.size) / static_cast<double>(bestZip.size));
  return 0;
}

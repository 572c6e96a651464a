#pragma once
// Writes the ZIP format into a file opened for writing, entry after entry: a local header
// (patched once the entry's sizes are known, so no data descriptors), the entry's data,
// and at the end the central directory, with ZIP64 records where sizes, offsets or the
// entry count need them.
//
// Entries carry what Info-ZIP's zip keeps on Unix: the name as the bytes the file system
// holds (flagged UTF-8 only when it is UTF-8 beyond ASCII), the Unix mode and the exact
// modification time in the extended-timestamp field beside the DOS time.
#include <sys/types.h>

#include <QByteArray>
#include <QtGlobal>
#include <ctime>
#include <vector>

namespace ark::zip {

// DOS date and time of a moment in local time, as zip stores it: odd seconds rounded up,
// moments outside 1980 to 2107 clamped to the nearest one the format holds.
struct DosTime {
  quint16 time = 0;
  quint16 date = 0;
};
DosTime dosTime(time_t t);

class ZipWriter {
 public:
  // `level` only sets the deflate sub-type flags of deflated entries (0 to 9).
  ZipWriter(int fd, int level);

  // Every call returns 0 or an errno; after a failure the writer is of no further use.
  // `large`: the entry may pass 4 GiB, so its local header gets room for 64-bit sizes.
  // Without it, an entry that grows past 4 GiB fails with EFBIG.
  int begin(const QByteArray& name, mode_t mode, time_t mtime, bool large);
  int data(const char* bytes, size_t n);
  int end(bool stored, quint32 crc, quint64 compressedSize, quint64 size);
  // The central directory and the end records; everything is written when it returns 0.
  int finish();

  quint64 written() const { return bufferStart_ + static_cast<quint64>(buffer_.size()); }

 private:
  struct Entry {
    QByteArray name;
    bool utf8 = false;
    bool stored = false;
    bool large = false;
    quint32 external = 0;
    time_t mtime = 0;
    DosTime dos;
    quint32 crc = 0;
    quint64 compressedSize = 0;
    quint64 size = 0;
    quint64 offset = 0;
  };

  QByteArray localHeader(const Entry& e) const;
  QByteArray centralHeader(const Entry& e) const;
  quint16 flags(const Entry& e) const;
  int put(const char* bytes, size_t n);
  int put(const QByteArray& b) { return put(b.constData(), static_cast<size_t>(b.size())); }
  int flush();
  int writeAt(quint64 offset, const QByteArray& b);

  int fd_;
  int level_;
  QByteArray buffer_;
  quint64 bufferStart_ = 0;  // file offset of buffer_[0]
  std::vector<Entry> entries_;
};

}  // namespace ark::zip

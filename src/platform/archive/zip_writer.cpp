#include "platform/archive/zip_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QString>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ark::zip {
namespace {

constexpr qsizetype kBufferSize = 4 << 20;
constexpr quint32 kMax32 = 0xFFFFFFFFu;
constexpr quint16 kMax16 = 0xFFFF;

constexpr quint16 kMadeBy = (3 << 8) | 30;  // Unix, format 3.0
constexpr quint16 kNeedsStored = 10;
constexpr quint16 kNeedsDeflate = 20;
constexpr quint16 kNeedsZip64 = 45;

constexpr quint16 kFlagUtf8 = 1 << 11;
constexpr quint16 kExtraZip64 = 0x0001;
constexpr quint16 kExtraTimestamp = 0x5455;

void le16(QByteArray& b, quint16 v) {
  b.append(static_cast<char>(v & 0xFF));
  b.append(static_cast<char>(v >> 8));
}

void le32(QByteArray& b, quint32 v) {
  for (int i = 0; i < 4; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void le64(QByteArray& b, quint64 v) {
  for (int i = 0; i < 8; ++i) b.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Writes all of it at `offset`; 0 or errno.
int writeAll(int fd, const char* p, size_t n, quint64 offset) {
  while (n > 0) {
    const ssize_t w = ::pwrite(fd, p, n, static_cast<off_t>(offset));
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += w;
    n -= static_cast<size_t>(w);
    offset += static_cast<quint64>(w);
  }
  return 0;
}

// UTF-8 beyond plain ASCII: the names that need the flag to be read right.
bool isUtf8Beyond7Bit(const QByteArray& name) {
  const bool ascii = std::all_of(name.begin(), name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return !ascii && QString::fromUtf8(name).toUtf8() == name;
}

// The extended timestamp holds 32 bits; readers differ on negative values, so a time
// before 1970 or after 2106 is left to the DOS field alone.
bool hasTimestamp(time_t t) {
  return t >= 0 && static_cast<quint64>(t) <= kMax32;
}

QByteArray timestampField(time_t t) {
  QByteArray b;
  if (!hasTimestamp(t)) return b;
  le16(b, kExtraTimestamp);
  le16(b, 5);
  b.append('\x01');  // modification time only
  le32(b, static_cast<quint32>(t));
  return b;
}

}  // namespace

DosTime dosTime(time_t t) {
  // Rounded up, so that the stored time is never older than the file.
  const time_t even = t + (t & 1);
  struct tm tm {};
  if (!localtime_r(&even, &tm)) return DosTime{0, (1 << 5) | 1};
  const int year = tm.tm_year + 1900;
  if (year < 1980) return DosTime{0, (1 << 5) | 1};  // 1980-01-01 00:00:00
  if (year > 2107)
    return DosTime{static_cast<quint16>((23 << 11) | (59 << 5) | 29),
                   static_cast<quint16>((127 << 9) | (12 << 5) | 31)};  // 2107-12-31 23:59:58
  const int sec = std::min(tm.tm_sec, 59);
  return DosTime{static_cast<quint16>((tm.tm_hour << 11) | (tm.tm_min << 5) | (sec / 2)),
                 static_cast<quint16>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday)};
}

ZipWriter::ZipWriter(int fd, int level) : fd_(fd), level_(level) {
  buffer_.reserve(kBufferSize);
}

quint16 ZipWriter::flags(const Entry& e) const {
  quint16 f = e.utf8 ? kFlagUtf8 : 0;
  // The deflate sub-type, as zip marks its fast and maximum levels.
  if (!e.stored) f |= level_ <= 2 ? 4 : level_ >= 8 ? 2 : 0;
  return f;
}

QByteArray ZipWriter::localHeader(const Entry& e) const {
  QByteArray extra;
  if (e.large) {
    le16(extra, kExtraZip64);
    le16(extra, 16);
    le64(extra, e.size);
    le64(extra, e.compressedSize);
  }
  extra += timestampField(e.mtime);

  QByteArray h;
  h.reserve(30 + e.name.size() + extra.size());
  le32(h, 0x04034b50);
  le16(h, e.large ? kNeedsZip64 : e.stored ? kNeedsStored : kNeedsDeflate);
  le16(h, flags(e));
  le16(h, e.stored ? 0 : 8);
  le16(h, e.dos.time);
  le16(h, e.dos.date);
  le32(h, e.crc);
  le32(h, e.large ? kMax32 : static_cast<quint32>(e.compressedSize));
  le32(h, e.large ? kMax32 : static_cast<quint32>(e.size));
  le16(h, static_cast<quint16>(e.name.size()));
  le16(h, static_cast<quint16>(extra.size()));
  h += e.name;
  h += extra;
  return h;
}

QByteArray ZipWriter::centralHeader(const Entry& e) const {
  const bool bigSize = e.size >= kMax32;
  const bool bigCompressed = e.compressedSize >= kMax32;
  const bool bigOffset = e.offset >= kMax32;
  QByteArray extra;
  if (bigSize || bigCompressed || bigOffset) {
    QByteArray values;
    if (bigSize) le64(values, e.size);
    if (bigCompressed) le64(values, e.compressedSize);
    if (bigOffset) le64(values, e.offset);
    le16(extra, kExtraZip64);
    le16(extra, static_cast<quint16>(values.size()));
    extra += values;
  }
  extra += timestampField(e.mtime);
  const bool zip64 = e.large || bigSize || bigCompressed || bigOffset;

  QByteArray h;
  h.reserve(46 + e.name.size() + extra.size());
  le32(h, 0x02014b50);
  le16(h, kMadeBy);
  le16(h, zip64 ? kNeedsZip64 : e.stored ? kNeedsStored : kNeedsDeflate);
  le16(h, flags(e));
  le16(h, e.stored ? 0 : 8);
  le16(h, e.dos.time);
  le16(h, e.dos.date);
  le32(h, e.crc);
  le32(h, bigCompressed ? kMax32 : static_cast<quint32>(e.compressedSize));
  le32(h, bigSize ? kMax32 : static_cast<quint32>(e.size));
  le16(h, static_cast<quint16>(e.name.size()));
  le16(h, static_cast<quint16>(extra.size()));
  le16(h, 0);  // comment
  le16(h, 0);  // disk
  le16(h, 0);  // internal attributes
  le32(h, e.external);
  le32(h, bigOffset ? kMax32 : static_cast<quint32>(e.offset));
  h += e.name;
  h += extra;
  return h;
}

int ZipWriter::flush() {
  if (const int err = writeAll(fd_, buffer_.constData(), static_cast<size_t>(buffer_.size()),
                               bufferStart_))
    return err;
  bufferStart_ += static_cast<quint64>(buffer_.size());
  buffer_.clear();
  return 0;
}

int ZipWriter::put(const char* bytes, size_t n) {
  if (buffer_.size() + static_cast<qsizetype>(n) > kBufferSize) {
    if (const int err = flush()) return err;
  }
  if (static_cast<qsizetype>(n) >= kBufferSize) {
    // Large pieces go straight to the file.
    if (const int err = writeAll(fd_, bytes, n, bufferStart_)) return err;
    bufferStart_ += n;
    return 0;
  }
  buffer_.append(bytes, static_cast<qsizetype>(n));
  return 0;
}

int ZipWriter::writeAt(quint64 offset, const QByteArray& b) {
  // A piece is never split across a flush, so a header is either all in the buffer or
  // all in the file.
  if (offset >= bufferStart_) {
    memcpy(buffer_.data() + (offset - bufferStart_), b.constData(), static_cast<size_t>(b.size()));
    return 0;
  }
  return writeAll(fd_, b.constData(), static_cast<size_t>(b.size()), offset);
}

int ZipWriter::begin(const QByteArray& name, mode_t mode, time_t mtime, bool large) {
  if (name.size() > kMax16) return ENAMETOOLONG;
  Entry e;
  e.name = name;
  e.utf8 = isUtf8Beyond7Bit(name);
  e.large = large;
  e.mtime = mtime;
  e.dos = dosTime(mtime);
  // The Unix mode above, the DOS read-only bit below.
  e.external = (static_cast<quint32>(mode) << 16) | ((mode & S_IWUSR) ? 0 : 1);
  e.offset = written();
  entries_.push_back(e);
  return put(localHeader(e));
}

int ZipWriter::data(const char* bytes, size_t n) {
  return put(bytes, n);
}

int ZipWriter::end(bool stored, quint32 crc, quint64 compressedSize, quint64 size) {
  Entry& e = entries_.back();
  if (!e.large && (compressedSize >= kMax32 || size >= kMax32)) return EFBIG;
  e.stored = stored;
  e.crc = crc;
  e.compressedSize = compressedSize;
  e.size = size;
  return writeAt(e.offset, localHeader(e));
}

int ZipWriter::finish() {
  const quint64 start = written();
  for (const Entry& e : entries_) {
    if (const int err = put(centralHeader(e))) return err;
  }
  const quint64 size = written() - start;
  const quint64 count = entries_.size();
  QByteArray tail;
  if (count >= kMax16 || start >= kMax32 || size >= kMax32) {
    const quint64 record = written();
    le32(tail, 0x06064b50);
    le64(tail, 44);
    le16(tail, kMadeBy);
    le16(tail, kNeedsZip64);
    le32(tail, 0);
    le32(tail, 0);
    le64(tail, count);
    le64(tail, count);
    le64(tail, size);
    le64(tail, start);
    le32(tail, 0x07064b50);
    le32(tail, 0);
    le64(tail, record);
    le32(tail, 1);
  }
  le32(tail, 0x06054b50);
  le16(tail, 0);
  le16(tail, 0);
  le16(tail, count >= kMax16 ? kMax16 : static_cast<quint16>(count));
  le16(tail, count >= kMax16 ? kMax16 : static_cast<quint16>(count));
  le32(tail, size >= kMax32 ? kMax32 : static_cast<quint32>(size));
  le32(tail, start >= kMax32 ? kMax32 : static_cast<quint32>(start));
  le16(tail, 0);
  if (const int err = put(tail)) return err;
  return flush();
}

}  // namespace ark::zip

#include "platform/archive/compressor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace ark::zip {
namespace {

constexpr qint64 kBlock = 1 << 20;
constexpr size_t kDictionary = 32 << 10;
// Small files travel to the workers together, up to these.
constexpr qint64 kBatchBytes = 256 << 10;
constexpr size_t kBatchFiles = 64;

using Buffer = Compressor::Buffer;

// Fills up to `n` bytes; fewer only at the end of the file. -1 with errno on failure.
ssize_t readFull(int fd, unsigned char* to, size_t n) {
  size_t got = 0;
  while (got < n) {
    const ssize_t r = ::read(fd, to + got, n - got);
    if (r < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (r == 0) break;
    got += static_cast<size_t>(r);
  }
  return static_cast<ssize_t>(got);
}

quint32 crcOf(const Buffer& b) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const unsigned char* p = b.data();
  size_t left = b.size();
  while (left > 0) {
    const uInt n = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
    crc = crc32(crc, p, n);
    p += n;
    left -= n;
  }
  return static_cast<quint32>(crc);
}

}  // namespace

int Compressor::workerCount() {
  return std::max(1u, std::thread::hardware_concurrency());
}

Compressor::Compressor(std::vector<QByteArray> paths, int level, OpenHook hook)
    : paths_(std::move(paths)),
      level_(level),
      hook_(std::move(hook)),
      window_(std::min(3 * workerCount() + 2, 64)) {
  try {
    for (int i = 0; i < workerCount(); ++i) workers_.emplace_back([this] { work(); });
    reader_ = std::thread([this] { readAll(); });
  } catch (...) {
    stop();
    throw;
  }
}

Compressor::~Compressor() {
  stop();
}

void Compressor::stop() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  jobReady_.notify_all();
  room_.notify_all();
  itemReady_.notify_all();
  if (reader_.joinable()) reader_.join();
  for (std::thread& t : workers_) {
    if (t.joinable()) t.join();
  }
  workers_.clear();
}

void Compressor::deliver(quint64 seq, Result result) {
  bool wanted;
  {
    std::lock_guard lock(mutex_);
    results_[seq] = std::move(result);
    wanted = seq == wanted_;
  }
  // The writer waits for one result only.
  if (wanted) itemReady_.notify_one();
}

void Compressor::publish(Item item) {
  quint64 seq;
  {
    std::lock_guard lock(mutex_);
    seq = nextSeq_++;
  }
  Result r;
  r.items.push_back(std::move(item));
  deliver(seq, std::move(r));
}

bool Compressor::submit(Job job) {
  {
    std::unique_lock lock(mutex_);
    // Only a few jobs ahead of the writer, so memory stays bounded.
    room_.wait(lock, [this] { return cancelled_ || jobsInFlight_ < window_; });
    if (cancelled_) return false;
    job.seq = nextSeq_++;
    ++jobsInFlight_;
    jobs_.push_back(std::move(job));
  }
  jobReady_.notify_one();
  return true;
}

bool Compressor::flush(std::vector<Piece>& batch, qint64& batchBytes) {
  if (batch.empty()) return true;
  Job job;
  job.pieces = std::move(batch);
  batch.clear();
  batchBytes = 0;
  return submit(std::move(job));
}

void Compressor::readAll() {
  std::vector<Piece> batch;
  qint64 batchBytes = 0;
  try {
    bool going = true;
    for (int i = 0; going && i < static_cast<int>(paths_.size()); ++i) {
      {
        std::lock_guard lock(mutex_);
        going = !cancelled_;
      }
      if (going) going = readEntry(i, batch, batchBytes);
    }
    if (going && flush(batch, batchBytes)) {
      Item end;
      end.kind = Item::End;
      publish(std::move(end));
    }
  } catch (...) {
    Item failed;
    failed.kind = Item::Failed;
    failed.error = ENOMEM;
    publish(std::move(failed));
  }
  {
    std::lock_guard lock(mutex_);
    readerDone_ = true;
  }
  jobReady_.notify_all();
}

// False when the run cannot go on (a failure, or the run was cancelled).
bool Compressor::readEntry(int index, std::vector<Piece>& batch, qint64& batchBytes) {
  const QByteArray& path = paths_[index];
  if (hook_) hook_(path);
  // Non-blocking: a pipe put in a file's place must not hang the run.
  const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  struct stat st;
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int err = fd < 0 ? errno : 0;
    if (fd >= 0) ::close(fd);
    const bool gone = err == 0 || err == ENOENT;
    if (!flush(batch, batchBytes)) return false;
    Item item;
    item.kind = gone ? Item::Gone : Item::Failed;
    item.entry = index;
    item.error = err;
    publish(std::move(item));
    return gone;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (st.st_size > kBlock) ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);

  auto fail = [&](int err) {
    if (flush(batch, batchBytes)) {
      Item failed;
      failed.kind = Item::Failed;
      failed.entry = index;
      failed.error = err;
      publish(std::move(failed));
    }
    return false;
  };
  qint64 position = 0;
  // The next block, up to kBlock bytes, in a buffer first sized by what the file should
  // still hold (plus one, so that its end shows as a short read): small files are many.
  auto readBlock = [&](std::shared_ptr<Buffer>& into) {
    const size_t guess =
        static_cast<size_t>(std::clamp<qint64>(st.st_size - position + 1, 1, kBlock));
    into = std::make_shared<Buffer>(guess);
    ssize_t n = readFull(fd, into->data(), guess);
    if (n == static_cast<ssize_t>(guess) && static_cast<qint64>(guess) < kBlock) {  // it grew
      into->resize(kBlock);
      const ssize_t more = readFull(fd, into->data() + guess, kBlock - guess);
      n = more < 0 ? more : n + more;
    }
    if (n < 0) return false;
    into->resize(static_cast<size_t>(n));
    position += n;
    return true;
  };

  std::shared_ptr<Buffer> current;
  if (!readBlock(current)) return fail(errno);
  Bytes previous;
  for (;;) {
    // A full block may be the last one: read ahead to know.
    std::shared_ptr<Buffer> following;
    bool last = static_cast<qint64>(current->size()) < kBlock;
    if (!last) {
      if (!readBlock(following)) return fail(errno);
      last = following->empty();
    }
    Piece piece;
    piece.entry = index;
    piece.input = current;
    piece.previous = previous;
    piece.first = !previous;
    piece.last = last;
    piece.size = st.st_size;
    piece.mode = st.st_mode;
    piece.mtime = st.st_mtime;
    if (piece.first && piece.last) {
      // A whole small file: with others, in order.
      batchBytes += static_cast<qint64>(current->size());
      batch.push_back(std::move(piece));
      if (batchBytes >= kBatchBytes || batch.size() >= kBatchFiles) return flush(batch, batchBytes);
      return true;
    }
    if (!flush(batch, batchBytes)) return false;
    Job job;
    job.pieces.push_back(std::move(piece));
    if (!submit(std::move(job))) return false;
    if (last) return true;
    previous = current;
    current = std::move(following);
  }
}

void Compressor::work() {
  z_stream stream{};
  bool ready = false;
  for (;;) {
    Job job;
    {
      std::unique_lock lock(mutex_);
      jobReady_.wait(lock, [this] { return cancelled_ || !jobs_.empty() || readerDone_; });
      if (cancelled_ || jobs_.empty()) break;
      job = std::move(jobs_.front());
      jobs_.pop_front();
    }
    Result result;
    result.job = true;
    try {
      if (level_ > 0 && !ready) {
        if (deflateInit2(&stream, level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
          throw std::bad_alloc();
        ready = true;
      }
      for (const Piece& piece : job.pieces) result.items.push_back(compress(piece, &stream));
    } catch (...) {  // no memory for the buffers or for zlib
      Item failed;
      failed.kind = Item::Failed;
      failed.entry = job.pieces.front().entry;
      failed.error = ENOMEM;
      result.items.assign(1, failed);
    }
    deliver(job.seq, std::move(result));
  }
  if (ready) deflateEnd(&stream);
}

Compressor::Item Compressor::compress(const Piece& piece, void* streamPtr) {
  const Buffer& in = *piece.input;
  Item item;
  item.kind = Item::Block;
  item.entry = piece.entry;
  item.size = piece.size;
  item.mode = piece.mode;
  item.mtime = piece.mtime;
  item.length = static_cast<qint64>(in.size());
  item.crc = crcOf(in);
  item.first = piece.first;
  item.last = piece.last;
  if (level_ == 0) {
    item.stored = true;
    item.bytes = piece.input;
    return item;
  }

  auto* stream = static_cast<z_stream*>(streamPtr);
  if (deflateReset(stream) != Z_OK) throw std::bad_alloc();
  if (piece.previous) {
    const Buffer& p = *piece.previous;
    const size_t n = std::min(p.size(), kDictionary);
    deflateSetDictionary(stream, p.data() + p.size() - n, static_cast<uInt>(n));
  }
  // Room for the data at its worst plus the flush markers.
  auto out = std::make_shared<Buffer>(deflateBound(stream, static_cast<uLong>(in.size())) + 64);
  stream->next_in = const_cast<unsigned char*>(in.data());
  stream->avail_in = static_cast<uInt>(in.size());
  size_t produced = 0;
  const int flush = piece.last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    stream->next_out = out->data() + produced;
    stream->avail_out = static_cast<uInt>(out->size() - produced);
    const int r = deflate(stream, flush);
    produced = out->size() - stream->avail_out;
    if (r == Z_STREAM_END) break;
    if (r != Z_OK && r != Z_BUF_ERROR) throw std::bad_alloc();
    if (!piece.last && stream->avail_in == 0 && stream->avail_out > 0) break;
    out->resize(out->size() * 2);
  }
  out->resize(produced);

  // A whole file that deflate would not shrink is stored, as zip does.
  if (piece.first && piece.last && produced >= in.size()) {
    item.stored = true;
    item.bytes = piece.input;
  } else {
    item.bytes = std::move(out);
  }
  return item;
}

Compressor::Item Compressor::next() {
  if (ready_.empty()) {
    Result result;
    bool freed;
    {
      std::unique_lock lock(mutex_);
      itemReady_.wait(lock, [this] { return results_.count(wanted_) > 0; });
      auto it = results_.find(wanted_);
      result = std::move(it->second);
      results_.erase(it);
      ++wanted_;
      freed = result.job;
      if (freed) --jobsInFlight_;
    }
    if (freed) room_.notify_one();
    for (Item& item : result.items) {
      if (item.kind == Item::Block && item.first) {
        Item start = item;  // the file as opened, without the data
        start.kind = Item::Start;
        start.bytes.reset();
        ready_.push_back(std::move(start));
      }
      ready_.push_back(std::move(item));
    }
  }
  Item item = std::move(ready_.front());
  ready_.pop_front();
  return item;
}

}  // namespace ark::zip

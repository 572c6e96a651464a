#pragma once
// Reads the files of an archive one after another on a reader thread and deflates them in
// blocks on every core, handing the results back in archive order.
//
// A file is cut into blocks of a fixed size; each block is deflated on its own, primed
// with the last 32 KiB of the block before it and ended by a sync flush (the last one by
// the end of the stream), so the blocks joined are one deflate stream. The bytes depend
// on the files alone, never on the threads' timing. Each block is read once, so even a
// file that changes while it is read gives a stream whose CRC matches what it holds.
#include <sys/types.h>

#include <QByteArray>
#include <QtGlobal>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace ark::zip {

// Leaves new bytes as they are: every buffer here is filled by a read or by deflate.
template <class T>
struct UninitializedAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  template <class U, class... Args>
  void construct(U* p, Args&&... args) {
    if constexpr (sizeof...(Args) == 0)
      ::new (static_cast<void*>(p)) U;
    else
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};

class Compressor {
 public:
  using Buffer = std::vector<unsigned char, UninitializedAllocator<unsigned char>>;
  using Bytes = std::shared_ptr<const Buffer>;

  struct Item {
    enum Kind {
      Start,   // the file is open: size, mode and mtime as it has them
      Block,   // the next piece of its data
      Gone,    // the file no longer existed (or was no file) when its turn came
      Failed,  // it could not be opened or read: `error`; nothing follows
      End,     // every file has been handed back
    };
    Kind kind = End;
    int entry = -1;
    qint64 size = 0;
    mode_t mode = 0;
    time_t mtime = 0;
    Bytes bytes;          // Block: deflated data, or the file's own bytes when `stored`
    quint32 crc = 0;      // Block: CRC-32 of the file's bytes in it
    qint64 length = 0;    // Block: how many of the file's bytes it holds
    bool first = false;   // Block: the file's data starts with it
    bool last = false;    // Block: the file's data ends with it
    bool stored = false;  // Block: not deflated (level 0, or a one-block file it would grow)
    int error = 0;
  };

  // Called on the reader thread with a file's path just before it is opened.
  using OpenHook = std::function<void(const QByteArray& path)>;

  // Level 0 stores; 1 to 9 deflate.
  Compressor(std::vector<QByteArray> paths, int level, OpenHook hook = {});
  ~Compressor();  // stops the threads, whatever is left undone
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;

  // The next result in archive order; waits for it. Start comes before a file's first block.
  Item next();

  // Worker threads used (one per core).
  static int workerCount();

 private:
  // A block of one file, or a whole small file.
  struct Piece {
    int entry = -1;
    Bytes input;
    Bytes previous;  // the block before, for the dictionary
    bool first = false;
    bool last = false;
    qint64 size = 0;  // first: the file as opened
    mode_t mode = 0;
    time_t mtime = 0;
  };
  // One worker's task: a block, or several small files at once (fewer hand-overs).
  struct Job {
    quint64 seq = 0;
    std::vector<Piece> pieces;
  };
  struct Result {
    bool job = false;  // counts against the window
    std::vector<Item> items;
  };

  void stop();
  void readAll();
  bool readEntry(int index, std::vector<Piece>& batch, qint64& batchBytes);
  bool flush(std::vector<Piece>& batch, qint64& batchBytes);
  void publish(Item item);
  bool submit(Job job);
  void deliver(quint64 seq, Result result);
  void work();
  Item compress(const Piece& piece, void* stream);

  const std::vector<QByteArray> paths_;
  const int level_;
  const OpenHook hook_;
  const int window_;

  std::mutex mutex_;
  std::condition_variable jobReady_;
  std::condition_variable itemReady_;
  std::condition_variable room_;
  std::deque<Job> jobs_;
  std::map<quint64, Result> results_;
  quint64 nextSeq_ = 0;  // reader's numbering
  quint64 wanted_ = 0;   // next one to hand back
  int jobsInFlight_ = 0;
  bool readerDone_ = false;
  bool cancelled_ = false;

  std::deque<Item> ready_;  // the writer's side: handed out one by one

  std::thread reader_;
  std::vector<std::thread> workers_;
};

}  // namespace ark::zip

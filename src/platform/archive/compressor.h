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
#include <vector>

namespace ark::zip {

class Compressor {
 public:
  using Bytes = std::shared_ptr<const std::vector<unsigned char>>;

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

  // The next result in archive order; waits for it.
  Item next();

  // Worker threads used (one per core).
  static int workerCount();

 private:
  struct Job {
    quint64 seq = 0;
    int entry = -1;
    Bytes input;
    Bytes previous;  // the block before, for the dictionary
    bool last = false;
  };

  void stop();
  void readAll();
  bool readEntry(int index);
  void publish(Item item);
  bool submit(Job job);
  void work();
  Item compress(const Job& job, void* stream);

  const std::vector<QByteArray> paths_;
  const int level_;
  const OpenHook hook_;
  const int window_;

  std::mutex mutex_;
  std::condition_variable jobReady_;
  std::condition_variable itemReady_;
  std::condition_variable room_;
  std::deque<Job> jobs_;
  std::map<quint64, Item> items_;
  quint64 nextSeq_ = 0;  // reader's numbering
  quint64 wanted_ = 0;   // next one to hand back
  int blocksInFlight_ = 0;
  bool readerDone_ = false;
  bool cancelled_ = false;

  std::thread reader_;
  std::vector<std::thread> workers_;
};

}  // namespace ark::zip

// Writes a capture's PNG frames on worker threads, so that encoding one frame overlaps with
// rendering the next. Frames wait in a short queue: a slow disk holds the renderer back instead
// of filling memory.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexil {

class PngWriterPool {
 public:
  // threads: at least 1. max_pending: frames that may wait before Submit blocks.
  PngWriterPool(int threads, size_t max_pending);
  ~PngWriterPool();
  PngWriterPool(const PngWriterPool&) = delete;
  PngWriterPool& operator=(const PngWriterPool&) = delete;

  // Queues top-down RGB pixels (width * 3 bytes per row) for `path`. False once a frame
  // has failed: nothing more is queued then.
  bool Submit(std::string path, int width, int height, std::vector<uint8_t> rgb);

  // Waits until every queued frame is written. False with the first failure in *error.
  bool Finish(std::string* error);

  // Frames whose file was written completely so far.
  int64_t Written();

  // A worker count sized to the machine: one per core, at most 8.
  static int DefaultThreads();

 private:
  struct Job {
    std::string path;
    int width;
    int height;
    std::vector<uint8_t> rgb;
  };
  void Work();

  const size_t max_pending_;
  std::mutex mutex_;
  std::condition_variable work_ready_;
  std::condition_variable space_ready_;
  std::deque<Job> jobs_;
  int busy_ = 0;
  int64_t written_ = 0;
  bool stopping_ = false;
  std::string error_;
  std::vector<std::thread> threads_;
};

}  // namespace vexil

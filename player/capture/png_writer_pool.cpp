// Worker threads for PNG frames.
#include "png_writer_pool.h"

#include <algorithm>

#include "png_writer.h"

namespace vexil {

PngWriterPool::PngWriterPool(int threads, size_t max_pending)
    : max_pending_(std::max<size_t>(1, max_pending)) {
  for (int i = 0; i < std::max(1, threads); ++i) threads_.emplace_back([this] { Work(); });
}

PngWriterPool::~PngWriterPool() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

int PngWriterPool::DefaultThreads() {
  // One writer per core: the renderer's own threads wait on each other (the rasteriser for the
  // next scene, the frame for its read-back), and a writer on every core fills those gaps. The
  // system shares the cores out; more writers than cores would only hold more frames.
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(cores, 1, 8);
}

bool PngWriterPool::Submit(std::string path, int width, int height, std::vector<uint8_t> rgb) {
  std::unique_lock<std::mutex> lock(mutex_);
  space_ready_.wait(lock, [this] { return jobs_.size() < max_pending_ || !error_.empty(); });
  if (!error_.empty()) return false;
  jobs_.push_back(Job{std::move(path), width, height, std::move(rgb)});
  lock.unlock();
  work_ready_.notify_one();
  return true;
}

bool PngWriterPool::Finish(std::string* error) {
  std::unique_lock<std::mutex> lock(mutex_);
  space_ready_.wait(lock, [this] { return jobs_.empty() && busy_ == 0; });
  if (error_.empty()) return true;
  *error = error_;
  return false;
}

int64_t PngWriterPool::Written() {
  std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

void PngWriterPool::Work() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // stopping, and nothing left to write
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    ++busy_;
    const bool skip = !error_.empty();  // after a failure the capture is over anyway
    lock.unlock();
    space_ready_.notify_all();
    std::string why;
    const bool ok = skip || WritePngRgb(job.path, job.width, job.height, job.rgb.data(), &why);
    lock.lock();
    --busy_;
    if (ok && !skip) ++written_;
    if (!ok && error_.empty()) error_ = "cannot write \"" + job.path + "\": " + why;
    space_ready_.notify_all();
  }
}

}  // namespace vexil

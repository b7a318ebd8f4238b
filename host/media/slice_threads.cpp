#include "host/media/slice_threads.h"

#include <algorithm>

namespace vmhost {

SliceThreads::SliceThreads() : count_(std::max(1, static_cast<int>(std::thread::hardware_concurrency()))) {}

SliceThreads::~SliceThreads() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  start_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void SliceThreads::run(int slices, const std::function<void(int)>& work) {
  slices = std::clamp(slices, 1, count_);
  if (slices == 1) return work(0);
  if (threads_.empty())
    for (int slice = 1; slice < count_; ++slice) threads_.emplace_back([this, slice] { serve(slice); });
  {
    std::lock_guard<std::mutex> lock(mutex_);
    work_ = &work;
    slices_ = slices;
    pending_ = slices - 1;
    ++round_;
  }
  start_.notify_all();
  work(0);
  std::unique_lock<std::mutex> lock(mutex_);
  done_.wait(lock, [this] { return pending_ == 0; });
  work_ = nullptr;
}

void SliceThreads::serve(int slice) {
  uint64_t seen = 0;
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    start_.wait(lock, [&] { return stopping_ || round_ != seen; });
    if (stopping_) return;
    seen = round_;
    if (slice >= slices_) continue;
    const std::function<void(int)>& work = *work_;
    lock.unlock();
    work(slice);
    lock.lock();
    if (--pending_ == 0) done_.notify_one();
  }
}

}  // namespace vmhost

// Splits one piece of work into slices that run at once on every core, as
// FFmpeg's filters split a frame's rows; the calling thread takes a share.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vmhost {

class SliceThreads {
 public:
  SliceThreads();
  ~SliceThreads();
  SliceThreads(const SliceThreads&) = delete;
  SliceThreads& operator=(const SliceThreads&) = delete;

  // How many slices run at once: one a core.
  int count() const { return count_; }
  // Calls work(slice) for every slice below `slices` (at most count()), on
  // as many threads, and returns once all have returned. `work` must not
  // throw.
  void run(int slices, const std::function<void(int slice)>& work);

 private:
  void serve(int slice);

  int count_;
  std::mutex mutex_;
  std::condition_variable start_, done_;
  const std::function<void(int)>* work_ = nullptr;
  int slices_ = 0;
  int pending_ = 0;
  uint64_t round_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // started on the first run that needs them
};

}  // namespace vmhost

// Runs the encoding of frames on its own thread, a few frames behind the
// caller, so that decoding and the plug-in's work on the next frame overlap
// with converting and encoding the last one.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "host/media/argb_frame.h"

namespace vmhost {

class EncodeQueue {
 public:
  struct Job {
    ArgbFrame pixels;
    std::vector<float> audio;  // interleaved samples
    int64_t sampleFrames = 0;
  };
  // Called on the queue's thread, one job at a time, in order.
  using Work = std::function<bool(const Job& job, std::string& error)>;

  // One frame in the encoder's hands by default: one is encoded while the
  // next is rendered, and the encoders keep queues of their own.
  static constexpr size_t kSinkDepth = 1;

  EncodeQueue(Work work, size_t depth = kSinkDepth);
  // Stops the thread; jobs not yet started are dropped.
  ~EncodeQueue();
  EncodeQueue(const EncodeQueue&) = delete;
  EncodeQueue& operator=(const EncodeQueue&) = delete;

  // Takes the pixels of `frame` into a job, leaving `frame` a buffer of the
  // same size whose pixels are undefined, and copies its audio
  // (`sampleFrames` x `channels` floats); waits while `depth` jobs are
  // pending or running. Returns false with the error once a job has failed.
  bool push(ArgbFrame& frame, const float* audio, int64_t sampleFrames, int channels, std::string& error);
  // Waits until every pushed job is done; false with the first failure.
  bool drain(std::string& error);

 private:
  void run();

  Work work_;
  size_t depth_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> pending_;
  std::vector<Job> spare_;  // finished jobs, their buffers kept for reuse
  bool busy_ = false;
  bool stopping_ = false;
  bool failed_ = false;
  std::string error_;
  std::thread thread_;  // last: started once everything above exists
};

}  // namespace vmhost

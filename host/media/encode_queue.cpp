#include "host/media/encode_queue.h"

namespace vmhost {

EncodeQueue::EncodeQueue(Work work, size_t depth)
    : work_(std::move(work)), depth_(depth > 0 ? depth : 1), thread_([this] { run(); }) {}

EncodeQueue::~EncodeQueue() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    pending_.clear();
  }
  changed_.notify_all();
  thread_.join();
}

bool EncodeQueue::push(ArgbFrame& frame, const float* audio, int64_t sampleFrames, int channels,
                       std::string& error) {
  Job job;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return failed_ || pending_.size() + (busy_ ? 1 : 0) < depth_; });
    if (failed_) {
      error = error_;
      return false;
    }
    if (!spare_.empty()) {
      job = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  // The caller draws its next frame into the buffer of a finished job.
  ArgbFrame next = job.pixels.sameSize(frame) ? std::move(job.pixels) : ArgbFrame(frame.width(), frame.height());
  job.pixels = std::move(frame);
  frame = std::move(next);
  job.sampleFrames = audio != nullptr ? sampleFrames : 0;
  job.audio.assign(audio, audio + (audio != nullptr ? sampleFrames * channels : 0));
  {
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.push_back(std::move(job));
  }
  changed_.notify_all();
  return true;
}

bool EncodeQueue::drain(std::string& error) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return failed_ || (pending_.empty() && !busy_); });
  if (failed_) error = error_;
  return !failed_;
}

void EncodeQueue::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return stopping_ || (!pending_.empty() && !failed_); });
    if (stopping_) return;
    Job job = std::move(pending_.front());
    pending_.pop_front();
    busy_ = true;
    lock.unlock();
    std::string error;
    bool ok = false;
    try {
      ok = work_(job, error);
    } catch (const std::exception& e) {
      error = e.what();
    }
    lock.lock();
    busy_ = false;
    if (!ok && !failed_) {
      failed_ = true;
      error_ = error;
    }
    spare_.push_back(std::move(job));
    changed_.notify_all();
  }
}

}  // namespace vmhost

#include "host/media/encode_queue.h"

#include <gtest/gtest.h>

namespace {

// Jobs run in order on the queue's thread, on copies of the caller's
// buffers, and the first failure reaches the caller.
TEST(EncodeQueue, RunsCopiesInOrderAndReportsTheFirstFailure) {
  std::vector<int> seen;
  vmhost::EncodeQueue queue(
      [&seen](const vmhost::EncodeQueue::Job& job, std::string& error) {
        seen.push_back(job.pixels[0] * 1000 + static_cast<int>(job.audio.size()));
        if (job.pixels[0] == 3) error = "disk full";
        return job.pixels[0] != 3;
      },
      2);
  uint8_t frame[8] = {};
  const float audio[6] = {};
  std::string error;
  for (uint8_t i = 0; i < 3; ++i) {
    frame[0] = i;  // the caller reuses its buffer at once
    ASSERT_TRUE(queue.push(frame, 4, 2, audio, i, 2, error)) << error;
  }
  ASSERT_TRUE(queue.drain(error)) << error;
  EXPECT_EQ(seen, (std::vector<int>{0, 1002, 2004}));
  frame[0] = 3;
  EXPECT_TRUE(queue.push(frame, 4, 2, nullptr, 0, 2, error));
  EXPECT_FALSE(queue.drain(error));
  EXPECT_EQ(error, "disk full");
  frame[0] = 4;
  error.clear();
  EXPECT_FALSE(queue.push(frame, 4, 2, nullptr, 0, 2, error));
  EXPECT_EQ(error, "disk full");
  EXPECT_EQ(seen.size(), 4u);
}

}  // namespace

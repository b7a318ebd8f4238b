#include "host/media/encode_queue.h"

#include <gtest/gtest.h>

namespace {

// Jobs run in order on the queue's thread, on the very pixels the caller
// handed over (the caller draws on in another buffer of the same size) and
// copies of its audio, and the first failure reaches the caller.
TEST(EncodeQueue, TakesFramesInOrderAndReportsTheFirstFailure) {
  std::vector<int> seen;
  std::vector<const uint8_t*> handed, received;
  vmhost::EncodeQueue queue(
      [&](const vmhost::EncodeQueue::Job& job, std::string& error) {
        received.push_back(job.pixels.data());
        seen.push_back(job.pixels.data()[0] * 1000 + static_cast<int>(job.audio.size()));
        if (job.pixels.data()[0] == 3) error = "disk full";
        return job.pixels.data()[0] != 3;
      },
      2);
  vmhost::ArgbFrame frame(3, 2);
  const float audio[6] = {};
  std::string error;
  for (uint8_t i = 0; i < 3; ++i) {
    frame.data()[0] = i;
    handed.push_back(frame.data());
    ASSERT_TRUE(queue.push(frame, audio, i, 2, error)) << error;
    ASSERT_NE(frame.data(), handed.back());
    ASSERT_EQ(frame.width() * 10 + frame.height(), 32);
  }
  ASSERT_TRUE(queue.drain(error)) << error;
  EXPECT_EQ(seen, (std::vector<int>{0, 1002, 2004}));
  EXPECT_EQ(received, handed);
  frame.data()[0] = 3;
  EXPECT_TRUE(queue.push(frame, nullptr, 0, 2, error));
  EXPECT_FALSE(queue.drain(error));
  EXPECT_EQ(error, "disk full");
  frame.data()[0] = 4;
  error.clear();
  EXPECT_FALSE(queue.push(frame, nullptr, 0, 2, error));
  EXPECT_EQ(error, "disk full");
  EXPECT_EQ(seen.size(), 4u);
}

}  // namespace

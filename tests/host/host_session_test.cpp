#include "host/host_session.h"

#include <gtest/gtest.h>

#include "host/memory_tracker.h"
#include "tests/host/test_media.h"

namespace {

// A 4x2 picture as the session's input, no audio.
class HostSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pixels_ = vmtest::randomBytes(4 * 2 * 3, 1);
    ASSERT_TRUE(vmtest::writePng(dir_.path("p.png"), pixels_, 4, 2));
    std::string error;
    video_ = vmhost::VideoReader::open(dir_.path("p.png"), error);
    ASSERT_TRUE(video_) << error;
    session_ = std::make_unique<vmhost::HostSession>(video_.get(), nullptr, HYPluginFilterInfo{{0.5f, 0.5f, 0.5f}, 7, 9});
    procs_ = session_->procs();
  }
  vmtest::ScratchDir dir_;
  std::vector<uint8_t> pixels_;
  std::unique_ptr<vmhost::VideoReader> video_;
  std::unique_ptr<vmhost::HostSession> session_;
  HYProcs* procs_ = nullptr;
};

TEST_F(HostSessionTest, GetFrameDeliversTheFrameUntilReleased) {
  GWorldPtr frame = nullptr;
  int16_t volume = 0;
  void* cookie = nullptr;
  ASSERT_EQ(procs_->GetFrame(session_->instance(), 0, &frame, 4, 2, kDVHighQuality, &volume, &cookie), kPluginOK);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(volume, 256);
  const PixMap& pm = frame->portPixMap;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x)
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(static_cast<uint8_t>(pm.baseAddr[y * pm.rowBytes + x * 4 + 1 + c]), pixels_[(y * 4 + x) * 3 + c]);
  EXPECT_EQ(session_->framesHeld(), 1u);
  EXPECT_EQ(procs_->MixAudio(session_->instance(), cookie, 256), kPluginOK);  // no audio: nothing to mix
  EXPECT_EQ(procs_->ReleaseFrame(session_->instance(), cookie), kPluginOK);
  EXPECT_EQ(session_->framesHeld(), 0u);
  // The cookie is spent: using it again is refused, not a crash.
  EXPECT_EQ(procs_->ReleaseFrame(session_->instance(), cookie), kPluginBadParams);
  EXPECT_EQ(procs_->MixAudio(session_->instance(), cookie, 256), kPluginBadParams);
}

TEST_F(HostSessionTest, RefusesFramesOutsideTheClipWithAReason) {
  GWorldPtr frame = reinterpret_cast<GWorldPtr>(1);
  void* cookie = reinterpret_cast<void*>(1);
  int16_t volume = 0;
  EXPECT_EQ(procs_->GetFrame(session_->instance(), 1, &frame, 4, 2, kDVHighQuality, &volume, &cookie),
            kPluginBadParams);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(cookie, nullptr);
  EXPECT_EQ(session_->lastError(), "GetFrame: frame 1 is outside the clip (frames 0 to 0)");
  EXPECT_EQ(procs_->GetFrame(session_->instance(), 0, &frame, 0, 2, kDVHighQuality, &volume, &cookie),
            kPluginBadParams);
  EXPECT_EQ(procs_->GetFrame(nullptr, 0, &frame, 4, 2, kDVHighQuality, &volume, &cookie), kPluginBadParams);
  EXPECT_EQ(session_->framesHeld(), 0u);
}

TEST_F(HostSessionTest, FilterInfoIsACopyGivenBackOnce) {
  HYPluginFilterInfo* info = nullptr;
  ASSERT_EQ(procs_->GetFilterInfo(session_->instance(), &info), kPluginOK);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->fadeInFrames, 7);
  EXPECT_EQ(info->fadeOutFrames, 9);
  EXPECT_EQ(info->sliderValues[2], 0.5f);
  info->fadeInFrames = 99;  // the plug-in scribbling on it changes nothing later
  EXPECT_EQ(procs_->ReleaseFilterInfo(session_->instance(), info), kPluginOK);
  EXPECT_EQ(procs_->ReleaseFilterInfo(session_->instance(), info), kPluginBadParams);
  ASSERT_EQ(procs_->GetFilterInfo(session_->instance(), &info), kPluginOK);
  EXPECT_EQ(info->fadeInFrames, 7);
}

TEST(MemoryTracker, CountsBlocksAndIgnoresForeignPointers) {
  const auto before = vmhost::outstandingBlocks();
  Ptr a = vmhost::trackedNewPtrClear(100);
  Ptr b = vmhost::trackedNewPtrClear(28);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a[99], 0);
  EXPECT_EQ(vmhost::outstandingBlocks().count, before.count + 2);
  EXPECT_EQ(vmhost::outstandingBlocks().bytes, before.bytes + 128);
  char local = 0;
  vmhost::trackedDisposePtr(&local);  // never handed out: left alone
  EXPECT_EQ(vmhost::foreignDisposals(), 1u);
  vmhost::trackedDisposePtr(a);
  vmhost::trackedDisposePtr(a);  // twice: the second is foreign now
  vmhost::trackedDisposePtr(b);
  EXPECT_EQ(vmhost::outstandingBlocks().count, before.count);
  EXPECT_EQ(vmhost::foreignDisposals(), 2u);
}

}  // namespace

#include "host/session/host_session.h"

#include <gtest/gtest.h>

#include "host/session/memory_tracker.h"
#include "tests/host/test_media.h"

namespace {

// A 4x2 picture as the session's input, no audio: frames and the filter
// information are lent until given back, and bad requests are refused. (The
// frames' pixels: Render.FadesBlendTheUnprocessedFrameOverTheFirstAndLastFrames.)
TEST(HostSession, LendsFramesAndFilterInfoAndRefusesBadRequests) {
  vmtest::ScratchDir dir;
  ASSERT_TRUE(vmtest::writePng(dir.path("p.png"), vmtest::randomBytes(4 * 2 * 3, 1), 4, 2));
  std::string error;
  const auto video = vmhost::VideoReader::open(dir.path("p.png"), error);
  ASSERT_TRUE(video) << error;
  vmhost::HostSession session(video.get(), nullptr, HYPluginFilterInfo{{0.5f, 0.5f, 0.5f}, 7, 9});
  HYProcs* procs = session.procs();
  void* const self = session.instance();

  GWorldPtr frame = nullptr;
  int16_t volume = 0;
  void* cookie = nullptr;
  ASSERT_EQ(procs->GetFrame(self, 0, &frame, 4, 2, kDVHighQuality, &volume, &cookie), kPluginOK);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(volume, 256);
  EXPECT_EQ(session.framesHeld(), 1u);
  EXPECT_EQ(procs->MixAudio(self, cookie, 256), kPluginOK);  // no audio: nothing to mix
  EXPECT_EQ(procs->ReleaseFrame(self, cookie), kPluginOK);
  EXPECT_EQ(session.framesHeld(), 0u);
  // The cookie is spent: using it again is refused, not a crash.
  EXPECT_EQ(procs->ReleaseFrame(self, cookie), kPluginBadParams);
  EXPECT_EQ(procs->MixAudio(self, cookie, 256), kPluginBadParams);

  frame = reinterpret_cast<GWorldPtr>(1);
  cookie = reinterpret_cast<void*>(1);
  EXPECT_EQ(procs->GetFrame(self, 1, &frame, 4, 2, kDVHighQuality, &volume, &cookie), kPluginBadParams);
  EXPECT_TRUE(frame == nullptr && cookie == nullptr);
  EXPECT_EQ(session.lastError(), "GetFrame: frame 1 is outside the clip (frames 0 to 0)");
  EXPECT_EQ(procs->GetFrame(self, 0, &frame, 0, 2, kDVHighQuality, &volume, &cookie), kPluginBadParams);
  EXPECT_EQ(procs->GetFrame(nullptr, 0, &frame, 4, 2, kDVHighQuality, &volume, &cookie), kPluginBadParams);
  EXPECT_EQ(session.framesHeld(), 0u);

  HYPluginFilterInfo* info = nullptr;
  ASSERT_EQ(procs->GetFilterInfo(self, &info), kPluginOK);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ((std::vector{info->fadeInFrames, info->fadeOutFrames}), (std::vector{7, 9}));
  EXPECT_EQ(info->sliderValues[2], 0.5f);
  info->fadeInFrames = 99;  // the plug-in scribbling on its copy changes nothing later
  EXPECT_EQ(procs->ReleaseFilterInfo(self, info), kPluginOK);
  EXPECT_EQ(procs->ReleaseFilterInfo(self, info), kPluginBadParams);
  ASSERT_EQ(procs->GetFilterInfo(self, &info), kPluginOK);
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

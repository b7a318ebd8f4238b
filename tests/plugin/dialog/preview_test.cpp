// What the preview shows: the effect on the scaled frame with the frame
// outline and handles, following the strength slider during its drag; the
// frames the scrubber fetches from the host.
#include <QSlider>
#include <QTest>

#include "plugin/core/bridges/pascal_fx.h"
#include "plugin/core/globals.h"
#include "plugin/dialog/imovie_glue.h"
#include "plugin/dialog/slider_handlers.h"
#include "plugin/render/offscreen_buffers.h"
#include "tests/plugin/dialog/dialog_fixture.h"

namespace dialog_test {
namespace {

class PreviewTest : public DialogTest {
 protected:
  // The frame as the render path prints it at `strength`, scaled to the
  // preview's size as the preview scales it.
  GrafPtr Expected(int16_t strength) {
    pluginDataRec copy = *config_;
    copy.sliders[1] = strength;
    GrafPtr printed = MakeGWorldClone(frame_);
    int16_t opacity = 0;
    DoEffect(&copy, nullptr, frame_, printed, 0, 0, 0, 1, 0, 0, 0, opacity);
    const Rect preview = PreviewBounds();
    GrafPtr scaled = AllocateGWorld(static_cast<int16_t>(preview.right - preview.left),
                                    static_cast<int16_t>(preview.bottom - preview.top));
    const Rect from = GetPortRect(printed), to = GetPortRect(scaled);
    CopyBits(GetPortBitMapForCopyBits(printed), GetPortBitMapForCopyBits(scaled), &from, &to, srcCopy, nullptr);
    DisposeGWorld(printed);
    return scaled;
  }
  // Pixel (x, y) of the preview control, from the window's port.
  uint32_t Shown(int x, int y) {
    const Rect preview = PreviewBounds();
    return PixelAt(GetWindowPort(window_), preview.left + x, preview.top + y);
  }
  // Points of the picture clear of the border, the frame outline and the
  // handles of the frame (90, 60)-(270, 180).
  std::vector<std::pair<int, int>> PicturePoints() {
    std::vector<std::pair<int, int>> points;
    for (int y = 3; y < 237; y += 13)
      for (int x = 3; x < 357; x += 17)
        if (std::abs(x - 90) > 8 && std::abs(x - 269) > 8 && std::abs(y - 60) > 8 && std::abs(y - 179) > 8)
          points.emplace_back(x, y);
    return points;
  }
};

TEST_F(PreviewTest, ShowsTheEffectWithOutlineHandlesAndBorderAndFollowsTheStrengthDuringItsDrag) {
  config_->startRel = relRect{0.25, 0.75, 0.25, 0.75};
  OpenWindow();
  GrafPtr at17 = Expected(17), at42 = Expected(42);
  const auto points = PicturePoints();
  ASSERT_GT(points.size(), 200u);
  int differing = 0;
  for (auto [x, y] : points) {
    EXPECT_EQ(PixelAt(at17, x, y), Shown(x, y)) << x << "," << y;
    differing += PixelAt(at42, x, y) != PixelAt(at17, x, y);
  }
  EXPECT_GT(differing, 20) << "the two strengths must look different for this test to mean anything";
  // The outline in frameStartColor (red after a reset), just inside the frame.
  for (auto [x, y] : {std::pair{90, 120}, {269, 100}, {180, 60}, {150, 179}})
    EXPECT_EQ(0xFF0000u, Shown(x, y)) << x << "," << y;
  // Rings black, white, black from the top of the top-left handle inwards.
  EXPECT_EQ((std::array<uint32_t, 3>{0, 0xFFFFFF, 0}), (std::array{Shown(90, 54), Shown(90, 55), Shown(90, 56)}));
  // The black border over the picture's outermost pixels.
  for (auto [x, y] : {std::pair{0, 0}, {359, 120}, {200, 239}, {0, 100}}) EXPECT_EQ(0u, Shown(x, y)) << x << "," << y;
  // Dragging the strength slider to 42 writes and shows it before the release.
  auto* slider = static_cast<QSlider*>(WidgetOf(window_, "Sldr", 1));
  const QPoint start = toolkit_test::ThumbCentre(slider);
  QTest::mousePress(slider, Qt::LeftButton, {}, start);
  for (int dx = 1; dx < 200 && slider->value() != 42; ++dx) QTest::mouseMove(slider, start + QPoint(dx, 0));
  ASSERT_TRUE(slider->value() == 42 && slider->isSliderDown());
  EXPECT_EQ(42, config_->sliders[1]);
  EXPECT_EQ("42%", TextOf(window_, "Lgnd", 1));
  for (auto [x, y] : points) EXPECT_EQ(PixelAt(at42, x, y), Shown(x, y)) << x << "," << y;
  QTest::mouseRelease(slider, Qt::LeftButton, {}, start + QPoint(40, 0));
  DisposeGWorld(at17);
  DisposeGWorld(at42);
}

// The step buttons move the scrubber one frame, never past the ends, and
// fetch that frame (a failed fetch keeps the one shown); only dragging the
// scrubber changes the current frame. Two refreshes leave the preview's value
// as it was.
TEST_F(PreviewTest, StepButtonsAndTheScrubberFetchTheirFrame) {
  host_.params.startFrame = 1000;
  OpenWindow(3);
  const std::tuple<const char*, HYPluginResult, const char*> steps[] = {{"previousFrame", kPluginOK, "0/2"},
                                                                        {"nextFrame", kPluginOK, "1/2"},
                                                                        {"nextFrame", kPluginFailed, "2/2"},
                                                                        {"nextFrame", kPluginOK, "2/2"}};
  for (const auto& [button, answer, counter] : steps) {
    host_.getFrameResult = answer;
    ClickCommand(window_, button);
    EXPECT_EQ(counter, TextOf(window_, "ClpM", 1)) << button;
  }
  EXPECT_EQ((std::vector<int32_t>{1001, 1002}), host_.requested);
  EXPECT_EQ(1, host_.released);
  EXPECT_EQ(2, GetControl32BitValue(gConfigWorkSpace.clipSlider));
  EXPECT_EQ(0, gConfigWorkSpace.currFrameIndex);
  GrafPtr expected = MakeTestFrame(720, 480, 1001);  // scaled into the dialog's frame buffer
  EXPECT_EQ(PixelAt(expected, 100, 50), PixelAt(gConfigWorkSpace.sourceClip, 100, 50));
  DisposeGWorld(expected);
  // The scrubber dragged to 1, in a clip whose first frame is 100 frames in.
  host_.getFrameResult = kPluginOK;
  gConfigWorkSpace.minFrameIndex = 100;
  SetControl32BitValue(gConfigWorkSpace.clipSlider, 1);
  ClipSliderAction(gConfigWorkSpace.clipSlider, kControlIndicatorPart);
  EXPECT_EQ(1, gConfigWorkSpace.currFrameIndex);
  EXPECT_EQ("1/2", TextOf(window_, "ClpM", 1));
  EXPECT_EQ(1101, host_.requested.back());
  for (SInt32 start : {0, 1}) {
    SetControl32BitValue(gConfigWorkSpace.theFrameCtrl, start);
    RerenderAndBlit();
    EXPECT_EQ(1 - start, GetControl32BitValue(gConfigWorkSpace.theFrameCtrl));
    RerenderAndBlit();
    EXPECT_EQ(start, GetControl32BitValue(gConfigWorkSpace.theFrameCtrl));
  }
}

TEST(FrameFetchTest, QualityIsLowOnlyForProxyRendersUnder260Lines) {
  const std::tuple<bool, int16_t, HYRefDVQuality> cases[] = {{true, 240, kDVLowQuality},
                                                             {true, 259, kDVLowQuality},
                                                             {true, 260, kDVHighQuality},
                                                             {false, 240, kDVHighQuality},
                                                             {false, 480, kDVHighQuality}};
  for (const auto& [proxy, height, quality] : cases) {
    FrameHost host;
    host.params.proxyOnly = proxy;
    GrafPtr gw = AllocateGWorld(320, height);
    EXPECT_EQ(kPluginOK, GetFrameIntoGW(gw, &host.params, 3, 1));
    EXPECT_EQ(std::vector<HYRefDVQuality>{quality}, host.qualities) << proxy << " " << height;
    DisposeGWorld(gw);
  }
}

// The frame fills the buffer and is given back; a negative frame number
// never reaches the host; a failed fetch leaves the buffer.
TEST(FrameFetchTest, TheFrameFillsTheBufferAndIsGivenBack) {
  FrameHost host;
  host.params.startFrame = 4;
  GrafPtr gw = MakeTestFrame(36, 24, 99), expected = MakeTestFrame(36, 24, 9);
  EXPECT_EQ(kPluginOK, GetFrameIntoGW(gw, &host.params, 5, 1));
  for (int y = 0; y < 24; y += 5)
    for (int x = 0; x < 36; x += 7) EXPECT_EQ(PixelAt(expected, x, y), PixelAt(gw, x, y)) << x << "," << y;
  EXPECT_EQ(1, host.released);
  EXPECT_EQ(nullptr, host.held) << "the host disposed of its frame on release";
  host.params.startFrame = 10;
  EXPECT_EQ(-1, GetFrameIntoGW(gw, &host.params, -11, 1));
  host.getFrameResult = kPluginOutOfMemory;
  EXPECT_EQ(kPluginOutOfMemory, GetFrameIntoGW(gw, &host.params, -10, 1));
  EXPECT_EQ((std::vector<int32_t>{9, 0}), host.requested);
  EXPECT_EQ(PixelAt(expected, 4, 4), PixelAt(gw, 4, 4));
  EXPECT_EQ(1, host.released);
  DisposeGWorld(expected);
  DisposeGWorld(gw);
}

}  // namespace
}  // namespace dialog_test

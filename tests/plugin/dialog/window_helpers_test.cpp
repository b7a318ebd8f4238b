// Justified text geometry and the nib openers' failure messages and stops.
#include "plugin/dialog/window_helpers.h"

#include <sys/wait.h>
#include <gtest/gtest.h>

#include "tests/platform/toolkit/panel_fixture.h"

namespace {

TEST(JustifiedTextTest, PenPositionsFollowTheJustification) {
  const Rect box{80, 10, 100, 111};  // 101 wide, 20 high, bottom 100
  const struct {
    SInt16 justification;
    double height;
    SInt16 textWidth;
    SInt16 h, v;
  } cases[] = {
      {1, 12.0, 40, 11, 94},  // left + 1; baseline 100 - 10 + 6 - 2
      {2, 12.0, 40, 40, 94},  // 10 + 50 - 20
      {3, 12.0, 40, 70, 94},  // 111 - 1 - 40
      {0, 12.0, 40, 11, 94},  // unknown codes draw as left
      {4, 12.0, 40, 11, 94},
      {2, 9.9, 41, 40, 93},   // 10 + 50 - 41 div 2; 100 - 10 + 9 div 2 - trunc(1.98)
  };
  for (const auto& c : cases) {
    const Point pen = JustifiedTextOrigin(box, c.justification, c.height, c.textWidth);
    EXPECT_EQ(c.h, pen.h) << c.justification << " " << c.height;
    EXPECT_EQ(c.v, pen.v) << c.justification << " " << c.height;
  }
}

TEST(JustifiedTextTest, BackdropSparesOnePixelEachSideAndUnknownCodesPaintTheBox) {
  const Rect box{80, 10, 100, 111};
  const struct {
    SInt16 justification;
    SInt16 left, right;
  } cases[] = {{1, 10, 52}, {2, 39, 81}, {3, 69, 111}, {0, 10, 111}, {4, 10, 111}};
  for (const auto& c : cases) {
    const Rect r = JustifiedTextRect(box, c.justification, 40);
    EXPECT_EQ(c.left, r.left) << c.justification;
    EXPECT_EQ(c.right, r.right) << c.justification;
    EXPECT_EQ(80, r.top);
    EXPECT_EQ(100, r.bottom);
  }
}

const char kTestID[] = "org.velmorance.toolkit-tests";

bool FailedExit(int status) { return WIFEXITED(status) && WEXITSTATUS(status) != 0; }

TEST(NibOpenerDeathTest, MissingNibTerminatesWithTheMessage) {
  toolkit_test::TestBundle();
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "nope", "panel"), FailedExit,
              "OpenNibWindow Failed(.|\n)*Unable to CreateNibReferenceWithCFBundle for "
              "\"org\\.velmorance\\.toolkit-tests/nope\" as it returned errcode #-10960\\.");
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "", "panel"), FailedExit,
              "for \"org\\.velmorance\\.toolkit-tests/velmorance\" as");
  EXPECT_EXIT(OpenNibWindow("", "panel"), FailedExit,
              "Unable to CreateNibReference for \"main\" as it returned errcode #-10960\\.");
}

TEST(NibOpenerDeathTest, MissingBundleFailsItsAssertion) {
  EXPECT_EXIT(OpenNibWindowFromCFBundle("com.nobody.here", "about", "about"), FailedExit,
              "Assertion failed in: Cannot allocate bundle for ID = com\\.nobody\\.here");
}

TEST(NibOpenerDeathTest, WindowThatCannotBeMadeStopsWithTheCodesLowByte) {
  toolkit_test::TestBundle();
  // -10962: no such window file; -10963: an unregistered control class.
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "panel", "missing"), testing::ExitedWithCode(-10962 & 0xFF), "");
  EXPECT_EXIT(OpenNibWindowFromCFBundle(kTestID, "panel", "unregistered"), testing::ExitedWithCode(-10963 & 0xFF),
              "");
}

}  // namespace

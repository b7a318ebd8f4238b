// The common procedures: alerts and the assertion, numeric helpers and
// colour packing, conversions of short strings, numbers and codes.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>

#include "platform/memory/memory.h"
#include "platform/strings/cfstring.h"
#include "platform/strings/text_utils.h"
#include "plugin/common/alerts.h"
#include "plugin/common/color_packing.h"
#include "plugin/common/numeric_helpers.h"
#include "plugin/common/string_conversions.h"
#include "tests/platform/alerts/alert_summary.h"
#include "tests/support/platform_faults.h"
#include "tests/support/recording_presenter.h"

namespace {

// A short string literal, its length byte first (\320 is an en dash in Mac
// OS Roman).
ConstStringPtr P(const char* text) { return reinterpret_cast<ConstStringPtr>(text); }

using Rgb = std::array<int, 3>;
Rgb rgb(const RGBColor& c) { return {c.red, c.green, c.blue}; }

TEST(CommonAlerts, ShowTheirTextsAndButtonsAndReturnTheItemHit) {
  int value = 0;
  // What shows the alert, the button pressed, what it returns, and the alert
  // ("" for none).
  const std::tuple<std::function<SInt16()>, DialogItemIndex, SInt16, const char*> cases[] = {
      {[] { return StandardWarning("Replace?", "The file exists.", "Replace", ""); }, 1, 1,
       "2 Replace? | The file exists. | 1:Replace* cancel 0 movable"},
      {[] { return StandardWarning(P("\005Quit?"), P("\016Changes \320 lost"), P("\004Quit"), P("\004Stay")); }, 2, 2,
       "2 Quit? | Changes \u2013 lost | 1:Quit* 2:Stay cancel 2 movable"},
      {[] { return Notify("x"), SInt16{0}; }, 1, 0, "2 Internal Notification: | x | 1:ok* cancel 0 movable"},
      {[] { return StandardStop("Stopped", "Why"), SInt16{0}; }, 1, 0, "0 Stopped | Why | 1:OK* cancel 0"},
      {[&] { return Assert(&value, "never shown"), SInt16{0}; }, 1, 0, ""},
  };
  for (const auto& [show, answer, returned, shown] : cases) {
    RecordingPresenter presenter(answer);
    EXPECT_EQ(show(), returned) << shown;
    ASSERT_LE(presenter.shown.size(), 1u);
    EXPECT_EQ(presenter.shown.empty() ? "" : AlertSummary(presenter.shown[0]), shown);
  }
}

TEST(CommonAlertsDeathTest, AssertAndTerminateStopAfterTheAlert) {
  EXPECT_EXIT(Assert(nullptr, "Nil theConfig on InitPluginData"), testing::ExitedWithCode(EXIT_FAILURE),
              "\\[alert: stop\\] Assertion Failure\n  Assertion failed in: Nil theConfig on InitPluginData\n");
  // 21 characters of prefix + 240 of place = 261, cut to 255.
  EXPECT_EXIT(Assert(nullptr, std::string(240, 'p')), testing::ExitedWithCode(EXIT_FAILURE),
              "  Assertion failed in: " + std::string(234, 'p') + "\n");
  EXPECT_EXIT(Terminate("Non-Matching Blocks", "The Size of Source and Dest do not match"),
              testing::ExitedWithCode(EXIT_FAILURE), "Non-Matching Blocks\n  The Size of Source and Dest do not match");
}

// Channels taken as their 16 bits, signed halves of a word, the sign of 0;
// colours packed as 0x00RRGGBB from the high byte of each channel.
TEST(NumericAndColour, KnownValues) {
  EXPECT_EQ(rgb(SetRGBColor(-1, 0, -32768)), (Rgb{65535, 0, 32768}));
  EXPECT_EQ(
      (std::array{CarbonHiWord(static_cast<SInt32>(0xFFFF0001u)), CarbonLoWord(0x00018000), Sgn(0.0), Sgn(-0.001)}),
      (std::array<SInt16, 4>{-1, -32768, 1, -1}));
  const pixRec p = LongInt2PixRec(0x12345678);
  EXPECT_EQ((std::array{p.alpha, p.red, p.green, p.blue}), (std::array<uint8_t, 4>{0, 0x34, 0x56, 0x78}));
  EXPECT_EQ(PixRec2LongInt(pixRec{0xEE, 1, 2, 3}), 0x00010203);
  EXPECT_EQ(RGBColor2LongInt(RGBColor{65535, 32768, 255}), 0x00FF8000);
  EXPECT_EQ(rgb(LongInt2RGBColor(0x00FF8000)), (Rgb{65280, 32768, 0}));
  RGBColor widened{};
  SInt16 alpha = -1;
  Pixel2RGBA(pixRec{200, 0xFF, 0x01, 0x80}, widened, alpha);
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(rgb(widened), (Rgb{0xFF00, 0x0100, 0x8000}));
}

TEST(CloneObject, CopiesTheWholeBlockOrGivesNothing) {
  Ptr p = NewPtr(5);
  std::memcpy(p, "hello", 5);
  Ptr copy = CloneObject(p);
  ASSERT_NE(copy, nullptr);
  EXPECT_TRUE(copy != p && GetPtrSize(copy) == 5 && std::memcmp(copy, "hello", 5) == 0);
  platformFailNextAllocations(1);
  EXPECT_EQ(CloneObject(p), nullptr);
  EXPECT_EQ(CloneObject(nullptr), nullptr);
  DisposePtr(copy);
  DisposePtr(p);
}

std::string text(ConstStr255Param p) { return std::string(pstringView(p)); }

// The text the conversion writes into a short string.
template <typename Value>
std::string Written(void (*convert)(Value, unsigned char*), Value value) {
  Str255 s;
  pstringAssign(s, "stale");
  convert(value, s);
  return text(s);
}

// The number read from `input`, with a '9' past its end that must not be
// read as part of it.
double Read(const char* input) {
  Str255 s;
  pstringAssign(s, input);
  s[s[0] + 1] = '9';
  double n = 42.0;
  String2Real(s, n);
  return n;
}

// Integers; reals to four places, truncated toward zero and clamped to 32
// bits; the leading number of a text, '.' or ',' before its fraction, without
// exponent, plus sign or blank.
TEST(NumberTexts, KnownValues) {
  EXPECT_EQ(Written(Num2Text, INT32_MIN) + " " + Written(Num2Text, INT32_MAX), "-2147483648 2147483647");
  const double reals[] = {2.0, 2.00001, 2.5, -0.25, 2.05, -0.00001, 1234.56789, 1e12, -1e12};
  const char* texts[] = {"2", "2", "2.5000", "-0.2500", "2.0499", "0", "1234.5678", "2147483647", "-2147483648"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Written(Real2String, reals[i]), texts[i]) << reals[i];
  const std::pair<const char*, double> read[] = {{"3,25", 3.25}, {"-.5", -0.5}, {"007", 7.0},  {"12.5.3", 12.5},
                                                 {"5-3", 5.0},   {"1e3", 1.0},  {" 5", 0.0},   {"+5", 0.0},
                                                 {"", 0.0},      {"-", 0.0},    {"12.", 12.0}, {"-7,25x", -7.25}};
  for (const auto& [input, expected] : read) EXPECT_DOUBLE_EQ(Read(input), expected) << input;
}

// Codes both ways, most significant byte first; a zero byte after the text,
// at most at 255.
TEST(FourCharCodesAndCStrings, KnownBytes) {
  EXPECT_EQ(String2Command(P("\006abcdef")), 0x61626364u);
  EXPECT_EQ(String2Command(P("\002okXX")), 0x6F6B0000u);
  Str32 out;
  Command2String(0xFF000020u, out);
  EXPECT_EQ(text(out), std::string("\xFF\0\0 ", 4));
  Str255 s;
  pstringAssign(s, "abc");
  s[4] = 'z';
  ZeroDelimitString(s);
  EXPECT_EQ((std::array{s[0], s[4]}), (std::array<UInt8, 2>{3, 0}));
  pstringAssign(s, std::string(255, 'm'));
  ZeroDelimitString(s);
  EXPECT_EQ((std::array{s[0], s[254], s[255]}), (std::array<UInt8, 3>{255, 'm', 0}));
}

// Through Core Foundation and back keeps the Mac OS Roman bytes; what cannot
// come back (no Roman form, no string) gives the empty string.
TEST(CFStrings, MakeAndBack) {
  Str255 s = {4, 'A', 0xDB, 0xF0, 0xBD};
  CFOwner<CFStringRef> made(MakeCFString(s));
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(CFStringToUTF8(made.get()), "A\u20AC\uF8FF\u03A9");
  EXPECT_EQ(Written(CF2PString, made.get()), text(s));
  CFOwner<CFStringRef> noRoman(CFStringCreateWithCString(nullptr, "x\u0394", kCFStringEncodingUTF8));
  for (CFStringRef ref : {noRoman.get(), static_cast<CFStringRef>(nullptr)})
    EXPECT_EQ(Written(CF2PString, ref), "");
}

}  // namespace

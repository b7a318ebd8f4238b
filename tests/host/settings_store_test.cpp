#include "host/cli/settings_store.h"

#include <gtest/gtest.h>

namespace {

// The settings window squeezes every clip into its media type's frame; the
// note names the type whose shape is nearest when the shown one is more than
// 5% off.
TEST(MediaShapeNote, NamesTheTypeThatFitsOnlyWhenTheShownOneDoesNot) {
  const struct {
    int width, height;
    int16_t mediaType;
    const char* settingsFile;
    std::string note;
  } cases[] = {
      {1920, 1080, 1, "",
       "the settings window shows frames as ntsc 720x480, so this 1920x1080 clip looks squeezed there; the media "
       "type hd (960x540) fits it (velmorance settings --media-type hd)"},
      {640, 480, 3, "p.prefs",
       "the settings window shows frames as hd 960x540, so this 640x480 clip looks stretched there; the media type "
       "pal (720x576) fits it (velmorance settings --settings p.prefs --media-type pal)"},
      {1920, 1080, 3, "", ""},
      {704, 480, 1, "", ""},  // 2.3% off
      {500, 500, 2, "", ""},  // nothing fits a square better than pal
      {720, 576, 7, "", "the settings window shows frames as ntsc 720x480, so this 720x576 clip looks stretched "
                        "there; the media type pal (720x576) fits it (velmorance settings --media-type pal)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.note, vmhost::mediaShapeNote(c.width, c.height, c.mediaType, c.settingsFile))
        << c.width << "x" << c.height << " as " << c.mediaType;
}

}  // namespace

#include "host/cli/settings_store.h"

#include <gtest/gtest.h>

namespace {

// The settings window squeezes every clip into its media type's frame; the
// note names the type whose shape is nearest when the shown one is more than
// 5% off.
TEST(MediaShapeNote, NamesTheTypeThatFitsOnlyWhenTheShownOneDoesNot) {
  // Width, height, media type shown, settings file: the note.
  const std::tuple<int, int, int16_t, const char*, std::string> cases[] = {
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
  for (const auto& [width, height, mediaType, settingsFile, note] : cases)
    EXPECT_EQ(note, vmhost::mediaShapeNote(width, height, mediaType, settingsFile))
        << width << "x" << height << " as " << mediaType;
}

}  // namespace

#include <cstdio>

#include "host/cli/commands.h"
#include "host/cli/settings_store.h"
#include "host/media/stop_request.h"
#include "platform/strings/encodings.h"
#include "host/session/plugin_run.h"

namespace vmhost {

namespace {

// A fixed-size Mac OS Roman text field as UTF-8, stopping at the field's
// end if the plug-in left it unterminated.
template <size_t N>
std::string field(const char (&text)[N]) {
  size_t length = 0;
  while (length < N && text[length] != 0) ++length;
  std::u16string decoded;
  std::string utf8;
  vmstrings::decodeBytes(reinterpret_cast<const uint8_t*>(text), length, kCFStringEncodingMacRoman, decoded);
  vmstrings::encodeText(decoded, kCFStringEncodingUTF8, utf8);
  return utf8;
}

}  // namespace

int runInfo(const Options& o) {
  std::fputs(describeSettingsFile(storedSettingsPath()).c_str(), stdout);
  std::string error;
  // The plug-in describes itself from a private, empty preferences folder:
  // asking it is no reason to write the stored settings back.
  auto prefs = PrivatePreferences::open("", error);
  if (!prefs) return reportError(error);
  auto plugin = loadPlugin(o.plugin, error);
  if (!plugin) return reportError(error);
  const HYPluginFilterInfo filterInfo{{0.5f, 0.5f, 0.5f}, 0, 0};
  HostSession session(nullptr, nullptr, filterInfo);
  PluginRun run(*plugin, session);
  const int32_t result = run.getInfo(0);
  if (stopRequested()) return 1;
  if (result != kPluginOK) return reportError(plugin->path() + ": describing itself, " + run.describe(result));
  const _PluginParams& p = run.params();
  std::printf("\nwhat the plug-in tells a host (its three sliders are not the effect's settings):\n");
  std::printf("plug-in:      %s\n", plugin->path().c_str());
  std::printf("type:         %u%s\n", p.getInfo.pluginType,
              p.getInfo.pluginType == kPluginFilterType ? " (filter)" : "");
  std::printf("flags:        0x%x\n", p.getInfo.pluginFlags);
  std::printf("group:        %s\n", field(p.getInfo2.group).c_str());
  for (int i = 0; i < 3; ++i) {
    const HYPluginFilterSliderInfo& s = p.getInfo2.filterSliders[i];
    std::printf("slider %d:     %s (%s ... %s), default %g\n", i + 1, field(s.label).c_str(),
                field(s.minLabel).c_str(), field(s.maxLabel).c_str(), static_cast<double>(s.defaultValue));
  }
  std::printf("button:       %s\n", field(p.getInfo3.buttonTitle).c_str());
  std::printf("memory:       %d bytes\n", p.getInfo2.baseMemoryNeeded);
  return 0;
}

}  // namespace vmhost

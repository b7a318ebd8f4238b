#include <cstdio>
#include <filesystem>

#include "host/cli/commands.h"
#include "host/cli/settings_store.h"
#include "host/media/stop_request.h"

namespace vmhost {

int runSettings(const Options& o) {
  const std::string target = settingsTarget(o);
  if (target.empty())
    return reportError("there is no preferences folder: HOME or XDG_CONFIG_HOME must be an absolute path");
  if (!changesLook(o)) {
    std::fputs(describeSettingsFile(target).c_str(), stdout);
    return 0;
  }
  std::string error;
  auto copy = PrivatePreferences::open(target, error);
  if (!copy) return reportError(error);
  pluginDataRec config{};
  copy->read(config);
  applyLook(o, config);
  if (!copy->store(config)) return reportError("cannot store the settings in a copy of " + target);
  if (stopRequested()) return 1;
  if (!copy->commitTo(target, error)) return reportError(error);
  std::fputs(describeSettings(target, "", config).c_str(), stdout);
  return 0;
}

}  // namespace vmhost

#include "host/session/plugin_run.h"

#include <new>

namespace vmhost {

OutputWorld::OutputWorld(int width, int height) : pixels_(width, height) {
  GWorldPtr world = nullptr;
  const Rect bounds{0, 0, static_cast<int16_t>(height), static_cast<int16_t>(width)};
  if (NewGWorldFromPtr(&world, &bounds, reinterpret_cast<Ptr>(pixels_.data()), pixels_.rowBytes()) != noErr)
    throw std::bad_alloc();
  world_.reset(world);
}

PluginRun::PluginRun(const PluginModule& module, HostSession& session) : module_(module), session_(session) {
  params_.interfaceVersion = kHYCurrentInterfaceVersion;
  params_.instance = session.instance();
  params_.procs = session.procs();
}

int32_t PluginRun::getInfo(int32_t selectedFrames) {
  params_.getInfo2.selectedFrames = selectedFrames;
  return call(kPlugGetInfo);
}

void PluginRun::setOutput(GrafPort* frame) {
  params_.frame = frame;
  params_.frameRect = frame->portPixMap.bounds;
}

int32_t PluginRun::call(HYPluginSelector selector) {
  session_.clearError();
  params_.selector = selector;
  return module_.call(params_);
}

std::string PluginRun::describe(int32_t result) const {
  std::string text = "the plug-in returned " + resultName(result);
  if (!session_.lastError().empty()) text += " (" + session_.lastError() + ")";
  return text;
}

std::unique_ptr<PluginModule> loadPlugin(const std::string& pluginOption, std::string& error) {
  return PluginModule::load(pluginOption.empty() ? defaultBundlePath() : pluginOption, error);
}

}  // namespace vmhost

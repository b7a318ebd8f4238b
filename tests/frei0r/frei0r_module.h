// The built frei0r module loaded as hosts load it: dlopen, then every entry
// point looked up by name.
#pragma once

#include <dlfcn.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <frei0r.h>
}

namespace vmtest {

class Frei0rModule {
 public:
  static constexpr const char* kEntryPoints[] = {
      "f0r_init",     "f0r_deinit",          "f0r_get_plugin_info", "f0r_get_param_info", "f0r_construct",
      "f0r_destruct", "f0r_set_param_value", "f0r_get_param_value", "f0r_update",         "f0r_update2"};

  explicit Frei0rModule(const char* path) : handle_(dlopen(path, RTLD_NOW | RTLD_LOCAL)) {
    if (handle_ == nullptr) return;
    init = find<decltype(init)>("f0r_init");
    deinit = find<decltype(deinit)>("f0r_deinit");
    pluginInfo = find<decltype(pluginInfo)>("f0r_get_plugin_info");
    paramInfo = find<decltype(paramInfo)>("f0r_get_param_info");
    construct = find<decltype(construct)>("f0r_construct");
    destruct = find<decltype(destruct)>("f0r_destruct");
    setParam = find<decltype(setParam)>("f0r_set_param_value");
    getParam = find<decltype(getParam)>("f0r_get_param_value");
    update = find<decltype(update)>("f0r_update");
  }
  ~Frei0rModule() {
    if (handle_ != nullptr) dlclose(handle_);
  }
  Frei0rModule(const Frei0rModule&) = delete;
  Frei0rModule& operator=(const Frei0rModule&) = delete;

  void* handle() const { return handle_; }
  // Whether the module loaded and every entry point was found.
  bool complete() const {
    return init && deinit && pluginInfo && paramInfo && construct && destruct && setParam && getParam && update;
  }

  // An instance destroyed with the module's f0r_destruct.
  using Instance = std::unique_ptr<void, void (*)(f0r_instance_t)>;
  Instance make(unsigned width, unsigned height) const { return Instance(construct(width, height), destruct); }
  // Sets every parameter in index order.
  void setAll(f0r_instance_t instance, const std::vector<double>& values) const {
    for (size_t i = 0; i < values.size(); ++i) {
      double value = values[i];
      setParam(instance, &value, static_cast<int>(i));
    }
  }
  double get(f0r_instance_t instance, int index) const {
    double value = -1;
    getParam(instance, &value, index);
    return value;
  }
  std::vector<std::string> paramNames() const {
    f0r_plugin_info_t info{};
    pluginInfo(&info);
    std::vector<std::string> names;
    for (int i = 0; i < info.num_params; ++i) {
      f0r_param_info_t param{};
      paramInfo(&param, i);
      names.push_back(param.name != nullptr ? param.name : "");
    }
    return names;
  }

  decltype(&f0r_init) init = nullptr;
  decltype(&f0r_deinit) deinit = nullptr;
  decltype(&f0r_get_plugin_info) pluginInfo = nullptr;
  decltype(&f0r_get_param_info) paramInfo = nullptr;
  decltype(&f0r_construct) construct = nullptr;
  decltype(&f0r_destruct) destruct = nullptr;
  decltype(&f0r_set_param_value) setParam = nullptr;
  decltype(&f0r_get_param_value) getParam = nullptr;
  decltype(&f0r_update) update = nullptr;

 private:
  template <typename Fn>
  Fn find(const char* name) const {
    return reinterpret_cast<Fn>(dlsym(handle_, name));
  }
  void* handle_;
};

}  // namespace vmtest

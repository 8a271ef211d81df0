#include "TestEnvironment.h"

#include <cstdlib>

namespace TestEnvironment {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string WindowsPath(const std::string& path) {
  std::string windows = !path.empty() && path[0] == '/' ? "Z:" + path : path;
  for (char& c : windows) {
    if (c == '/') c = '\\';
  }
  return windows;
}

std::wstring PluginPath(const char* name) {
  std::string path = WindowsPath(VT_PLUGIN_DIR) + "\\dsp_" + name + ".dll";
  return std::wstring(path.begin(), path.end());
}

std::string SmallDiskPath() {
  std::string path = Variable("VELLUMTONE_SMALL_DISK");
  return path.empty() ? path : WindowsPath(path);
}

std::string CapturePath() {
  std::string path = Variable("VELLUMTONE_CAPTURE");
  return path.empty() ? path : WindowsPath(path);
}

}  // namespace TestEnvironment

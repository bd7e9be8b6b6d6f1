// The shared event log of the test plug-ins (one instance, in its own shared library).
#include "pluginlog.h"

std::vector<std::string>& PluginLog() {
  static std::vector<std::string> log;
  return log;
}

void PluginLogAdd(const std::string& event) {
  PluginLog().push_back(event);
}

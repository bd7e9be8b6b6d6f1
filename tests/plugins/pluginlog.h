// Event log shared by the test plug-ins and the tests that load them: each plug-in records
// catalogue queries, creation, Free, FreeInstance, destruction and unloading here.
#pragma once

#include <string>
#include <vector>

std::vector<std::string>& PluginLog();
void PluginLogAdd(const std::string& event);

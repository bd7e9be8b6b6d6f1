// Event log shared by the timeline test plug-in and the tests that load it: recording modules
// and resources write what the engine calls on them, in call order.
#pragma once

#include <string>
#include <vector>

std::vector<std::string>& TimelineLog();
void TimelineLogAdd(const std::string& event);

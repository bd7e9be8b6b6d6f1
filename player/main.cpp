// vexil: the demo player program. Reads the options and the script path from the command
// line and hands the run to the program object, which picks the runner of the mode.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "player_app.h"
#include "system/stop_signal.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  vexil::PlayerOptions options;
  std::string error;
  if (!vexil::ParseCommandLine(args, &options, &error)) {
    std::fprintf(stderr, "vexil: %s\n", error.c_str());
    return 2;
  }
  if (options.mode == vexil::PlayerMode::kHelp) {
    std::fputs(vexil::UsageText().c_str(), stdout);
    return 0;
  }
  if (options.mode == vexil::PlayerMode::kVersion) {
    std::fputs(vexil::VersionText().c_str(), stdout);
    return 0;
  }
  int status = 0;
  {
    CPlayerApp app(options);
    status = app.Run();
  }
  // Stopped by SIGINT or SIGTERM, also during the teardown: 130 or 143, as shells report it.
  return vexil::ExitStatusAfterStop(status);
}

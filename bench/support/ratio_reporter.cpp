// Pairs layer and raw OpenGL results by case name and prints their ratios.
#include "ratio_reporter.h"

#include <cstdio>
#include <cstring>

namespace vexil_bench {

void RatioReporter::ReportRuns(const std::vector<Run>& runs) {
  for (const Run& run : runs) {
    const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
    if (run.run_type == Run::RT_Aggregate && !median) continue;
    const std::string& name = run.run_name.function_name;
    const size_t slash = name.find('/');
    if (slash == std::string::npos) continue;
    const std::string prefix = name.substr(0, slash), which = name.substr(slash + 1);
    Times* times = nullptr;
    if (prefix == m_layerPrefix) times = &m_layer[which];
    if (prefix == m_rawPrefix) times = &m_raw[which];
    if (!times || (times->median && !median)) continue;
    *times = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime(), median};
  }
  ConsoleReporter::ReportRuns(runs);
}

void RatioReporter::Finalize() {
  ConsoleReporter::Finalize();
  for (const auto& [which, layer] : m_layer) {
    const auto raw = m_raw.find(which);
    if (raw == m_raw.end() || raw->second.real <= 0 || raw->second.cpu <= 0) continue;
    std::printf("%-12s layer / raw OpenGL: wall %.3f, calling thread CPU %.3f%s\n", which.c_str(),
                layer.real / raw->second.real, layer.cpu / raw->second.cpu,
                layer.median && raw->second.median ? " (medians)" : "");
  }
}

std::vector<char*> WithInterleavedRepetitions(int argc, char** argv, int repetitions) {
  static std::string flags[3];
  std::vector<char*> args(argv, argv + argc);
  const auto given = [&](const char* flag) {
    for (int i = 1; i < argc; ++i) {
      if (std::strncmp(argv[i], flag, std::strlen(flag)) == 0) return true;
    }
    return false;
  };
  // Repetitions asked for on the command line are interleaved too: run one benchmark's
  // repetitions after the other's and a drift of the machine's speed falls on one side alone.
  if (!given("--benchmark_repetitions")) {
    flags[0] = "--benchmark_repetitions=" + std::to_string(repetitions);
    flags[1] = "--benchmark_report_aggregates_only=true";
    args.push_back(flags[0].data());
    args.push_back(flags[1].data());
  }
  if (!given("--benchmark_enable_random_interleaving")) {
    flags[2] = "--benchmark_enable_random_interleaving=true";
    args.push_back(flags[2].data());
  }
  return args;
}

}  // namespace vexil_bench

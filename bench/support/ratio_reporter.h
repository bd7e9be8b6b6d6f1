// Console output of a layer-versus-raw-OpenGL benchmark, followed by one line per case with the
// layer / raw ratios of wall time and of the calling thread's CPU time. Benchmarks are paired
// by the part of their name after the first '/': "<layer prefix>/grid" with "<raw prefix>/grid".
// With repetitions the medians are compared.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace vexil_bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter(std::string layerPrefix, std::string rawPrefix)
      : m_layerPrefix(std::move(layerPrefix)), m_rawPrefix(std::move(rawPrefix)) {}

  void ReportRuns(const std::vector<Run>& runs) override;
  void Finalize() override;

 private:
  struct Times {
    double real = 0, cpu = 0;
    bool median = false;
  };
  std::string m_layerPrefix, m_rawPrefix;
  std::map<std::string, Times> m_layer, m_raw;
};

// Unless the command line says otherwise, runs every benchmark `repetitions` times in random
// order, so that a busy machine's noise falls on both sides of each ratio alike, and reports
// the aggregates only. Call before benchmark::Initialize.
std::vector<char*> WithInterleavedRepetitions(int argc, char** argv, int repetitions);

}  // namespace vexil_bench

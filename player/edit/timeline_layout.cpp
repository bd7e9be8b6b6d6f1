// Bars, ticks and samples for the timeline panel.
#include "timeline_layout.h"

#include <algorithm>
#include <cmath>

namespace vexil {

float TimeAxis::X(double ms) const {
  const double span = end_ms > start_ms ? end_ms - start_ms : 1.0;
  return left + static_cast<float>((ms - start_ms) / span * (right - left));
}

double TimeAxis::Time(float x) const {
  if (right <= left) return start_ms;
  const double t = start_ms + (x - left) / static_cast<double>(right - left) * (end_ms - start_ms);
  return std::clamp(t, start_ms, end_ms);
}

std::vector<int> LayerRows(const std::vector<ModuleSpan>& modules) {
  std::vector<int> layers;
  for (const ModuleSpan& m : modules) layers.push_back(m.layer);
  std::sort(layers.begin(), layers.end(), [](int a, int b) { return a > b; });
  layers.erase(std::unique(layers.begin(), layers.end()), layers.end());
  return layers;
}

std::vector<BarPlace> LayoutBars(const std::vector<ModuleSpan>& modules, const TimeAxis& axis,
                                 float min_width) {
  const std::vector<int> layers = LayerRows(modules);
  std::vector<BarPlace> bars;
  for (const ModuleSpan& m : modules) {
    BarPlace bar;
    bar.row = static_cast<int>(std::find(layers.begin(), layers.end(), m.layer) - layers.begin());
    bar.x0 = axis.X(m.start_ms);
    bar.x1 = std::max(axis.X(m.end_ms), bar.x0 + min_width);
    bars.push_back(bar);
  }
  return bars;
}

std::vector<Tick> RulerTicks(const TimeAxis& axis, float min_spacing) {
  std::vector<Tick> ticks;
  const double span = axis.end_ms - axis.start_ms;
  const double pixels = axis.right - axis.left;
  if (span <= 0.0 || pixels <= 0.0) return ticks;
  // The smallest step whose marks are min_spacing apart; every fifth mark is major.
  static const double kSteps[] = {10,   20,    50,    100,   200,   500,    1000,   2000,
                                  5000, 10000, 20000, 30000, 60000, 120000, 300000, 600000};
  double step = kSteps[sizeof kSteps / sizeof kSteps[0] - 1];
  for (double candidate : kSteps) {
    if (candidate / span * pixels >= min_spacing) {
      step = candidate;
      break;
    }
  }
  const long long first = static_cast<long long>(std::ceil(axis.start_ms / step - 1e-9));
  for (long long i = first; i * step <= axis.end_ms + 1e-6; ++i)
    ticks.push_back({i * step, i % 5 == 0});
  return ticks;
}

std::vector<Tick> BeatGrid(const TimeAxis& axis, double bpm, int beats_per_bar, float min_spacing) {
  std::vector<Tick> ticks;
  if (!(bpm > 0.0) || beats_per_bar < 1 || axis.right <= axis.left) return ticks;
  const double beat = 60000.0 / bpm;
  const double px_per_ms = (axis.right - axis.left) / (axis.end_ms - axis.start_ms);
  const bool beats = beat * px_per_ms >= min_spacing;
  const bool bars = beat * beats_per_bar * px_per_ms >= min_spacing;
  if (!bars) return ticks;
  const long long first = static_cast<long long>(std::ceil(axis.start_ms / beat - 1e-9));
  for (long long i = std::max(first, 0LL); i * beat <= axis.end_ms + 1e-6; ++i) {
    const bool major = i % beats_per_bar == 0;
    if (major || beats) ticks.push_back({i * beat, major});
  }
  return ticks;
}

int HitBar(const std::vector<BarPlace>& bars, float x, int row) {
  for (int i = static_cast<int>(bars.size()) - 1; i >= 0; --i) {
    const BarPlace& bar = bars[i];
    if (bar.row == row && x >= bar.x0 && x < bar.x1) return i;
  }
  return -1;
}

std::vector<float> SamplePlot(const std::function<float(double)>& f, double from, double to,
                              int count) {
  count = std::max(count, 2);
  std::vector<float> values(count);
  for (int i = 0; i < count; ++i) values[i] = f(from + (to - from) * i / (count - 1));
  return values;
}

void PlotRange(const std::vector<float>& values, float* low, float* high) {
  float lo = 0.0f, hi = 0.0f;
  bool any = false;
  for (float v : values) {
    if (!std::isfinite(v)) continue;
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  }
  if (hi - lo < 1e-6f) {
    const float pad = std::max(std::fabs(lo) * 0.1f, 0.5f);
    lo -= pad;
    hi += pad;
  }
  *low = lo;
  *high = hi;
}

}  // namespace vexil

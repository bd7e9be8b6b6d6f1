// The geometry of the timeline panel, apart from any drawing: where a module's bar goes, which
// times the ruler and the beat grid mark, what a click hits and the samples of a value's plot.
#pragma once

#include <functional>
#include <vector>

namespace vexil {

// Demo time across a strip of pixels.
struct TimeAxis {
  double start_ms = 0.0, end_ms = 1.0;
  float left = 0.0f, right = 1.0f;
  float X(double ms) const;
  // The time at pixel x, held within the axis.
  double Time(float x) const;
};

struct ModuleSpan {
  double start_ms = 0.0, end_ms = 0.0;
  int layer = 0;
};

struct BarPlace {
  int row = 0;  // 0 is the top row: the highest layer, drawn last over the others
  float x0 = 0.0f, x1 = 0.0f;
};

// The layers in row order (highest first) and each module's bar; a bar is at least
// `min_width` pixels wide so that a module of a single frame can still be clicked.
std::vector<int> LayerRows(const std::vector<ModuleSpan>& modules);
std::vector<BarPlace> LayoutBars(const std::vector<ModuleSpan>& modules, const TimeAxis& axis,
                                 float min_width = 3.0f);

struct Tick {
  double ms = 0.0;
  bool major = false;
};

// Ruler marks at 1-2-5 steps of seconds no closer than `min_spacing` pixels; every fifth (or
// second, for steps of 2) mark is major and gets a label.
std::vector<Tick> RulerTicks(const TimeAxis& axis, float min_spacing);
// Beats (minor) and bars of `beats_per_bar` beats (major) of a tempo in beats per minute. Beats
// closer than `min_spacing` pixels are left out; bars too when even they are that close.
std::vector<Tick> BeatGrid(const TimeAxis& axis, double bpm, int beats_per_bar, float min_spacing);

// The bar under (x, row), the last one wins as it is drawn on top; -1 for none.
int HitBar(const std::vector<BarPlace>& bars, float x, int row);

// `count` values of f over [from, to], both ends included (count >= 2).
std::vector<float> SamplePlot(const std::function<float(double)>& f, double from, double to,
                              int count);
// The range a plot of `values` shows: min and max, widened around a constant.
void PlotRange(const std::vector<float>& values, float* low, float* high);

}  // namespace vexil

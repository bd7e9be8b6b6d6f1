// Arrangement, patterns and mix-down of the demo tune. Chords Am - F - C - G, one per bar;
// drums, bass, arpeggio and lead enter and leave by section; kick-driven ducking on the pads
// and bass gives the mix its pulse.
#include "song.h"

#include <algorithm>
#include <cmath>

#include "dsp.h"
#include "instruments.h"

namespace synth {

namespace {

constexpr double kBeat = 60.0 / 128.0;
constexpr double kBar = 4.0 * kBeat;
constexpr int kBars = 32;
constexpr double kTail = 2.5;  // seconds of reverb and release after the last bar

// Sections, in bars.
constexpr int kBuildStart = 4;
constexpr int kMainStart = 12;
constexpr int kOutroStart = 24;

struct Chord {
  double bass;
  double pad[4];
  double arp[4];
};
const Chord kChords[4] = {
    {45, {57, 60, 64, 69}, {69, 72, 76, 81}},  // A minor
    {41, {53, 57, 60, 65}, {65, 69, 72, 77}},  // F major
    {48, {55, 60, 64, 67}, {67, 72, 76, 79}},  // C major
    {43, {55, 59, 62, 67}, {67, 71, 74, 79}},  // G major
};

struct Note {
  double beat, length, pitch;
};
// Two four-bar phrases, a call and its answer, then the call again with a rising ending.
const std::vector<Note> kPhraseA = {
    {0, 1.5, 76},   {1.5, 0.5, 74}, {2, 1, 72},  {3, 1, 69},   {4, 1.5, 72},
    {5.5, 0.5, 74}, {6, 1, 76},     {7, 1, 77},  {8, 1.5, 79}, {9.5, 0.5, 77},
    {10, 1, 76},    {11, 1, 72},    {12, 2, 74}, {14, 1, 71},  {15, 1, 67},
};
const std::vector<Note> kPhraseB = {
    {0, 1, 76},     {1, 0.5, 76},  {1.5, 0.5, 77},  {2, 1, 79},  {3, 1, 81}, {4, 1.5, 81},
    {5.5, 0.5, 79}, {6, 1, 77},    {7, 1, 76},      {8, 1, 79},  {9, 1, 76}, {10, 1, 72},
    {11, 1, 76},    {12, 1.5, 74}, {13.5, 0.5, 72}, {14, 2, 71},
};
const std::vector<Note> kPhraseAEnd = {
    {0, 1.5, 76}, {1.5, 0.5, 74}, {2, 1, 72},   {3, 1, 69},     {4, 1.5, 72}, {5.5, 0.5, 74},
    {6, 1, 76},   {7, 1, 77},     {8, 1.5, 79}, {9.5, 0.5, 77}, {10, 1, 76},  {11, 1, 72},
    {12, 1, 71},  {13, 1, 74},    {14, 1, 79},  {15, 1, 83},
};

double BarTime(int bar) {
  return bar * kBar;
}

void PlayPhrase(Track& lead, const std::vector<Note>& phrase, int first_bar, double velocity) {
  for (const Note& note : phrase) {
    // Slightly detached notes keep the line articulate.
    Lead(lead, BarTime(first_bar) + note.beat * kBeat, note.length * kBeat * 0.92, note.pitch,
         velocity);
  }
}

struct Tracks {
  explicit Tracks(long frames)
      : drums(frames),
        snare(frames),
        bass(frames),
        pads(frames),
        lead(frames),
        arp(frames),
        fx(frames) {}
  Track drums, snare, bass, pads, lead, arp, fx;
  std::vector<double> kicks;  // times, for ducking
};

void Drums(Tracks& t, int bar) {
  const double t0 = BarTime(bar);
  uint32_t seed = 1000u + static_cast<uint32_t>(bar) * 64u;
  const bool intro = bar < kBuildStart;
  const bool main = bar >= kMainStart && bar < kOutroStart;

  // Kick: four to the floor from the build on; the build's last bar holds its breath after two.
  const bool kick_bar = !intro && bar < kOutroStart + 4;
  for (int beat = 0; beat < 4 && kick_bar; ++beat) {
    if (bar == kMainStart - 1 && beat >= 2) break;
    Kick(t.drums, t0 + beat * kBeat, 0.95);
    t.kicks.push_back(t0 + beat * kBeat);
  }

  // Snare on two and four from the middle of the build, a rolling fill into the main part.
  if (bar == kMainStart - 1) {
    for (int step = 0; step < 16; ++step) {
      const double velocity = 0.15 + 0.75 * step / 15.0;
      Snare(t.snare, t0 + step * kBeat / 4, velocity, seed++);
      if (step >= 8) Snare(t.snare, t0 + (step + 0.5) * kBeat / 4, velocity * 0.8, seed++);
    }
  } else if ((bar >= kBuildStart + 4 && bar < kOutroStart + 2)) {
    Snare(t.snare, t0 + kBeat, 0.8, seed++);
    Snare(t.snare, t0 + 3 * kBeat, 0.8, seed++);
    if (bar == kOutroStart - 1) {  // a short fill before the outro
      for (int step = 13; step < 16; ++step) Snare(t.snare, t0 + step * kBeat / 4, 0.6, seed++);
    }
  }

  // Hats: offbeats in the intro and early build, sixteenths after, open hats in the main part.
  if (bar >= 2 && bar < kOutroStart + 4) {
    const bool sixteenths = bar >= kBuildStart + 2 && bar < kOutroStart + 2;
    for (int step = 0; step < 16; ++step) {
      const bool offbeat = step % 4 == 2;
      if (!sixteenths && !offbeat) continue;
      const double velocity = intro ? 0.12 : (offbeat ? 0.32 : (step % 2 ? 0.14 : 0.22));
      const bool open = main && offbeat;
      HiHat(t.drums, t0 + step * kBeat / 4, velocity, open, seed++);
    }
  }

  // Crashes mark the start of every four-bar phrase of the main part and the outro.
  if (bar == kMainStart || bar == kMainStart + 4 || bar == kMainStart + 8 || bar == kOutroStart) {
    Crash(t.fx, t0, 0.35, seed++);
  }
  if (bar == 3) Riser(t.fx, t0, kBar, 0.25, 77);
  if (bar == kMainStart - 2) Riser(t.fx, t0, 2 * kBar, 0.45, 99);
}

void Harmony(Tracks& t, int bar) {
  const double t0 = BarTime(bar);
  const Chord& chord = kChords[bar % 4];

  // Pads throughout, opening up towards the main part; the last chord is held to the end.
  const double brightness = bar < kBuildStart   ? 0.1 + 0.1 * bar
                            : bar < kMainStart  ? 0.4 + 0.05 * (bar - kBuildStart)
                            : bar < kOutroStart ? 0.85
                                                : 0.7 - 0.06 * (bar - kOutroStart);
  const double intro_fade = bar < 2 ? 0.5 + 0.25 * bar : 1.0;
  if (bar < kBars - 2) {
    for (double note : chord.pad) Pad(t.pads, t0, kBar * 0.98, note, 0.22 * intro_fade, brightness);
  } else if (bar == kBars - 2) {
    for (double note : kChords[0].pad) Pad(t.pads, t0, 2 * kBar, note, 0.22, 0.3);
    Pad(t.pads, t0, 2 * kBar, 45, 0.18, 0.2);
  }

  // Bass from the middle of the build to the late outro.
  if (bar >= kBuildStart + 4 && bar < kOutroStart + 4) {
    const int pattern[8] = {0, 0, 12, 0, 0, 12, 0, 7};
    for (int step = 0; step < 8; ++step) {
      if (bar == kMainStart - 1 && step >= 4) break;
      Bass(t.bass, t0 + step * kBeat / 2, kBeat / 2 * 0.8, chord.bass + pattern[step],
           step % 2 ? 0.75 : 0.9);
    }
  }

  // Sixteenth arpeggio from the second intro bar to near the end, brightening with the music.
  if (bar >= 1 && bar < kBars - 2) {
    const int order[8] = {0, 1, 2, 3, 1, 2, 3, 2};
    const double velocity =
        bar < kBuildStart ? 0.12 : (bar >= kOutroStart ? 0.2 - 0.02 * (bar - kOutroStart) : 0.2);
    const double pluck_brightness = bar < kMainStart ? 0.2 + 0.05 * bar : 0.8;
    for (int step = 0; step < 16; ++step) {
      Pluck(t.arp, t0 + step * kBeat / 4, chord.arp[order[step % 8]], velocity, pluck_brightness,
            step % 2 ? 0.45 : -0.45);
    }
  }
}

void Melody(Tracks& t) {
  PlayPhrase(t.lead, kPhraseA, kMainStart, 0.30);
  PlayPhrase(t.lead, kPhraseB, kMainStart + 4, 0.30);
  PlayPhrase(t.lead, kPhraseAEnd, kMainStart + 8, 0.30);
  // The outro's farewell: the tonic held high, then falling to the fifth.
  Lead(t.lead, BarTime(kOutroStart), 6 * kBeat, 81, 0.28);
  Lead(t.lead, BarTime(kOutroStart) + 6 * kBeat, 2 * kBeat, 76, 0.24);
  Lead(t.lead, BarTime(kOutroStart + 2), 4 * kBeat, 72, 0.2);
  Lead(t.lead, BarTime(kOutroStart + 3), 4 * kBeat, 71, 0.18);
  Lead(t.lead, BarTime(kOutroStart + 4), 8 * kBeat, 69, 0.16);
}

// 1 between kicks, dipping right after each one: the sidechain pump of dance music.
std::vector<float> DuckingCurve(const std::vector<double>& kicks, long frames) {
  std::vector<float> gain(frames, 1.0f);
  for (double kick : kicks) {
    const long first = std::lround(kick * kRate);
    for (long i = 0; i < std::lround(0.3 * kRate) && first + i < frames; ++i) {
      const double dip = 0.55 * std::exp(-static_cast<double>(i) / kRate / 0.09);
      gain[first + i] = std::min(gain[first + i], static_cast<float>(1.0 - dip));
    }
  }
  return gain;
}

}  // namespace

Mix RenderSong(double peak) {
  const long frames = std::lround((kBars * kBar + kTail) * kRate);
  Tracks t(frames);
  for (int bar = 0; bar < kBars; ++bar) {
    Drums(t, bar);
    Harmony(t, bar);
  }
  Melody(t);

  // Sends: echoes on lead and arpeggio, one shared reverb.
  Track echoes(frames), reverb_in(frames), reverb_out(frames);
  PingPongDelay(t.lead, echoes, 0.75 * kBeat, 0.45, 0.35);
  PingPongDelay(t.arp, echoes, 0.75 * kBeat, 0.3, 0.25);
  const std::vector<float> duck = DuckingCurve(t.kicks, frames);
  for (long i = 0; i < frames; ++i) {
    reverb_in.left[i] = 0.6f * t.pads.left[i] + 0.5f * t.snare.left[i] + 0.45f * t.lead.left[i] +
                        0.3f * t.arp.left[i] + 0.4f * t.fx.left[i];
    reverb_in.right[i] = 0.6f * t.pads.right[i] + 0.5f * t.snare.right[i] +
                         0.45f * t.lead.right[i] + 0.3f * t.arp.right[i] + 0.4f * t.fx.right[i];
  }
  Reverb(reverb_in, reverb_out, 0.8, 0.4, 1.0);

  Mix mix;
  mix.left.resize(frames);
  mix.right.resize(frames);
  double loudest = 0.0;
  for (long i = 0; i < frames; ++i) {
    const double d = duck[i];
    const double l = 0.8 * t.drums.left[i] + 0.55 * t.snare.left[i] + 0.8 * d * t.bass.left[i] +
                     0.9 * d * t.pads.left[i] + 0.6 * d * t.arp.left[i] + 0.6 * t.lead.left[i] +
                     0.7 * t.fx.left[i] + echoes.left[i] + reverb_out.left[i];
    const double r = 0.8 * t.drums.right[i] + 0.55 * t.snare.right[i] + 0.8 * d * t.bass.right[i] +
                     0.9 * d * t.pads.right[i] + 0.6 * d * t.arp.right[i] + 0.6 * t.lead.right[i] +
                     0.7 * t.fx.right[i] + echoes.right[i] + reverb_out.right[i];
    mix.left[i] = static_cast<float>(l);
    mix.right[i] = static_cast<float>(r);
    loudest = std::max({loudest, std::fabs(l), std::fabs(r)});
  }

  // Remove any DC the soft clipper would otherwise turn into asymmetric distortion.
  for (std::vector<float>* side : {&mix.left, &mix.right}) {
    double previous_in = 0.0, previous_out = 0.0;
    for (float& sample : *side) {
      const double out = sample - previous_in + 0.9986 * previous_out;  // ~10 Hz high-pass
      previous_in = sample;
      previous_out = out;
      sample = static_cast<float>(out);
    }
  }
  loudest = 0.0;
  for (long i = 0; i < frames; ++i) {
    loudest = std::max({loudest, std::fabs(static_cast<double>(mix.left[i])),
                        std::fabs(static_cast<double>(mix.right[i]))});
  }

  // Master: bring the loudest peak to 1.3, round it off with a soft clipper (tanh), then set
  // the final peak. Drum transients lose a little, the body of the mix gains loudness.
  const double drive = loudest > 0.0 ? 1.3 / loudest : 1.0;
  const double ceiling = std::tanh(1.3);
  for (long i = 0; i < frames; ++i) {
    // A gentle fade over the last two seconds lets the tail end in silence.
    const double fade = std::min(1.0, static_cast<double>(frames - i) / (2.0 * kRate));
    mix.left[i] = static_cast<float>(std::tanh(mix.left[i] * drive) / ceiling * peak * fade);
    mix.right[i] = static_cast<float>(std::tanh(mix.right[i] * drive) / ceiling * peak * fade);
  }
  return mix;
}

}  // namespace synth

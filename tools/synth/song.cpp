// Arrangement of the demo tune, bar by bar. Sections (in bars, 1.875 s each):
//   0-7 intro      pads, a quiet arpeggio, offbeat hats from bar 4, a riser into the build
//   8-15 build     kick, then bass and snare; a snare roll and a riser into the drop
//   16-31 drop     everything, the lead's four phrases, a crash every four bars
//   32-39 break    no drums; the chords turn to F - G - Em - Am under a slow lead, the
//                  arpeggio and hats come back, a roll and a riser into the second drop
//   40-55 drop 2   everything again, the lead doubled an octave below
//   56-63 outro    the drums thin out, the lead says farewell, the last chord rings out
// Chords Am - F - C - G, one per bar, except in the break; kicks duck pads and bass.
#include "song.h"

#include <cmath>

#include "instruments.h"
#include "mixdown.h"

namespace synth {

double kBeat = 60.0 / kDefaultBpm;
double kBar = 4.0 * kBeat;

namespace {

uint32_t g_seed = 0;

constexpr int kBars = kSongBars;
constexpr double kTail = 2.5;  // seconds of reverb and release after the last bar

constexpr int kBuild = 8;
constexpr int kDrop = 16;
constexpr int kBreak = 32;
constexpr int kDrop2 = 40;
constexpr int kOutro = 56;

bool InDrop(int bar) {
  return (bar >= kDrop && bar < kBreak) || (bar >= kDrop2 && bar < kOutro);
}

struct Chord {
  double bass;
  double pad[4];
  double arp[4];
};
const Chord kAm = {45, {57, 60, 64, 69}, {69, 72, 76, 81}};
const Chord kF = {41, {53, 57, 60, 65}, {65, 69, 72, 77}};
const Chord kC = {48, {55, 60, 64, 67}, {67, 72, 76, 79}};
const Chord kG = {43, {55, 59, 62, 67}, {67, 71, 74, 79}};
const Chord kEm = {40, {52, 55, 59, 64}, {64, 67, 71, 76}};

const Chord& ChordOf(int bar) {
  static const Chord* const kMain[4] = {&kAm, &kF, &kC, &kG};
  static const Chord* const kBreakChords[4] = {&kF, &kG, &kEm, &kAm};
  const bool inBreak = bar >= kBreak && bar < kDrop2;
  return *(inBreak ? kBreakChords : kMain)[bar % 4];
}

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
// The break's slow line over F - G - Em - Am, twice, the second time reaching up.
const std::vector<Note> kBreakLine = {
    {0, 4, 72},  {4, 2, 74},  {6, 2, 79},  {8, 4, 71},  {12, 2, 72}, {14, 2, 69},
    {16, 4, 72}, {20, 2, 74}, {22, 2, 79}, {24, 3, 83}, {27, 1, 81}, {28, 4, 76},
};

double BarTime(int bar) {
  return bar * kBar;
}

void PlayPhrase(Track& lead, const std::vector<Note>& phrase, int first_bar, double velocity,
                double transpose) {
  for (const Note& note : phrase) {
    // Slightly detached notes keep the line articulate.
    Lead(lead, BarTime(first_bar) + note.beat * kBeat, note.length * kBeat * 0.92,
         note.pitch + transpose, velocity);
  }
}

void Kicks(Tracks& t, int bar) {
  const double t0 = BarTime(bar);
  const bool playing = (bar >= kBuild && bar < kBreak) || (bar >= kDrop2 && bar < kOutro + 4);
  for (int beat = 0; beat < 4 && playing; ++beat) {
    if (bar == kDrop - 1 && beat >= 2) break;  // the build holds its breath before the drop
    Kick(t.drums, t0 + beat * kBeat, 0.95);
    t.kicks.push_back(t0 + beat * kBeat);
  }
}

// Sixteen snares rising in strength, the last half bar doubled: the roll into a drop.
void Roll(Tracks& t, int bar, uint32_t& seed) {
  const double t0 = BarTime(bar);
  for (int step = 0; step < 16; ++step) {
    const double velocity = 0.15 + 0.75 * step / 15.0;
    Snare(t.snare, t0 + step * kBeat / 4, velocity, seed++);
    if (step >= 8) Snare(t.snare, t0 + (step + 0.5) * kBeat / 4, velocity * 0.8, seed++);
  }
}

void Snares(Tracks& t, int bar, uint32_t& seed) {
  const double t0 = BarTime(bar);
  if (bar == kDrop - 1 || bar == kDrop2 - 1) {
    Roll(t, bar, seed);
    return;
  }
  const bool backbeat = (bar >= kBuild + 4 && bar < kBreak) || (bar >= kDrop2 && bar < kOutro + 4);
  if (!backbeat) return;
  Snare(t.snare, t0 + kBeat, 0.8, seed++);
  Snare(t.snare, t0 + 3 * kBeat, 0.8, seed++);
  // A short fill closes every eight bars of a drop.
  if (InDrop(bar) && bar % 8 == 7) {
    for (int step = 13; step < 16; ++step) Snare(t.snare, t0 + step * kBeat / 4, 0.6, seed++);
  }
}

void Hats(Tracks& t, int bar, uint32_t& seed) {
  const double t0 = BarTime(bar);
  const bool offbeats = (bar >= 4 && bar < kBuild + 2) || (bar >= kBreak + 4 && bar < kDrop2);
  const bool sixteenths =
      (bar >= kBuild + 2 && bar < kBreak) || (bar >= kDrop2 && bar < kOutro + 6);
  if (!offbeats && !sixteenths) return;
  // The outro's hats fade over its first six bars.
  const double fade = bar >= kOutro ? 1.0 - 0.12 * (bar - kOutro) : 1.0;
  for (int step = 0; step < 16; ++step) {
    const bool offbeat = step % 4 == 2;
    if (!sixteenths && !offbeat) continue;
    const bool quiet = bar < kBuild || (bar >= kBreak && bar < kDrop2);
    const double velocity = quiet ? 0.12 : (offbeat ? 0.32 : (step % 2 ? 0.14 : 0.22));
    HiHat(t.drums, t0 + step * kBeat / 4, velocity * fade, InDrop(bar) && offbeat, seed++);
  }
}

void Accents(Tracks& t, int bar, uint32_t& seed) {
  const double t0 = BarTime(bar);
  // Crashes mark every four-bar phrase of the drops and the start of the outro; the drops
  // open with an impact under the crash.
  if (InDrop(bar) && bar % 4 == 0) Crash(t.fx, t0, 0.35, seed++);
  if (bar == kOutro) Crash(t.fx, t0, 0.3, seed++);
  if (bar == kDrop || bar == kDrop2) Impact(t.fx, t0, 0.6);
  if (bar == kBuild - 1) Riser(t.fx, t0, kBar, 0.25, 77u + g_seed);
  if (bar == kDrop - 2) Riser(t.fx, t0, 2 * kBar, 0.45, 99u + g_seed);
  if (bar == kDrop2 - 2) Riser(t.fx, t0, 2 * kBar, 0.5, 131u + g_seed);
}

void Drums(Tracks& t, int bar) {
  uint32_t seed = 1000u + static_cast<uint32_t>(bar) * 64u + g_seed * 7919u;
  Kicks(t, bar);
  Snares(t, bar, seed);
  Hats(t, bar, seed);
  Accents(t, bar, seed);
}

double PadBrightness(int bar) {
  if (bar < kBuild) return 0.1 + 0.05 * bar;
  if (bar < kDrop) return 0.45 + 0.05 * (bar - kBuild);
  if (bar < kBreak) return 0.85;
  if (bar < kDrop2) return 0.35 + 0.06 * (bar - kBreak);
  if (bar < kOutro) return 0.9;
  return 0.7 - 0.06 * (bar - kOutro);
}

void Harmony(Tracks& t, int bar) {
  const double t0 = BarTime(bar);
  const Chord& chord = ChordOf(bar);

  // Pads throughout, swelling in over the first bars; the last chord is held to the end.
  const double swell = bar < 2 ? 0.5 + 0.25 * bar : 1.0;
  const double weight = bar >= kBreak && bar < kDrop2 ? 0.26 : 0.22;  // the break leans on them
  if (bar < kBars - 2) {
    for (double note : chord.pad) {
      Pad(t.pads, t0, kBar * 0.98, note, weight * swell, PadBrightness(bar));
    }
  } else if (bar == kBars - 2) {
    for (double note : kAm.pad) Pad(t.pads, t0, 2 * kBar, note, 0.22, 0.3);
    Pad(t.pads, t0, 2 * kBar, 45, 0.18, 0.2);
  }

  // Bass from the middle of the build through the drops and the outro's first half.
  const bool bass = (bar >= kBuild + 4 && bar < kBreak) || (bar >= kDrop2 && bar < kOutro + 4);
  if (bass) {
    const int pattern[8] = {0, 0, 12, 0, 0, 12, 0, 7};
    for (int step = 0; step < 8; ++step) {
      if (bar == kDrop - 1 && step >= 4) break;
      Bass(t.bass, t0 + step * kBeat / 2, kBeat / 2 * 0.8, chord.bass + pattern[step],
           step % 2 ? 0.75 : 0.9);
    }
  } else if (bar >= kBreak && bar < kBreak + 4) {
    // The break's first half: one long low note per chord under the pads.
    Bass(t.bass, t0, kBar * 0.95, chord.bass, 0.5);
  }

  // Sixteenth arpeggio from the second bar, resting in the break's first half.
  const bool arp = bar >= 1 && bar < kBars - 2 && !(bar >= kBreak && bar < kBreak + 4);
  if (arp) {
    const int order[8] = {0, 1, 2, 3, 1, 2, 3, 2};
    double velocity = 0.2, brightness = 0.8;
    if (bar < kBuild) {
      velocity = 0.12;
      brightness = 0.2 + 0.05 * bar;
    } else if (bar < kDrop) {
      brightness = 0.5 + 0.04 * (bar - kBuild);
    } else if (bar >= kBreak && bar < kDrop2) {
      velocity = 0.14;
      brightness = 0.4 + 0.08 * (bar - kBreak - 4);
    } else if (bar >= kOutro) {
      velocity = 0.2 - 0.02 * (bar - kOutro);
    }
    for (int step = 0; step < 16; ++step) {
      Pluck(t.arp, t0 + step * kBeat / 4, chord.arp[order[step % 8]], velocity, brightness,
            step % 2 ? 0.45 : -0.45);
    }
  }
}

void Melody(Tracks& t) {
  PlayPhrase(t.lead, kPhraseA, kDrop, 0.30, 0);
  PlayPhrase(t.lead, kPhraseB, kDrop + 4, 0.30, 0);
  PlayPhrase(t.lead, kPhraseA, kDrop + 8, 0.30, 0);
  PlayPhrase(t.lead, kPhraseAEnd, kDrop + 12, 0.30, 0);

  PlayPhrase(t.lead, kBreakLine, kBreak, 0.2, 0);

  // The second drop answers first, and the lead is doubled an octave below.
  const std::vector<Note>* const second[4] = {&kPhraseB, &kPhraseA, &kPhraseB, &kPhraseAEnd};
  for (int phrase = 0; phrase < 4; ++phrase) {
    PlayPhrase(t.lead, *second[phrase], kDrop2 + 4 * phrase, 0.30, 0);
    PlayPhrase(t.lead, *second[phrase], kDrop2 + 4 * phrase, 0.14, -12);
  }

  // The outro's farewell: the tonic held high, then falling to the fifth.
  Lead(t.lead, BarTime(kOutro), 6 * kBeat, 81, 0.28);
  Lead(t.lead, BarTime(kOutro) + 6 * kBeat, 2 * kBeat, 76, 0.24);
  Lead(t.lead, BarTime(kOutro + 2), 4 * kBeat, 72, 0.2);
  Lead(t.lead, BarTime(kOutro + 3), 4 * kBeat, 71, 0.18);
  Lead(t.lead, BarTime(kOutro + 4), 8 * kBeat, 69, 0.16);
}

}  // namespace

void SetSongOptions(const SongOptions& options) {
  kBeat = 60.0 / options.bpm;
  kBar = 4.0 * kBeat;
  g_seed = options.seed;
}

Mix RenderSong(double peak) {
  const long frames = std::lround((kBars * kBar + kTail) * kRate);
  Tracks t(frames);
  for (int bar = 0; bar < kBars; ++bar) {
    Drums(t, bar);
    Harmony(t, bar);
  }
  Melody(t);
  return MixDown(t, peak);
}

}  // namespace synth

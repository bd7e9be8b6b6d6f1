// The instruments of the demo tune. Each call renders one note or hit, starting at `start`
// seconds, additively into a track: drums from sine sweeps and filtered noise, subtractive bass,
// pads, lead and plucks from band-limited oscillators.
#pragma once

#include "dsp.h"

namespace synth {

void Kick(Track& track, double start, double velocity);
void Snare(Track& track, double start, double velocity, uint32_t seed);
void HiHat(Track& track, double start, double velocity, bool open, uint32_t seed);
void Crash(Track& track, double start, double velocity, uint32_t seed);
// A deep boom falling from 90 Hz to 30 Hz under a burst of dark noise: the landing of a drop.
void Impact(Track& track, double start, double velocity);
// White noise swept up through a band-pass over `length` seconds: the build-up's rising whoosh.
void Riser(Track& track, double start, double length, double velocity, uint32_t seed);

void Bass(Track& track, double start, double length, double note, double velocity);
// Detuned saws spread across the stereo field, slow attack and release.
void Pad(Track& track, double start, double length, double note, double velocity,
         double brightness);
// Saw-and-square lead with delayed vibrato.
void Lead(Track& track, double start, double length, double note, double velocity);
// Short plucked saw for arpeggios; `pan` places it.
void Pluck(Track& track, double start, double note, double velocity, double brightness, double pan);

}  // namespace synth

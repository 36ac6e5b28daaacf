// SPDX-License-Identifier: MIT
// The noise on a run of one tone: what is left when the tone is taken out, as white noise's power.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace corvane {

struct RunNoise {
    double whitePower = 0;          // of full scale's square, over the whole band
    bool bRepeatsEachCell = false;  // the run is the same wave cell after cell, restarted each cell
};

// The white noise that leaves what is left of samples (a run of one tone at rate, 8000 to 96000
// per second) once the tone is taken out, within 300 to 3400 Hz. The tone is taken out by
// whichever model fits it better: a sine (fitted to every two cells in its own phase), or a wave
// that repeats each cell (the dialog's square cells, which restart their wave) at baud bits per
// second. Distortion counts as noise. toneHz is the tone the run is expected to carry (within
// 15 %). nullopt when the run is shorter than the filter needs to settle and eight cells besides;
// only its first 12 cells (or 400 samples, if more) after that are taken.
std::optional<RunNoise> WhiteNoisePower(std::span<const float> samples, int rate, double baud, double toneHz);

// samples at rate through a fourth-order Butterworth band-pass from 300 to 3400 Hz, from rest.
std::vector<double> TelephoneBandFiltered(std::span<const float> samples, int rate);

// The power within 300 to 3400 Hz of white noise of power whitePower at rate.
double TelephoneBandPower(double whitePower, int rate);

}  // namespace corvane

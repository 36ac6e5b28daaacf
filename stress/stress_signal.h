// SPDX-License-Identifier: MIT
// The signal corvane-cli sends: the dialog's by default, or a stress signal that test sets
// offer for tolerance testing (sine tones, other rates, levels, noise, other mark runs and
// silences, injected errors, further parameters).
#pragma once

#include "signal/frame.h"
#include "signal/request.h"
#include "signal/synthesis.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane::stress {

enum class Waveform { Square, Sine };
enum class Corruption { None, Crc, Parity, Truncate };

// Every field at its default gives the dialog's signal, bit for bit.
struct SignalOptions {
    int amplitudePercent = 20;             // 10 to 100 in tens: the dialog's list
    std::optional<double> levelDbfs;       // peak level, -90 to 0 dBFS, instead of the percentage
    Waveform waveform = Waveform::Square;  // square: the dialog's cells; sine: phase-continuous
    double markHz = kMarkHz;               // 100 to half the rate; the square drawn band-limited if moved
    double spaceHz = kSpaceHz;             // the same
    double baud = 1200;                    // 300 to 4800; the same
    int stopBits = 1;                      // 1 to 10 after each character
    int charGapBits = 0;                   // 0 to 100 marks more between characters
    int rate = kSampleRate;                // 8000, 16000, 24000, 44100 or 48000
    std::optional<double> noiseSnrDb;      // white noise at this ratio to the tones' power
    std::uint32_t seed = 1;                // of the noise
    int leadMarks = kLeadMarkCells;        // 0 to 10 000
    int trailMarks = kTrailMarkCells;      // 0 to 10 000
    int silenceMs = 200;                   // at each end, 0 to 60 000
    Corruption corruption = Corruption::None;
    int corruptByte = 0;                          // 1-based frame position for Parity and Truncate
    std::vector<FrameParameter> extraParameters;  // after the request's own, same message

    // Whether this is the dialog's signal at some percentage: composed as the dialog composes it.
    bool IsDialogSignal() const;
    // Whether the tones or the bit rate are moved from the dialog's (the square is then drawn
    // phase-continuously at the rate, band-limited, rather than in the dialog's cells).
    bool MovesTheTones() const;
    // Whether those, the stop bits or the gap between characters differ from the dialog's.
    bool HasMargins() const;
};

// The rates a stress signal may have.
inline constexpr int kRates[] = {8000, 16000, 24000, 44100, 48000};

// A composed signal and the frame it carries (after any injected error).
struct StressSignal {
    SignalFrame frame;
    int peak = 0;  // the tones' amplitude, before noise
    int rate = kSampleRate;
    std::vector<std::int16_t> samples;
};

// Returns the frame for request with options' further parameters and no injected error, or
// nullopt when it would not fit a frame (longer than 255 bytes).
std::optional<SignalFrame> BuildStressFrame(const NotificationRequest& request, const SignalOptions& options);

// Returns the signal for request under options (each in the range its comment gives, and
// corruptByte within the frame), or nullopt when the frame cannot be built. The dialog's signal
// is composed by the library exactly as the dialog composes it; any other is drawn here: square
// cells as the dialog draws them at 24 000 Hz, resampled by libsoxr for other rates, or sine
// tones at the rate itself; then the noise.
std::optional<StressSignal> ComposeStressSignal(const NotificationRequest& request, const SignalOptions& options);

// A steady sine of hz (above 0, below half of rate) at levelDbfs (its peak, -90 to 0 dBFS) for
// seconds (above 0) at rate samples per second: a calibration tone, carrying no frame.
StressSignal SteadyTone(double hz, double levelDbfs, double seconds, int rate);

}  // namespace corvane::stress

// SPDX-License-Identifier: MIT
// Frequency-shift keyed square-wave synthesis of a frame at 1200 baud.
#pragma once

#include "frame.h"

#include <array>
#include <cstdint>
#include <optional>

namespace corvane {

inline constexpr int kSampleRate = 24000;     // samples per second
inline constexpr int kBitCellSamples = 20;    // 1200 baud
inline constexpr int kMarkHz = 1300;          // binary 1, stop bits, mark runs
inline constexpr int kSpaceHz = 2100;         // binary 0, start bits
inline constexpr int kSilenceSamples = 4800;  // 200 ms before and after the signal
inline constexpr int kLeadMarkCells = 80;
inline constexpr int kTrailMarkCells = 40;
inline constexpr int kBufferSamples = 48000;
inline constexpr int kCellsPerByte = 10;  // start, eight data bits, stop

// The fixed part of every signal: both silences and both mark runs.
inline constexpr int kSignalOverheadSamples =
    2 * kSilenceSamples + (kLeadMarkCells + kTrailMarkCells) * kBitCellSamples;

// The most frame bytes whose signal fits the buffer (180).
inline constexpr int kMaxSynthesisFrameBytes =
    (kBufferSamples - kSignalOverheadSamples) / (kCellsPerByte * kBitCellSamples);

// Mono 16-bit samples at kSampleRate, of which the first Offset are the signal.
struct SampleBuffer {
    std::array<std::int16_t, kBufferSamples> samples{};
    int Offset = 0;
    // Every sample from this index to the end is zero. SynthesizeSignal keeps it so, and so
    // clears only what an earlier signal wrote; any other writer of samples at or beyond it
    // must raise it (to kBufferSamples when unsure).
    int nZeroFrom = 0;
};

// One bit cell of square wave as the signal draws it: 20 samples of frequency (Hz, 1 to 12000)
// at amplitude (0 to 32767), starting on a high half-wave, whole samples to a period.
struct ToneCell {
    ToneCell(int frequency, int amplitude);
    std::array<std::int16_t, kBitCellSamples> samples{};
};

// The square waves' amplitude, 0 to 32767; set from AmplitudeFromStep before each compose.
extern int iWaveFormValue;

// Returns the amplitude for step 0 to 9 of the list "10%" to "100%":
// (step + 1) / 10 × 32767, truncated; nullopt for any other step.
std::optional<int> AmplitudeFromStep(int step);

// Writes one 20-sample bit cell of square wave at frequency (Hz, 1 to 12000) from position
// (0 to kBufferSamples - 20), starting on a high half-wave, and returns position + 20.
int AppendToneBit(SampleBuffer& buffer, int frequency, int position);

// Clears the buffer and writes the signal for frame: silence, 80 marks, each byte as start bit,
// eight data bits LSB first and stop bit, 40 marks, silence. Returns the signal's length in
// samples (12 000 + 200 × bSendCnt), also stored in Offset, or nullopt, with the buffer
// untouched, when the frame has more than kMaxSynthesisFrameBytes bytes. Beyond Offset the
// buffer reads as zeros; only the samples below nZeroFrom are cleared to make it so.
std::optional<int> SynthesizeSignal(const SignalFrame& frame, SampleBuffer& buffer);

}  // namespace corvane

// SPDX-License-Identifier: MIT
// How a frame's signal was sent, measured from the recording: the tones' frequencies and levels,
// the bit rate, the noise, the mark runs and the silences around them.
#pragma once

#include "frame_reader.h"

#include <cstdint>
#include <optional>
#include <span>

namespace corvane {

// What one frame's signal measured. A field is empty where the recording cannot tell it: the
// part it needs is not held, or the noise hides it.
struct LineMeasures {
    // Each tone's frequency within its cells (half periods timed by zero crossings), Hz.
    std::optional<double> markHz;
    std::optional<double> spaceHz;
    std::optional<double> baud;  // the bit rate that the start bits keep, bits per second
    // Each tone's RMS level with the noise's power taken out, dB against a full-scale sine's (so a
    // square reads 3.01 dB above its peak), and mark level minus space level.
    std::optional<double> markDbfs;
    std::optional<double> spaceDbfs;
    std::optional<double> twistDb;
    std::optional<double> snrDb;      // the tones' power against the noise's in 300 to 3400 Hz
    std::optional<int> leadMarkBits;  // marks from the signal's start to the first start bit
    // Marks after the last character's stop bits, taken to be as many as the fewest between
    // characters.
    std::optional<int> trailMarkBits;
    std::optional<int> stopBitsMin;  // the fewest and most mark bits between two characters
    std::optional<int> stopBitsMax;
    // The quiet from the end of the sound before (or the recording's start) to the signal, and from
    // the signal's end to the next sound (or the recording's end), ms.
    std::optional<double> silenceBeforeMs;
    std::optional<double> silenceAfterMs;
    double startSeconds = 0;  // when the first start bit began, from the recording's start

    bool operator==(const LineMeasures&) const = default;
};

// Samples of a recording held in memory: samples[0] is the recording's sample number first.
struct HeldSamples {
    static constexpr std::size_t kPeakBlock = 64;

    // Full-scale fractions, each within [-1, 1] where a frame is measured; elsewhere (where only a
    // quiet is sought) any value, a NaN reading as quiet.
    std::span<const float> samples;
    long long first = 0;
    int rate = 8000;  // per second, 8000 to 96000
    // Optionally, for each whole block of kPeakBlock samples from samples[0], the largest of their
    // magnitudes' bit patterns (a NaN's above any number's): a quiet is then sought a block at a
    // time. Empty: sought a sample at a time.
    std::span<const std::uint32_t> peaks;

    long long End() const { return first + static_cast<long long>(samples.size()); }
    float At(long long n) const { return samples[static_cast<std::size_t>(n - first)]; }
};

// What MeasureFrame found of the signal's extent, for the silences that the caller measures over
// what it holds beyond held.
struct FrameExtent {
    LineMeasures measures;
    double quietBelow = 0;           // a sample below this (in magnitude) is quiet; 0 when the noise leaves no quiet
    std::optional<long long> onset;  // the signal's first loud sample
    std::optional<long long> trailFrom;  // where the marks after the last character's data bits begin
    std::optional<long long> offset;     // one past the signal's last loud sample
    int quietSamples = 1;                // a quiet this long ends the signal: longer than the lower tone's period
};

// Measures frame's signal in held, except the silences, whose edges it finds (onset and offset):
// the signal's start is sought back from the frame no further than lowest, and its end forward
// no further than highest. When bEndsByHighest (the next frame begins there, or the recording
// ends), the signal is taken to end by highest; else an end not yet followed by a quiet is left
// unknown, and only the edges are found (the measures then hold startSeconds alone, to be
// measured again once the end has come). The tones are the receiver's, around which the tones
// are sought (within 15 %).
FrameExtent MeasureFrame(const HeldSamples& held, const DecodedFrame& frame, const FskTones& tones, long long lowest,
                         long long highest, bool bEndsByHighest);

// One past the last loud sample in held from from on that is followed by quietSamples quiet ones
// before to; nullopt if no quiet that long begins before to.
std::optional<long long> SignalEnd(const HeldSamples& held, long long from, long long to, double quietBelow,
                                   int quietSamples);

// Where the quiet that begins at from ends in held: the first loud sample at or after it, or
// nullopt if there is none before held's end. quietBelow as FrameExtent gives it.
std::optional<long long> QuietEnd(const HeldSamples& held, long long from, double quietBelow);

// Where the signal that ends before the quiet at to began the quiet: one past the last loud
// sample before to in held, or nullopt if there is none.
std::optional<long long> QuietStart(const HeldSamples& held, long long to, double quietBelow);

}  // namespace corvane

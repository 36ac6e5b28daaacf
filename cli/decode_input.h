// SPDX-License-Identifier: MIT
// Recordings read block by block for decoding: WAVE files and raw samples by our own reader,
// which takes what recorders stream (lengths they did not know, inputs that never end); every
// other sound file by libsndfile; and for an input that is no recording, what it holds.
#pragma once

#include "cli_common.h"
#include "line_report.h"
#include "player.h"
#include "receive/demodulator.h"
#include "receive/wave_reader.h"

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace corvane::cli {

// A recording's samples, one block a call.
class SampleSource {
public:
    virtual ~SampleSource() = default;
    // Samples per second, 8000 to 96000.
    virtual int Rate() const = 0;
    // Replaces samples with the next block of one channel, as full-scale fractions; false at
    // the end of the recording.
    virtual bool Next(std::vector<float>& samples) = 0;
    // After the end: why the recording ended early, if it did.
    virtual std::optional<Failure> Problem() const { return std::nullopt; }
    // After the end: what of the input was passed over, in words, if anything was.
    virtual std::optional<std::string> Note() const { return std::nullopt; }
};

// seconds (1 to 600) of the input device (an ALSA PCM name) at rate, recorded and given as they
// come.
std::unique_ptr<SampleSource> CaptureSource(double seconds, int rate, const std::string& device);

// From now on Ctrl-C ends a capture as its end would, rather than the program: what it held is
// still decoded and reported.
void EndCaptureOnInterrupt();

// Plays signal on player while recording seconds of device's input at the signal's rate into
// samples, as through a cable from the output to the input; why either failed, if it did.
std::optional<Failure> PlayAndRecord(SignalPlayer& player, const stress::StressSignal& signal, double seconds,
                                     const std::string& device, std::vector<std::int16_t>& samples);

// Opens the recording name ("-" for standard input), channel (from 1) of it: raw samples when
// raw is given, else a WAVE file by our reader, or another sound file by libsndfile (by name
// only: standard input takes WAVE or raw samples). A failure says what is wrong, and for an
// input that is no recording, what it holds.
std::variant<std::unique_ptr<SampleSource>, Failure> OpenSampleSource(const std::string& name, int channel,
                                                                      const std::optional<WaveLayout>& raw);

// What decode gives besides the frames on standard output, and how it judges them.
struct DecodeOutput {
    bool bJson = false;
    std::string plotPath;  // draws the first frame found there (frame_picture.h) if not empty
    std::string csvPath;   // appends one row a frame there if not empty
    LineLimits limits;     // each frame's measurements checked against these
    std::optional<double> calDbm;  // the input's level in dBm for a full-scale sine, for levels in dBm
    // How long after its signal a frame may wait for the quiet after it to end (a live input).
    double holdSeconds = std::numeric_limits<double>::infinity();
    bool bClockTimes = false;  // each frame's start by the clock too (a live input)
};

// Decodes source block by block, printing each frame with its signal's measurements as soon as
// the quiet after it has ended too (line_meter.h); returns the exit status: 0 every frame valid
// and within the limits, 1 a frame has faults, a measurement lies outside its limits, a row could
// not be written or the recording ended early, 3 none found, 2 no samples at all. What the source
// passed over (a sample frame cut short) and samples beyond full scale or not numbers are said
// once on standard error, after the frames.
int DecodeSource(SampleSource& source, const std::string& name, const FskTones& tones, const DecodeOutput& output);

}  // namespace corvane::cli

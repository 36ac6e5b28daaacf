// SPDX-License-Identifier: MIT
// Bits out of a recording: 1200 baud frequency-shift keying, mark 1300 Hz and space 2100 Hz by
// default, received at the recording's own rate by a matched filter for each tone.
#pragma once

#include "wave_reader.h"

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvane {

struct FskTones {
    double markHz = 1300;   // binary 1
    double spaceHz = 2100;  // binary 0
    double baud = 1200;
};

// One bit as received, with the time its cell began.
struct ReceivedBit {
    bool bMark = false;
    bool bCarrierStart = false;  // the first bit after the tones began again
    double seconds = 0;
};

// The receiver over a recording that comes in pieces, demodulated as it comes so that memory
// stays bounded however long the recording. Each tone's energy over the last bit cell is
// measured by correlation with that tone (a matched filter for a cell of it, whatever its
// phase); a bit is read where the cell ends, by a clock that each change between the tones
// pulls towards itself, as start-stop characters need. Tones down to about -75 dBFS are
// received; silence gives no bits. The bits are the same however the recording is cut into
// pieces, empty ones included. A sample beyond full scale is read as full scale of its sign and
// one that is not a number as silence, so that one bad sample cannot upset the frames after it;
// they are counted. Nothing it counts overflows, however long the recording.
class Demodulator {
public:
    // For samples at rate (8000 to 96000 per second).
    Demodulator(int rate, const FskTones& tones);
    ~Demodulator();
    Demodulator(const Demodulator&) = delete;
    Demodulator& operator=(const Demodulator&) = delete;

    // Takes the next samples (full-scale fractions, any number of them); returns the bits received
    // so far.
    std::vector<ReceivedBit> Feed(std::span<const float> samples);
    // Ends the recording; returns the last bits. Feed no more after it.
    std::vector<ReceivedBit> Finish();
    // Samples taken so far that were beyond full scale (infinities included) or not numbers.
    long long ReplacedSamples() const;

    struct State;

private:
    std::unique_ptr<State> m_pState;
};

// Returns the bits the receiver finds in the whole of recording.
std::vector<ReceivedBit> Demodulate(const Recording& recording, const FskTones& tones);

}  // namespace corvane

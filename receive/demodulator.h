// SPDX-License-Identifier: MIT
// Bits out of a recording: 1200 baud frequency-shift keying, mark 1300 Hz and space 2100 Hz by
// default, through spandsp's generic FSK receiver.
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

// One bit as received, with the time it came out of the receiver.
struct ReceivedBit {
    bool bMark = false;
    bool bCarrierStart = false;  // the first bit after the tones began again
    double seconds = 0;
};

// The receiver over a recording that comes in pieces: each piece is converted to 8000 samples
// per second (libsoxr) and demodulated (spandsp's FSK receiver) as it comes, so memory stays
// bounded however long the recording. Tones down to about -50 dBFS are received; silence gives
// no bits. The bits are the same however the recording is cut into pieces.
class Demodulator {
public:
    // For samples at rate (8000 to 96000 per second).
    Demodulator(int rate, const FskTones& tones);
    ~Demodulator();
    Demodulator(const Demodulator&) = delete;
    Demodulator& operator=(const Demodulator&) = delete;

    // Takes the next samples (full-scale fractions); returns the bits received so far.
    std::vector<ReceivedBit> Feed(std::span<const float> samples);
    // Ends the recording; returns the last bits. Feed no more after it.
    std::vector<ReceivedBit> Finish();

    struct State;

private:
    std::vector<ReceivedBit> Take(std::span<const float> samples, bool bLast);
    void Receive(bool bAll);

    std::unique_ptr<State> m_pState;
};

// Returns the bits the receiver finds in the whole of recording.
std::vector<ReceivedBit> Demodulate(const Recording& recording, const FskTones& tones);

}  // namespace corvane

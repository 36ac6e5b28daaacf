// SPDX-License-Identifier: MIT
// Bits out of a recording: 1200 baud frequency-shift keying, mark 1300 Hz and space 2100 Hz by
// default, through spandsp's generic FSK receiver.
#pragma once

#include "wave_reader.h"

#include <cstdint>
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

// Returns the bits the receiver finds in recording, which is converted to 8000 samples per
// second first (libsoxr). Tones down to about -50 dBFS are received; silence gives no bits.
std::vector<ReceivedBit> Demodulate(const Recording& recording, const FskTones& tones);

}  // namespace corvane

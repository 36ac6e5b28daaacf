// SPDX-License-Identifier: MIT
// The receiver run over samples fed in pieces, and the comparison of what two runs received: the
// property that every cut of a recording gives the bits and frames of the whole.
#pragma once

#include "receive/frame_reader.h"

#include <algorithm>
#include <cstddef>
#include <span>
#include <vector>

namespace corvane::test {

struct Decoding {
    std::vector<ReceivedBit> bits;
    std::vector<DecodedFrame> frames;
    long long replaced = 0;  // samples beyond full scale or not numbers
};

// Decodes samples at rate fed in pieces whose sizes pieceSize() gives in turn (any size; more than
// is left takes the rest), then an empty piece, then the end.
template <typename PieceSize>
Decoding DecodeInPieces(int rate, std::span<const float> samples, PieceSize pieceSize)
{
    Demodulator demodulator(rate, {});
    FrameFinder finder;
    Decoding decoding;
    const auto take = [&](const std::vector<ReceivedBit>& bits) {
        decoding.bits.insert(decoding.bits.end(), bits.begin(), bits.end());
        for (DecodedFrame& frame : finder.Feed(bits))
            decoding.frames.push_back(std::move(frame));
    };
    for (std::size_t at = 0; at < samples.size();) {
        const std::size_t count = std::min<std::size_t>(pieceSize(), samples.size() - at);
        take(demodulator.Feed(samples.subspan(at, count)));
        at += count;
    }
    take(demodulator.Feed({}));
    take(demodulator.Finish());
    for (DecodedFrame& frame : finder.Finish())
        decoding.frames.push_back(std::move(frame));
    decoding.replaced = demodulator.ReplacedSamples();
    return decoding;
}

// The same bits: value, carrier start and time.
inline bool SameBits(const std::vector<ReceivedBit>& a, const std::vector<ReceivedBit>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ReceivedBit& x, const ReceivedBit& y) {
        return x.bMark == y.bMark && x.bCarrierStart == y.bCarrierStart && x.seconds == y.seconds;
    });
}

// The same frames: bytes, time, mark run and faults.
inline bool SameFrames(const std::vector<DecodedFrame>& a, const std::vector<DecodedFrame>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const DecodedFrame& x, const DecodedFrame& y) {
        return x.bytes == y.bytes && x.seconds == y.seconds && x.markRun == y.markRun && x.faults == y.faults;
    });
}

}  // namespace corvane::test

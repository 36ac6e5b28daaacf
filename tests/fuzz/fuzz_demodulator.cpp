// SPDX-License-Identifier: MIT
// The receiver over any samples (infinities and not-numbers among them) at any rate it takes,
// fed in pieces the fuzzer chooses: the bits and frames must be those of the samples fed whole.
#include "fuzz_input.h"
#include "receive/frame_reader.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

using namespace corvane;

namespace {

constexpr int kRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000};

struct Decoded {
    std::vector<ReceivedBit> bits;
    std::vector<DecodedFrame> frames;
    long long replaced = 0;
};

Decoded Decode(int rate, const std::vector<float>& samples, fuzz::PieceSizes* pPieces)
{
    Demodulator demodulator(rate, {});
    FrameFinder finder;
    Decoded decoded;
    const auto take = [&](const std::vector<ReceivedBit>& bits) {
        decoded.bits.insert(decoded.bits.end(), bits.begin(), bits.end());
        for (DecodedFrame& frame : finder.Feed(bits))
            decoded.frames.push_back(std::move(frame));
    };
    if (pPieces == nullptr) {
        take(demodulator.Feed(samples));
    } else {
        for (std::size_t at = 0; at < samples.size();) {
            const std::size_t count = std::min(pPieces->Next(), samples.size() - at);
            take(demodulator.Feed({samples.data() + at, count}));
            at += count;
        }
        take(demodulator.Feed({}));
    }
    take(demodulator.Finish());
    for (DecodedFrame& frame : finder.Finish())
        decoded.frames.push_back(std::move(frame));
    decoded.replaced = demodulator.ReplacedSamples();
    return decoded;
}

bool Same(const Decoded& a, const Decoded& b)
{
    const auto sameBit = [](const ReceivedBit& x, const ReceivedBit& y) {
        return x.bMark == y.bMark && x.bCarrierStart == y.bCarrierStart && x.seconds == y.seconds;
    };
    const auto sameFrame = [](const DecodedFrame& x, const DecodedFrame& y) {
        return x.bytes == y.bytes && x.seconds == y.seconds && x.markRun == y.markRun && x.faults == y.faults;
    };
    return a.replaced == b.replaced &&
           std::equal(a.bits.begin(), a.bits.end(), b.bits.begin(), b.bits.end(), sameBit) &&
           std::equal(a.frames.begin(), a.frames.end(), b.frames.begin(), b.frames.end(), sameFrame);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size)
{
    fuzz::FuzzInput input(pData, size);
    const int rate = kRates[input.Byte() % std::size(kRates)];
    const bool bFloat = input.Byte() & 1;  // else 16-bit samples, as a sound card gives
    fuzz::PieceSizes pieces(input.Byte());
    const std::span<const std::uint8_t> rest = input.Rest();
    std::vector<float> samples;
    if (bFloat) {
        for (std::size_t at = 0; at + 3 < rest.size(); at += 4) {
            float sample = 0;
            std::memcpy(&sample, rest.data() + at, 4);
            samples.push_back(sample);
        }
    } else {
        for (std::size_t at = 0; at + 1 < rest.size(); at += 2)
            samples.push_back(static_cast<float>(static_cast<std::int16_t>(rest[at] | rest[at + 1] << 8)) / 32768.0f);
    }
    if (!Same(Decode(rate, samples, nullptr), Decode(rate, samples, &pieces)))
        fuzz::Fail("pieces gave other bits or frames than the whole");
    return 0;
}

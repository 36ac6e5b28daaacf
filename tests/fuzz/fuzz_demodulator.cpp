// SPDX-License-Identifier: MIT
// The receiver over any samples (infinities and not-numbers among them) at any rate it takes,
// fed in pieces the fuzzer chooses: the bits and frames must be those of the samples fed whole.
#include "fuzz_input.h"
#include "support/decoding.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

using namespace corvane;

namespace {

constexpr int kRates[] = {8000, 11025, 16000, 22050, 24000, 32000, 44100, 48000, 88200, 96000};

bool Same(const test::Decoding& a, const test::Decoding& b)
{
    return a.replaced == b.replaced && test::SameBits(a.bits, b.bits) && test::SameFrames(a.frames, b.frames);
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
    const test::Decoding whole = test::DecodeInPieces(rate, samples, [] { return SIZE_MAX; });
    if (!Same(whole, test::DecodeInPieces(rate, samples, [&] { return pieces.Next(); })))
        fuzz::Fail("pieces gave other bits or frames than the whole");
    return 0;
}

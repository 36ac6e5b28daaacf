// SPDX-License-Identifier: MIT
// The receiver over any samples (infinities and not-numbers among them) at any rate it takes,
// fed in pieces the fuzzer chooses: the bits and frames must be those of the samples fed whole.
#include "fuzz_input.h"
#include "support/decoding.h"

#include <cstdint>
#include <vector>

using namespace corvane;

namespace {

bool Same(const test::Decoding& a, const test::Decoding& b)
{
    return a.replaced == b.replaced && test::SameBits(a.bits, b.bits) && test::SameFrames(a.frames, b.frames);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size)
{
    fuzz::FuzzInput input(pData, size);
    const fuzz::FuzzRecording recording = fuzz::RecordingOf(input);
    const int rate = recording.rate;
    const std::vector<float>& samples = recording.samples;
    fuzz::PieceSizes pieces(recording.pieceSeed);
    const test::Decoding whole = test::DecodeInPieces(rate, samples, [] { return SIZE_MAX; });
    if (!Same(whole, test::DecodeInPieces(rate, samples, [&] { return pieces.Next(); })))
        fuzz::Fail("pieces gave other bits or frames than the whole");
    return 0;
}

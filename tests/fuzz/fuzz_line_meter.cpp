// SPDX-License-Identifier: MIT
// The line meter over any samples (infinities and not-numbers among them) at any rate the receiver
// takes, fed in pieces the fuzzer chooses: every frame found comes out once, in order, with the
// measures of the samples fed whole, and every measure given is a number.
#include "fuzz_input.h"
#include "receive/line_meter.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

using namespace corvane;

namespace {

struct Metered {
    std::size_t nFound = 0;  // frames the finder gave
    std::vector<MeasuredFrame> measured;
};

template <typename PieceSize>
Metered MeterInPieces(int rate, std::span<const float> samples, PieceSize pieceSize)
{
    Demodulator demodulator(rate, {});
    FrameFinder finder;
    LineMeter meter(rate, {});
    Metered metered;
    const auto take = [&](std::span<const ReceivedBit> bits, const std::vector<DecodedFrame>& frames) {
        metered.nFound += frames.size();
        for (MeasuredFrame& frame : meter.Take(bits, frames))
            metered.measured.push_back(std::move(frame));
    };
    for (std::size_t at = 0; at < samples.size();) {
        const std::size_t count = std::min<std::size_t>(pieceSize(), samples.size() - at);
        meter.Feed(samples.subspan(at, count));
        const std::vector<ReceivedBit> bits = demodulator.Feed(samples.subspan(at, count));
        take(bits, finder.Feed(bits));
        at += count;
    }
    const std::vector<ReceivedBit> last = demodulator.Finish();
    take(last, finder.Feed(last));
    take({}, finder.Finish());
    for (MeasuredFrame& frame : meter.Finish())
        metered.measured.push_back(std::move(frame));
    return metered;
}

bool Finite(const LineMeasures& m)
{
    for (const std::optional<double>& value : {m.markHz, m.spaceHz, m.baud, m.markDbfs, m.spaceDbfs, m.twistDb, m.snrDb,
                                               m.silenceBeforeMs, m.silenceAfterMs}) {
        if (value && !std::isfinite(*value))
            return false;
    }
    return std::isfinite(m.startSeconds);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size)
{
    fuzz::FuzzInput input(pData, size);
    const fuzz::FuzzRecording recording = fuzz::RecordingOf(input);
    const int rate = recording.rate;
    const std::vector<float>& samples = recording.samples;
    fuzz::PieceSizes pieces(recording.pieceSeed);
    const Metered whole = MeterInPieces(rate, samples, [] { return SIZE_MAX; });
    const Metered cut = MeterInPieces(rate, samples, [&] { return pieces.Next(); });
    if (whole.measured.size() != whole.nFound || cut.measured.size() != cut.nFound)
        fuzz::Fail("a frame found was not measured once");
    if (cut.measured.size() != whole.measured.size())
        fuzz::Fail("pieces gave other frames than the whole");
    for (std::size_t i = 0; i < whole.measured.size(); ++i) {
        if (whole.measured[i].frame.bytes != cut.measured[i].frame.bytes ||
            whole.measured[i].frame.seconds != cut.measured[i].frame.seconds)
            fuzz::Fail("pieces gave the frames in another order");
        if (!Finite(whole.measured[i].measures))
            fuzz::Fail("a measure is not a number");
        if (whole.measured[i].measures != cut.measured[i].measures)
            fuzz::Fail("pieces gave other measures than the whole");
    }
    return 0;
}

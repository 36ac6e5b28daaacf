// SPDX-License-Identifier: MIT
// Raw samples as "RATE:ENCODING" names them: the name from the first line, the samples after it,
// through the streaming data reader into the receiver, as decode reads a pipe.
#include "fuzz_input.h"
#include "receive/frame_reader.h"
#include "receive/wave_reader.h"

#include <algorithm>
#include <string>
#include <vector>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size)
{
    fuzz::FuzzInput input(pData, size);
    fuzz::PieceSizes pieces(input.Byte());
    const std::span<const std::uint8_t> rest = input.Rest();
    const auto newline = std::find(rest.begin(), rest.end(), '\n');
    const std::string name(rest.begin(), newline);
    const std::optional<WaveLayout> layout = RawLayout(name);
    if (!layout)
        return 0;
    if (layout->channels != 1 || layout->rate < 8000 || layout->rate > 96000)
        fuzz::Fail("a raw layout beyond what the reader promises");
    const std::span<const std::uint8_t> data = rest.subspan(std::min<std::size_t>(name.size() + 1, rest.size()));
    WaveData stream(*layout, 1);
    Demodulator demodulator(layout->rate, {});
    FrameFinder finder;
    std::vector<float> samples;
    std::size_t nSamples = 0;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t count = std::min(pieces.Next(), data.size() - at);
        samples.clear();
        stream.Take(data.subspan(at, count), samples);
        nSamples += samples.size();
        finder.Feed(demodulator.Feed(samples));
        at += count;
    }
    finder.Feed(demodulator.Finish());
    finder.Finish();
    if (nSamples != data.size() / layout->FrameBytes() || stream.Leftover() != data.size() % layout->FrameBytes())
        fuzz::Fail("samples lost or made up");
    return 0;
}

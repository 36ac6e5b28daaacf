// SPDX-License-Identifier: MIT
// The WAVE reader over any bytes: the whole file read at once, the header read as its bytes come,
// and the data taken in pieces, which must give the samples of the whole.
#include "fuzz_input.h"
#include "receive/wave_reader.h"

#include <algorithm>
#include <bit>
#include <vector>

using namespace corvane;

namespace {

// Bit for bit: not-numbers among them are the same too.
bool SameSamples(const std::vector<float>& a, const std::vector<float>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](float x, float y) {
        return std::bit_cast<std::uint32_t>(x) == std::bit_cast<std::uint32_t>(y);
    });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* pData, std::size_t size)
{
    fuzz::FuzzInput input(pData, size);
    const int channel = 1 + input.Byte() % 4;
    fuzz::PieceSizes pieces(input.Byte());
    const std::span<const std::uint8_t> file = input.Rest();
    // A copy of exactly the file's length, so that any read past its end is one past the heap block.
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    WaveProblem problem = WaveProblem::None;
    const std::optional<Recording> recording = ReadWave(bytes, channel, problem);
    if (recording.has_value() != (problem == WaveProblem::None))
        fuzz::Fail("a recording without a problem, or a problem with a recording");
    // The header as a pipe brings it: the same layout from every prefix that reaches its data.
    std::optional<WaveLayout> layout;
    for (std::size_t length = 0; length <= bytes.size() && !layout;) {
        const std::vector<std::uint8_t> prefix(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        layout = ReadWaveHeader(prefix, channel, problem);
        if (!layout && problem != WaveProblem::None)
            return 0;
        length += 1 + pieces.Next();
    }
    if (!layout)
        layout = ReadWaveHeader(bytes, channel, problem);
    if (!layout)
        return 0;
    if (layout->channels < 1 || layout->channels > kMaxWaveChannels || channel > layout->channels)
        fuzz::Fail("a layout beyond what the reader promises");
    std::span<const std::uint8_t> data = std::span(bytes).subspan(std::min(layout->dataOffset, bytes.size()));
    if (layout->dataBytes && *layout->dataBytes < data.size())
        data = data.first(static_cast<std::size_t>(*layout->dataBytes));
    std::vector<float> whole;
    ConvertWaveSamples(*layout, channel, data, whole);
    WaveData stream(*layout, channel);
    std::vector<float> streamed;
    for (std::size_t at = 0; at < data.size();) {
        const std::size_t count = std::min(pieces.Next(), data.size() - at);
        stream.Take(data.subspan(at, count), streamed);
        at += count;
    }
    if (!SameSamples(whole, streamed))
        fuzz::Fail("the data in pieces gave other samples than the whole");
    if (stream.Leftover() != data.size() % layout->FrameBytes())
        fuzz::Fail("the bytes left over are not those of a sample frame cut short");
    return 0;
}

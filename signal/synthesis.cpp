// SPDX-License-Identifier: MIT
#include "synthesis.h"

#include "trace.h"

#include <cassert>
#include <cstring>

namespace corvane {

int iWaveFormValue = 0;

ToneCell::ToneCell(int frequency, int amplitude)
{
    // Whole-sample periods: the tones drawn are 1333.3 Hz and 2181.8 Hz, and each cell
    // restarts the wave, so cells are not phase-continuous.
    const int period = kSampleRate / frequency;
    const int half = period / 2;
    const auto high = static_cast<std::int16_t>(amplitude);
    const auto low = static_cast<std::int16_t>(-amplitude);
    for (int i = 0; i < kBitCellSamples; ++i)
        samples[static_cast<std::size_t>(i)] = (i % period) < half ? high : low;
}

std::optional<int> AmplitudeFromStep(int step)
{
    if (step < 0 || step > 9)
        return std::nullopt;
    return static_cast<int>((step + 1.0) / 10.0 * 32767.0);
}

namespace {

ToneCell DrawCell(int frequency)
{
    return ToneCell(frequency, iWaveFormValue);
}

// Writes cells at the buffer's Offset and advances it.
class CellWriter {
public:
    explicit CellWriter(SampleBuffer& buffer) : m_buffer(buffer) {}

    void Put(const ToneCell& cell, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            std::memcpy(&m_buffer.samples[static_cast<std::size_t>(m_buffer.Offset)], cell.samples.data(),
                        sizeof cell.samples);
            m_buffer.Offset += kBitCellSamples;
        }
    }

private:
    SampleBuffer& m_buffer;
};

void ClearSamples(SampleBuffer& buffer, int from, int to)
{
    std::memset(&buffer.samples[static_cast<std::size_t>(from)], 0,
                static_cast<std::size_t>(to - from) * sizeof(std::int16_t));
}

}  // namespace

int AppendToneBit(SampleBuffer& buffer, int frequency, int position)
{
    assert(frequency > 0 && frequency <= kSampleRate / 2);
    assert(position >= 0 && position <= kBufferSamples - kBitCellSamples);
    const ToneCell cell = DrawCell(frequency);
    std::memcpy(&buffer.samples[static_cast<std::size_t>(position)], cell.samples.data(), sizeof cell.samples);
    return position + kBitCellSamples;
}

std::optional<int> SynthesizeSignal(const SignalFrame& frame, SampleBuffer& buffer)
{
    if (frame.bSendCnt > kMaxSynthesisFrameBytes)
        return std::nullopt;

    // Every mark cell is alike and so is every space cell: draw each once, then copy.
    const ToneCell mark = DrawCell(kMarkHz);
    const ToneCell space = DrawCell(kSpaceHz);
    CellWriter writer(buffer);
    ClearSamples(buffer, 0, kSilenceSamples);
    buffer.Offset = kSilenceSamples;
    writer.Put(mark, kLeadMarkCells);
    for (int i = 0; i < frame.bSendCnt; ++i) {
        unsigned byte = frame.data[static_cast<std::size_t>(i)];
        writer.Put(space);  // start bit
        for (int bit = 0; bit < 8; ++bit, byte >>= 1)
            writer.Put((byte & 1u) ? mark : space);
        writer.Put(mark);  // stop bit
    }
    writer.Put(mark, kTrailMarkCells);
    // The trailing silence and whatever lies beyond: nothing of an earlier signal survives.
    ClearSamples(buffer, buffer.Offset, kBufferSamples);
    buffer.Offset += kSilenceSamples;
    CORVANE_TRACE("Offset=%d", buffer.Offset);
    return buffer.Offset;
}

}  // namespace corvane

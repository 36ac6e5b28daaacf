// SPDX-License-Identifier: MIT
#include "synthesis.h"

#include "base/trace.h"

#include <algorithm>
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

// Four cells in a row, the cells of four bits, least significant first.
constexpr int kNibbleCells = 4;
using NibbleCells = std::array<std::int16_t, kNibbleCells * kBitCellSamples>;
static_assert(kLeadMarkCells % kNibbleCells == 0 && kTrailMarkCells % kNibbleCells == 0);

// Writes runs of samples at the buffer's Offset and advances it.
class CellWriter {
public:
    explicit CellWriter(SampleBuffer& buffer) : m_buffer(buffer) {}

    template <std::size_t N>
    void Put(const std::array<std::int16_t, N>& samples, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            std::memcpy(&m_buffer.samples[static_cast<std::size_t>(m_buffer.Offset)], samples.data(), sizeof samples);
            m_buffer.Offset += static_cast<int>(N);
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

    // Every mark cell is alike and so is every space cell: draw each once, and from them the
    // sixteen runs of four cells that a nibble of data is sent as. A byte is then four copies
    // of constant size, with no branch on its bits.
    const ToneCell mark = DrawCell(kMarkHz);
    const ToneCell space = DrawCell(kSpaceHz);
    std::array<NibbleCells, 16> nibbles;
    for (unsigned nibble = 0; nibble < nibbles.size(); ++nibble) {
        for (int bit = 0; bit < kNibbleCells; ++bit)
            std::memcpy(&nibbles[nibble][static_cast<std::size_t>(bit * kBitCellSamples)],
                        ((nibble >> bit) & 1u ? mark : space).samples.data(), sizeof mark.samples);
    }
    const NibbleCells& marks = nibbles[0xF];

    CellWriter writer(buffer);
    ClearSamples(buffer, 0, kSilenceSamples);
    buffer.Offset = kSilenceSamples;
    writer.Put(marks, kLeadMarkCells / kNibbleCells);
    for (int i = 0; i < frame.bSendCnt; ++i) {
        const unsigned byte = frame.data[static_cast<std::size_t>(i)];
        writer.Put(space.samples);  // start bit
        writer.Put(nibbles[byte & 0xFu]);
        writer.Put(nibbles[byte >> 4]);
        writer.Put(mark.samples);  // stop bit
    }
    writer.Put(marks, kTrailMarkCells / kNibbleCells);
    // The trailing silence, and what an earlier, longer signal left beyond it: nothing of it
    // survives. Beyond that the buffer is zero already, and clearing it would cost more than
    // drawing the whole signal.
    ClearSamples(buffer, buffer.Offset, std::max(buffer.Offset, buffer.nZeroFrom));
    buffer.nZeroFrom = buffer.Offset;
    buffer.Offset += kSilenceSamples;
    CORVANE_TRACE("Offset=%d", buffer.Offset);
    return buffer.Offset;
}

}  // namespace corvane

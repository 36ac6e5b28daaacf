// SPDX-License-Identifier: MIT
#include "line_meter.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace corvane {

namespace {

// The recording held whole: the longest frame's signal (255 characters at 1200 baud, with its
// mark runs) takes about 2.5 s.
constexpr double kHeldSeconds = 10;
// The loudness held beyond it, for the quiet before a signal: a minute's silence and more.
constexpr long long kBlocksHeld = 120000;
constexpr int kBlocksPerSecond = 1000;
// Before a frame's first start bit, its mark run, and these cells and seconds more, as far as a
// frame's measurement reads back.
constexpr int kReadableCells = 24;
constexpr double kReadableSeconds = 0.02;
// A character's cells: start bit, eight data bits, stop bit.
constexpr int kCharacterCells = 10;
// Start bits after a mark run remembered, for the frames still waiting for their ends.
constexpr std::size_t kRunEndsKept = 64;
// Cells after a sample by which the receiver has given the bit that begins there.
constexpr long long kBitLagCells = 3;
// A piece of samples as readers give them, beyond what is held.
constexpr std::size_t kReservedPiece = 1 << 16;

float Readable(float sample)
{
    return std::isnan(sample) ? 0.0f : std::clamp(sample, -1.0f, 1.0f);
}

// The largest magnitude's bits in held from from to to.
std::uint32_t Peak(const std::vector<float>& held, std::size_t from, std::size_t to)
{
    std::uint32_t largest = 0;
    for (std::size_t i = from; i < to; ++i)
        largest = std::max(largest, std::bit_cast<std::uint32_t>(held[i]) & 0x7FFFFFFFu);
    return largest;
}

}  // namespace

LineMeter::LineMeter(int rate, const FskTones& tones, double holdSeconds)
    : m_rate(rate), m_tones(tones), m_holdSamples(holdSeconds * rate),
      m_blockSamples(std::max(1, rate / kBlocksPerSecond))
{
    // What the samples held may grow to, at once: growing it would copy them again and again.
    m_held.reserve(static_cast<std::size_t>(2 * kHeldSeconds * rate) + kReservedPiece);
}

HeldSamples LineMeter::Held() const
{
    return HeldSamples{m_held, m_first, m_rate, m_peaks};
}

void LineMeter::Feed(std::span<const float> samples)
{
    const auto capacity = static_cast<std::size_t>(kHeldSeconds * m_rate);
    // Each whole block's peak, found while its samples are still in the cache: a magnitude's bits
    // order as the magnitude does, so an integer maximum (which runs in vectors) finds it.
    constexpr std::size_t kBlock = HeldSamples::kPeakBlock;
    m_held.insert(m_held.end(), samples.begin(), samples.end());
    for (std::size_t end = (m_peaks.size() + 1) * kBlock; end <= m_held.size(); end += kBlock)
        m_peaks.push_back(Peak(m_held, end - kBlock, end));
    m_n += static_cast<long long>(samples.size());
    if (m_held.size() <= 2 * capacity)
        return;
    // Whole blocks, so that the peaks keep their places.
    const std::size_t dropped = (m_held.size() - capacity) / HeldSamples::kPeakBlock * HeldSamples::kPeakBlock;
    // A frame whose signal has not ended within what is held is measured as far as it goes.
    for (Pending& pending : m_pending) {
        if (!pending.bEnded) {
            // Its end unknown: what needs the end (the marks after it, the quiet after that) too.
            Measure(pending, m_n, true);
            pending.extent.measures.trailMarkBits.reset();
            pending.bEnded = pending.bReady = true;
        }
    }
    // What leaves is kept as each millisecond's loudest sample.
    for (std::size_t i = 0; i < dropped; ++i) {
        m_blockPeak = std::max(m_blockPeak, std::abs(m_held[i]));
        if (++m_inBlock == m_blockSamples) {
            m_blocks.push_back(m_blockPeak);
            if (static_cast<long long>(m_blocks.size()) > kBlocksHeld) {
                m_blocks.pop_front();
                ++m_firstBlock;
            }
            m_blockPeak = 0;
            m_inBlock = 0;
        }
    }
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(dropped));
    m_peaks.erase(m_peaks.begin(), m_peaks.begin() + static_cast<std::ptrdiff_t>(dropped / HeldSamples::kPeakBlock));
    m_first += static_cast<long long>(dropped);
}

std::optional<long long> LineMeter::RunEndAfter(long long sample) const
{
    const auto found = std::upper_bound(m_runEnds.begin(), m_runEnds.end(), sample);
    return found == m_runEnds.end() ? std::nullopt : std::optional<long long>(*found);
}

void LineMeter::Measure(Pending& pending, long long highest, bool bEndsByHighest)
{
    // Samples beyond full scale or not numbers are made readable where a frame is measured, not as
    // they come: the scans for a quiet read them as they are (a NaN below any level, as silence).
    const double cell = m_rate / m_tones.baud;
    const auto from = std::max(m_first, static_cast<long long>(pending.frame.seconds * m_rate -
                                                               (pending.frame.markRun + kReadableCells) * cell -
                                                               kReadableSeconds * m_rate));
    constexpr std::size_t kBlock = HeldSamples::kPeakBlock;
    const auto start = static_cast<std::size_t>(std::max(from, m_readableTo) - m_first);
    // A block whose peak is beyond full scale (or not a number) is made readable; the tail after the
    // last whole block is looked at sample by sample.
    for (std::size_t block = start / kBlock; block * kBlock < m_held.size(); ++block) {
        if (block < m_peaks.size() && m_peaks[block] <= std::bit_cast<std::uint32_t>(1.0f))
            continue;
        const auto first = m_held.begin() + static_cast<std::ptrdiff_t>(std::max(start, block * kBlock));
        const auto last = m_held.begin() + static_cast<std::ptrdiff_t>(std::min(m_held.size(), (block + 1) * kBlock));
        std::transform(first, last, first, Readable);
        if (block < m_peaks.size())
            m_peaks[block] = std::min(m_peaks[block], std::bit_cast<std::uint32_t>(1.0f));
    }
    m_readableTo = m_n;
    // The marks after the frame end where the next start bit after a mark run begins, if one has.
    const double lastStart =
        pending.frame.byteSeconds.empty() ? pending.frame.seconds : pending.frame.byteSeconds.back();
    if (const std::optional<long long> runEnd = RunEndAfter(static_cast<long long>(lastStart * m_rate));
        runEnd && *runEnd <= highest) {
        highest = *runEnd;
        bEndsByHighest = true;
    }
    pending.extent = MeasureFrame(Held(), pending.frame, m_tones, pending.lowest, highest, bEndsByHighest);
    if (pending.extent.onset)
        pending.extent.measures.silenceBeforeMs = SilenceBefore(*pending.extent.onset, pending.extent.quietBelow);
}

std::optional<double> LineMeter::SilenceBefore(long long onset, double quietBelow) const
{
    const auto milliseconds = [this, onset](long long from) {
        return 1000.0 * static_cast<double>(onset - from) / m_rate;
    };
    if (const std::optional<long long> start = QuietStart(Held(), onset, quietBelow))
        return milliseconds(*start);
    if (m_first == 0)
        return milliseconds(0);
    // Beyond what is held whole, to the millisecond.
    const long long lastBlock =
        std::min(m_first / m_blockSamples, m_firstBlock + static_cast<long long>(m_blocks.size()));
    for (long long block = lastBlock - 1; block >= m_firstBlock; --block) {
        if (m_blocks[static_cast<std::size_t>(block - m_firstBlock)] >= quietBelow)
            return milliseconds((block + 1) * m_blockSamples);
    }
    return m_firstBlock == 0 ? std::optional<double>(milliseconds(0)) : std::nullopt;
}

std::vector<MeasuredFrame> LineMeter::Take(std::span<const ReceivedBit> bits, const std::vector<DecodedFrame>& frames)
{
    for (const ReceivedBit& bit : bits) {
        if (bit.bCarrierStart)
            m_nMarksInRow = 0;
        if (bit.bMark) {
            m_nMarksInRow = std::min(m_nMarksInRow + 1, kCharacterCells);
            continue;
        }
        if (m_nMarksInRow >= kCharacterCells) {
            m_runEnds.push_back(static_cast<long long>(std::floor(bit.seconds * m_rate)));
            if (m_runEnds.size() > kRunEndsKept)
                m_runEnds.pop_front();
        }
        m_nMarksInRow = 0;
    }
    for (const DecodedFrame& frame : frames) {
        Pending pending{frame, {}, m_lastBound, 0, false, false};
        Measure(pending, m_n, false);
        const FrameExtent& extent = pending.extent;
        pending.bEnded = extent.offset.has_value() || !extent.trailFrom;
        pending.scanFrom = extent.offset.value_or(extent.trailFrom.value_or(m_n));
        m_lastBound = extent.trailFrom.value_or(static_cast<long long>(std::floor(frame.seconds * m_rate)));
        m_pending.push_back(std::move(pending));
    }
    Advance(false);
    return Ready();
}

std::vector<MeasuredFrame> LineMeter::Finish()
{
    Advance(true);
    return Ready();
}

void LineMeter::Advance(bool bLast)
{
    const HeldSamples held = Held();
    for (Pending& pending : m_pending) {
        if (pending.bReady)
            continue;
        FrameExtent& extent = pending.extent;
        if (!pending.bEnded) {
            // A quiet is taken for the end only once the receiver has had its cells: a start bit
            // just before it would otherwise come too late to end the marks first.
            const auto bitLag = static_cast<long long>(kBitLagCells * m_rate / m_tones.baud);
            const std::optional<long long> end =
                SignalEnd(held, pending.scanFrom, m_n, extent.quietBelow, extent.quietSamples);
            if (bLast || (end && *end + bitLag <= m_n) || RunEndAfter(*extent.trailFrom)) {
                Measure(pending, m_n, bLast);
                pending.bEnded = true;
                pending.scanFrom = extent.offset.value_or(m_n);
            } else {
                pending.scanFrom = std::max(pending.scanFrom, m_n - extent.quietSamples);
                continue;
            }
        }
        if (!extent.offset) {
            pending.bReady = true;
            continue;
        }
        const std::optional<long long> sound = QuietEnd(held, pending.scanFrom, extent.quietBelow);
        const long long quietTo = sound.value_or(m_n);
        if (sound || bLast || static_cast<double>(m_n - *extent.offset) > m_holdSamples) {
            if (sound || bLast)
                extent.measures.silenceAfterMs = 1000.0 * static_cast<double>(quietTo - *extent.offset) / m_rate;
            pending.bReady = true;
        } else {
            pending.scanFrom = m_n;
        }
    }
}

std::vector<MeasuredFrame> LineMeter::Ready()
{
    std::vector<MeasuredFrame> ready;
    while (!m_pending.empty() && m_pending.front().bReady) {
        ready.push_back({std::move(m_pending.front().frame), m_pending.front().extent.measures});
        m_pending.pop_front();
    }
    return ready;
}

std::vector<MeasuredFrame> MeasureFrames(const Recording& recording, const FskTones& tones, std::size_t piece)
{
    Demodulator demodulator(recording.rate, tones);
    FrameFinder finder;
    LineMeter meter(recording.rate, tones);
    std::vector<MeasuredFrame> measured;
    const auto take = [&measured](std::vector<MeasuredFrame> more) {
        measured.insert(measured.end(), more.begin(), more.end());
    };
    const std::span<const float> samples(recording.samples);
    piece = std::max<std::size_t>(piece, 1);
    for (std::size_t at = 0; at < samples.size(); at += piece) {
        const std::span<const float> part = samples.subspan(at, std::min(piece, samples.size() - at));
        meter.Feed(part);
        const std::vector<ReceivedBit> bits = demodulator.Feed(part);
        take(meter.Take(bits, finder.Feed(bits)));
    }
    const std::vector<ReceivedBit> last = demodulator.Finish();
    take(meter.Take(last, finder.Feed(last)));
    take(meter.Take({}, finder.Finish()));
    take(meter.Finish());
    return measured;
}

}  // namespace corvane

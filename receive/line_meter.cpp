// SPDX-License-Identifier: MIT
#include "line_meter.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

// The recording held whole: the longest frame's signal (255 characters at 1200 baud, with its
// mark runs) takes about 2.5 s.
constexpr double kHeldSeconds = 10;
// The loudness held beyond it, for the quiet before a signal: a minute's silence and more.
constexpr long long kBlocksHeld = 120000;
constexpr int kBlocksPerSecond = 1000;

float Readable(float sample)
{
    return std::isnan(sample) ? 0.0f : std::clamp(sample, -1.0f, 1.0f);
}

}  // namespace

LineMeter::LineMeter(int rate, const FskTones& tones, double holdSeconds)
    : m_rate(rate), m_tones(tones), m_holdSamples(holdSeconds * rate), m_blockSamples(std::max(1, rate / kBlocksPerSecond))
{
}

HeldSamples LineMeter::Held() const
{
    return HeldSamples{m_held, m_first, m_rate};
}

void LineMeter::Feed(std::span<const float> samples)
{
    const auto capacity = static_cast<std::size_t>(kHeldSeconds * m_rate);
    for (const float raw : samples) {
        const float sample = Readable(raw);
        m_held.push_back(sample);
        m_blockPeak = std::max(m_blockPeak, std::abs(sample));
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
    m_n += static_cast<long long>(samples.size());
    if (m_held.size() > 2 * capacity) {
        const std::size_t dropped = m_held.size() - capacity;
        // A frame whose signal has not ended within what is held is measured as far as it goes.
        for (Pending& pending : m_pending) {
            if (!pending.bEnded) {
                Measure(pending, m_n, false);
                pending.bEnded = pending.bReady = true;
            }
        }
        m_held.erase(m_held.begin(), m_held.begin() + static_cast<std::ptrdiff_t>(dropped));
        m_first += static_cast<long long>(dropped);
    }
}

void LineMeter::Measure(Pending& pending, long long highest, bool bEndsByHighest)
{
    pending.extent = MeasureFrame(Held(), pending.frame, m_tones, pending.lowest, highest, bEndsByHighest);
    if (pending.extent.onset)
        pending.extent.measures.silenceBeforeMs = SilenceBefore(*pending.extent.onset, pending.extent.quietBelow);
}

std::optional<double> LineMeter::SilenceBefore(long long onset, double quietBelow) const
{
    const auto milliseconds = [this, onset](long long from) { return 1000.0 * static_cast<double>(onset - from) / m_rate; };
    if (const std::optional<long long> start = QuietStart(Held(), onset, quietBelow))
        return milliseconds(*start);
    if (m_first == 0)
        return milliseconds(0);
    // Beyond what is held whole, to the millisecond.
    const long long lastBlock = std::min(m_first / m_blockSamples, m_firstBlock + static_cast<long long>(m_blocks.size()));
    for (long long block = lastBlock - 1; block >= m_firstBlock; --block) {
        if (m_blocks[static_cast<std::size_t>(block - m_firstBlock)] >= quietBelow)
            return milliseconds((block + 1) * m_blockSamples);
    }
    return m_firstBlock == 0 ? std::optional<double>(milliseconds(0)) : std::nullopt;
}

std::vector<MeasuredFrame> LineMeter::Take(const std::vector<DecodedFrame>& frames)
{
    for (const DecodedFrame& frame : frames) {
        const auto start = static_cast<long long>(std::floor(frame.seconds * m_rate));
        // A frame whose signal runs on into this one's ends where this one begins.
        if (!m_pending.empty() && !m_pending.back().bEnded) {
            Measure(m_pending.back(), start, true);
            m_pending.back().bEnded = true;
            if (m_pending.back().extent.offset)
                m_pending.back().scanFrom = *m_pending.back().extent.offset;
        }
        Pending pending{frame, {}, m_lastBound, 0, false, false};
        Measure(pending, m_n, false);
        const FrameExtent& extent = pending.extent;
        pending.bEnded = extent.offset.has_value() || !extent.trailFrom;
        pending.scanFrom = extent.offset.value_or(extent.trailFrom.value_or(m_n));
        m_lastBound = extent.trailFrom.value_or(start);
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
            if (bLast || SignalEnd(held, pending.scanFrom, m_n, extent.quietBelow, extent.quietSamples)) {
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

std::vector<MeasuredFrame> MeasureFrames(const Recording& recording, const FskTones& tones)
{
    Demodulator demodulator(recording.rate, tones);
    FrameFinder finder;
    LineMeter meter(recording.rate, tones);
    meter.Feed(recording.samples);
    std::vector<MeasuredFrame> measured = meter.Take(finder.Feed(demodulator.Feed(recording.samples)));
    for (std::vector<MeasuredFrame> more : {meter.Take(finder.Feed(demodulator.Finish())), meter.Take(finder.Finish()),
                                            meter.Finish()})
        measured.insert(measured.end(), more.begin(), more.end());
    return measured;
}

}  // namespace corvane

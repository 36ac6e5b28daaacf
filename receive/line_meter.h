// SPDX-License-Identifier: MIT
// Each frame's signal measured as the recording comes, in pieces, in bounded memory.
#pragma once

#include "line_measure.h"

#include <cstdint>
#include <deque>
#include <limits>
#include <span>
#include <vector>

namespace corvane {

struct MeasuredFrame {
    DecodedFrame frame;
    LineMeasures measures;
};

// Holds the last ten seconds of a recording, and the loudness of each millisecond for two minutes
// more, so that the frames the receiver finds in it can be measured (line_measure.h). A frame is
// given once the quiet after its signal has ended too, or the recording has, or holdSeconds have
// passed since the signal ended (the quiet after it then unknown), so that a line can be watched
// for hours and each frame still comes soon after it ends. Frames are given in the order found.
// Samples beyond full scale are read as full scale, those not numbers as silence.
class LineMeter {
public:
    // For a recording at rate (8000 to 96000 per second) received with tones.
    LineMeter(int rate, const FskTones& tones, double holdSeconds = std::numeric_limits<double>::infinity());

    // Takes the recording's next samples (full-scale fractions, any number of them).
    void Feed(std::span<const float> samples);
    // Takes the bits the receiver gave for the samples fed so far, and the frames found in them;
    // returns the frames measured so far, in order. The marks after a frame end at the next start
    // bit after a mark run (another frame's), or at the quiet after them, whichever comes first.
    std::vector<MeasuredFrame> Take(std::span<const ReceivedBit> bits, const std::vector<DecodedFrame>& frames);
    // Ends the recording; returns every frame not given yet.
    std::vector<MeasuredFrame> Finish();

private:
    struct Pending {
        DecodedFrame frame;
        FrameExtent extent;
        long long lowest = 0;  // where the search for its start stops
        long long scanFrom = 0;
        bool bEnded = false;  // its signal's end is found (or will never be)
        bool bReady = false;
    };

    HeldSamples Held() const;
    void Measure(Pending& pending, long long highest, bool bEndsByHighest);
    std::optional<long long> RunEndAfter(long long sample) const;
    std::optional<double> SilenceBefore(long long onset, double quietBelow) const;
    void Advance(bool bLast);
    std::vector<MeasuredFrame> Ready();

    int m_rate;
    FskTones m_tones;
    double m_holdSamples;
    std::vector<float> m_held;           // the recording from sample m_first on
    std::vector<std::uint32_t> m_peaks;  // of each whole block of m_held (HeldSamples::peaks)
    long long m_first = 0;
    long long m_n = 0;           // samples taken
    long long m_readableTo = 0;  // samples before this are made readable where they needed it
    int m_blockSamples;
    std::deque<float>
        m_blocks;  // each block's loudest sample, the first block's from sample m_firstBlock * m_blockSamples
    long long m_firstBlock = 0;
    float m_blockPeak = 0;
    int m_inBlock = 0;
    long long m_lastBound = 0;        // where the last frame's characters ended
    int m_nMarksInRow = 0;            // mark bits since the last space bit, at most a character's
    std::deque<long long> m_runEnds;  // where start bits after a mark run began, in order
    std::deque<Pending> m_pending;
};

// Every frame in the whole of recording, with its signal measured, the recording fed to the
// receiver and the meter in pieces of piece samples (at least 1; the measures are the same
// whatever the size, a size that decode reads in keeps each piece in the cache).
std::vector<MeasuredFrame> MeasureFrames(const Recording& recording, const FskTones& tones, std::size_t piece = 4096);

}  // namespace corvane

// SPDX-License-Identifier: MIT
#include "demodulator.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace corvane {

namespace {

// Mean square over a cell, of full scale's square, at which the tones count as present: about
// -75 dBFS to come, -80 dBFS to go. Below any line's level, above a quiet sound card's hiss.
constexpr double kCarrierOn = 3.2e-8;
constexpr double kCarrierOff = 1e-8;
// How far a change between the tones within a character moves the bit clock towards itself: a
// whole step would follow every change that noise makes.
constexpr double kTimingGain = 0.3;
// How much each cell read teaches the slicer about the share of its tone.
constexpr double kShareLearning = 0.05;
// A character's cells: start bit, eight data bits (parity in the eighth), stop bit.
constexpr int kCharacterCells = 10;
// Samples between two renewals of the oscillators and sums, against the drift of rounding.
constexpr long long kRenewal = 1 << 14;  // a power of two

// A tone's oscillator, e^(-j w n), and its correlation with the last cell of samples: the sum
// of x[n] e^(-j w n) over it, the matched filter's output for a cell of that tone in any phase.
struct Tone {
    double stepRe = 1, stepIm = 0;    // e^(-j w)
    double phaseRe = 1, phaseIm = 0;  // e^(-j w n)
    double sumRe = 0, sumIm = 0;

    double Energy() const { return sumRe * sumRe + sumIm * sumIm; }
};

// What the ring keeps of each sample in the cell: each tone's product and the square.
struct Slot {
    double markRe = 0, markIm = 0, spaceRe = 0, spaceIm = 0, square = 0;
};

}  // namespace

struct Demodulator::State {
    int rate = 0;
    double cell = 0;  // samples in a bit cell, not a whole number in general
    int length = 0;   // samples the filters hold: the cell, rounded
    Tone mark;
    Tone space;
    std::vector<Slot> ring;  // the cell's samples, oldest at the position
    double squareSum = 0;
    std::size_t at = 0;  // the ring's position
    long long n = 0;     // samples taken
    bool bCarrier = false;
    bool bCarrierStart = false;
    bool bLastMark = true;
    double nextRead = 0;  // the sample at which the filters hold the current cell whole
    int cellsSinceStart = kCharacterCells;  // read since the last start bit began, it included
    // The mark filter's share of both filters' energy, as learnt: 1 in a mark cell and 0 in a
    // space cell at the nominal tones without noise.
    double markShare = 1;   // in a mark cell
    double spaceShare = 0;  // and in a space cell
    std::vector<ReceivedBit> bits;

    void Take(std::span<const float> samples);
    void Renew();
    void Decide(double now, double markEnergy, double spaceEnergy);
    double Threshold() const { return (markShare + spaceShare) / 2; }
    void Emit(bool bMark, double read)
    {
        bits.push_back({bMark, bCarrierStart, std::max(0.0, read + 1 - cell) / rate});
        bCarrierStart = false;
        ++cellsSinceStart;
    }
};

namespace {

// One sample into a tone's filter, whose product leaves the ring's slot for the new one.
inline void Correlate(Tone& tone, double x, double& slotRe, double& slotIm)
{
    const double re = x * tone.phaseRe;
    const double im = x * tone.phaseIm;
    tone.sumRe += re - slotRe;
    tone.sumIm += im - slotIm;
    slotRe = re;
    slotIm = im;
    const double nextRe = tone.phaseRe * tone.stepRe - tone.phaseIm * tone.stepIm;
    tone.phaseIm = tone.phaseRe * tone.stepIm + tone.phaseIm * tone.stepRe;
    tone.phaseRe = nextRe;
}

}  // namespace

void Demodulator::State::Take(std::span<const float> samples)
{
    // The sums over a cell, against their thresholds, need no division.
    const double carrierOn = kCarrierOn * length;
    const double carrierOff = kCarrierOff * length;
    // Kept in locals while the samples pass: the compiler cannot keep members in registers
    // across the ring's stores.
    Tone m = mark;
    Tone s = space;
    double power = squareSum;
    std::size_t position = at;
    Slot* const pRing = ring.data();
    for (const float sample : samples) {
        const double x = sample;
        Slot& slot = pRing[position];
        Correlate(m, x, slot.markRe, slot.markIm);
        Correlate(s, x, slot.spaceRe, slot.spaceIm);
        power += x * x - slot.square;
        slot.square = x * x;
        position = position + 1 == ring.size() ? 0 : position + 1;
        const double now = static_cast<double>(n++);
        if ((n & (kRenewal - 1)) == 0) {
            mark = m;
            space = s;
            Renew();
            m = mark;
            s = space;
            power = squareSum;
        }
        if (!bCarrier && n >= length && power > carrierOn) {
            bCarrier = true;
            bCarrierStart = true;
            bLastMark = m.Energy() > Threshold() * (m.Energy() + s.Energy());
            nextRead = now + cell;
        } else if (bCarrier && power < carrierOff) {
            bCarrier = false;
        }
        if (bCarrier)
            Decide(now, m.Energy(), s.Energy());
    }
    mark = m;
    space = s;
    squareSum = power;
    at = position;
}

// Against the drift of rounding: the oscillators back to magnitude one, the sums summed afresh.
void Demodulator::State::Renew()
{
    for (Tone* pTone : {&mark, &space}) {
        const double magnitude = std::hypot(pTone->phaseRe, pTone->phaseIm);
        pTone->phaseRe /= magnitude;
        pTone->phaseIm /= magnitude;
    }
    mark.sumRe = mark.sumIm = space.sumRe = space.sumIm = squareSum = 0;
    for (const Slot& slot : ring) {
        mark.sumRe += slot.markRe;
        mark.sumIm += slot.markIm;
        space.sumRe += slot.spaceRe;
        space.sumIm += slot.spaceIm;
        squareSum += slot.square;
    }
}

// Reads the cell that ends at sample now, if one does, timing the cells by each change of tone.
void Demodulator::State::Decide(double now, double markEnergy, double spaceEnergy)
{
    // The mark's share of the energy against the slicer's threshold, without a division.
    const double total = markEnergy + spaceEnergy;
    const bool bMark = markEnergy > Threshold() * total;
    if (bMark != bLastMark) {
        // The filters hold as much of each cell: the new cell began half their length back.
        const double begin = now + 1 - length / 2.0;
        if (nextRead < begin - 1 + cell / 2)  // the cell that ended has not been read yet
            Emit(bLastMark, nextRead);
        else
            nextRead -= cell;
        // A start bit, the first space after a character's cells or the idle marks, sets the
        // clock; any other change moves it part of the way to itself: a change that noise made
        // moves it little, and a drifting bit rate is followed within the character.
        const double predicted = nextRead + cell;
        const bool bStart = !bMark && cellsSinceStart >= kCharacterCells;
        nextRead = predicted + (bStart ? 1.0 : kTimingGain) * (begin - 1 + cell - predicted);
        cellsSinceStart = bStart ? 0 : cellsSinceStart;
        bLastMark = bMark;
    }
    if (now >= nextRead) {
        // The share that each tone gives, learnt from the cells read: tones off their nominal
        // frequencies give less than all and more than none, and the slicer stays between them.
        const double share = total > 0 ? markEnergy / total : 0.5;
        (bMark ? markShare : spaceShare) += kShareLearning * (share - (bMark ? markShare : spaceShare));
        Emit(bMark, nextRead);
        nextRead += cell;
    }
}

Demodulator::Demodulator(int rate, const FskTones& tones) : m_pState(std::make_unique<State>())
{
    State& state = *m_pState;
    state.rate = rate;
    state.cell = rate / tones.baud;
    state.length = std::max(2, static_cast<int>(std::lround(state.cell)));
    for (auto [pTone, hz] : {std::pair{&state.mark, tones.markHz}, std::pair{&state.space, tones.spaceHz}}) {
        pTone->stepRe = std::cos(2 * std::numbers::pi * hz / rate);
        pTone->stepIm = -std::sin(2 * std::numbers::pi * hz / rate);
    }
    state.ring.assign(static_cast<std::size_t>(state.length), Slot{});
}

Demodulator::~Demodulator() = default;

std::vector<ReceivedBit> Demodulator::Feed(std::span<const float> samples)
{
    State& state = *m_pState;
    state.Take(samples);
    std::vector<ReceivedBit> bits;
    bits.swap(state.bits);
    return bits;
}

std::vector<ReceivedBit> Demodulator::Finish()
{
    std::vector<ReceivedBit> bits;
    bits.swap(m_pState->bits);
    return bits;
}

std::vector<ReceivedBit> Demodulate(const Recording& recording, const FskTones& tones)
{
    Demodulator demodulator(recording.rate, tones);
    std::vector<ReceivedBit> bits = demodulator.Feed(recording.samples);
    const std::vector<ReceivedBit> last = demodulator.Finish();
    bits.insert(bits.end(), last.begin(), last.end());
    return bits;
}

}  // namespace corvane

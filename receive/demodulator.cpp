// SPDX-License-Identifier: MIT
#include "demodulator.h"

#include "square_cells.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace corvane {

namespace {

// Mean square over a cell, of full scale's square, at which the tones count as present: about -75
// dBFS to come, -80 dBFS to go. Below any line's level, above a quiet sound card's hiss.
constexpr double kCarrierOn = 3.2e-8;
constexpr double kCarrierOff = 1e-8;
// How far a change between the tones moves the bit clock towards itself: a whole step would follow
// every change that noise makes. A start bit moves it further, being where a character's timing
// begins.
constexpr double kTimingGain = 0.3;
constexpr double kStartGain = 0.6;
// A start bit further than this (in cells) from the clock finds it lost, after the idle marks or a
// drifting character, and sets it outright.
constexpr double kLostClock = 0.35;
// The filters' energies cross a little after the middle of a change between the tones: by about a
// twentieth of a cell for a sine, by three twentieths for the dialog's square wave, whose cells
// restart their wave. Changes are taken to be this much (in cells) earlier than they cross.
constexpr double kCrossingLag = 0.1;
// How much each cell read teaches the slicer about the share of its tone: at first the mean of the
// cells read, later this little, so that noise does not move the threshold from cell to cell.
constexpr double kShareLearning = 0.01;
// A cell this many times stronger than the cells before it begins a new signal, whose shares are
// learnt afresh: those of the noise before it are no guide.
constexpr double kNewSignal = 4;
// How fast the mean strength of the cells follows them.
constexpr double kStrengthLearning = 0.05;
// A character's cells: start bit, eight data bits (parity in the eighth), stop bit.
constexpr int kCharacterCells = 10;
// How far from the nominal bit rate a sender's may be, and how far the bit rate that two
// characters' start bits say moves the one the clock keeps: noise moves each start a little.
constexpr double kRateRange = 0.06;
constexpr double kRateGain = 0.2;
// Samples between two renewals of the oscillators and sums, against the drift of rounding.
constexpr long long kRenewal = 1 << 14;  // a power of two
// Cells of one tone from which the slicer's learning is at its slowest: counting further would
// change nothing but could overflow on a line monitored for weeks.
constexpr int kLearntCells = 1 << 20;
// Rates from which pairs of samples are averaged before the filters: the tones lose less than 0.1
// dB at half such a rate, the noise near them none, and the filters do half the work.
constexpr int kHalvedFrom = 32000;

// A tone's oscillator, e^(-j w n), and its correlation with the last cell of samples: the sum of
// x[n] e^(-j w n) over it, the matched filter's output for a cell of that tone in any phase.
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
    double rate = 0;  // of the samples the filters take
    bool bHalve = false;
    float held = 0;  // the first of a pair whose second is still to come
    bool bHeld = false;
    std::vector<float> halved;
    std::vector<float> replaced;  // a piece with its samples beyond full scale or not numbers replaced
    long long nReplaced = 0;
    double nominalCell = 0;  // samples in a bit cell at the nominal bit rate
    double cell = 0;         // and as the start bits say: not a whole number in general
    double lastStart = -1;   // where the last start bit began; -1 before any
    int length = 0;          // samples the filters hold: the cell, rounded
    Tone mark;
    Tone space;
    std::vector<Slot> ring;  // the cell's samples, oldest at the position
    double squareSum = 0;
    std::size_t at = 0;  // the ring's position
    long long n = 0;     // samples taken
    bool bCarrier = false;
    bool bCarrierStart = false;
    bool bLastMark = true;
    double nextRead = 0;                    // the sample at which the filters hold the current cell whole
    int cellsSinceStart = kCharacterCells;  // read since the last start bit began, it included
    // The mark filter's share of both filters' energy, as learnt: 1 in a mark cell and 0 in a space
    // cell at the nominal tones without noise.
    double markShare = 1;   // in a mark cell
    double spaceShare = 0;  // and in a space cell
    int nMarkCells = 0;     // read since learning began
    int nSpaceCells = 0;
    double strength = 0;                // both filters' energy over a cell, as the recent cells had it
    std::optional<SquareCells> square;  // where the recording may be the dialog's own
    double lastBitSeconds = -1;         // when the last bit's cell began
    bool bLastFromCells = false;        // whether the dialog's cells read it
    std::vector<ReceivedBit> waiting;
    std::vector<ReceivedBit> bits;

    void Take(std::span<const float> samples);
    std::span<const float> Replace(std::span<const float> samples);
    std::span<const float> Halve(std::span<const float> samples);
    void Renew();
    void Decide(double now, double markEnergy, double spaceEnergy);
    void MeasureRate(double start);
    double Threshold() const { return (markShare + spaceShare) / 2; }
    void Learn(bool bMark, double share, double total);
    // A bit from the filters or the dialog's cells, whichever reads now: the one that takes over
    // from the other may read the cell that the other read last again.
    void Put(const ReceivedBit& bit, bool bFromCells)
    {
        if (bFromCells == bLastFromCells || bit.seconds >= lastBitSeconds + nominalCell / 2 / rate) {
            bits.push_back(bit);
            lastBitSeconds = bit.seconds;
            bLastFromCells = bFromCells;
        }
    }
    // The filters' bits that wait while the dialog's cells are read: those of cells before the one
    // that begins at seconds, which the dialog's cells did not read, still count.
    void PutWaiting(double seconds)
    {
        for (const ReceivedBit& bit : waiting) {
            if (bit.seconds < seconds - nominalCell / 2 / rate)
                Put(bit, false);
        }
        waiting.clear();
    }
    void Emit(bool bMark, double read)
    {
        const ReceivedBit bit{bMark, bCarrierStart, std::max(0.0, read + 1 - cell) / rate};
        if (square && square->Recognised()) {
            waiting.push_back(bit);
        } else {
            PutWaiting(std::numeric_limits<double>::infinity());
            Put(bit, false);
        }
        bCarrierStart = false;
        cellsSinceStart = std::min(cellsSinceStart + 1, kCharacterCells);  // only "a character's worth" matters
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
    // Kept in locals while the samples pass: the compiler cannot keep members in registers across
    // the ring's stores.
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
            cell = nominalCell;
            lastStart = -1;
            nMarkCells = nSpaceCells = 0;
            strength = 0;
            bLastMark = m.Energy() > Threshold() * (m.Energy() + s.Energy());
            nextRead = now + cell;
        } else if (bCarrier && power < carrierOff) {
            bCarrier = false;
        }
        if (bCarrier)
            Decide(now, m.Energy(), s.Energy());
        if (square) {
            const std::optional<ReceivedBit> bit = square->Take(sample, bCarrier, std::max(m.Energy(), s.Energy()));
            if (bit) {
                PutWaiting(bit->seconds);
                Put(*bit, true);
            }
        }
    }
    mark = m;
    space = s;
    squareSum = power;
    at = position;
}

// The samples with full scale of its sign for each beyond it, and silence for each that is not a
// number: a single infinity would otherwise fill the filters' sums and the slicer's shares for good.
std::span<const float> Demodulator::State::Replace(std::span<const float> samples)
{
    const auto bad = [](float sample) { return !(std::abs(sample) <= 1.0f); };
    if (std::none_of(samples.begin(), samples.end(), bad))
        return samples;
    replaced.assign(samples.begin(), samples.end());
    for (float& sample : replaced) {
        if (bad(sample)) {
            sample = std::isnan(sample) ? 0.0f : std::copysign(1.0f, sample);
            ++nReplaced;
        }
    }
    return replaced;
}

// Each pair of samples averaged, a pair split between two pieces included.
std::span<const float> Demodulator::State::Halve(std::span<const float> samples)
{
    if (samples.empty())  // keeps the sample held for the next piece
        return samples;
    halved.resize(samples.size() / 2 + 1);
    std::size_t nHalved = 0;
    std::size_t i = 0;
    if (bHeld && !samples.empty())
        halved[nHalved++] = (held + samples[i++]) / 2;
    for (; i + 1 < samples.size(); i += 2)
        halved[nHalved++] = (samples[i] + samples[i + 1]) / 2;
    bHeld = i < samples.size();
    if (bHeld)
        held = samples[i];
    return std::span<const float>(halved).first(nHalved);
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
        const double begin = now + 1 - length / 2.0 - kCrossingLag * cell;
        if (nextRead < begin - 1 + cell / 2)  // the cell that ended has not been read yet
            Emit(bLastMark, nextRead);
        else
            nextRead -= cell;
        // A start bit, the first space after a character's cells or the idle marks, sets the clock;
        // any other change moves it part of the way to itself: a change that noise made moves it
        // little, and a drifting bit rate is followed within the character.
        const double predicted = nextRead + cell;
        const bool bStart = !bMark && cellsSinceStart >= kCharacterCells;
        const double error = begin - 1 + cell - predicted;
        const double gain = !bStart ? kTimingGain : std::abs(error) > kLostClock * cell ? 1 : kStartGain;
        nextRead = predicted + gain * error;
        if (bStart)
            MeasureRate(begin);
        bLastMark = bMark;
    }
    if (now >= nextRead) {
        Learn(bMark, total > 0 ? markEnergy / total : 0.5, total);
        // A start bit that reads as a mark was noise: the next space may still be one.
        if (cellsSinceStart == 0 && bMark)
            cellsSinceStart = kCharacterCells - 1;
        Emit(bMark, nextRead);
        nextRead += cell;
    }
}

// The cell's length, from the time since the last start bit, if that was a character's length:
// characters that follow each other at once tell the bit rate. A gap between them, of a whole
// number of cells or not, tells nothing sure.
void Demodulator::State::MeasureRate(double start)
{
    if (lastStart >= 0) {
        const double measured = (start - lastStart) / kCharacterCells;
        if (std::abs(measured / nominalCell - 1) <= kRateRange)
            cell += kRateGain * (measured - cell);
    }
    lastStart = start;
    cellsSinceStart = 0;
}

// The share that each tone gives, learnt from the cells read: tones off their nominal frequencies
// give less than all and more than none, and the slicer stays between them. Until a tone's first
// cell, its share mirrors the other's.
void Demodulator::State::Learn(bool bMark, double share, double total)
{
    if (total > kNewSignal * strength) {
        nMarkCells = nSpaceCells = 0;
        cell = nominalCell;
        lastStart = -1;
    }
    strength += (nMarkCells + nSpaceCells == 0 ? 1 : kStrengthLearning) * (total - strength);
    int& nCells = bMark ? nMarkCells : nSpaceCells;
    double& learnt = bMark ? markShare : spaceShare;
    nCells = std::min(nCells + 1, kLearntCells);
    learnt += std::max(1.0 / nCells, kShareLearning) * (share - learnt);
    if (nSpaceCells == 0)
        spaceShare = 1 - markShare;
    if (nMarkCells == 0)
        markShare = 1 - spaceShare;
}

Demodulator::Demodulator(int rate, const FskTones& tones) : m_pState(std::make_unique<State>())
{
    State& state = *m_pState;
    state.bHalve = rate >= kHalvedFrom;
    state.rate = state.bHalve ? rate / 2.0 : rate;
    state.nominalCell = state.cell = state.rate / tones.baud;
    state.length = std::max(2, static_cast<int>(std::lround(state.cell)));
    for (auto [pTone, hz] : {std::pair{&state.mark, tones.markHz}, std::pair{&state.space, tones.spaceHz}}) {
        pTone->stepRe = std::cos(2 * std::numbers::pi * hz / state.rate);
        pTone->stepIm = -std::sin(2 * std::numbers::pi * hz / state.rate);
    }
    state.ring.assign(static_cast<std::size_t>(state.length), Slot{});
    if (SquareCells::Applies(rate, tones))
        state.square.emplace();
}

Demodulator::~Demodulator() = default;

std::vector<ReceivedBit> Demodulator::Feed(std::span<const float> samples)
{
    State& state = *m_pState;
    samples = state.Replace(samples);
    state.Take(state.bHalve ? state.Halve(samples) : samples);
    std::vector<ReceivedBit> bits;
    bits.swap(state.bits);
    return bits;
}

std::vector<ReceivedBit> Demodulator::Finish()
{
    m_pState->PutWaiting(std::numeric_limits<double>::infinity());
    std::vector<ReceivedBit> bits;
    bits.swap(m_pState->bits);
    return bits;
}

long long Demodulator::ReplacedSamples() const
{
    return m_pState->nReplaced;
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
